// The value types the library's operations take and answer: pictures, colours, fonts and bytes are
// shared platform objects, and strings that can be nil are optional.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "coregraphics/CGGeometry.h"
#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

class UIImage;
class UIColor;
class UIFont;

using OptionalString = std::optional<std::string>;
using UIImagePtr = std::shared_ptr<UIImage>;
using UIColorPtr = std::shared_ptr<UIColor>;
using UIFontPtr = std::shared_ptr<UIFont>;
using NSDataPtr = std::shared_ptr<NSData>;
