// Small facts about PNG files, and the one writer of test pictures, that the loader's tests, the
// texture tests and the fuzzer share when they write or mend files of their own.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pngfacts {

// Samples per pixel that a file of this colour type stores (a palette index counts as one).
inline int channels(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return 4;
    default:
        return 1; // gray, or a palette index
    }
}

// The CRC-32 that closes every chunk, over its type and data.
inline uint32_t crc32(const unsigned char* bytes, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A picture to write sample by sample, in any colour type and bit depth.
struct Picture {
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool interlaced = false;
    // Top row first, one a channel (a palette index for a palette picture), below 2^bitDepth.
    std::vector<unsigned> samples;
    std::vector<png_color> palette;     // PLTE, for a palette picture
    std::vector<png_byte> paletteAlpha; // tRNS of a palette picture
    bool trns = false;                  // tRNS of a gray or RGB picture: trans
    png_color_16 trans{};
    double gamma = 0; // gAMA, when above 0
};

// Writes picture into file as PNG (the file stays open). False when libpng refuses it.
inline bool writePNG(std::FILE* file, const Picture& p) {
    const size_t sampleBytes = p.bitDepth == 16 ? 2 : 1;
    const size_t rowSamples = size_t(p.width) * channels(p.colourType);
    std::vector<std::vector<png_byte>> rows(p.height,
                                            std::vector<png_byte>(rowSamples * sampleBytes));
    std::vector<png_bytep> pointers;
    for (png_uint_32 y = 0; y < p.height; ++y) {
        for (size_t i = 0; i < rowSamples; ++i) {
            const unsigned v = p.samples[y * rowSamples + i];
            if (sampleBytes == 2) {
                rows[y][2 * i] = png_byte(v >> 8);
                rows[y][2 * i + 1] = png_byte(v);
            } else {
                rows[y][i] = png_byte(v);
            }
        }
        pointers.push_back(rows[y].data());
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr,
                                              [](png_structp, png_const_charp) {});
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, p.width, p.height, p.bitDepth, p.colourType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) {
        png_set_PLTE(png, info, p.palette.data(), int(p.palette.size()));
    }
    if (!p.paletteAlpha.empty()) {
        png_set_tRNS(png, info, p.paletteAlpha.data(), int(p.paletteAlpha.size()), nullptr);
    } else if (p.trns) {
        png_set_tRNS(png, info, nullptr, 0, &p.trans);
    }
    if (p.gamma > 0) {
        png_set_gAMA(png, info, p.gamma);
    }
    png_write_info(png, info);
    png_set_packing(png); // one byte a sample below 8 bits
    png_set_interlace_handling(png);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Writes picture into a new file at path.
inline bool writePNG(const std::string& path, const Picture& p) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = writePNG(file, p);
    return std::fclose(file) == 0 && written;
}

} // namespace pngfacts
