#include "TalvoCBModuleState.h"

#include "foundation/Device.h"

namespace TalvoCBModuleState {
id savedCallBarMonogrammer;
std::weak_ptr<NSObject> savedCallBarImageView;
std::vector<std::weak_ptr<NSObject>> savedContactsTableViews;

void rememberContactsTableView(const id& tableView) {
  if (!tableView) return;
  std::erase_if(savedContactsTableViews, [](const auto& table) { return table.expired(); });
  for (const auto& table : savedContactsTableViews) {
    if (table.lock() == tableView) return;
  }
  savedContactsTableViews.push_back(tableView);
}

std::vector<id> liveContactsTableViews() {
  std::vector<id> live;
  for (const auto& table : savedContactsTableViews) {
    if (id alive = table.lock()) live.push_back(std::move(alive));
  }
  return live;
}
}  // namespace TalvoCBModuleState

bool isSpringBoard() {
  return NSBundle::mainBundle().bundleIdentifier() == "com.apple.springboard";
}

bool isCallBarHost() {
  auto identifier = NSBundle::mainBundle().bundleIdentifier();
  return identifier == "com.apple.springboard" || identifier == "net.dravell.callbarviewservice";
}
