// The pictures CallBar draws: the party's, its icons.
#pragma once

#include "addressbook/ABTypes.h"
#include "coregraphics/CGGeometry.h"
#include "runtime/objc.h"
#include "uikit/UIImage.h"

namespace callbar {

// The side of the party's picture in the overlay and of a favourite's button, in points.
inline constexpr CGFloat kPictureSide = 60;

// The party's picture comes from the monogrammer, sent through the runtime, and is nil when there
// is no monogrammer or it answers nothing.
UIImagePtr monogramFor(const id& monogrammer, ABRecordRef person);
UIImagePtr silhouette(CGFloat size);
UIImagePtr handsetIcon(CGFloat size, bool hangUp);
// Mirrored, the arrow points the other way along the row, as a right-to-left row reads.
UIImagePtr callArrowIcon(bool missed, bool mirrored);
UIImagePtr detailButtonIcon();
UIImagePtr deleteControlIcon();

}  // namespace callbar
