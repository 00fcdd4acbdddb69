// The pictures CallBar draws itself: the party's picture from its monogrammer, a silhouette for
// a party it does not know, and the small icons of its buttons and rows.
#include <cairo.h>

#include <cmath>
#include <functional>

#include "addressbook/ABAddressBook.h"
#include "apps/CallBarPictures.h"
#include "apps/CallBarVersion.h"
#include "contacts/CNContact.h"
#include "uikit/UIGraphics.h"

namespace callbar {
namespace {

// Draws into a clear picture of the size in points at the screen's scale.
UIImagePtr drawPicture(CGSize size, const std::string& source,
                       const std::function<void(CGContextRef, cairo_t*)>& draw) {
  UIGraphicsBeginImageContextWithOptions(size, false, 0);
  CGContextRef context = UIGraphicsGetCurrentContext();
  if (context) draw(context, CGContextGetCairo(context));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  if (image) image->setSource(source);
  return image;
}

void setColour(cairo_t* cr, double r, double g, double b, double a = 1) {
  cairo_set_source_rgba(cr, r, g, b, a);
}

}  // namespace

UIImagePtr monogramFor(const id& monogrammer, ABRecordRef person) {
  if (!monogrammer || !person) return nullptr;
  bool isImage = false;
  id picture;
  if (systemVersionAtLeast(9)) {
    picture = objc_msgSend<id(id, bool*)>(monogrammer, "monogramForContact:isContactImage:",
                                          id(CNContact::contactWithPerson(person)), &isImage);
  } else {
    picture = objc_msgSend<id(ABRecordRef, bool*)>(
        monogrammer, "monogramForPerson:isPersonImage:", person, &isImage);
  }
  return cast<UIImage>(picture);
}

UIImagePtr silhouette(CGFloat size) {
  return drawPicture(CGSizeMake(size, size), "callbar silhouette",
                     [size](CGContextRef c, cairo_t* cr) {
                       CGContextAddEllipseInRect(c, CGRectMake(0, 0, size, size));
                       CGContextClip(c);
                       cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, size);
                       cairo_pattern_add_color_stop_rgb(fill, 0, 0.66, 0.69, 0.75);
                       cairo_pattern_add_color_stop_rgb(fill, 1, 0.52, 0.55, 0.62);
                       cairo_set_source(cr, fill);
                       cairo_paint(cr);
                       cairo_pattern_destroy(fill);
                       setColour(cr, 1, 1, 1, 0.92);
                       cairo_new_path(cr);
                       cairo_arc(cr, size / 2, size * 0.39, size * 0.19, 0, 2 * M_PI);
                       cairo_fill(cr);
                       cairo_save(cr);
                       cairo_translate(cr, size / 2, size * 0.98);
                       cairo_scale(cr, size * 0.36, size * 0.30);
                       cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
                       cairo_restore(cr);
                       cairo_fill(cr);
                     });
}

UIImagePtr handsetIcon(CGFloat size, bool hangUp) {
  return drawPicture(CGSizeMake(size, size), hangUp ? "callbar end call" : "callbar answer",
                     [size, hangUp](CGContextRef, cairo_t* cr) {
                       cairo_translate(cr, size / 2, size / 2);
                       // The handset lies on its back to hang up, and is tilted up to answer.
                       cairo_rotate(cr, hangUp ? 0 : -M_PI * 0.75);
                       setColour(cr, 1, 1, 1);
                       cairo_set_line_width(cr, size * 0.17);
                       cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                       double r = size * 0.34;
                       cairo_arc(cr, 0, size * 0.16, r, M_PI * 1.12, M_PI * 1.88);
                       cairo_stroke(cr);
                       for (double side : {-1.0, 1.0}) {
                         double x = side * r * std::cos(M_PI * 0.12);
                         cairo_save(cr);
                         cairo_translate(cr, x,
                                         size * 0.16 + r * std::sin(M_PI * 0.12) - size * 0.02);
                         cairo_scale(cr, size * 0.15, size * 0.11);
                         cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
                         cairo_restore(cr);
                         cairo_fill(cr);
                       }
                     });
}

UIImagePtr callArrowIcon(bool missed, bool mirrored) {
  constexpr CGFloat kSize = 12;
  std::string source = missed ? "callbar missed arrow" : "callbar outgoing";
  return drawPicture(CGSizeMake(kSize, kSize), mirrored ? source + ", mirrored" : source,
                     [missed, mirrored](CGContextRef, cairo_t* cr) {
                       if (mirrored) {
                         cairo_translate(cr, kSize, 0);
                         cairo_scale(cr, -1, 1);
                       }
                       if (missed) {
                         setColour(cr, 1.0, 0.27, 0.23);
                       } else {
                         setColour(cr, 0.62, 0.64, 0.68);
                       }
                       cairo_set_line_width(cr, 1.6);
                       cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                       cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
                       // Outgoing points away, up and out; a missed call comes in, down and in.
                       double from[2] = {2.5, 9.5}, to[2] = {9.5, 2.5};
                       if (missed) std::swap(from, to);
                       cairo_move_to(cr, from[0], from[1]);
                       cairo_line_to(cr, to[0], to[1]);
                       double back = missed ? 1 : -1;
                       cairo_move_to(cr, to[0] + back * 5, to[1]);
                       cairo_line_to(cr, to[0], to[1]);
                       cairo_line_to(cr, to[0], to[1] - back * 5);
                       cairo_stroke(cr);
                     });
}

UIImagePtr detailButtonIcon() {
  constexpr CGFloat kSize = 22;
  return drawPicture(CGSizeMake(kSize, kSize), "callbar detail button",
                     [](CGContextRef, cairo_t* cr) {
                       setColour(cr, 0.35, 0.68, 1.0);
                       cairo_set_line_width(cr, 1.2);
                       cairo_arc(cr, kSize / 2, kSize / 2, kSize / 2 - 1, 0, 2 * M_PI);
                       cairo_stroke(cr);
                       cairo_arc(cr, kSize / 2, 6.6, 1.3, 0, 2 * M_PI);
                       cairo_fill(cr);
                       cairo_rectangle(cr, kSize / 2 - 0.9, 9.2, 1.8, 7.4);
                       cairo_fill(cr);
                     });
}

UIImagePtr deleteControlIcon() {
  constexpr CGFloat kSize = 22;
  return drawPicture(CGSizeMake(kSize, kSize), "callbar delete control",
                     [](CGContextRef, cairo_t* cr) {
                       setColour(cr, 1.0, 0.23, 0.19);
                       cairo_arc(cr, kSize / 2, kSize / 2, kSize / 2 - 0.5, 0, 2 * M_PI);
                       cairo_fill(cr);
                       setColour(cr, 1, 1, 1);
                       cairo_rectangle(cr, 5.5, kSize / 2 - 1.1, kSize - 11, 2.2);
                       cairo_fill(cr);
                     });
}

}  // namespace callbar
