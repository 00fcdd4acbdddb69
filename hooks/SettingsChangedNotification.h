// The in-process notification that tells CallBar's controller and list their pictures may be
// stale; posted by the notification handlers.
#pragma once

inline constexpr const char* kSettingsChangedNotification =
    "com.quorvik.TalvoSettingsChangedNotification";
