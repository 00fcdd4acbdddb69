#include "TALCBSettings.h"
#include "TalvoCBUtils.h"

SIM_DEFINE_CLASS(TalvoCBUtils, NSObject)

TalvoCBUtils::TalvoCBUtils() : NSObject(class_()) {}

bool TalvoCBUtils::isTalvoCBOnlyOn() {
  return TALCBSettings::sharedSettings()->isTalvoCBEnabled();
}

bool TalvoCBUtils::isRoundedPicsEnabled() {
  return TALCBSettings::sharedSettings()->isRoundedPicsEnabled();
}

bool TalvoCBUtils::isMonogramEnabled() {
  if (!isIOS_7()) return false;
  return TALCBSettings::sharedSettings()->isMonogramEnabled();
}
