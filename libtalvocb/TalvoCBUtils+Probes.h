// Questions about the running system and device, and a few text and file operations.
#pragma once

#include <string>

#include "TalvoCBUtilsTypes.h"

namespace TalvoCBUtils {
// The system version's leading number is at least 7, 8, 9.
bool isIOS_7();
bool isIOS_8();
bool isIOS_9();
bool isMatchingIOSFound(const std::string& version);

bool isRetinaDisplay();
bool isIPhone4();
bool isIPhone6();
bool isIPhone6Plus();
bool isIPhone6OR6Plus();
// The main screen's sides in the current interface orientation, in points.
double screenWidth();
double screenHeight();
// An iPhone from the iPhone 4 on.
bool canprepareImageCache();

OptionalString getPlainPhoneNumber(const OptionalString& number);
OptionalString getPhoneNumberFromURL(const OptionalString& url);
std::string getOKButtonTitle();
std::string getCancelButtonText();
// Removes a file or folder; every outcome goes to the log only.
void removeItemAtPath(const std::string& path);
}  // namespace TalvoCBUtils
