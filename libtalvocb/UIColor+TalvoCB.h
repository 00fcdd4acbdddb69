// UIColor (TalvoCB): colours from 0-255 components and from hexadecimal codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "uikit/UIColor.h"

// 0xRRGGBB, alpha 1.0.
std::shared_ptr<UIColor> TalvoCBColorWithHexaCode(uint32_t code);
// Components 0 to 255, each divided by 255.0; alpha as given.
std::shared_ptr<UIColor> TalvoCBColorWithRed(long red, long green, long blue, double alpha);
// "#RRGGBB": the pairs at 1, 3 and 5, each read as hexadecimal (a pair that does not read gives
// 0). Text too short for the three pairs gives black with the alpha.
std::shared_ptr<UIColor> TalvoCBColorWithHexaCode(const std::string& text, double alpha);
