// The shared library's operations, TalvoCBUtils::..., one header per family. Include the family
// you need; this header gathers them all.
#pragma once

#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+FilePictures.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+PhoneFormatting.h"
#include "TalvoCBUtils+Preload.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+Retrieval.h"
#include "TalvoCBUtils+Settings.h"
