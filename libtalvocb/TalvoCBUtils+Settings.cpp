#include "TALCBSettings.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+Settings.h"

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
