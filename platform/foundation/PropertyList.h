// Property lists through libplist: XML and binary read, XML and binary written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/objc.h"

enum NSPropertyListFormat {
  NSPropertyListXMLFormat_v1_0 = 100,
  NSPropertyListBinaryFormat_v1_0 = 200,
};

// Parses XML or binary property-list bytes; nil when they are neither, or nest too deep, or
// hold a NUL in a string or key. Then *reason, when given, says why in a few words.
id propertyListFromData(const std::vector<uint8_t>& bytes, std::string* reason = nullptr);
// Serialises an object tree; nothing when it holds an object no property list can carry.
std::optional<std::vector<uint8_t>> dataWithPropertyList(const id& root,
                                                         NSPropertyListFormat format,
                                                         std::string* reason = nullptr);

// Real-path file I/O, for the stand-in's own files. The system's code goes through NSDictionary
// and NSData, which take device paths. Failures leave a short reason in *reason
// ("does not exist", "is a symbolic link").
// Reads a regular file of at most maxBytes; never waits on a FIFO or device.
std::optional<std::vector<uint8_t>> readRealFile(const std::string& realPath,
                                                 std::string* reason = nullptr,
                                                 std::size_t maxBytes = SIZE_MAX);
// Atomically writes through a temporary file in the same folder and a rename, keeping an
// existing file's mode, owner and group. Refuses to write through a symbolic link.
bool writeRealFile(const std::string& realPath, const std::vector<uint8_t>& bytes, bool atomically,
                   std::string* reason = nullptr);
// The same atomic write without waiting for the disk: for files that are made again rather than
// kept (a simulator's screens and its scenes' starting settings), where a reader must see the
// whole file or none of it but a crash may lose it.
bool writeRealFileWhole(const std::string& realPath, const std::vector<uint8_t>& bytes,
                        std::string* reason = nullptr);
// A property-list file of at most 4 MiB.
id readPropertyListFile(const std::string& realPath, std::string* reason = nullptr);
