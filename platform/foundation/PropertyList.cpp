#include "foundation/PropertyList.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"

namespace {

id fromNode(plist_t node) {
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t v = 0;
      plist_get_bool_val(node, &v);
      return NSNumber::numberWithBool(v != 0);
    }
    case PLIST_UINT: {
      uint64_t v = 0;
      plist_get_uint_val(node, &v);
      return NSNumber::numberWithLongLong(static_cast<int64_t>(v));
    }
    case PLIST_REAL: {
      double v = 0;
      plist_get_real_val(node, &v);
      return NSNumber::numberWithDouble(v);
    }
    case PLIST_STRING: {
      char* v = nullptr;
      plist_get_string_val(node, &v);
      std::string text = v ? v : "";
      std::free(v);
      return NSString::stringWithUTF8String(text);
    }
    case PLIST_DATA: {
      uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      return make<NSData>(std::vector<uint8_t>(bytes, bytes + length));
    }
    case PLIST_DATE: {
      int32_t seconds = 0, micros = 0;
      plist_get_date_val(node, &seconds, &micros);
      return make<NSDate>(seconds + micros / 1e6);
    }
    case PLIST_ARRAY: {
      auto array = make<NSArray>();
      uint32_t count = plist_array_get_size(node);
      for (uint32_t i = 0; i < count; ++i) {
        if (id item = fromNode(plist_array_get_item(node, i))) array->items.push_back(item);
      }
      return array;
    }
    case PLIST_DICT: {
      auto dict = make<NSDictionary>();
      plist_dict_iter it = nullptr;
      plist_dict_new_iter(node, &it);
      for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, it, &key, &value);
        if (!key) break;
        if (id item = fromNode(value)) dict->setObject(item, key);
        std::free(key);
      }
      std::free(it);
      return dict;
    }
    default:
      return nullptr;
  }
}

plist_t toNode(const id& obj) {
  if (auto number = cast<NSNumber>(obj)) {
    if (number->isBool()) return plist_new_bool(number->boolValue());
    if (auto* d = std::get_if<double>(&number->value)) return plist_new_real(*d);
    return plist_new_uint(static_cast<uint64_t>(number->integerValue()));
  }
  if (auto text = cast<NSString>(obj)) return plist_new_string(text->value.c_str());
  if (auto data = cast<NSData>(obj)) {
    return plist_new_data(reinterpret_cast<const char*>(data->bytes.data()), data->bytes.size());
  }
  if (auto date = cast<NSDate>(obj)) {
    double whole = std::floor(date->seconds);
    return plist_new_date(static_cast<int32_t>(whole),
                          static_cast<int32_t>((date->seconds - whole) * 1e6));
  }
  if (auto array = cast<NSArray>(obj)) {
    plist_t node = plist_new_array();
    for (const id& item : array->items) {
      plist_t child = toNode(item);
      if (!child) {
        plist_free(node);
        return nullptr;
      }
      plist_array_append_item(node, child);
    }
    return node;
  }
  if (auto dict = cast<NSDictionary>(obj)) {
    plist_t node = plist_new_dict();
    for (const auto& [key, value] : dict->entries) {
      plist_t child = toNode(value);
      if (!child) {
        plist_free(node);
        return nullptr;
      }
      plist_dict_set_item(node, key.c_str(), child);
    }
    return node;
  }
  return nullptr;
}

}  // namespace

id propertyListFromData(const std::vector<uint8_t>& bytes) {
  if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) return nullptr;
  plist_t root = nullptr;
  plist_from_memory(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<uint32_t>(bytes.size()), &root);
  if (!root) return nullptr;
  id result = fromNode(root);
  plist_free(root);
  return result;
}

std::optional<std::vector<uint8_t>> dataWithPropertyList(const id& root,
                                                         NSPropertyListFormat format) {
  plist_t node = toNode(root);
  if (!node) return std::nullopt;
  char* out = nullptr;
  uint32_t length = 0;
  if (format == NSPropertyListBinaryFormat_v1_0) {
    plist_to_bin(node, &out, &length);
  } else {
    plist_to_xml(node, &out, &length);
  }
  plist_free(node);
  if (!out) return std::nullopt;
  std::vector<uint8_t> bytes(out, out + length);
  std::free(out);
  return bytes;
}

std::optional<std::vector<uint8_t>> readRealFile(const std::string& realPath) {
  int fd = ::open(realPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  return bytes;
}

bool writeRealFile(const std::string& realPath, const std::vector<uint8_t>& bytes,
                   bool atomically) {
  std::string target = atomically ? realPath + ".tmp." + std::to_string(::getpid()) : realPath;
  int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (atomically ? O_EXCL : 0);
  int fd = ::open(target.c_str(), flags, 0644);
  if (fd < 0 && atomically && errno == EEXIST) {
    ::unlink(target.c_str());
    fd = ::open(target.c_str(), flags, 0644);
  }
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  bool ok = written == bytes.size() && (!atomically || ::fsync(fd) == 0);
  ok = ::close(fd) == 0 && ok;
  if (atomically) {
    ok = ok && std::rename(target.c_str(), realPath.c_str()) == 0;
    if (!ok) ::unlink(target.c_str());
  }
  return ok;
}

id readPropertyListFile(const std::string& realPath) {
  auto bytes = readRealFile(realPath);
  return bytes ? propertyListFromData(*bytes) : nullptr;
}

std::shared_ptr<NSDictionary> NSDictionary::dictionaryWithContentsOfFile(const std::string& path) {
  return cast<NSDictionary>(readPropertyListFile(fileSystemRepresentation(path)));
}

bool NSDictionary::writeToFile(const std::string& path, bool atomically) const {
  auto self = std::const_pointer_cast<NSObject>(shared_from_this());
  auto bytes = dataWithPropertyList(self, NSPropertyListXMLFormat_v1_0);
  return bytes && writeRealFile(fileSystemRepresentation(path), *bytes, atomically);
}

std::shared_ptr<NSData> NSData::dataWithContentsOfFile(const std::string& path) {
  auto bytes = readRealFile(fileSystemRepresentation(path));
  return bytes ? make<NSData>(std::move(*bytes)) : nullptr;
}

bool NSData::writeToFile(const std::string& path, bool atomically) const {
  return writeRealFile(fileSystemRepresentation(path), bytes, atomically);
}
