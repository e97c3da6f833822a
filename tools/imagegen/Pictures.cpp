#include "Pictures.h"

#include "Canvas.h"
#include "Lettering.h"
#include "Raster.h"

#include <algorithm>
#include <array>
#include <cmath>

using canvas::Canvas;
using canvas::Format;
using canvas::rgb;
using canvas::Rgba;
using lettering::Setting;
using raster::Mask;

namespace pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSize = 512;
constexpr double kDistanceRange = 40.0;

// A word's outline with what the layers are made from.
struct Word {
    Word(const std::string& text, const Setting& s, int size)
        : setting(s), shape(lettering::word(text, s, size, size)),
          cover(raster::coverage(shape, size, size)),
          distance(raster::signedDistance(shape, cover, kDistanceRange)) {}
    Setting setting;
    raster::Shape shape;
    Mask cover;
    Mask distance;
};

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}
double smooth(double e0, double e1, double v) {
    const double t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

canvas::Paint solid(const Rgba& c) {
    return [c](double, double) { return c; };
}

// Colour stops at positions 0..1, interpolated linearly.
Rgba ramp(const std::vector<std::pair<double, Rgba>>& stops, double t) {
    if (t <= stops.front().first)
        return stops.front().second;
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].first) {
            const double span = stops[i].first - stops[i - 1].first;
            return canvas::mix(stops[i - 1].second, stops[i].second,
                               span > 0 ? (t - stops[i - 1].first) / span : 1.0);
        }
    return stops.back().second;
}

// Bevel light from the upper left: how much each pixel just inside the edge faces the light
// (positive) or turns away from it (negative), fading over `width` pixels inwards.
Mask bevel(const Mask& distance, double width, bool lit) {
    Mask out(distance.width, distance.height);
    const double lx = -0.55, ly = -0.83;
    for (int y = 1; y + 1 < distance.height; ++y)
        for (int x = 1; x + 1 < distance.width; ++x) {
            const double d = distance.at(x, y);
            if (d > 0.5 || d < -width)
                continue;
            double nx = distance.at(x + 1, y) - distance.at(x - 1, y);
            double ny = distance.at(x, y + 1) - distance.at(x, y - 1);
            const double len = std::sqrt(nx * nx + ny * ny);
            if (len <= 0)
                continue;
            nx /= len;
            ny /= len;
            const double facing = nx * lx + ny * ly;
            const double edge = clamp01((d + width) / width) * clamp01(0.5 - d);
            out.at(x, y) = clamp01(lit ? facing : -facing) * edge;
        }
    return out;
}

// A four-pointed sparkle on the board.
raster::Shape sparkle(double cx, double cy, double r, int size) {
    raster::Contour star;
    for (int k = 0; k < 8; ++k) {
        const double a = k * kPi / 4.0 - kPi / 2.0;
        const double radius = (k % 2) ? r * 0.16 : r;
        star.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a)});
    }
    return lettering::fromBoard(star, size, size);
}

Mask mirroredRows(const Mask& m, int axisRow) {
    Mask out(m.width, m.height);
    for (int y = 0; y < m.height; ++y) {
        const int from = 2 * axisRow - y;
        if (from >= 0 && from < m.height)
            for (int x = 0; x < m.width; ++x)
                out.at(x, y) = m.at(x, from);
    }
    return out;
}

// DIZUDUV: hot sunset chrome on a deep block extrusion, slanted and rising.
Canvas dizuduv() {
    Setting s;
    s.condense = 0.82;
    s.slant = 0.2;
    s.turn = -0.1;
    s.centreX = 312;
    s.centreY = 236;
    s.cap = lettering::capToFit("DIZUDUV", s, 570);
    const Word w("DIZUDUV", s, kSize);
    Canvas c(kSize, kSize);
    const Mask body = raster::grown(w.distance, 3.5);
    c.paint(raster::blur(raster::grown(w.distance, 8), 7), solid(rgb(0, 0, 0, 0.55)));
    // The extrusion, back to front, darkening away from the face.
    const int depth = 16;
    for (int k = depth; k >= 1; --k) {
        const double t = static_cast<double>(k) / depth;
        c.paint(raster::shifted(body, k / 2, k),
                solid(canvas::mix(rgb(0.55, 0.05, 0.45), rgb(0.12, 0.0, 0.2), t)));
    }
    c.paint(body, solid(rgb(0.03, 0.0, 0.06)));
    c.paint(w.cover, [&](double x, double y) {
        const double h = lettering::glyphHeightAt(s, x, y, kSize, kSize);
        return ramp({{0.0, rgb(0.95, 0.05, 0.5)},
                     {0.42, rgb(1.0, 0.35, 0.2)},
                     {0.5, rgb(1.0, 0.62, 0.15)},
                     {0.52, rgb(0.35, 0.0, 0.35)},
                     {0.62, rgb(0.75, 0.2, 0.9)},
                     {0.85, rgb(1.0, 0.85, 0.95)},
                     {1.0, rgb(1.0, 1.0, 1.0)}},
                    h);
    });
    c.paint(bevel(w.distance, 4.0, true), solid(rgb(1, 1, 1)), 0.85);
    c.paint(bevel(w.distance, 4.0, false), solid(rgb(0.2, 0, 0.25)), 0.6);
    for (const auto& p : {std::array<double, 3>{128, 196, 26}, {470, 150, 20}, {548, 292, 16}})
        c.paint(raster::coverage(sparkle(p[0], p[1], p[2], kSize), kSize, kSize),
                solid(rgb(1, 1, 1)));
    return c;
}

