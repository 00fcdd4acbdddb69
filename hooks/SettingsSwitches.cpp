#include "SettingsSwitches.h"

#include "TALCBSettings.h"

namespace {
template <bool (TALCBSettings::*Switch)() const>
bool onWithAddOn() {
  auto settings = TALCBSettings::sharedSettings();
  return settings->isTalvoCBEnabled() && (settings.get()->*Switch)();
}
}  // namespace

bool monogramsOn() {
  return onWithAddOn<&TALCBSettings::isMonogramEnabled>();
}
bool roundedPicturesOn() {
  return onWithAddOn<&TALCBSettings::isRoundedPicsEnabled>();
}
bool picturesOnFavorites() {
  return onWithAddOn<&TALCBSettings::isShowPicturesOnFavorites>();
}
bool picturesOnPhone() {
  return onWithAddOn<&TALCBSettings::isShowPicturesOnPhone>();
}
bool picturesOnRecents() {
  return onWithAddOn<&TALCBSettings::isShowPicturesOnRecents>();
}
bool picturesOnContacts() {
  return onWithAddOn<&TALCBSettings::isShowPicturesOnContacts>();
}
