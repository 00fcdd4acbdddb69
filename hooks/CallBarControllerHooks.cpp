// CallBar's call overlay controller.
#include "HookFamilies.h"
#include "HookInstaller.h"
#include "TalvoCBModuleState.h"
#include "hosts/HostClasses.h"

namespace {
HostSignature::Void viewDidLoad;
HostSignature::Object monogrammer;
HostSignature::Object contactImageView;
HostSignature::VoidWithObject setCurrentCall;
HostSignature::Void dismissRootView;
HostSignature::VoidWithDuration dismissRootViewWithDuration;

void replacedViewDidLoad(id self, SEL cmd) {
  callReplaced(viewDidLoad, self, cmd);
}
id replacedMonogrammer(id self, SEL cmd) {
  id result = callReplaced(monogrammer, self, cmd);
  if (!TalvoCBModuleState::savedCallBarMonogrammer)
    TalvoCBModuleState::savedCallBarMonogrammer = result;
  return result;
}
id replacedContactImageView(id self, SEL cmd) {
  return callReplaced(contactImageView, self, cmd);
}
void replacedSetCurrentCall(id self, SEL cmd, id call) {
  callReplaced(setCurrentCall, self, cmd, call);
}
void replacedDismissRootView(id self, SEL cmd) {
  callReplaced(dismissRootView, self, cmd);
}
void replacedDismissRootViewWithDuration(id self, SEL cmd, double duration) {
  callReplaced(dismissRootViewWithDuration, self, cmd, duration);
}
void talvoCBSettingsChanged(id, SEL, id) {}
}  // namespace

void installCallBarControllerHooks() {
  const char* controller = "CallBarControllerModern";
  hookMessage(controller, "viewDidLoad", replacedViewDidLoad, &viewDidLoad);
  hookMessage(controller, "monogrammer", replacedMonogrammer, &monogrammer);
  hookMessage(controller, "contactImageView", replacedContactImageView, &contactImageView);
  hookMessage(controller, "setCurrentCall:", replacedSetCurrentCall, &setCurrentCall);
  hookMessage(controller, "dismissRootView", replacedDismissRootView, &dismissRootView);
  hookMessage(controller, "dismissRootViewWithDuration:", replacedDismissRootViewWithDuration,
              &dismissRootViewWithDuration);
  addMessage(controller, "talvoCBSettingsChanged:", talvoCBSettingsChanged, "v@:@@");
}
