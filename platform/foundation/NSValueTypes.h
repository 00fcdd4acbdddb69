// The value objects of the platform's foundation: strings, numbers, data, dates, arrays and
// dictionaries, with value equality so that they can serve as keys.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "runtime/objc.h"

class NSString : public NSObject {
 public:
  static Class class_();
  explicit NSString(std::string utf8) : NSObject(class_()), value(std::move(utf8)) {}
  static std::shared_ptr<NSString> stringWithUTF8String(std::string utf8) {
    return std::make_shared<NSString>(std::move(utf8));
  }
  bool isEqual(const NSObject& other) const override;
  std::size_t hash() const override;
  std::string description() const override { return value; }
  const std::string value;
};

class NSNumber : public NSObject {
 public:
  static Class class_();
  // uint64_t holds unsigned values, so that those above INT64_MAX keep their sign.
  explicit NSNumber(std::variant<bool, int64_t, double, uint64_t> v)
      : NSObject(class_()), value(v) {}
  static std::shared_ptr<NSNumber> numberWithBool(bool v) { return make<NSNumber>(v); }
  static std::shared_ptr<NSNumber> numberWithInt(int32_t v) { return make<NSNumber>(int64_t{v}); }
  static std::shared_ptr<NSNumber> numberWithInteger(long v) { return make<NSNumber>(int64_t{v}); }
  static std::shared_ptr<NSNumber> numberWithLongLong(int64_t v) { return make<NSNumber>(v); }
  static std::shared_ptr<NSNumber> numberWithUnsignedLongLong(uint64_t v) {
    return make<NSNumber>(v);
  }
  static std::shared_ptr<NSNumber> numberWithDouble(double v) { return make<NSNumber>(v); }
  bool boolValue() const;
  // An unsigned value above INT64_MAX reads as its two's complement, as on the platform.
  int64_t integerValue() const;
  double doubleValue() const;
  float floatValue() const { return static_cast<float>(doubleValue()); }
  bool isBool() const { return std::holds_alternative<bool>(value); }
  // Numbers compare by value: an integer made from 32 or 64 bits, signed or unsigned, of the same
  // value is equal.
  bool isEqual(const NSObject& other) const override;
  std::size_t hash() const override;
  std::string description() const override;
  const std::variant<bool, int64_t, double, uint64_t> value;
};

// The archiver's object reference in a property list: an unsigned integer of its own type.
class CFKeyedArchiverUID : public NSObject {
 public:
  static Class class_();
  explicit CFKeyedArchiverUID(uint64_t value) : NSObject(class_()), value(value) {}
  bool isEqual(const NSObject& other) const override;
  std::size_t hash() const override;
  std::string description() const override;
  const uint64_t value;
};

class NSData : public NSObject {
 public:
  static Class class_();
  explicit NSData(std::vector<uint8_t> bytes) : NSObject(class_()), bytes(std::move(bytes)) {}
  std::size_t length() const { return bytes.size(); }
  bool isEqual(const NSObject& other) const override;
  std::string description() const override;
  // Writes the bytes to a device path; atomically through a temporary file and a rename.
  bool writeToFile(const std::string& path, bool atomically) const;
  static std::shared_ptr<NSData> dataWithContentsOfFile(const std::string& path);
  const std::vector<uint8_t> bytes;
  // Where the bytes came from, for screen dumps ("photo of contact 3"); set by whoever made the
  // data, before handing it on, and given to the pictures decoded from it. No phone has it.
  std::string source;
};

class NSDate : public NSObject {
 public:
  static Class class_();
  // Seconds since 1 January 2001, the platform's reference date.
  explicit NSDate(double sinceReferenceDate) : NSObject(class_()), seconds(sinceReferenceDate) {}
  std::string description() const override;
  const double seconds;
};

class NSArray : public NSObject {
 public:
  static Class class_();
  NSArray() : NSObject(class_()) {}
  explicit NSArray(std::vector<id> items) : NSObject(class_()), items(std::move(items)) {}
  // The old-style property-list form (NSDescription.h), as are a dictionary's, data's and a
  // date's.
  std::string description() const override;
  std::vector<id> items;
};

class NSDictionary : public NSObject {
 public:
  static Class class_();
  NSDictionary() : NSObject(class_()) {}
  id objectForKey(const std::string& key) const;
  void setObject(const id& value, const std::string& key) { entries[key] = value; }
  void removeAllObjects() { entries.clear(); }
  std::size_t count() const { return entries.size(); }
  std::string description() const override;

  // nil when the file is missing, unreadable, not a property list, or its root is no dictionary;
  // then *reason, when given, says why in a few words ("is a folder").
  static std::shared_ptr<NSDictionary> dictionaryWithContentsOfFile(const std::string& path);
  static std::shared_ptr<NSDictionary> dictionaryWithContentsOfFile(const std::string& path,
                                                                    std::string* reason);
  // Writes an XML property list to a device path; false, with *reason, when it cannot.
  bool writeToFile(const std::string& path, bool atomically) const;
  bool writeToFile(const std::string& path, bool atomically, std::string* reason) const;

  std::map<std::string, id> entries;
};

// The platform's value rules, for numbers and for strings (boolValue, integerValue,
// floatValue). Any other object, and nil, reads as NO / 0.
bool NSStringBoolValue(const std::string& text);
int64_t NSStringIntegerValue(const std::string& text);
double NSStringDoubleValue(const std::string& text);
bool boolValue(const id& obj);
int64_t integerValue(const id& obj);
double doubleValue(const id& obj);

// The text of a string object, or nothing.
std::optional<std::string> stringValue(const id& obj);
// stringWithFormat: with printf conversions.
std::string stringWithFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string stringWithFormatArguments(const char* format, va_list arguments)
    __attribute__((format(printf, 1, 0)));
