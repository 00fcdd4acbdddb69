// Installing one row of the hook table. A class or selector the process lacks installs nothing
// and leaves the slot empty. A host method whose type differs from the replacement's (another
// version of the host) is logged and left alone: the host must not go down at load time, and
// the other rows still go in.
#pragma once

#include "TalvoCBLog.h"
#include "runtime/objc.h"

template <class R, class... A>
void hookMessage(const char* className, const char* selector, R (*replacement)(id, SEL, A...),
                 R (**slot)(id, SEL, A...)) {
  try {
    MSHookMessageEx(objc_getClass(className), sel_registerName(selector), replacement, slot);
  } catch (const objc_runtime_error& error) {
    TALCB_SHORT_ERROR("Cannot hook -[%s %s], left as it is: %s", className, selector, error.what());
    *slot = nullptr;
  }
}

template <class R, class... A>
void addMessage(const char* className, const char* selector, R (*imp)(id, SEL, A...),
                const char* types) {
  try {
    class_addMethod(objc_getClass(className), sel_registerName(selector), imp, types);
  } catch (const objc_runtime_error& error) {
    TALCB_SHORT_ERROR("Cannot add -[%s %s]: %s", className, selector, error.what());
  }
}

// Calls the replaced implementation when there is one; a zero value otherwise.
template <class R, class... A, class... Given>
R callReplaced(R (*slot)(id, SEL, A...), id self, SEL cmd, Given&&... args) {
  if (!slot) return R();
  return slot(std::move(self), cmd, std::forward<Given>(args)...);
}
