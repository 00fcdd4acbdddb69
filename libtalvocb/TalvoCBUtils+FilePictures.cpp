// Pictures read from image files by path, drawn once with the corner rule and kept in the cache
// under the path.
#include <exception>

#include "TalvoCBBundlePictures.h"
#include "TalvoCBLog.h"
#include "TalvoCBRoundedRect.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+FilePictures.h"
#include "TalvoCBUtils+FilePicturesInternal.h"
#include "uikit/UIDevice.h"
#include "uikit/UIImage.h"

namespace {
constexpr const char* kBundleFolder = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/";

// The file's picture drawn into whole pixels of the size, clipped with the corner rule; nil when
// the size gives no bitmap.
UIImagePtr drawFilePicture(const UIImagePtr& image, CGSize size) {
  if (!(size.width >= 1) || !(size.height >= 1) || size.width > kCGImageMaxDimension ||
      size.height > kCGImageMaxDimension) {
    return nullptr;
  }
  auto drawn =
      drawWithCornerRule(image, static_cast<size_t>(size.width), static_cast<size_t>(size.height));
  // Every file picture is drawn with the corner rule: it still shows the file.
  if (drawn && image) drawn->setSource(image->source());
  return drawn;
}

// "bundle picture recent" for the pane's pictures, "picture file NAME" for others.
std::string sourceOfFile(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (!path.starts_with(kBundleFolder)) return "picture file " + name;
  std::string stem = name.substr(0, name.find_last_of('.'));
  if (stem.ends_with("@2x") || stem.ends_with("@3x")) stem.resize(stem.size() - 3);
  return "bundle picture " + stem;
}
}  // namespace

std::string bundlePicturePath(const std::string& name) {
  auto screen = UIScreen::mainScreen();
  std::string suffix = ".png";
  if (screen->respondsToSelector(sel_registerName("displayLinkWithTarget:selector:")) &&
      screen->scale() >= 2.0) {
    suffix = stringWithFormat("@%dx.png", static_cast<int>(screen->scale()));
  }
  return kBundleFolder + name + suffix;
}

UIImagePtr TalvoCBUtils::getImage(const std::string& path) {
  return getImage(path, CGSizeMake(80, 80));
}

UIImagePtr TalvoCBUtils::getImage(const std::string& path, CGSize size) {
  auto key = NSString::stringWithUTF8String(path);
  if (auto cached = getContactImageInCacheForKey(key)) return cached;
  UIImagePtr result;
  try {
    auto image = imageFromContentOfFile(path);
    result = image;
    auto drawn = drawFilePicture(image, size);
    if (!drawn) return result;
    result = drawn;
    setContactImage(drawn, key);
  } catch (const std::exception& exception) {
    TALCB_ERROR("+[TalvoCBUtils getImage:size:]", "Exception => %s", exception.what());
  }
  return result;
}

UIImagePtr TalvoCBUtils::imageFromContentOfFile(const std::string& path) {
  auto key = NSString::stringWithUTF8String(path);
  if (auto cached = getContactImageInCacheForKey(key)) return cached;
  auto image = UIImage::imageWithContentsOfFile(path);
  if (image) image->setSource(sourceOfFile(path));
  setContactImage(image, key);
  return image;
}
