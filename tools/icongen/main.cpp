// icongen: makes the desktop icons from the demo's folded tile, data/faen.png.
//
//   icongen DIRECTORY      (run from the repository root; writes DIRECTORY/zokk-16.png,
//                           zokk-22.png ... zokk-256.png)
//
// The same picture and the same build write the same bytes.
#include "Icons.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen DIRECTORY\n");
        return 2;
    }
    icons::Picture tile;
    if (!icons::readPng("data/faen.png", tile)) {
        return 1;
    }
    for (int size : icons::sizes) {
        const std::string path = std::string(argv[1]) + "/zokk-" + std::to_string(size) + ".png";
        if (!icons::writePng(icons::squareReduced(tile, size), path)) {
            return 1;
        }
    }
    return 0;
}
