#include "TalvoCBModuleState.h"

#include "foundation/Device.h"

namespace TalvoCBModuleState {
id savedCallBarMonogrammer;
std::weak_ptr<NSObject> savedCallBarImageView;
id savedContactsTableView;
}  // namespace TalvoCBModuleState

bool isSpringBoard() {
  return NSBundle::mainBundle().bundleIdentifier() == "com.apple.springboard";
}

bool isCallBarHost() {
  auto identifier = NSBundle::mainBundle().bundleIdentifier();
  return identifier == "com.apple.springboard" || identifier == "net.dravell.callbarviewservice";
}
