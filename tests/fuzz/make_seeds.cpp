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
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fputc(1, file);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const size_t rowBytes =
        size_t(s.width) * pngfacts::channels(s.colourType) * (s.bitDepth == 16 ? 2 : 1);
    std::vector<std::vector<png_byte>> rows(s.height, std::vector<png_byte>(rowBytes));
    std::vector<png_bytep> pointers;
    for (png_uint_32 y = 0; y < s.height; ++y) {
        for (size_t i = 0; i < rowBytes; ++i) {
            // Samples below 8 bits are one byte each (packed by the writer), palette indices
            // stay below the palette's size.
            const unsigned value = unsigned(y * 31 + i * 7);
            rows[y][i] = png_byte(s.bitDepth < 8 ? value % (1u << s.bitDepth) : value);
        }
        pointers.push_back(rows[y].data());
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    png_byte alpha[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = {png_byte(i), png_byte(255 - i), png_byte(i * 3)};
        alpha[i] = png_byte(i * 5);
    }
    if (s.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette, 1 << s.bitDepth);
    }
    if (s.trns) {
        png_color_16 colour{0, 1, 2, 3, 1};
        png_set_tRNS(png, info, alpha, s.colourType == PNG_COLOR_TYPE_PALETTE ? 3 : 0, &colour);
    }
    if (s.gamma) {
        png_set_gAMA(png, info, 0.45455);
    }
    png_write_info(png, info);
    png_set_packing(png);
    png_set_interlace_handling(png);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
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
