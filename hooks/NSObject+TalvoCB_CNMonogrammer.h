// The drawing-suppression flag, an associated boolean on any object, keyed by the getter's
// selector so that an object carries at most one flag.
#pragma once

#include "runtime/objc.h"

bool __talvoIgnoreCurrentTalvoDrawing(const id& object);
void set__talvoIgnoreCurrentTalvoDrawing(const id& object, bool value);
