// The platform's description of foundation objects, as NSLog("%@") prints them: the old-style
// ASCII property-list form, such as "{\n    key = value;\n}", strings quoted where they need it.
#pragma once

#include <string>

#include "runtime/objc.h"

// The object's description as it stands inside a collection nested `level` deep: strings quoted
// when needed, collections indented.
std::string NSDescriptionInCollection(const id& object, int level);
// A string as an old-style property list writes it: bare when it is only letters, digits and
// "_$./:", else quoted with backslash escapes.
std::string NSQuotedStringIfNeeded(const std::string& text);
