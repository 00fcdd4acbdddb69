// Copies a device folder for the simulator's scenes, so that they change the copy and never the
// original, nor anything a link in it leads to.
#pragma once

#include <string>
#include <vector>

namespace simulator {

struct DeviceCopy {
  bool copied = false;
  std::string failure;  // why not, when not copied
  // What was left out, a line each: links that lead out of the device, pipes, sockets.
  std::vector<std::string> leftOut;
};

// Copies folders and regular files as they are. A link that leads to a place in the device is
// made relative, so that it leads to the same place in the copy whoever follows it; a link that
// climbs out of the device, and anything that is neither a folder, a file nor a link, is left out
// and named in leftOut.
DeviceCopy copyDevice(const std::string& source, const std::string& destination);

}  // namespace simulator
