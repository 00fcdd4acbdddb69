// NSObject (TalvoCB1): an integer contact-identifier tag on any object.
#pragma once

#include "runtime/objc.h"

// The tag, 0 when none is set (or for nil).
long TalvoCB_contactID(const id& self);
// Stores the tag as a number object, retained, non-atomic. Nil stores nothing.
void setTalvoCB_contactID(const id& self, long contactID);
