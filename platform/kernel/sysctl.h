// The kernel's sysctlbyname; "hw.machine" answers the device profile's machine identifier.
#pragma once

#include <cstddef>

extern "C" int sysctlbyname(const char* name, void* oldp, std::size_t* oldlenp, void* newp,
                            std::size_t newlen);
