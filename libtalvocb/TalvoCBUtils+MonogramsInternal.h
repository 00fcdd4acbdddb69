// Library-internal monogram steps: the palette and the longer forms the public ones are made of.
#pragma once

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
UIColorPtr getMonogramRandomColor(long contactID, bool darkColor);
// The dark palette in FaceTime, the full one elsewhere.
UIColorPtr getMonogramRandomColor(long contactID);

UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size,
                         const UIColorPtr& color, const UIFontPtr& font);
UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size,
                         const UIColorPtr& color);
UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size,
                         const UIFontPtr& font);
UIImagePtr monogramImage(const OptionalString& text, CGSize size);
UIImagePtr monogramImage(const OptionalString& text);

UIImagePtr getMonogramImage(long contactID, const UIImagePtr& source, CGSize size,
                            const UIColorPtr& color);
UIImagePtr getMonogramImage(long contactID, const UIColorPtr& color);
UIImagePtr getMonogramImage();
UIImagePtr getMonogramImageFromName(const OptionalString& name, long contactID);
UIImagePtr getMonogramImageFromName(const OptionalString& name);
// Cached under the address when there is one.
UIImagePtr getMonogramImageFromName(const OptionalString& name, const OptionalString& email);
}  // namespace TalvoCBUtils

// Drops the kept drawings of the default image (a settings change may turn the round switch).
__attribute__((visibility("hidden"))) void TalvoCBForgetComposedMonograms();
