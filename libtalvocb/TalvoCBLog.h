// The system's log lines. TALCB_INFO / TALCB_ERROR write
//   "com.quorvik.TalvoCB: Information => <function>, [Line <n>], <message>"
//   "com.quorvik.TalvoCB: Error => <function>, [Line <n>], <message>"
// where <function> is the name as the platform writes it ("+[TalvoCBUtils initImageCache]",
// "-[TALCBSettings loadSettings]", or a C function's signature), given by the caller because
// the compiler's own spelling is not what support reads in the log; messages take printf
// conversions.
#pragma once

#include "foundation/NSLog.h"

#define TALCB_INFO(function, format, ...)                                       \
  NSLog("com.quorvik.TalvoCB: Information => %s, [Line %d], " format, function, \
        __LINE__ __VA_OPT__(, ) __VA_ARGS__)
#define TALCB_ERROR(function, format, ...)                                \
  NSLog("com.quorvik.TalvoCB: Error => %s, [Line %d], " format, function, \
        __LINE__ __VA_OPT__(, ) __VA_ARGS__)
// The start-up's and a few database paths' short forms.
#define TALCB_SHORT_INFO(format, ...) \
  NSLog("com.quorvik.TalvoCB => Info: " format __VA_OPT__(, ) __VA_ARGS__)
#define TALCB_SHORT_ERROR(format, ...) \
  NSLog("com.quorvik.TalvoCB => Error: " format __VA_OPT__(, ) __VA_ARGS__)
