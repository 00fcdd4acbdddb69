// Probes of the running system and device, and small text and file helpers.
#include <cctype>
#include <string>

#include "TALCBUIDeviceHardware.h"
#include "TalvoCBLog.h"
#include "TalvoCBUtils+Probes.h"
#include "foundation/NSFileManager.h"
#include "uikit/UIDevice.h"

namespace {
double systemVersionNumber() {
  return NSStringDoubleValue(UIDevice::currentDevice()->systemVersion());
}

bool isPhoneOfHeight(double height) {
  auto device = UIDevice::currentDevice();
  bool phone = !respondsToSelector(device, sel_registerName("userInterfaceIdiom")) ||
               device->userInterfaceIdiom() == UIUserInterfaceIdiomPhone;
  if (!phone) return false;
  auto screen = UIScreen::mainScreen();
  if (respondsToSelector(screen, sel_registerName("nativeBounds"))) {
    return screen->nativeBounds().size.height / screen->nativeScale() == height;
  }
  return screen->bounds().size.height == height;
}

CGSize orientedScreenSize() {
  CGRect bounds = UIScreen::mainScreen()->bounds();
  if (TalvoCBUtils::isIOS_8()) return bounds.size;
  long orientation = UIApplication::sharedApplication()->statusBarOrientation();
  if (orientation == UIInterfaceOrientationLandscapeRight ||
      orientation == UIInterfaceOrientationLandscapeLeft) {
    return {bounds.size.height, bounds.size.width};
  }
  return bounds.size;
}

std::string lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
}  // namespace

bool TalvoCBUtils::isIOS_7() {
  return systemVersionNumber() >= 7.0;
}
bool TalvoCBUtils::isIOS_8() {
  return systemVersionNumber() >= 8.0;
}
bool TalvoCBUtils::isIOS_9() {
  return systemVersionNumber() >= 9.0;
}

bool TalvoCBUtils::isMatchingIOSFound(const std::string& version) {
  return lowercase(UIDevice::currentDevice()->systemVersion()) == lowercase(version);
}

bool TalvoCBUtils::isRetinaDisplay() {
  auto screen = UIScreen::mainScreen();
  return ::respondsToSelector(screen, sel_registerName("scale")) && screen->scale() == 2.0;
}

bool TalvoCBUtils::isIPhone4() {
  return isRetinaDisplay();
}
bool TalvoCBUtils::isIPhone6() {
  return isPhoneOfHeight(667);
}
bool TalvoCBUtils::isIPhone6Plus() {
  return isPhoneOfHeight(736);
}
bool TalvoCBUtils::isIPhone6OR6Plus() {
  return isIPhone6() || isIPhone6Plus();
}
double TalvoCBUtils::screenWidth() {
  return orientedScreenSize().width;
}
double TalvoCBUtils::screenHeight() {
  return orientedScreenSize().height;
}

bool TalvoCBUtils::canprepareImageCache() {
  // The model name never changes while the process lives.
  static const std::string model = make<TALCBUIDeviceHardware>()->platformString();
  const std::string prefix = "iPhone";
  if (model.rfind(prefix, 0) != 0) return false;
  return NSStringIntegerValue(model.substr(prefix.size())) > 3;
}

OptionalString TalvoCBUtils::getPlainPhoneNumber(const OptionalString& number) {
  if (!number) return std::nullopt;
  std::string plain;
  // Only ASCII units are dropped, so walking bytes keeps every other character whole.
  for (char c : *number) {
    if (c != ' ' && c != '(' && c != ')' && c != '-') plain += c;
  }
  return plain;
}

OptionalString TalvoCBUtils::getPhoneNumberFromURL(const OptionalString& url) {
  if (!url) return std::nullopt;
  const std::string scheme = "tel://";
  if (url->find(scheme) == std::string::npos) return url;
  std::size_t query = url->find('?');
  if (query == std::string::npos) return url;
  // The number starts right after the scheme's six characters; a "?" inside them gives nothing.
  if (query < scheme.size()) return std::string();
  return url->substr(scheme.size(), query - scheme.size());
}

std::string TalvoCBUtils::getOKButtonTitle() {
  return "OK";
}
std::string TalvoCBUtils::getCancelButtonText() {
  return "Cancel";
}

void TalvoCBUtils::removeItemAtPath(const std::string& path) {
  NSFileManager& files = NSFileManager::defaultManager();
  if (!files.fileExistsAtPath(path)) {
    TALCB_ERROR("+[TalvoCBUtils removeItemAtPath:]", "Item doesn't exist at %s", path.c_str());
    return;
  }
  TALCB_INFO("+[TalvoCBUtils removeItemAtPath:]", "Item exists at '%s'.", path.c_str());
  std::string error;
  if (files.removeItemAtPath(path, &error)) {
    const std::string stars(103, '*');
    NSLog("%s", stars.c_str());
    TALCB_INFO("+[TalvoCBUtils removeItemAtPath:]", "Item at path '%s' is removed successfully.",
               path.c_str());
    NSLog("%s", callStackSymbols().c_str());
    NSLog("%s", stars.c_str());
  } else {
    TALCB_ERROR("+[TalvoCBUtils removeItemAtPath:]",
                "Unable to remove item at path '%s' and error => %s", path.c_str(), error.c_str());
  }
}
