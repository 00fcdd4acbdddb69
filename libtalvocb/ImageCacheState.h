// Library-internal access to the image cache.
#pragma once

#include <cstddef>

// Removes every picture, leaving the identifier map and the address-book handle alone.
__attribute__((visibility("hidden"))) void TalvoCBEmptyImageCache();

// The most pictures the cache keeps (0: no limit).
__attribute__((visibility("hidden"))) std::size_t TalvoCBImageCacheCountLimit();

// How many pictures the cache holds now (for the tools and tests).
std::size_t TalvoCBImageCacheCount();
