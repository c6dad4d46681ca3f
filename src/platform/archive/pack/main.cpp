// velmora-skin-pack FOLDER ARCHIVE PASSWORD: packs the skin for the build.
#include <cstdio>

#include "platform/archive/skin_archive.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: velmora-skin-pack FOLDER ARCHIVE PASSWORD\n");
    return 2;
  }
  auto packed = velmora::PackSkinFolder(argv[1], argv[2], argv[3]);
  if (!packed) {
    std::fprintf(stderr, "velmora-skin-pack: %s\n", packed.error.c_str());
    return 1;
  }
  return 0;
}
