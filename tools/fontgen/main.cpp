// fontgen: draws the demo's glyph atlas, DIR/font.png, from the charmap the font looks glyphs
// up in. Usage: fontgen DIR
#include "Atlas.h"
#include "Bitmapfont.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Writes premultiplied white ink: luminance and alpha are both the coverage, so the atlas
// shows white on black without blending and composites with GL_ONE, GL_ONE_MINUS_SRC_ALPHA.
bool writePNG(const std::string& path, fontgen::Coverage& atlas) {
    std::vector<png_byte> pixels(size_t(atlas.width) * size_t(atlas.height) * 2);
    // PNG rows go top first; the coverage is stored bottom first.
    for (int y = 0; y < atlas.height; ++y) {
        png_byte* row = &pixels[size_t(atlas.height - 1 - y) * size_t(atlas.width) * 2];
        for (int x = 0; x < atlas.width; ++x) {
            const double c = std::clamp(atlas.at(x, y), 0.0, 1.0);
            row[2 * x] = row[2 * x + 1] = png_byte(std::lround(c * 255.0));
        }
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    std::vector<png_bytep> rows;
    for (int y = 0; y < atlas.height; ++y) {
        rows.push_back(&pixels[size_t(y) * size_t(atlas.width) * 2]);
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(atlas.width), png_uint_32(atlas.height), 8,
                     PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 9);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, info);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0 || !ok) {
        std::fprintf(stderr, "fontgen: could not write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fontgen DIR\n");
        return 2;
    }
    fontgen::Coverage atlas;
    if (!fontgen::drawAtlas(Bitmapfont::defaultCharmap, Bitmapfont::missingGlyph, atlas)) {
        return 1;
    }
    return writePNG(std::string(argv[1]) + "/font.png", atlas) ? 0 : 1;
}
