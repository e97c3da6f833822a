#include "PNGImage.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Larger than any texture side an OpenGL implementation we run on accepts; a header that
// declares more is refused before anything is allocated for it.
constexpr png_uint_32 maxSide = 16384;
// A 16384 x 16384 RGBA picture at 8 bits; a block beyond this is refused too (a 16-bit image
// of the largest side would need twice as much).
constexpr png_size_t maxBlockBytes = png_size_t(1) << 30;

GLenum glFormatOf(int colourType) {
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
        return GL_LUMINANCE;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return GL_LUMINANCE_ALPHA;
    case PNG_COLOR_TYPE_RGB:
        return GL_RGB;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        return GL_RGBA;
    default:
        return 0;
    }
}

struct Decoded {
    unsigned char* block;
    png_uint_32 width;
    png_uint_32 height;
    GLenum format;
    int bitDepth;
};

// Decodes the open file; on a libpng error, returns false with everything it allocated freed.
// Locals that change after setjmp are volatile so that their values survive the jump back.
bool decode(png_structp png, png_infop info, FILE* file, Decoded& out) {
    png_bytep* volatile rows = nullptr;
    unsigned char* volatile block = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(rows);
        std::free(block);
        return false;
    }
    png_set_user_limits(png, maxSide, maxSide);
    png_init_io(png, file);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);

    // Palette indices and gray samples below 8 bits become 8-bit samples; a tRNS chunk
    // becomes a full alpha channel. 16-bit samples are left as they are.
    if (colourType == PNG_COLOR_TYPE_PALETTE || bitDepth <= 7) {
        png_set_expand(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_expand(png);
    }
    // The screen is taken as linear; a file without gAMA is taken as linear too, so its
    // samples arrive unchanged.
    double fileGamma = 1.0;
    if (png_get_gAMA(png, info, &fileGamma) == 0) {
        fileGamma = 1.0;
    }
    png_set_gamma(png, 1.0, fileGamma);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const GLenum format = glFormatOf(png_get_color_type(png, info));
    const png_size_t rowBytes = png_get_rowbytes(png, info);
    if (format == 0) {
        png_error(png, "colour type left after expansion");
    }
    if (rowBytes == 0 || height > maxBlockBytes / rowBytes) {
        png_error(png, "image too large");
    }
    rows = static_cast<png_bytep*>(std::calloc(height, sizeof(png_bytep)));
    block = static_cast<unsigned char*>(std::calloc(height, rowBytes));
    if (rows == nullptr || block == nullptr) {
        png_error(png, "out of memory");
    }
    // The file's top row lands last in memory: the block starts with the bottom row.
    for (png_uint_32 i = 0; i < height; ++i) {
        rows[height - 1 - i] = block + i * rowBytes;
    }
    png_read_image(png, rows);
    png_read_end(png, info);

    std::free(rows);
    out = {block, width, height, format, png_get_bit_depth(png, info)};
    return true;
}

} // namespace

PNGImage::PNGImage(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "PNG: Failed to open %s for reading\n", path);
        return;
    }
    // libpng's own error and warning handlers stay in force: they print libpng's reason (a CRC
    // error in IDAT, say) before the loader's line, which tells the user what is wrong with the
    // file; the error handler then jumps back to decode's setjmp.
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        std::fclose(file);
        std::fputs("PNG: png_create_read_struct() failed\n", stderr);
        return;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        std::fclose(file);
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fputs("PNG: png_create_info_struct() failed\n", stderr);
        return;
    }
    Decoded decoded{};
    const bool ok = decode(png, info, file, decoded);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    if (!ok) {
        std::fputs("PNG: setjmp() failed\n", stderr);
        return;
    }
    data = decoded.block;
    width = decoded.width;
    height = decoded.height;
    type = decoded.format;
    bitDepth = static_cast<unsigned>(decoded.bitDepth);
}

PNGImage::~PNGImage() {
    if (data != nullptr) {
        std::free(data);
    }
}

unsigned PNGImage::getChannels() const {
    switch (type) {
    case GL_LUMINANCE:
        return 1;
    case GL_LUMINANCE_ALPHA:
        return 2;
    case GL_RGB:
        return 3;
    case GL_RGBA:
        return 4;
    default:
        return 0;
    }
}
