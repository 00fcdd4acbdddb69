// The hook module's state, one of each per process, kept until the process ends.
#pragma once

#include <memory>

#include "runtime/objc.h"

namespace TalvoCBModuleState {
// The first monogrammer CallBar's controller hands out, kept with a reference.
extern id savedCallBarMonogrammer;
// The controller view's contact image view; the host's view hierarchy owns it.
extern std::weak_ptr<NSObject> savedCallBarImageView;
// The contact-list table view that last asked for a row in a CallBar host, kept with a reference.
extern id savedContactsTableView;
}  // namespace TalvoCBModuleState

// The two processes where the add-on acts: SpringBoard and CallBar's view service.
bool isCallBarHost();
bool isSpringBoard();
