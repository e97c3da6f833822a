#include "Icons.h"

#include <algorithm>
#include <cstdio>
#include <png.h>

namespace icons {

const int sizes[8] = {16, 22, 24, 32, 48, 64, 128, 256};

namespace {

// How much of the unit source cell [i, i + 1) lies inside [from, to).
double overlap(int i, double from, double to) {
    return std::max(0.0, std::min(to, i + 1.0) - std::max(from, static_cast<double>(i)));
}

} // namespace

Picture squareReduced(const Picture& source, int size) {
    const int side = std::min(source.width, source.height);
    const int left = (source.width - side) / 2;
    const int top = (source.height - side) / 2;
    const double step = static_cast<double>(side) / size;

    Picture out;
    out.width = out.height = size;
    out.rgba.resize(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        const double y0 = top + y * step, y1 = y0 + step;
        for (int x = 0; x < size; ++x) {
            const double x0 = left + x * step, x1 = x0 + step;
            // Colours are averaged weighted by alpha, so transparent pixels lend no colour.
            double sum[4] = {0, 0, 0, 0}, area = 0;
            for (int sy = static_cast<int>(y0); sy < y1 && sy < source.height; ++sy) {
                const double wy = overlap(sy, y0, y1);
                for (int sx = static_cast<int>(x0); sx < x1 && sx < source.width; ++sx) {
                    const double w = wy * overlap(sx, x0, x1);
                    const unsigned char* p =
                        &source.rgba[(static_cast<std::size_t>(sy) * source.width + sx) * 4];
                    const double a = p[3] / 255.0;
                    for (int c = 0; c < 3; ++c) {
                        sum[c] += w * a * p[c];
                    }
                    sum[3] += w * p[3];
                    area += w;
                }
            }
            unsigned char* q = &out.rgba[(static_cast<std::size_t>(y) * size + x) * 4];
            const double alpha = sum[3] / 255.0;
            for (int c = 0; c < 3; ++c) {
                q[c] = alpha > 0 ? static_cast<unsigned char>(sum[c] / alpha + 0.5) : 0;
            }
            q[3] = static_cast<unsigned char>(sum[3] / area + 0.5);
        }
    }
    return out;
}

bool readPng(const std::string& path, Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        std::fprintf(stderr, "icongen: cannot read %s: %s\n", path.c_str(), image.message);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "icongen: cannot decode %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    return true;
}

bool writePng(const Picture& picture, const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, picture.rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "icongen: cannot write %s: %s\n", path.c_str(), image.message);
        return false;
    }
    return true;
}

} // namespace icons
