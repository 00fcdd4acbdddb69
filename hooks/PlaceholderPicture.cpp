#include "PlaceholderPicture.h"

#include "TalvoCBUtils+FilePictures.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIDevice.h"

UIImagePtr placeholderPicture() {
  std::string path = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/recent";
  auto screen = UIScreen::mainScreen();
  if (screen->respondsToSelector(sel_registerName("displayLinkWithTarget:selector:")) &&
      screen->scale() >= 2.0) {
    path += stringWithFormat("@%dx.png", static_cast<int>(screen->scale()));
  } else {
    path += ".png";
  }
  return TalvoCBUtils::getImage(path);
}
