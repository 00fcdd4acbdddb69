#include "BundlePictures.h"

#include <cmath>
#include <filesystem>

#include "uikit/UIColor.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace {
// The generic user pictures are shown at their own size, 40 points like a monogram; the
// placeholder is always drawn at 80 x 80 pixels, so it has at least that many at every scale.
constexpr CGFloat kUserSide = 40;
constexpr CGFloat kPlaceholderSide = 80;

// A head and shoulders, in the grey, within a square of the side. The round variant keeps the
// shoulders inside the disc the picture is shown in; the square one lets them run off the bottom
// edge.
void drawPerson(CGContextRef c, CGFloat side, bool round, CGFloat white, CGFloat alpha) {
  CGContextSaveGState(c);
  if (round) {
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, CGRectMake(0, 0, side, side));
    CGContextClip(c);
  }
  CGContextSetRGBFillColor(c, white, white, white, alpha);
  CGContextFillEllipseInRect(c, CGRectMake(side * 0.32, side * 0.16, side * 0.36, side * 0.36));
  CGContextBeginPath(c);
  CGContextAddEllipseInRect(c, CGRectMake(side * 0.14, side * 0.58, side * 0.72, side * 0.64));
  CGContextFillPath(c);
  CGContextRestoreGState(c);
}

std::shared_ptr<UIImage> drawPicture(const std::string& name, CGFloat scale) {
  bool placeholder = name == "recent";
  CGFloat side = placeholder ? kPlaceholderSide : kUserSide;
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(side, side), false, scale);
  CGContextRef c = UIGraphicsGetCurrentContext();
  if (placeholder) {
    // The placeholder is opaque: a grey ground shaped later by the corner rule.
    CGContextSetRGBFillColor(c, 0.78, 0.78, 0.80, 1);
    CGContextFillRect(c, CGRectMake(0, 0, side, side));
    drawPerson(c, side, false, 1.0, 1.0);
  } else {
    // Transparent around the person, where the monogram colour shows.
    drawPerson(c, side, name == "user_monogram_round", 0.96, 0.95);
  }
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}
}  // namespace

bool writeBundlePictures(const std::string& realFolder, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(realFolder, ec);
  for (const char* name : {"recent", "user_monogram", "user_monogram_round"}) {
    for (int scale : {1, 2, 3}) {
      std::string file = realFolder + "/" + name;
      file.append(scale == 1 ? std::string(".png")
                             : std::string("@").append(std::to_string(scale)).append("x.png"));
      if (!UIImageWritePNGToFile(drawPicture(name, scale), file)) {
        if (error) *error = file + ": cannot be written";
        return false;
      }
    }
  }
  return true;
}

bool installBundlePictures(const std::string& deviceRoot, std::string* error) {
  return writeBundlePictures(
      deviceRoot + "/System/Library/PreferenceBundles/TalvoCBSettings.bundle", error);
}
