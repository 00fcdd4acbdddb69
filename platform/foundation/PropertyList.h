// Property lists through libplist: XML and binary read, XML and binary written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/objc.h"

enum NSPropertyListFormat {
  NSPropertyListXMLFormat_v1_0 = 100,
  NSPropertyListBinaryFormat_v1_0 = 200,
};

// Parses XML or binary property-list bytes; nil when they are neither.
id propertyListFromData(const std::vector<uint8_t>& bytes);
// Serialises an object tree; nothing when it holds an object no property list can carry.
std::optional<std::vector<uint8_t>> dataWithPropertyList(const id& root,
                                                         NSPropertyListFormat format);

// Real-path file I/O, for the stand-in's own files. The system's code goes through NSDictionary
// and NSData, which take device paths.
std::optional<std::vector<uint8_t>> readRealFile(const std::string& realPath);
// Atomically writes through a temporary file in the same folder and a rename.
bool writeRealFile(const std::string& realPath, const std::vector<uint8_t>& bytes, bool atomically);
id readPropertyListFile(const std::string& realPath);
