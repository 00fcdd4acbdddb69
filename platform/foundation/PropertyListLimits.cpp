#include "foundation/PropertyListLimits.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace plist_limits {
namespace {

const char* const kNotAList = "is not a property list";
const char* const kNul = "holds a NUL character";
const char* const kNotUnicode = "holds text that is not valid Unicode";

std::string tooDeep() {
  return "nests deeper than " + std::to_string(kMaxDepth) + " levels";
}

uint64_t readBigEndian(const uint8_t* p, std::size_t n) {
  uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

// Walks the object graph of a binary list from its root with an explicit stack, each object
// once: its height and its count in the tree libplist would build are kept per object.
class BinaryWalker {
 public:
  BinaryWalker(const uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

  std::optional<std::string> run() {
    if (size_ < 8 + 32) return kNotAList;
    const uint8_t* trailer = bytes_ + size_ - 32;
    offsetSize_ = trailer[6];
    refSize_ = trailer[7];
    objects_ = readBigEndian(trailer + 8, 8);
    uint64_t root = readBigEndian(trailer + 16, 8);
    tableAt_ = readBigEndian(trailer + 24, 8);
    if (offsetSize_ == 0 || offsetSize_ > 8 || refSize_ == 0 || refSize_ > 8) return kNotAList;
    if (tableAt_ < 8 || tableAt_ >= size_ - 32) return kNotAList;
    if (objects_ == 0 || objects_ > (size_ - 32 - tableAt_) / offsetSize_) return kNotAList;
    if (root >= objects_) return kNotAList;
    state_.assign(objects_, kUnseen);
    height_.assign(objects_, 0);
    count_.assign(objects_, 0);
    return walk(root);
  }

 private:
  enum State : uint8_t { kUnseen, kOpen, kDone };
  struct Container {
    uint64_t object, refsAt, refs, next = 0;
    std::size_t height = 0, count = 1;
  };

  std::optional<std::string> walk(uint64_t root) {
    std::vector<Container> stack;
    if (auto refusal = enter(root, stack)) return refusal;
    while (!stack.empty()) {
      Container& top = stack.back();
      if (top.next == top.refs) {
        Container done = top;
        stack.pop_back();
        state_[done.object] = kDone;
        height_[done.object] = static_cast<uint16_t>(done.height + 1);
        count_[done.object] = static_cast<uint32_t>(done.count);
        if (!stack.empty()) add(stack.back(), done.object);
        continue;
      }
      uint64_t child = readBigEndian(bytes_ + top.refsAt + top.next * refSize_, refSize_);
      ++top.next;
      if (child >= objects_ || state_[child] == kOpen) return kNotAList;  // libplist refuses cycles
      if (state_[child] == kUnseen) {
        if (auto refusal = enter(child, stack)) return refusal;
        if (state_[child] == kOpen) continue;
      }
      if (stack.size() + height_[child] > kMaxDepth) return tooDeep();
      add(stack.back(), child);
      if (stack.back().count > kMaxObjects) return tooMany();
    }
    return std::nullopt;
  }

  static std::string tooMany() {
    return "holds more than " + std::to_string(kMaxObjects) + " objects";
  }

  void add(Container& parent, uint64_t child) {
    parent.height = std::max<std::size_t>(parent.height, height_[child]);
    parent.count = std::min(parent.count + count_[child], kMaxObjects + 1);
  }

  // Checks one object; a container goes on the stack, anything else is done at once.
  std::optional<std::string> enter(uint64_t object, std::vector<Container>& stack) {
    uint64_t at = readBigEndian(bytes_ + tableAt_ + object * offsetSize_, offsetSize_);
    if (at < 8 || at >= tableAt_) return kNotAList;
    std::size_t pos = static_cast<std::size_t>(at) + 1;
    const std::size_t end = static_cast<std::size_t>(tableAt_);
    uint8_t marker = bytes_[at];
    uint8_t type = marker >> 4, info = marker & 0x0f;
    uint64_t length = 0;
    switch (type) {
      case 0x1:  // integer of 2^info bytes; libplist keeps the low 64 bits of a 16-byte one
        if (info == 4) {
          if (end - pos < 16) return kNotAList;
          if (readBigEndian(bytes_ + pos, 8) != 0) return "holds an integer wider than 64 bits";
        }
        break;
      case 0x5:  // ASCII string
        if (!readLength(pos, end, info, length) || length > end - pos) return kNotAList;
        if (std::memchr(bytes_ + pos, 0, length)) return kNul;
        break;
      case 0x6:  // UTF-16 string
        if (!readLength(pos, end, info, length) || length > (end - pos) / 2) return kNotAList;
        if (auto refusal = checkUTF16(bytes_ + pos, length)) return refusal;
        break;
      case 0xA:  // array
      case 0xC:  // set
      case 0xD:  // dictionary: the keys' references, then the values'
        if (!readLength(pos, end, info, length)) return kNotAList;
        if (type == 0xD) {
          if (length > UINT64_MAX / 2) return kNotAList;
          length *= 2;
        }
        if (length > (end - pos) / refSize_) return kNotAList;
        if (stack.size() >= kMaxDepth) return tooDeep();
        state_[object] = kOpen;
        stack.push_back({object, pos, length});
        return std::nullopt;
      default:
        break;
    }
    state_[object] = kDone;
    count_[object] = 1;
    return std::nullopt;
  }

  // libplist drops a surrogate without its pair.
  static const char* checkUTF16(const uint8_t* units, uint64_t count) {
    for (uint64_t i = 0; i < count; ++i) {
      uint16_t unit = static_cast<uint16_t>(units[2 * i] << 8 | units[2 * i + 1]);
      if (unit == 0) return kNul;
      if (unit >= 0xdc00 && unit <= 0xdfff) return kNotUnicode;
      if (unit >= 0xd800 && unit <= 0xdbff) {
        if (++i == count) return kNotUnicode;
        uint16_t low = static_cast<uint16_t>(units[2 * i] << 8 | units[2 * i + 1]);
        if (low < 0xdc00 || low > 0xdfff) return kNotUnicode;
      }
    }
    return nullptr;
  }

  // An object's length: in the marker's low nibble, or in the integer object that follows.
  bool readLength(std::size_t& pos, std::size_t end, uint8_t info, uint64_t& length) const {
    if (info != 0x0f) {
      length = info;
      return true;
    }
    if (pos >= end || (bytes_[pos] >> 4) != 0x1 || (bytes_[pos] & 0x0f) > 3) return false;
    std::size_t n = std::size_t{1} << (bytes_[pos] & 0x0f);
    if (end - pos - 1 < n) return false;
    length = readBigEndian(bytes_ + pos + 1, n);
    pos += 1 + n;
    return true;
  }

  const uint8_t* bytes_;
  std::size_t size_;
  uint8_t offsetSize_ = 0, refSize_ = 0;
  uint64_t objects_ = 0, tableAt_ = 0;
  std::vector<uint8_t> state_;
  std::vector<uint16_t> height_;
  std::vector<uint32_t> count_;
};

// Element depth of an XML list, counted over every element; the plist element and a leaf such
// as <string> add two levels to the containers'. Comments, CDATA, processing instructions and
// declarations are skipped whole.
std::optional<std::string> checkXml(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    std::size_t first = text.find_first_not_of(" \t\r\n\xef\xbb\xbf");
    return first != std::string_view::npos && text[first] == '<' ? kNul : kNotAList;
  }
  const std::size_t limit = kMaxDepth + 2;
  std::size_t depth = 0;
  std::size_t i = 0;
  auto skipPast = [&](std::string_view close, std::size_t from) {
    std::size_t at = text.find(close, from);
    i = at == std::string_view::npos ? text.size() : at + close.size();
  };
  while ((i = text.find('<', i)) != std::string_view::npos) {
    std::string_view rest = text.substr(i);
    if (rest.starts_with("<!--")) {
      skipPast("-->", i + 4);
    } else if (rest.starts_with("<![CDATA[")) {
      skipPast("]]>", i + 9);
    } else if (rest.starts_with("<?")) {
      skipPast("?>", i + 2);
    } else if (rest.starts_with("<!")) {
      skipPast(">", i + 2);
    } else if (rest.starts_with("</")) {
      if (depth > 0) --depth;
      skipPast(">", i + 2);
    } else {
      std::size_t close = text.find('>', i + 1);
      if (close == std::string_view::npos) break;
      if (text[close - 1] != '/' && ++depth > limit) return tooDeep();
      i = close + 1;
    }
  }
  return std::nullopt;
}

}  // namespace

bool isBinaryPropertyList(const uint8_t* bytes, std::size_t size) {
  return size >= 8 && std::memcmp(bytes, "bplist00", 8) == 0;
}

std::optional<std::string> checkPropertyListBytes(const uint8_t* bytes, std::size_t size) {
  if (isBinaryPropertyList(bytes, size)) return BinaryWalker(bytes, size).run();
  return checkXml(std::string_view(reinterpret_cast<const char*>(bytes), size));
}

bool isUTF8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto byte = [&](std::size_t at) { return static_cast<uint8_t>(text[at]); };
    uint8_t lead = byte(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
    if (length == 0 || lead > 0xf4 || text.size() - i < length) return false;
    uint32_t code = lead & (0x7f >> length);
    for (std::size_t k = 1; k < length; ++k) {
      if ((byte(i + k) & 0xc0) != 0x80) return false;
      code = (code << 6) | (byte(i + k) & 0x3f);
    }
    static const uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
      return false;  // overlong, beyond Unicode, or a surrogate
    }
    i += length;
  }
  return true;
}

std::string describeSize(std::size_t bytes) {
  if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  if (bytes >= 1024 && bytes % 1024 == 0) return std::to_string(bytes >> 10) + " KiB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace plist_limits
