#include "Canvas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <png.h>

namespace canvas {

Rgba mix(const Rgba& p, const Rgba& q, double t) {
    return {p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
            p.a + (q.a - p.a) * t};
}

Rgba rgb(double r, double g, double b, double a) {
    return {r, g, b, a};
}

void Canvas::paint(const raster::Mask& mask, const Paint& paint, double opacity) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double m = mask.at(x, y) * opacity;
            if (m <= 0.0)
                continue;
            const Rgba s = paint(x + 0.5, y + 0.5);
            const double a = std::clamp(s.a * m, 0.0, 1.0);
            Rgba& d = at(x, y);
            const double outA = a + d.a * (1.0 - a);
            if (outA <= 0.0)
                continue;
            const double keep = d.a * (1.0 - a);
            d.r = (s.r * a + d.r * keep) / outA;
            d.g = (s.g * a + d.g * keep) / outA;
            d.b = (s.b * a + d.b * keep) / outA;
            d.a = outA;
        }
    }
}

void Canvas::fill(const Paint& paint) {
    raster::Mask all(width, height);
    std::fill(all.v.begin(), all.v.end(), 1.0);
    this->paint(all, paint);
}

namespace {

using Colour = std::array<int, 4>; // 8-bit r, g, b, a

int toByte(double v) {
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

Colour toColour(const Rgba& p) {
    const int a = toByte(p.a);
    // Fully transparent pixels all become one colour, so they share one palette entry and
    // compress well.
    if (a == 0)
        return {0, 0, 0, 0};
    return {toByte(p.r), toByte(p.g), toByte(p.b), a};
}

int luminance(const Colour& c) {
    return static_cast<int>(std::lround(0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]));
}

// Median cut over the picture's colours (weighted by pixel count), then every pixel to its
// nearest entry. Entries are sorted by alpha so the tRNS chunk stays short.
std::vector<Colour> buildPalette(const std::map<Colour, long>& histogram) {
    using Entry = std::pair<Colour, long>;
    std::vector<std::vector<Entry>> boxes(1,
                                          std::vector<Entry>(histogram.begin(), histogram.end()));
    while (boxes.size() < 256) {
        // Split the box with the widest channel range (alpha counts double: edges matter).
        int best = -1, bestChannel = 0, bestRange = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].size() < 2)
                continue;
            for (int ch = 0; ch < 4; ++ch) {
                int lo = 255, hi = 0;
                for (const Entry& e : boxes[i]) {
                    lo = std::min(lo, e.first[ch]);
                    hi = std::max(hi, e.first[ch]);
                }
                const int range = (hi - lo) * (ch == 3 ? 2 : 1);
                if (range > bestRange) {
                    bestRange = range;
                    best = static_cast<int>(i);
                    bestChannel = ch;
                }
            }
        }
        if (best < 0)
            break;
        std::vector<Entry>& box = boxes[best];
        std::stable_sort(box.begin(), box.end(), [&](const Entry& p, const Entry& q) {
            return p.first[bestChannel] < q.first[bestChannel];
        });
        long total = 0;
        for (const Entry& e : box)
            total += e.second;
        long run = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < box.size(); ++i) {
            run += box[i].second;
            cut = i + 1;
            if (run * 2 >= total)
                break;
        }
        std::vector<Entry> upper(box.begin() + static_cast<long>(cut), box.end());
        box.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<Colour> palette;
    for (const auto& box : boxes) {
        double sum[4] = {0, 0, 0, 0};
        long count = 0;
        for (const Entry& e : box) {
            for (int ch = 0; ch < 4; ++ch)
                sum[ch] += static_cast<double>(e.first[ch]) * e.second;
            count += e.second;
        }
        Colour c;
        for (int ch = 0; ch < 4; ++ch)
            c[ch] = static_cast<int>(std::lround(sum[ch] / count));
        palette.push_back(c);
    }
    std::stable_sort(palette.begin(), palette.end(),
                     [](const Colour& p, const Colour& q) { return p[3] < q[3]; });
    return palette;
}

