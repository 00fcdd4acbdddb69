// talvocb-bundle-pictures FOLDER: draws the settings pane bundle's pictures into FOLDER.
#include <cstdio>

#include "BundlePictures.h"

int main(int argc, char** argv) {
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
