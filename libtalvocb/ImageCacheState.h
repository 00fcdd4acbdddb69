// Library-internal access to the image cache.
#pragma once

// Removes every picture, leaving the identifier map and the address-book handle alone.
__attribute__((visibility("hidden"))) void TalvoCBEmptyImageCache();

#include <cstddef>

// How many pictures the cache holds now (for the tools and tests).
std::size_t TalvoCBImageCacheCount();
