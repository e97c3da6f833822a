// imagegen: draws the demo's seven pictures and writes them as PNG files.
//
//   imagegen DIRECTORY      (writes DIRECTORY/dizuduv.png and the six others)
//
// Everything is computed from the designs in this folder and the block capitals of
// tools/letters; the same build writes the same bytes.
#include "Pictures.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: imagegen DIRECTORY\n");
        return 2;
    }
    return pictures::writeAll(argv[1]) ? 0 : 1;
}
