// Library-internal: the picture files of the settings pane bundle.
#pragma once

#include <string>

// The device path of a bundle picture: the bundle folder, the name, and "@<scale>x.png" on screens
// of scale 2 or more that answer displayLinkWithTarget:selector:, else ".png".
__attribute__((visibility("hidden"))) std::string bundlePicturePath(const std::string& name);
