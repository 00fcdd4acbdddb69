// The drawing-suppression flag, a BOOL property of every object kept as an associated number
// keyed by the getter's selector, so that an object carries at most one flag. Its accessors are
// also methods of NSObject, so that the runtime answers for them.
#pragma once

#include "runtime/objc.h"

bool __talvoIgnoreCurrentTalvoDrawing(const id& object);
void set__talvoIgnoreCurrentTalvoDrawing(const id& object, bool value);

// Adds the two accessors to NSObject, as the category does when the module loads.
void addTalvoCB_CNMonogrammerCategory();
