#include "foundation/PropertyList.h"

#include <plist/plist.h>

#include <cstdlib>
#include <cstring>
#include <limits>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyListLimits.h"
#include "foundation/PropertyListNodes.h"

namespace {

using plist_limits::kMaxDepth;

const char* const kNotAList = "is not a property list";
const char* const kNotUnicode = "holds text that is not valid Unicode";
const char* const kNul = "holds a NUL character";
// libplist reads UIDs of at most 4 bytes and writes only their low 32 bits.
constexpr uint64_t kMaxUID = UINT32_MAX;
// An XML list writes a UID as a dictionary of this one key.
const char* const kUIDKey = "CF$UID";

// Why a string or key cannot be carried: libplist cuts text at a NUL and garbles what is not
// UTF-8 on its way to a binary list.
const char* textRefusal(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) return kNul;
  return plist_limits::isUTF8(text) ? nullptr : kNotUnicode;
}

std::string tooDeep() {
  return "nests deeper than " + std::to_string(kMaxDepth) + " levels";
}

bool fail(std::string* reason, const std::string& why) {
  if (reason) *reason = why;
  return false;
}

// Node to object. `depth` counts the containers around the node; the bytes were checked not to
// nest deeper than kMaxDepth, and this stops there too rather than trusting that.
class NodeReader {
 public:
  explicit NodeReader(bool xml) : xml_(xml) {}

  id read(plist_t node, std::size_t depth) {
    switch (plist_get_node_type(node)) {
      case PLIST_BOOLEAN: {
        uint8_t v = 0;
        plist_get_bool_val(node, &v);
        return NSNumber::numberWithBool(v != 0);
      }
      case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        if (v > static_cast<uint64_t>(INT64_MAX) && plist_nodes::isUnsigned(node)) {
          return NSNumber::numberWithUnsignedLongLong(v);
        }
        return NSNumber::numberWithLongLong(static_cast<int64_t>(v));
      }
      case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return NSNumber::numberWithDouble(v);
      }
      case PLIST_STRING: {
        uint64_t length = 0;
        const char* v = plist_get_string_ptr(node, &length);
        std::string text(v ? v : "", v ? length : 0);
        if (const char* why = textRefusal(text)) return refuse(why);
        return NSString::stringWithUTF8String(std::move(text));
      }
      case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return make<NSData>(std::vector<uint8_t>(bytes, bytes + length));
      }
      case PLIST_DATE:
        return make<NSDate>(plist_nodes::dateValue(node));
      case PLIST_UID: {
        uint64_t v = 0;
        plist_get_uid_val(node, &v);
        return make<CFKeyedArchiverUID>(v);
      }
      case PLIST_ARRAY:
        return depth >= kMaxDepth ? refuse(tooDeep()) : readArray(node, depth + 1);
      case PLIST_DICT:
        if (depth >= kMaxDepth) return refuse(tooDeep());
        if (id uid = xmlUID(node)) return uid;
        return readDictionary(node, depth + 1);
      default:
        return refuse(kNotAList);
    }
  }

  std::string refusal;

 private:
  id refuse(const std::string& why) {
    refusal = why;
    return nullptr;
  }

  id readArray(plist_t node, std::size_t depth) {
    auto array = make<NSArray>();
    uint32_t count = plist_array_get_size(node);
    array->items.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      id item = read(plist_array_get_item(node, i), depth);
      if (!item) return nullptr;
      array->items.push_back(item);
    }
    return array;
  }

  id readDictionary(plist_t node, std::size_t depth) {
    auto dict = make<NSDictionary>();
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    for (;;) {
      char* key = nullptr;
      plist_t value = nullptr;
      plist_dict_next_item(node, it, &key, &value);
      if (!key) break;
      const char* why = textRefusal(key);
      id item = why ? refuse(why) : read(value, depth);
      if (item) dict->setObject(item, key);
      std::free(key);
      if (!item) {
        std::free(it);
        return nullptr;
      }
    }
    std::free(it);
    return dict;
  }

  // libplist writes a UID to XML as {CF$UID = n} but reads that back as a dictionary.
  id xmlUID(plist_t dict) const {
    if (!xml_ || plist_dict_get_size(dict) != 1) return nullptr;
    plist_t value = plist_dict_get_item(dict, kUIDKey);
    if (!value || plist_get_node_type(value) != PLIST_UINT) return nullptr;
    uint64_t v = 0;
    plist_get_uint_val(value, &v);
    return v <= kMaxUID ? make<CFKeyedArchiverUID>(v) : nullptr;
  }

  bool xml_;
};

// The dates an XML list carries: years 1 to 9999, in whole seconds towards zero.
constexpr double kFirstXMLDate = -63113904001;  // before 0001-01-01T00:00:00Z
constexpr double kLastXMLDate = 252423993600;   // 10000-01-01T00:00:00Z

// Object to node; nullptr, with the refusal, for anything the format cannot carry back.
class NodeWriter {
 public:
  explicit NodeWriter(NSPropertyListFormat format) : format_(format) {}

