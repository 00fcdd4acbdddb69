// Registering host methods, shared by the host class families: each method is added to its class
// and remembered, unless the host script asked for it to be mistyped, when a method of another
// type stands in its place, as a host version that changed it would have.
#pragma once

#include <string>

#include "runtime/objc.h"

namespace standin::apps::detail {

bool isMistyped(Class cls, const char* selector);
void addMistypedMethod(Class cls, const char* selector);
void recordHostMethod(Class cls, const char* selector, IMP imp);

template <class R, class... A>
void define(Class cls, const char* selector, R (*imp)(id, SEL, A...), const char* types) {
  if (isMistyped(cls, selector)) {
    addMistypedMethod(cls, selector);
    return;
  }
  if (class_addMethod(cls, sel_registerName(selector), imp, types)) {
    recordHostMethod(cls, selector, reinterpret_cast<IMP>(imp));
  }
}

// The class of the name, registered under the superclass (NSObject when null) the first time.
Class classNamed(const char* name, Class superclass, objc_factory factory = nullptr);

}  // namespace standin::apps::detail
