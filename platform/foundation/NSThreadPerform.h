// performSelectorOnMainThread:withObject:waitUntilDone:, for methods that performSelector:
// reaches (objects in, an object or nothing out; nil to a method without argument).
#pragma once

#include "runtime/objc.h"

// On the main thread with waitUntilDone, the message is sent at once. Otherwise it is queued on
// the main queue, holding the receiver and the object until it runs; with waitUntilDone the
// caller waits until the main run loop has sent it, and an error of the send is raised in the
// caller. Waiting off the main thread needs the main run loop to be running.
void performSelectorOnMainThread(const id& obj, SEL sel, const id& withObject, bool waitUntilDone);