  plist_t write(const id& obj, std::size_t depth) {
    if (auto number = cast<NSNumber>(obj)) {
      if (number->isBool()) return plist_new_bool(number->boolValue());
      if (auto* d = std::get_if<double>(&number->value)) return plist_new_real(*d);
      if (auto* u = std::get_if<uint64_t>(&number->value)) {
        if (*u > static_cast<uint64_t>(INT64_MAX)) return plist_nodes::newUnsigned(*u);
      }
      return plist_new_uint(static_cast<uint64_t>(number->integerValue()));
    }
    if (auto text = cast<NSString>(obj)) {
      if (const char* why = textRefusal(text->value)) return refuse(why);
      return plist_new_string(text->value.c_str());
    }
    if (auto data = cast<NSData>(obj)) {
      return plist_new_data(reinterpret_cast<const char*>(data->bytes.data()), data->bytes.size());
    }
    if (auto date = cast<NSDate>(obj)) {
      bool xml = format_ == NSPropertyListXMLFormat_v1_0;
      if (xml && !(date->seconds > kFirstXMLDate && date->seconds < kLastXMLDate)) {
        return refuse("holds a date outside the years 1 to 9999");
      }
      return plist_nodes::newDate(date->seconds);
    }
    if (auto uid = cast<CFKeyedArchiverUID>(obj)) {
      if (uid->value > kMaxUID) return refuse("holds a UID above " + std::to_string(kMaxUID));
      return plist_new_uid(uid->value);
    }
    if (auto array = cast<NSArray>(obj)) {
      if (depth >= kMaxDepth) return refuse(tooDeep());
      plist_t node = plist_new_array();
      for (const id& item : array->items) {
        plist_t child = write(item, depth + 1);
        if (!child) return discard(node);
        plist_array_append_item(node, child);
      }
      return node;
    }
    if (auto dict = cast<NSDictionary>(obj)) {
      if (depth >= kMaxDepth) return refuse(tooDeep());
      plist_t node = plist_new_dict();
      for (const auto& [key, value] : dict->entries) {
        if (const char* why = textRefusal(key)) {
          refusal = why;
          return discard(node);
        }
        plist_t child = write(value, depth + 1);
        if (!child) return discard(node);
        plist_dict_set_item(node, key.c_str(), child);
      }
      return node;
    }
    return refuse("holds an object no property list can carry");
  }

  std::string refusal;

 private:
  plist_t refuse(const std::string& why) {
    refusal = why;
    return nullptr;
  }
  static plist_t discard(plist_t node) {
    plist_free(node);
    return nullptr;
  }

  NSPropertyListFormat format_;
};

}  // namespace

id propertyListFromData(const std::vector<uint8_t>& bytes, std::string* reason) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) {
    fail(reason, kNotAList);
    return nullptr;
  }
  if (auto refusal = plist_limits::checkPropertyListBytes(bytes.data(), bytes.size())) {
    fail(reason, *refusal);
    return nullptr;
  }
  plist_t root = nullptr;
  plist_from_memory(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size()), &root);
  if (!root) {
    fail(reason, kNotAList);
    return nullptr;
  }
  NodeReader reader(!plist_limits::isBinaryPropertyList(bytes.data(), bytes.size()));
  id result = reader.read(root, 0);
  plist_free(root);
  if (!result) fail(reason, reader.refusal);
  return result;
}

std::optional<std::vector<uint8_t>> dataWithPropertyList(const id& root,
                                                         NSPropertyListFormat format,
                                                         std::string* reason) {
  NodeWriter writer(format);
  plist_t node = writer.write(root, 0);
  if (!node) {
    fail(reason, writer.refusal);
    return std::nullopt;
  }
  char* out = nullptr;
  uint32_t length = 0;
  if (format == NSPropertyListBinaryFormat_v1_0) {
    plist_to_bin(node, &out, &length);
  } else {
    plist_to_xml(node, &out, &length);
  }
  plist_free(node);
  if (!out) {
    fail(reason, "cannot be serialised");
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(out, out + length);
  std::free(out);
  return bytes;
}

id readPropertyListFile(const std::string& realPath, std::string* reason) {
  auto bytes = readRealFile(realPath, reason, plist_limits::kMaxFileBytes);
  return bytes ? propertyListFromData(*bytes, reason) : nullptr;
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& path) {
  return dictionaryWithContentsOfFile(path, nullptr);
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& path,
                                                                         std::string* reason) {
  id list = readPropertyListFile(fileSystemRepresentation(path), reason);
  auto dict = cast<NSDictionary>(list);
  if (list && !dict) fail(reason, "is not a dictionary");
  return dict;
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically) const {
  return writeToFile(path, atomically, nullptr);
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically,
                               std::string* reason) const {
  auto self = std::const_pointer_cast<NSObject>(shared_from_this());
  auto bytes = dataWithPropertyList(self, NSPropertyListXMLFormat_v1_0, reason);
  return bytes && writeRealFile(fileSystemRepresentation(path), *bytes, atomically, reason);
}
