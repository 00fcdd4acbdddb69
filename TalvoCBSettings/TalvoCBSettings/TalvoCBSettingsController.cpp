#include "TalvoCBSettingsController.h"

#include "TALCBSettings.h"
#include "TalvoCBLog.h"
#include "Utils/TalvoCBSettingsUtils.h"
#include "foundation/NSBundle.h"
#include "foundation/NSLog.h"
#include "foundation/PropertyListFile.h"
#include "preferences/NSUserDefaults.h"
#include "uikit/UIAlertView.h"

namespace {

constexpr const char* kControllerClass = "TalvoCBSettingsController";
// The first two and the last two rows stay whatever the switches say.
constexpr long kLeadingRows = 2;
constexpr long kTrailingRows = 2;

std::shared_ptr<TalvoCBSettingsController> pageOf(const id& self) {
  return cast<TalvoCBSettingsController>(self);
}

id makePage(Class cls) {
  return objc_alloc::make<TalvoCBSettingsController>(cls);
}

std::shared_ptr<NSArray> loadResource(const id& self) {
  return cast<NSArray>(objc_msgSend<id(id, id)>(
      self, "loadSpecifiersFromPlistName:target:", id(make<NSString>("TalvoCB")), self));
}

std::string localized(const std::string& text) {
  return NSBundle::mainBundle().localizedStringForKey(text, std::string(), std::nullopt);
}

// The file is someone else's to mend: the change stays unsaved and the user hears why.
void showUnreadableAlert() {
  auto alert =
      make<UIAlertView>(localized("Settings Not Saved"),
                        localized("The settings file cannot be read, so it was left as it is."),
                        nullptr, std::nullopt, std::vector<std::string>{localized("Close")});
  alert->show();
}

void synchronizeDefaults() {
  objc_msgSend<bool()>(NSUserDefaults::standardUserDefaults(), "synchronize");
}

}  // namespace