int nearest(const std::vector<Colour>& palette, const Colour& c) {
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        long d = 0;
        for (int ch = 0; ch < 4; ++ch) {
            const long diff = palette[i][ch] - c[ch];
            d += diff * diff * (ch == 3 ? 2 : 1);
        }
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

int pngColourType(Format format) {
    switch (format) {
    case Format::Gray:
        return PNG_COLOR_TYPE_GRAY;
    case Format::GrayAlpha:
        return PNG_COLOR_TYPE_GRAY_ALPHA;
    case Format::PaletteAlpha:
        return PNG_COLOR_TYPE_PALETTE;
    case Format::Rgb:
        return PNG_COLOR_TYPE_RGB;
    case Format::Rgba:
        break;
    }
    return PNG_COLOR_TYPE_RGB_ALPHA;
}

int channelCount(Format format) {
    switch (format) {
    case Format::Gray:
    case Format::PaletteAlpha:
        return 1;
    case Format::GrayAlpha:
        return 2;
    case Format::Rgb:
        return 3;
    case Format::Rgba:
        break;
    }
    return 4;
}

// Everything one file needs, ready before libpng's error return point is set, so nothing
// with a destructor is made after it and nothing the error path reads changes after it.
struct PngPlan {
    int width = 0, height = 0, colourType = 0, channels = 0;
    std::vector<unsigned char> bytes;
    std::vector<png_color> plte;
    std::vector<png_byte> trns;
};

bool writePlan(const PngPlan& plan, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "imagegen: cannot open %s for writing\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::fprintf(stderr, "imagegen: libpng failed writing %s\n", path.c_str());
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, plan.width, plan.height, 8, plan.colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!plan.plte.empty())
        png_set_PLTE(png, info, plan.plte.data(), static_cast<int>(plan.plte.size()));
    if (!plan.trns.empty())
        png_set_tRNS(png, info, plan.trns.data(), static_cast<int>(plan.trns.size()), nullptr);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(plan.width) * plan.channels;
    for (int y = 0; y < plan.height; ++y)
        png_write_row(png, &plan.bytes[y * stride]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0) {
        std::fprintf(stderr, "imagegen: writing %s failed\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

bool writePng(const Canvas& c, Format format, const std::string& path) {
    std::vector<Colour> pixels;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            pixels.push_back(toColour(c.at(x, y)));

    PngPlan plan;
    plan.width = c.width;
    plan.height = c.height;
    plan.colourType = pngColourType(format);
    plan.channels = channelCount(format);

    std::vector<Colour> palette;
    std::map<Colour, int> index;
    if (format == Format::PaletteAlpha) {
        std::map<Colour, long> histogram;
        for (const Colour& p : pixels)
            ++histogram[p];
        palette = buildPalette(histogram);
        for (const auto& entry : histogram)
            index[entry.first] = nearest(palette, entry.first);
        for (const Colour& p : palette) {
            plan.plte.push_back({static_cast<png_byte>(p[0]), static_cast<png_byte>(p[1]),
                                 static_cast<png_byte>(p[2])});
            if (p[3] < 255)
                plan.trns.push_back(static_cast<png_byte>(p[3]));
        }
    }

    std::vector<unsigned char>& bytes = plan.bytes;
    bytes.reserve(pixels.size() * plan.channels);
    for (const Colour& p : pixels) {
        switch (format) {
        case Format::Gray:
            bytes.push_back(static_cast<unsigned char>(luminance(p)));
            break;
        case Format::GrayAlpha:
            bytes.push_back(static_cast<unsigned char>(luminance(p)));
            bytes.push_back(static_cast<unsigned char>(p[3]));
            break;
        case Format::PaletteAlpha:
            bytes.push_back(static_cast<unsigned char>(index[p]));
            break;
        case Format::Rgb:
        case Format::Rgba:
            for (int ch = 0; ch < plan.channels; ++ch)
                bytes.push_back(static_cast<unsigned char>(p[ch]));
            break;
        }
    }
    return writePlan(plan, path);
}

} // namespace canvas
