// Bundles: a folder of resources. The main bundle is the running process's; others are opened by
// their device path. Resource lookup prefers the variant of the main screen's scale.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "runtime/objc.h"

class NSBundle : public NSObject {
 public:
  static Class class_();
  static NSBundle& mainBundle();
  // nil when the path names no folder.
  static std::shared_ptr<NSBundle> bundleWithPath(const std::string& path);

  explicit NSBundle(std::string path, bool isMain = false);
  const std::string& bundlePath() const { return path_; }
  // The process's identity for the main bundle; CFBundleIdentifier of Info.plist for others.
  std::optional<std::string> bundleIdentifier() const;

  // The device path of the resource "name.type" in the bundle's folder: on a screen of scale 2
  // or 3, "name@3x.type" or "name@2x.type" first (the screen's scale, then lower ones). A type
  // that is empty means the name is the whole file name. Nothing when no regular file is there,
  // or when the name climbs out of the bundle.
  std::optional<std::string> pathForResource(const std::string& name,
                                             const std::optional<std::string>& type) const;
  // The string for the key in the table (Localizable when none) of the bundle's English or Base
  // localization, or its top folder; else the value, or the key when the value is empty.
  std::string localizedStringForKey(const std::string& key, const std::optional<std::string>& value,
                                    const std::optional<std::string>& table) const;

 private:
  static std::optional<std::string> mainBundleIdentifier();

  std::string path_;
  bool isMain_;
};
