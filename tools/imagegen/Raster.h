// Shapes in pixel space and what the picture generator computes from them: anti-aliased
// coverage, signed distance, blur.
//
// A Shape is a set of closed polygons filled with the non-zero winding rule, so outer
// contours and holes only need opposite directions. Pixel (x, y) covers x..x+1, y..y+1 with y
// growing downwards, the way PNG rows are stored.
#pragma once

#include <vector>

namespace raster {

struct Pt {
    double x, y;
};
using Contour = std::vector<Pt>;

struct Shape {
    std::vector<Contour> contours;
    void add(const Shape& other) {
        contours.insert(contours.end(), other.contours.begin(), other.contours.end());
    }
};

// One float per pixel, rows top first.
struct Mask {
    Mask(int w, int h) : width(w), height(h), v(static_cast<std::size_t>(w) * h, 0.0) {}
    double at(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
    double& at(int x, int y) { return v[static_cast<std::size_t>(y) * width + x]; }
    int width, height;
    std::vector<double> v;
};

// Fraction of each pixel inside the shape: exact across each sub-scanline, `subRows` (e.g. 8)
// sub-scanlines per pixel row.
Mask coverage(const Shape& shape, int width, int height, int subRows = 8);

// Distance from each pixel centre to the shape's outline, negative inside (inside meaning
// coverage of at least one half), limited to +-range.
Mask signedDistance(const Shape& shape, const Mask& cover, double range);

// Separable blur: three box passes of the given radius, close to a Gaussian. With `wrap` the
// picture is treated as a tile.
Mask blur(const Mask& m, int radius, bool wrap = false);

// The mask moved by whole pixels (what moves out is lost, what moves in is empty).
Mask shifted(const Mask& m, int dx, int dy);

// Per pixel: clamp(a - b, 0, 1) and max(a, b).
Mask minus(const Mask& a, const Mask& b);
Mask maximum(const Mask& a, const Mask& b);

// The area within `w` pixels outside the shape's edge plus the shape itself, anti-aliased.
Mask grown(const Mask& distance, double w);

} // namespace raster
