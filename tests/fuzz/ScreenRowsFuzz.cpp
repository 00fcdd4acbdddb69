// libFuzzer target of the simulator's reading of recorded screens, which come from a folder anyone
// may have touched: any bytes as a screen give either no rows or exactly its height of rows, and
// a screen compared with itself shows no change.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "SimCompare.h"
#include "SimPNGRows.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

char folder[] = "/tmp/talvocb-screen-fuzz-XXXXXX";

// Each input is written here and removed after it; the folder goes at the end.
const std::string& screenPath() {
  static const std::string path = [] {
    if (!::mkdtemp(folder)) fail("no temporary folder");
    std::atexit([] { ::rmdir(folder); });
    return std::string(folder) + "/screen.png";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = screenPath();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
    fail("the screen cannot be written");
  }
  simulator::PNGRows rows(path);
  if (rows.ok()) {
    if (rows.width() <= 0 || rows.height() <= 0 ||
        static_cast<uint64_t>(rows.width()) * static_cast<uint64_t>(rows.height()) >
            simulator::kMostPixels) {
      fail("a picture past the bounds was accepted");
    }
    int read = 0;
    while (rows.nextRow()) ++read;
    if (read > rows.height()) fail("more rows than the picture's height");
    if (read < rows.height() && rows.ok()) fail("rows stopped early without a failure");
  }
  if (!simulator::changedRegions(path, path, 2.3, 4).empty()) fail("a screen differs from itself");
  ::unlink(path.c_str());
  return 0;
}
