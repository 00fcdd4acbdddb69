// Shortcuts to the shared settings; each asks the settings afresh.
#pragma once

namespace TalvoCBUtils {
bool isTalvoCBOnlyOn();
bool isRoundedPicsEnabled();
// Monograms need version 7 as well as the switch.
bool isMonogramEnabled();
}  // namespace TalvoCBUtils
