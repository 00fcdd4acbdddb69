#include "preferences/PSSpecifier.h"

#include <map>

namespace {

struct PSSpecifierRuntime {
  static id propertyForKey(id self, SEL, id key) {
    auto specifier = cast<PSSpecifier>(self);
    auto name = stringValue(key);
    return specifier && name ? specifier->propertyForKey(*name) : nullptr;
  }
  static void setProperty(id self, SEL, id value, id key) {
    auto specifier = cast<PSSpecifier>(self);
    auto name = stringValue(key);
    if (specifier && name) specifier->setProperty(value, *name);
  }
  static id name(id self, SEL) {
    auto specifier = cast<PSSpecifier>(self);
    return specifier && specifier->name() ? make<NSString>(*specifier->name()) : nullptr;
  }
};

std::optional<PSCellType> cellTypeNamed(const std::string& name) {
  static const std::map<std::string, PSCellType> types = {
      {"PSGroupCell", PSGroupCell},          {"PSSwitchCell", PSSwitchCell},
      {"PSButtonCell", PSButtonCell},        {"PSLinkCell", PSLinkCell},
      {"PSLinkListCell", PSLinkCell},        {"PSStaticTextCell", PSStaticTextCell},
      {"PSTitleValueCell", PSTitleValueCell}};
  auto found = types.find(name);
  if (found == types.end()) return std::nullopt;
  return found->second;
}

}  // namespace

Class PSSpecifier::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("PSSpecifier", NSObject::class_());
    using R = PSSpecifierRuntime;
    class_addMethod(c, sel_registerName("propertyForKey:"), R::propertyForKey, "@@:@");
    class_addMethod(c, sel_registerName("setProperty:forKey:"), R::setProperty, "v@:@@");
    class_addMethod(c, sel_registerName("name"), R::name, "@@:");
    return c;
  }();
  return cls;
}

PSSpecifier::PSSpecifier(std::optional<std::string> name, PSCellType cellType)
    : NSObject(class_()), name_(std::move(name)), cellType_(cellType) {}

std::shared_ptr<PSSpecifier> PSSpecifier::fromResourceItem(const id& item, const id& target) {
  auto entries = cast<NSDictionary>(item);
  if (!entries) return nullptr;
  auto cell = stringValue(entries->objectForKey("cell"));
  auto type = cellTypeNamed(cell.value_or(""));
  if (!type) return nullptr;
  auto specifier = make<PSSpecifier>(stringValue(entries->objectForKey("label")), *type);
  for (const auto& [key, value] : entries->entries) specifier->setProperty(value, key);
  specifier->setTarget(target);
  specifier->setter = stringValue(entries->objectForKey("set"));
  specifier->action = stringValue(entries->objectForKey("action"));
  specifier->detailClassName = stringValue(entries->objectForKey("detail"));
  return specifier;
}
