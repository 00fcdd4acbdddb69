// The system's log lines. TALCB_INFO / TALCB_ERROR write
//   "com.quorvik.TalvoCB: Information => <function>, [Line <n>], <message>"
//   "com.quorvik.TalvoCB: Error => <function>, [Line <n>], <message>"
// with the real function name and source line; messages take printf conversions.
#pragma once

#include "foundation/NSLog.h"

#define TALCB_INFO(format, ...)                                                            \
  NSLog("com.quorvik.TalvoCB: Information => %s, [Line %d], " format, __PRETTY_FUNCTION__, \
        __LINE__ __VA_OPT__(, ) __VA_ARGS__)
#define TALCB_ERROR(format, ...)                                                     \
  NSLog("com.quorvik.TalvoCB: Error => %s, [Line %d], " format, __PRETTY_FUNCTION__, \
        __LINE__ __VA_OPT__(, ) __VA_ARGS__)
// The start-up's and a few database paths' short forms.
#define TALCB_SHORT_INFO(format, ...) \
  NSLog("com.quorvik.TalvoCB => Info: " format __VA_OPT__(, ) __VA_ARGS__)
#define TALCB_SHORT_ERROR(format, ...) \
  NSLog("com.quorvik.TalvoCB => Error: " format __VA_OPT__(, ) __VA_ARGS__)
