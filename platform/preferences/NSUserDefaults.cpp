#include "preferences/NSUserDefaults.h"

#include "foundation/Device.h"
#include "foundation/NSLog.h"
#include "foundation/PropertyListFile.h"

namespace {

struct NSUserDefaultsRuntime {
  static id standardUserDefaults(id, SEL) { return NSUserDefaults::standardUserDefaults(); }
  static bool synchronize(id self, SEL) {
    auto defaults = cast<NSUserDefaults>(self);
    return defaults && defaults->synchronize();
  }
};

}  // namespace

Class NSUserDefaults::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("NSUserDefaults", NSObject::class_());
    using R = NSUserDefaultsRuntime;
    class_addMethod(object_getClass(c), sel_registerName("standardUserDefaults"),
                    R::standardUserDefaults, "@@:");
    class_addMethod(c, sel_registerName("synchronize"), R::synchronize, "B@:");
    return c;
  }();
  return cls;
}

NSUserDefaults::NSUserDefaults() : NSObject(class_()) {}

std::shared_ptr<NSUserDefaults> NSUserDefaults::standardUserDefaults() {
  static auto shared = make<NSUserDefaults>();
  return shared;
}

bool NSUserDefaults::isDomainName(const std::string& domain) {
  return !domain.empty() && domain != "." && domain != ".." &&
         domain.find('/') == std::string::npos && domain.find('\0') == std::string::npos;
}

std::string NSUserDefaults::pathOfDomain(const std::string& domain) {
  return NSHomeDirectory() + "/Library/Preferences/" + domain + ".plist";
}

id NSUserDefaults::objectForKey(const std::string& key, const std::string& domain) const {
  if (!isDomainName(domain)) return nullptr;
  if (auto changes = pending_.find(domain); changes != pending_.end()) {
    if (auto found = changes->second.find(key); found != changes->second.end()) {
      return found->second;
    }
  }
  auto file = NSDictionary::dictionaryWithContentsOfFile(pathOfDomain(domain));
  return file ? file->objectForKey(key) : nullptr;
}

void NSUserDefaults::setObject(const id& value, const std::string& key, const std::string& domain) {
  if (isDomainName(domain)) pending_[domain][key] = value;
}

bool NSUserDefaults::synchronize() {
  bool allWritten = true;
  lastFailure_.reset();
  for (auto changes = pending_.begin(); changes != pending_.end();) {
    const std::string path = pathOfDomain(changes->first);
    // Only the changed keys, under the file's lock: what other processes wrote meanwhile stays.
    auto result = PropertyListFile::update(path, changes->second, NSPropertyListBinaryFormat_v1_0);
    if (result.ok()) {
      changes = pending_.erase(changes);
      continue;
    }
    if (result.status == PropertyListFile::UpdateStatus::Unreadable) {
      // Someone else's to mend, never overwritten.
      NSLog("NSUserDefaults: %s is not a dictionary; not written", path.c_str());
    } else {
      NSLog("NSUserDefaults: cannot write %s", path.c_str());
    }
    lastFailure_ = result.reason;
    allWritten = false;
    ++changes;
  }
  return allWritten;
}
