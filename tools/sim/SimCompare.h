// Compares a recorded screen with its reference the way view-snapshot tests do: the pictures
// within a perceptual tolerance, the view trees exactly.
#pragma once

#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

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

// A part of a screen, as shares of its width and height (0 to 1), so that it marks the screen
// at any size it is shown.
struct ScreenRegion {
  double x = 0, y = 0, width = 0, height = 0;
};

// Where two recorded screens of one size (PNG files) differ by more than `tolerance`: boxes
// around the differing places, each grown to a grid of `cell` pixels and joined with its
// neighbours, so that a change of one picture is one box. Nothing when they are alike or cannot
// be compared.
std::vector<ScreenRegion> changedRegions(const std::string& firstPNG, const std::string& secondPNG,
                                         double tolerance, int cell);

}  // namespace simulator
