// The default file manager, over device paths.
#pragma once

#include <string>

class NSFileManager {
 public:
  static NSFileManager& defaultManager();
  bool fileExistsAtPath(const std::string& path) const;
  bool fileExistsAtPath(const std::string& path, bool* isDirectory) const;
  // Removes a file or a whole folder; on failure *error holds the localized description.
  bool removeItemAtPath(const std::string& path, std::string* error) const;
  bool createDirectoryAtPath(const std::string& path, std::string* error) const;
};

// Appends a path component as stringByAppendingPathComponent: does.
std::string stringByAppendingPathComponent(const std::string& path, const std::string& component);