// FROM YOUR TRULY: a justified stack of three words, black-lined stickers with a dark drop
// shadow, the middle word reversed out.
Canvas fromYourTruly() {
    const char* lines[3] = {"FROM", "YOUR", "TRULY"};
    Setting base;
    base.condense = 0.9;
    const double width = 500, gap = 18;
    double caps[3], total = 2 * gap;
    for (int i = 0; i < 3; ++i) {
        caps[i] = lettering::capToFit(lines[i], base, width);
        total += caps[i];
    }
    const double scale = std::min(1.0, 400.0 / total);
    double top = 240 - total * scale / 2;
    Canvas c(kSize, kSize);
    for (int i = 0; i < 3; ++i) {
        Setting s = base;
        s.cap = caps[i] * scale;
        s.centreY = top + s.cap / 2;
        top += s.cap + gap * scale;
        const Word w(lines[i], s, kSize);
        const Mask sticker = raster::grown(w.distance, 9);
        c.paint(raster::blur(raster::shifted(sticker, 6, 8), 5), solid(rgb(0, 0, 0, 0.8)));
        c.paint(sticker, solid(rgb(1, 1, 1)));
        c.paint(raster::grown(w.distance, 4.5), solid(rgb(0, 0, 0)));
        const bool reversed = i == 1;
        c.paint(w.cover, [&](double x, double y) {
            const double h = lettering::glyphHeightAt(s, x, y, kSize, kSize);
            // Fine diagonal engraving lines, denser towards the baseline.
            const double lines = std::fmod(x + y + 1000.0, 6.0) < 1.6 + 1.6 * (1.0 - h) ? 1.0 : 0.0;
            const double level = reversed ? 0.1 + 0.25 * lines * (1.0 - h) : 1.0 - 0.22 * lines;
            return rgb(level, level, level);
        });
        if (!reversed)
            c.paint(bevel(w.distance, 3.0, false), solid(rgb(0.4, 0.4, 0.4)), 0.7);
    }
    return c;
}

// PLIMB: flat pop-art in a handful of inks, so it keeps well as a palette picture.
Canvas plimb() {
    Setting s;
    s.condense = 0.74;
    s.centreX = 316;
    s.centreY = 232;
    s.cap = lettering::capToFit("PLIMB", s, 540);
    const Word w("PLIMB", s, kSize);
    Canvas c(kSize, kSize);
    const Mask body = raster::grown(w.distance, 7);
    // The hard shadow is printed in halftone dots.
    c.paint(raster::shifted(body, 14, 14), [](double x, double y) {
        const double cx = std::fmod(x, 8.0) - 4.0, cy = std::fmod(y, 8.0) - 4.0;
        return cx * cx + cy * cy < 7.0 ? rgb(0.95, 0.1, 0.55) : rgb(0.5, 0.0, 0.35);
    });
    c.paint(body, solid(rgb(0.1, 0.03, 0.3)));
    c.paint(w.cover, [](double x, double y) {
        return std::fmod(x + y, 28.0) < 9.0 ? rgb(0.1, 0.8, 0.95) : rgb(1.0, 0.85, 0.1);
    });
    // A thin light line just inside the edge.
    Mask inner(kSize, kSize);
    for (std::size_t i = 0; i < inner.v.size(); ++i) {
        const double d = -w.distance.v[i];
        inner.v[i] = clamp01(d - 4.0) * clamp01(6.5 - d);
    }
    c.paint(inner, solid(rgb(1, 1, 0.95)));
    return c;
}

