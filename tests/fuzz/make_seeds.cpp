// Writes the fuzzer's starting corpus: one small picture for each colour type and bit depth,
// some with tRNS, gAMA or interlacing, each behind the mode byte that the fuzz target reads
// (1: the target makes chunk CRCs right).
#include "PNGFacts.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Seed {
    int colourType;
    int bitDepth;
    bool trns;
    bool gamma;
    bool interlaced;
    png_uint_32 width;
    png_uint_32 height;
};

bool write(const std::string& path, const Seed& s) {
    pngfacts::Picture p;
    p.colourType = s.colourType;
    p.bitDepth = s.bitDepth;
    p.width = s.width;
    p.height = s.height;
    p.interlaced = s.interlaced;
    const size_t rowSamples = size_t(s.width) * pngfacts::channels(s.colourType);
    for (png_uint_32 y = 0; y < s.height; ++y) {
        for (size_t i = 0; i < rowSamples; ++i) {
            // Palette indices stay below the palette's size.
            const unsigned value = unsigned(y * 31 + i * 7);
            p.samples.push_back(s.bitDepth == 16 ? value * 257 % 65536
                                                 : value % (1u << s.bitDepth));
        }
    }
    if (s.colourType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < 1 << s.bitDepth; ++i) {
            p.palette.push_back({png_byte(i), png_byte(255 - i), png_byte(i * 3)});
        }
    }
    if (s.trns && s.colourType == PNG_COLOR_TYPE_PALETTE) {
        p.paletteAlpha = {0, 5, 10};
    } else {
        p.trns = s.trns;
        p.trans = {0, 1, 2, 3, 1};
    }
    p.gamma = s.gamma ? 0.45455 : 0;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fputc(1, file);
    const bool written = pngfacts::writePNG(file, p);
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIRECTORY\n");
        return 2;
    }
    const Seed seeds[] = {
        {PNG_COLOR_TYPE_GRAY, 1, false, false, false, 5, 3},
        {PNG_COLOR_TYPE_GRAY, 2, true, false, true, 9, 9},
        {PNG_COLOR_TYPE_GRAY, 4, false, true, false, 3, 2},
        {PNG_COLOR_TYPE_GRAY, 8, true, true, false, 4, 4},
        {PNG_COLOR_TYPE_GRAY, 16, false, false, true, 3, 5},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, true, false, 2, 3},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false, false, 3, 1},
        {PNG_COLOR_TYPE_RGB, 8, true, false, true, 7, 7},
        {PNG_COLOR_TYPE_RGB, 16, false, true, false, 2, 2},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false, 5, 4},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, true, true, 9, 3},
        {PNG_COLOR_TYPE_PALETTE, 1, true, false, false, 8, 2},
        {PNG_COLOR_TYPE_PALETTE, 2, false, true, true, 5, 5},
        {PNG_COLOR_TYPE_PALETTE, 4, true, true, false, 3, 3},
        {PNG_COLOR_TYPE_PALETTE, 8, false, false, false, 6, 2},
    };
    int index = 0;
    for (const Seed& seed : seeds) {
        const std::string path = std::string(argv[1]) + "/seed" + std::to_string(index++) + ".png";
        if (!write(path, seed)) {
            std::fprintf(stderr, "make_seeds: could not write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
