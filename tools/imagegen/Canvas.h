// A picture being painted, in floating point with straight (not premultiplied) alpha, and
// its output as an 8-bit PNG of a chosen colour type.
#pragma once

#include "Raster.h"

#include <functional>
#include <string>
#include <vector>

namespace canvas {

struct Rgba {
    double r, g, b, a;
};

Rgba mix(const Rgba& p, const Rgba& q, double t);
Rgba rgb(double r, double g, double b, double a = 1.0);

using Paint = std::function<Rgba(double x, double y)>;

class Canvas {
public:
    Canvas(int w, int h)
        : width(w), height(h), px(static_cast<std::size_t>(w) * h, Rgba{0, 0, 0, 0}) {}

    // Lays `paint` over the picture through the mask (source-over), at pixel centres.
    void paint(const raster::Mask& mask, const Paint& paint, double opacity = 1.0);
    // Lays `paint` over every pixel.
    void fill(const Paint& paint);

    const Rgba& at(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
    Rgba& at(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }

    const int width, height;

private:
    std::vector<Rgba> px;
};

// The PNG colour types the pictures use; every one has 8 bits per sample.
enum class Format { Gray, GrayAlpha, PaletteAlpha, Rgb, Rgba };

// Writes the picture; gray formats take the luminance, opaque formats drop the alpha, the
// palette format quantises to at most 256 colours with per-entry alpha (tRNS). Returns false
// after one line on standard error if the file cannot be written.
bool writePng(const Canvas& c, Format format, const std::string& path);

} // namespace canvas