// FAEN: a tile that repeats without seams, a warped plasma under a lattice of fine glowing
// lines, in deep colours so white words stay readable on it.
Canvas faen() {
    const int n = 256;
    Canvas c(n, n);
    c.fill([n](double x, double y) {
        const double u = x / n, v = y / n, tau = 2.0 * kPi;
        // Only whole-number frequencies in u and v, so the picture wraps exactly.
        const double wu = u + 0.12 * std::sin(tau * (2 * v + 0.3 * std::sin(tau * u)));
        const double wv = v + 0.12 * std::sin(tau * (3 * u + 0.1));
        const double p = std::sin(tau * (2 * wu + wv)) + std::sin(tau * (wu - 3 * wv) + 1.3) +
                         0.6 * std::sin(tau * (5 * wu + 2 * wv) + 0.4);
        const double t = p / 5.2 + 0.5;
        Rgba col =
            rgb(0.32 + 0.3 * std::cos(tau * (t + 0.55)), 0.22 + 0.2 * std::cos(tau * (t + 0.85)),
                0.42 + 0.32 * std::cos(tau * (t + 0.2)));
        // Diamond lattice, four cells across the tile.
        const double a = std::fabs(std::fmod(4 * (u + v) + 100.0, 1.0) - 0.5);
        const double b = std::fabs(std::fmod(4 * (u - v) + 100.0, 1.0) - 0.5);
        const double line = std::max(std::exp(-std::pow((0.5 - a) * 40.0, 2.0)),
                                     std::exp(-std::pow((0.5 - b) * 40.0, 2.0)));
        const double glow = 0.22 * line;
        col.r = std::min(1.0, col.r + glow * 0.6);
        col.g = std::min(1.0, col.g + glow * 0.9);
        col.b = std::min(1.0, col.b + glow);
        return col;
    });
    return c;
}

// DWON: white on black, scanned like an old screen; the dark half of the flicker.
Canvas dwon() {
    Setting s;
    s.condense = 0.82;
    s.cap = lettering::capToFit("DWON", s, 560);
    s.centreY = 236;
    const Word w("DWON", s, kSize);
    Canvas c(kSize, kSize);
    c.fill([](double x, double y) {
        // Faint chevrons pointing down, and dark scan lines.
        const double bx = x * 640.0 / kSize - 320.0, by = y * 480.0 / kSize;
        const double chevron =
            std::fmod(by - 0.6 * std::fabs(bx) + 2000.0, 80.0) < 26.0 ? 0.06 : 0.0;
        const double scan = std::fmod(y, 4.0) < 1.0 ? -0.03 : 0.0;
        const double g = 0.05 + 0.06 * (y / kSize) + chevron + scan;
        return rgb(g, g, g);
    });
    c.paint(raster::blur(w.cover, 14), solid(rgb(0.75, 0.75, 0.75)), 0.6);
    c.paint(raster::grown(w.distance, 3), solid(rgb(0.0, 0.0, 0.0)));
    c.paint(w.cover, [](double, double y) {
        const double g = std::fmod(y, 6.0) < 2.0 ? 0.78 : 1.0;
        return rgb(g, g, g);
    });
    return c;
}

// QUENBRITE: black on a yellow sunburst with a red shadow; the bright half of the flicker.
Canvas quenbrite() {
    Canvas c(kSize, kSize);
    c.fill([](double x, double y) {
        const double bx = x * 640.0 / kSize - 320.0, by = y * 480.0 / kSize - 240.0;
        const double angle = std::atan2(by, bx);
        const double ray = std::sin(angle * 12.0) > 0.0 ? 1.0 : 0.0;
        const double r = std::sqrt(bx * bx + by * by) / 400.0;
        const Rgba base = ray ? rgb(1.0, 0.84, 0.1) : rgb(1.0, 0.95, 0.55);
        return canvas::mix(rgb(1.0, 1.0, 0.92), base, smooth(0.0, 0.45, r));
    });
    const char* lines[2] = {"QUEN", "BRITE"};
    Setting base;
    base.condense = 0.9;
    base.slant = 0.12;
    const double caps[2] = {lettering::capToFit(lines[0], base, 540),
                            lettering::capToFit(lines[1], base, 540)};
    const double gap = 28, total = caps[0] + caps[1] + gap;
    const double scale = std::min(1.0, 400.0 / total);
    double top = 240 - total * scale / 2;
    for (int i = 0; i < 2; ++i) {
        Setting s = base;
        s.cap = caps[i] * scale;
        s.centreY = top + s.cap / 2;
        top += s.cap + gap * scale;
        const Word w(lines[i], s, kSize);
        c.paint(raster::shifted(raster::grown(w.distance, 8), 12, 12), solid(rgb(0.9, 0.12, 0.3)));
        c.paint(raster::grown(w.distance, 8), solid(rgb(1, 1, 1)));
        c.paint(raster::grown(w.distance, 3), solid(rgb(0, 0, 0)));
        c.paint(w.cover, [&](double x, double y) {
            const double h = lettering::glyphHeightAt(s, x, y, kSize, kSize);
            return ramp({{0.0, rgb(0.02, 0.0, 0.06)},
                         {0.6, rgb(0.1, 0.05, 0.2)},
                         {0.62, rgb(0.3, 0.2, 0.45)},
                         {1.0, rgb(0.16, 0.1, 0.3)}},
                        h);
        });
    }
    return c;
}

