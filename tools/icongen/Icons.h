// The desktop icons: one square picture of the demo, reduced to the sizes of the hicolor
// icon theme. Pixels are 8-bit RGBA, top row first, as libpng's simplified API reads and
// writes them.
#pragma once

#include <string>
#include <vector>

namespace icons {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba; // width * height * 4 bytes
};

// The sizes written, in pixels: every fixed size of the hicolor theme up to 256.
extern const int sizes[8];

// The largest centred square of the picture, reduced to size x size by averaging the source
// area each target pixel covers (partly covered source pixels count by their covered part),
// so that no source detail is skipped as point sampling would.
Picture squareReduced(const Picture& source, int size);

// Reads any PNG into 8-bit RGBA; false after one line on standard error.
bool readPng(const std::string& path, Picture& picture);
// Writes an 8-bit RGBA PNG; false after one line on standard error.
bool writePng(const Picture& picture, const std::string& path);

} // namespace icons
