// The pictures the system's monogrammers draw: a photo clipped to a disc, the contact's initials
// in dark grey on a grey disc, and a grey disc with a silhouette when there is neither.
#pragma once

#include <memory>
#include <string>

#include "coregraphics/CGGeometry.h"
#include "foundation/NSValueTypes.h"

class UIImage;
class UIFont;

namespace standin::apps {

// The photo decoded and clipped to a disc of the diameter; nil when the data does not decode.
std::shared_ptr<UIImage> drawSystemPhotoDisc(const std::shared_ptr<NSData>& data, CGFloat diameter);
// The initials centred on a grey disc in the font; nil for empty initials.
std::shared_ptr<UIImage> drawSystemInitialsDisc(const std::string& initials, CGFloat diameter,
                                                const std::shared_ptr<UIFont>& font);
// A grey disc with a person's silhouette, for a contact with neither photo nor initials.
std::shared_ptr<UIImage> drawSystemPlaceholderDisc(CGFloat diameter);

}  // namespace standin::apps
