// The hook module's state, one of each per process, kept until the process ends.
#pragma once

#include <memory>
#include <vector>

#include "runtime/objc.h"

namespace TalvoCBModuleState {
// The first monogrammer CallBar's controller hands out, kept with a reference.
extern id savedCallBarMonogrammer;
// The controller view's contact image view; the host's view hierarchy owns it.
extern std::weak_ptr<NSObject> savedCallBarImageView;
// Every contact-list table view that asked for a row in a CallBar host (the main list and a
// search's results alike), held weakly: a settings change reloads each that is still alive.
// Touched on the main thread only.
extern std::vector<std::weak_ptr<NSObject>> savedContactsTableViews;

// Adds the table once; forgets the tables that have gone meanwhile.
void rememberContactsTableView(const id& tableView);
// The remembered tables still alive, in the order they first asked.
std::vector<id> liveContactsTableViews();
}  // namespace TalvoCBModuleState

// The two processes where the add-on acts: SpringBoard and CallBar's view service.
bool isCallBarHost();
bool isSpringBoard();
