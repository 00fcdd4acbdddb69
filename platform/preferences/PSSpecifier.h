// A row of a Preferences page: its title, its kind of cell and the properties its resource gave
// it ("key", "defaults", "PostNotification", "negate", "footerText", "default"), the target that
// receives its actions and the selectors it sends there.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

enum PSCellType : long {
  PSGroupCell = 0,
  PSLinkCell = 1,
  // A title with a value at the trailing edge in grey: the value readPreferenceValue: answers.
  PSTitleValueCell = 4,
  PSSwitchCell = 6,
  PSStaticTextCell = 7,
  PSButtonCell = 13,
};

class PSSpecifier : public NSObject {
 public:
  static Class class_();
  PSSpecifier(std::optional<std::string> name, PSCellType cellType);

  const std::optional<std::string>& name() const { return name_; }
  PSCellType cellType() const { return cellType_; }

  id propertyForKey(const std::string& key) const { return properties_->objectForKey(key); }
  void setProperty(const id& value, const std::string& key) { properties_->setObject(value, key); }
  std::shared_ptr<NSDictionary> properties() const { return properties_; }

  // The properties the pages read by name.
  std::optional<std::string> key() const { return stringValue(propertyForKey("key")); }
  bool negate() const { return boolValue(propertyForKey("negate")); }
  std::optional<std::string> footerText() const {
    return stringValue(propertyForKey("footerText"));
  }
  std::optional<std::string> defaultsDomain() const {
    return stringValue(propertyForKey("defaults"));
  }
  std::optional<std::string> postNotification() const {
    return stringValue(propertyForKey("PostNotification"));
  }

  // Where a change or a tap goes: the setter (a switch's "set", else setPreferenceValue:specifier:
  // of the target), the action of a button, the page class a link opens.
  id target() const { return target_.lock(); }
  void setTarget(const id& target) { target_ = target; }
  std::optional<std::string> setter;
  std::optional<std::string> action;
  std::optional<std::string> detailClassName;

  // Builds a row from one item of a specifier resource; nil for an item that is no dictionary or
  // names an unknown cell.
  static std::shared_ptr<PSSpecifier> fromResourceItem(const id& item, const id& target);

 private:
  std::optional<std::string> name_;
  PSCellType cellType_;
  std::shared_ptr<NSDictionary> properties_ = make<NSDictionary>();
  std::weak_ptr<NSObject> target_;
};
