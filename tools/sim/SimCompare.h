// Compares a recorded screen with its reference the way view-snapshot tests do: the pictures
// within a perceptual tolerance, the view trees exactly.
#pragma once

#include <string>

namespace simulator {

struct CompareOptions {
  // A pixel differs when its colour differs by more than this (CIE76 delta E; 2.3 is about the
  // smallest difference a person notices).
  double tolerance = 2.3;
  // The screen passes while no more than this share of its pixels differ.
  double maxDifferingShare = 0.0002;
};

struct Comparison {
  bool same = false;
  std::string reason;  // why not, in one line
  bool diffWritten = false;
};

// Compares STEM.png and STEM.json with REFERENCE.png and REFERENCE.json; when the pictures
// differ, writes `diffPath`: the reference faded, the differing pixels in red.
Comparison compareShot(const std::string& stem, const std::string& reference,
                       const CompareOptions& options, const std::string& diffPath);

}  // namespace simulator
