// The user defaults: values per domain (a bundle identifier), kept in the file
// "Library/Preferences/DOMAIN.plist" of the home folder. Changes wait in memory until
// synchronize, which puts each changed domain's keys into its file under the file's lock, in
// binary form (PropertyListFile::update); a file that already holds them is not written again.
// Main thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "foundation/NSValueTypes.h"

class NSUserDefaults : public NSObject {
 public:
  static Class class_();
  static std::shared_ptr<NSUserDefaults> standardUserDefaults();
  NSUserDefaults();

  // The waiting change, else the file's value; nil for a domain that names no file of its own.
  id objectForKey(const std::string& key, const std::string& domain) const;
  void setObject(const id& value, const std::string& key, const std::string& domain);
  // Answers whether every changed domain was written. What could not be written waits for the
  // next synchronize.
  bool synchronize();
  // Why the last synchronize left a domain unwritten; nothing when it wrote them all.
  const std::optional<std::string>& lastFailure() const { return lastFailure_; }

  // A domain is a name, never a path.
  static bool isDomainName(const std::string& domain);
  static std::string pathOfDomain(const std::string& domain);

 private:
  std::map<std::string, std::map<std::string, id>> pending_;
  std::optional<std::string> lastFailure_;
};
