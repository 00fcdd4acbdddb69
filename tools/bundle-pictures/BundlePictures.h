// The settings pane bundle's pictures, drawn by us: "recent" (the placeholder) and the generic
// user pictures "user_monogram" and "user_monogram_round", at scales 1, 2 and 3.
#pragma once

#include <string>

// Writes the nine PNG files into a folder of this machine (created when missing).
bool writeBundlePictures(const std::string& realFolder, std::string* error);
// Writes them into the bundle folder of a device root.
bool installBundlePictures(const std::string& deviceRoot, std::string* error);