struct TalvoCBSettingsControllerRuntime {
  // A missing file starts an empty dictionary, so that the first change creates it; an
  // unreadable one is never written over (writeSettings).
  static id initForContentSize(id self, SEL cmd, CGSize size) {
    id page = objc_msgSendSuper<id(CGSize)>(objc_getClass(kControllerClass), self, cmd, size);
    if (!page) return page;
    auto file = NSDictionary::dictionaryWithContentsOfFile(TalvoCBSettingsFile::pathInHome());
    objc_msgSend<void(id)>(page, "setSettings:", id(file ? file : make<NSDictionary>()));
    return page;
  }
  static id specifiers(id self, SEL) {
    auto page = pageOf(self);
    if (!page) return nullptr;
    if (!page->specifiersList()) {
      auto list = loadResource(self);
      if (list && !TalvoCBSettingsUtils::isTalvoCBOn()) {
        list = cast<NSArray>(objc_msgSend<id(id)>(self, "hideOtherSpecifiers:", id(list)));
      }
      page->setSpecifiersList(list ? list : make<NSArray>());
    }
    return page->specifiersList();
  }
  static id hideOtherSpecifiers(id, SEL, id rows) {
    auto list = cast<NSArray>(rows);
    if (!list) return nullptr;
    TalvoCBSettingsController::hideOtherSpecifiers(list->items);
    return list;
  }
  static void enabledOrDisabled(id self, SEL, id value, id specifier) {
    objc_msgSend<void(id, id)>(self, "setPreferenceValue:specifier:", value, specifier);
    synchronizeDefaults();
    auto page = pageOf(self);
    if (!page || !page->specifiersList()) return;
    long shown = static_cast<long>(page->specifiersList()->items.size());
    if (boolValue(value)) {
      auto full = loadResource(self);
      long rows = full ? static_cast<long>(full->items.size()) : 0;
      // Only a list that has them hidden gets them back: a repeated "on" adds nothing twice.
      if (shown != kLeadingRows + kTrailingRows || rows <= shown) return;
      for (long i = kLeadingRows; i < rows - kTrailingRows; ++i) {
        objc_msgSend<void(id, long, bool)>(self, "insertSpecifier:atIndex:animated:",
                                           full->items[static_cast<std::size_t>(i)], i, true);
      }
    } else {
      for (long i = shown - kTrailingRows - 1; i >= kLeadingRows; --i) {
        objc_msgSend<void(long, bool)>(self, "removeSpecifierAtIndex:animated:", i, true);
      }
    }
  }
  static void featureEnabledOrDisabled(id self, SEL, id value, id specifier) {
    objc_msgSend<void(id, id)>(self, "setPreferenceValue:specifier:", value, specifier);
    synchronizeDefaults();
  }
  static void setPreferenceValue(id self, SEL cmd, id value, id specifierObject) {
    auto specifier = cast<PSSpecifier>(specifierObject);
    if (specifier && ::respondsToSelector(self, sel_registerName("updateSettingsDict:forKey:"))) {
      if (specifier->negate()) value = NSNumber::numberWithBool(!boolValue(value));
      if (auto key = specifier->key()) {
        objc_msgSend<void(id, id)>(self, "updateSettingsDict:forKey:", value,
                                   id(make<NSString>(*key)));
      }
    }
    objc_msgSendSuper<void(id, id)>(objc_getClass(kControllerClass), self, cmd, value,
                                    specifierObject);
  }
  static void updateSettingsDict(id self, SEL, id value, id keyObject) {
    auto page = pageOf(self);
    auto key = stringValue(keyObject);
    if (!page || !key) return;
    if (!page->settings()) page->setSettings(make<NSDictionary>());
    if (value) {
      page->settings()->setObject(value, *key);
    } else {
      page->settings()->entries.erase(*key);
    }
    page->unsavedKeys_.insert(*key);
    objc_msgSend<void()>(self, "writeSettings");
  }
  // Only the keys the page changed go into the file, read afresh under its lock: what other
  // writers changed since the page opened stays. A key that could not be saved is tried again
  // with the next change.
  static void writeSettings(id self, SEL) {
    auto page = pageOf(self);
    if (!page || !page->settings() || page->unsavedKeys_.empty()) return;
    std::map<std::string, id> changes;
    for (const std::string& key : page->unsavedKeys_) {
      changes[key] = page->settings()->objectForKey(key);
    }
    const std::string path = TalvoCBSettingsFile::pathInHome();
    auto result = PropertyListFile::update(path, changes, NSPropertyListBinaryFormat_v1_0);
    if (result.ok()) {
      page->unsavedKeys_.clear();
      page->setSettings(result.contents);
    } else if (result.status == PropertyListFile::UpdateStatus::Unreadable) {
      TALCB_ERROR("-[TalvoCBSettingsController writeSettings]", "%s", result.reason.c_str());
      showUnreadableAlert();
    } else {
      NSLog("com.quorvik.TalvoCB: Error => Unable to save settings to %s and settings: %s",
            path.c_str(), page->settings()->description().c_str());
    }
  }
  static id settings(id self, SEL) {
    auto page = pageOf(self);
    return page ? page->settings() : nullptr;
  }
  static void setSettings(id self, SEL, id settings) {
    if (auto page = pageOf(self)) page->setSettings(cast<NSDictionary>(settings));
  }
  static void dealloc(id self, SEL cmd) {
    objc_msgSend<void(id)>(self, "setSettings:", id());
    objc_msgSendSuper<void()>(objc_getClass(kControllerClass), self, cmd);
  }
};

Class TalvoCBSettingsController::class_() {
  static Class cls = [] {
    using R = TalvoCBSettingsControllerRuntime;
    Class c = objc_registerClass(kControllerClass, PSListController::class_(), makePage);
    MethodAdder add{c};
    add("initForContentSize:", R::initForContentSize, "@@:{CGSize=dd}");
    add("specifiers", R::specifiers, "@@:");
    add("hideOtherSpecifiers:", R::hideOtherSpecifiers, "@@:@");
    add("talvoCBEnabledOrDisabled:specifier:", R::enabledOrDisabled, "v@:@@");
    add("talvoCBRoundedPicsEnabledOrDisabled:specifier:", R::featureEnabledOrDisabled, "v@:@@");
    add("talvoCBMonogramPicsEnabledOrDisabled:specifier:", R::featureEnabledOrDisabled, "v@:@@");
    add("setPreferenceValue:specifier:", R::setPreferenceValue, "v@:@@");
    add("updateSettingsDict:forKey:", R::updateSettingsDict, "v@:@@");
    add("writeSettings", R::writeSettings, "v@:");
    add("settings", R::settings, "@@:");
    add("setSettings:", R::setSettings, "v@:@");
    add("dealloc", R::dealloc, "v@:");
    return c;
  }();
  return cls;
}

void TalvoCBSettingsController::hideOtherSpecifiers(std::vector<id>& rows) {
  long count = static_cast<long>(rows.size());
  for (long i = count - kTrailingRows - 1; i >= kLeadingRows; --i) {
    rows.erase(rows.begin() + i);
  }
}
