// talvocb-bundle-pictures FOLDER: draws the settings pane bundle's pictures into FOLDER.
#include <csignal>
#include <cstdio>

#include "BundlePictures.h"

int main(int argc, char** argv) {
  // A file grown past the file-size limit fails its write with EFBIG, as a full disk does, and
  // the write paths clean up and report it; the default signal would kill the process mid-write.
  std::signal(SIGXFSZ, SIG_IGN);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::string error;
  if (!writeBundlePictures(argv[1], &error)) {
    std::fprintf(stderr, "talvocb-bundle-pictures: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