// KELMAR: the last picture, 80s chrome on a dark title band with its reflection, over the
// grey-blue that shows through.
Canvas kelmar() {
    Setting s;
    s.condense = 0.86;
    s.cap = lettering::capToFit("KELMAR", s, 560);
    s.centreY = 210;
    const Word w("KELMAR", s, kSize);
    Canvas c(kSize, kSize);
    const double sy = kSize / 480.0;
    const double baseline = (s.centreY + s.cap / 2) * sy;
    // The band: dark, fading out above and below.
    c.fill([&](double, double y) {
        const double by = y / sy;
        const double a = smooth(70, 150, by) * (1.0 - smooth(300, 400, by));
        return rgb(0.04, 0.03, 0.12, 0.78 * a);
    });
    // The reflection, mirrored at the baseline and fading downwards.
    const int axis = static_cast<int>(std::lround(baseline + 3 * sy));
    c.paint(mirroredRows(w.cover, axis), [&](double, double y) {
        const double fade = 1.0 - smooth(0, 0.8 * s.cap * sy, y - axis);
        return rgb(0.45, 0.55, 0.85, 0.45 * fade);
    });
    // A glowing line along the floor.
    raster::Shape floorLine = lettering::fromBoard({{40, s.centreY + s.cap / 2 + 6},
                                                    {600, s.centreY + s.cap / 2 + 6},
                                                    {600, s.centreY + s.cap / 2 + 8},
                                                    {40, s.centreY + s.cap / 2 + 8}},
                                                   kSize, kSize);
    const Mask line = raster::coverage(floorLine, kSize, kSize);
    c.paint(raster::blur(line, 6), solid(rgb(0.3, 0.9, 1.0)), 1.0);
    c.paint(line, [](double x, double) {
        const double edge = smooth(0, 120, x) * smooth(0, 120, kSize - x);
        return rgb(0.85, 1.0, 1.0, edge);
    });
    c.paint(raster::blur(raster::shifted(w.cover, 5, 7), 5), solid(rgb(0, 0, 0, 0.7)));
    c.paint(raster::grown(w.distance, 3), solid(rgb(0.02, 0.02, 0.1)));
    c.paint(w.cover, [&](double x, double y) {
        const double h = lettering::glyphHeightAt(s, x, y, kSize, kSize);
        return ramp({{0.0, rgb(1.0, 0.78, 0.45)},
                     {0.3, rgb(0.85, 0.4, 0.25)},
                     {0.48, rgb(0.2, 0.1, 0.22)},
                     {0.5, rgb(0.98, 0.98, 1.0)},
                     {0.75, rgb(0.5, 0.7, 0.95)},
                     {1.0, rgb(0.15, 0.3, 0.75)}},
                    h);
    });
    c.paint(bevel(w.distance, 3.0, true), solid(rgb(1, 1, 1)), 0.9);
    c.paint(bevel(w.distance, 3.0, false), solid(rgb(0.05, 0.0, 0.15)), 0.6);
    for (const auto& p :
         {std::array<double, 3>{118, s.centreY - s.cap / 2 + 4, 22}, {508, s.centreY - 8, 16}})
        c.paint(raster::coverage(sparkle(p[0], p[1], p[2], kSize), kSize, kSize),
                solid(rgb(1, 1, 1)));
    return c;
}

} // namespace

bool writeAll(const std::string& directory) {
    struct Job {
        const char* name;
        Canvas (*draw)();
        Format format;
    };
    const Job jobs[] = {
        {"dizuduv.png", dizuduv, Format::Rgba},
        {"from_your_truly.png", fromYourTruly, Format::GrayAlpha},
        {"plimb.png", plimb, Format::PaletteAlpha},
        {"faen.png", faen, Format::Rgb},
        {"dwon.png", dwon, Format::Gray},
        {"quenbrite.png", quenbrite, Format::Rgb},
        {"kelmar.png", kelmar, Format::Rgba},
    };
    for (const Job& job : jobs)
        if (!canvas::writePng(job.draw(), job.format, directory + "/" + job.name))
            return false;
    return true;
}

} // namespace pictures
