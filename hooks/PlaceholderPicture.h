// The settings pane's "recent" picture, shown where a list has no better picture for a row.
#pragma once

#include "uikit/UIImage.h"

// At the screen's scale where the screen has one (recent@2x.png), else recent.png; loaded and
// cached under its path by the library.
UIImagePtr placeholderPicture();
