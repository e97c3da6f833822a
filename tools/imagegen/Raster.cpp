#include "Raster.h"

#include <algorithm>
#include <cmath>

namespace raster {

namespace {

struct Crossing {
    double x;
    int dir;
};

// Adds weight w to the pixels of one row between x0 and x1, partial pixels in proportion.
void addSpan(double* row, int width, double x0, double x1, double w) {
    x0 = std::max(0.0, x0);
    x1 = std::min(static_cast<double>(width), x1);
    if (x1 <= x0)
        return;
    const int p0 = static_cast<int>(x0);
    const int p1 = static_cast<int>(x1);
    if (p0 == p1) {
        row[p0] += (x1 - x0) * w;
        return;
    }
    row[p0] += (p0 + 1 - x0) * w;
    for (int p = p0 + 1; p < p1; ++p)
        row[p] += w;
    if (p1 < width)
        row[p1] += (x1 - p1) * w;
}

double segmentDistance(const Pt& p, const Pt& a, const Pt& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

void boxPass(std::vector<double>& line, std::vector<double>& scratch, int radius, bool wrap) {
    const int n = static_cast<int>(line.size());
    const double norm = 1.0 / (2 * radius + 1);
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int k = -radius; k <= radius; ++k) {
            int j = i + k;
            if (wrap)
                j = ((j % n) + n) % n;
            if (j >= 0 && j < n)
                sum += line[j];
        }
        scratch[i] = sum * norm;
    }
    line.swap(scratch);
}

} // namespace

Mask coverage(const Shape& shape, int width, int height, int subRows) {
    Mask m(width, height);
    std::vector<Crossing> crossings;
    const double w = 1.0 / subRows;
    for (int py = 0; py < height; ++py) {
        for (int s = 0; s < subRows; ++s) {
            const double y = py + (s + 0.5) * w;
            crossings.clear();
            for (const Contour& c : shape.contours) {
                for (std::size_t i = 0; i < c.size(); ++i) {
                    const Pt& a = c[i];
                    const Pt& b = c[(i + 1) % c.size()];
                    if (a.y == b.y)
                        continue;
                    const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
                    if (y < lo || y >= hi)
                        continue;
                    const double x = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
                    crossings.push_back({x, b.y > a.y ? 1 : -1});
                }
            }
            std::sort(crossings.begin(), crossings.end(), [](const Crossing& p, const Crossing& q) {
                return p.x < q.x || (p.x == q.x && p.dir < q.dir);
            });
            int winding = 0;
            double start = 0.0;
            for (const Crossing& c : crossings) {
                const int before = winding;
                winding += c.dir;
                if (before == 0 && winding != 0)
                    start = c.x;
                else if (before != 0 && winding == 0)
                    addSpan(&m.at(0, py), width, start, c.x, w);
            }
        }
    }
    for (double& v : m.v)
        v = std::min(1.0, v);
    return m;
}

Mask signedDistance(const Shape& shape, const Mask& cover, double range) {
    const int width = cover.width, height = cover.height;
    Mask d(width, height);
    // Edges are sorted into cells so each pixel only measures the edges that can be near it.
    const int cell = 16;
    const int cellsX = (width + cell - 1) / cell, cellsY = (height + cell - 1) / cell;
    std::vector<std::vector<std::pair<Pt, Pt>>> bins(static_cast<std::size_t>(cellsX) * cellsY);
    for (const Contour& c : shape.contours) {
        for (std::size_t i = 0; i < c.size(); ++i) {
            const Pt a = c[i], b = c[(i + 1) % c.size()];
            const int x0 =
                std::max(0, static_cast<int>(std::floor((std::min(a.x, b.x) - range) / cell)));
            const int x1 = std::min(
                cellsX - 1, static_cast<int>(std::floor((std::max(a.x, b.x) + range) / cell)));
            const int y0 =
                std::max(0, static_cast<int>(std::floor((std::min(a.y, b.y) - range) / cell)));
            const int y1 = std::min(
                cellsY - 1, static_cast<int>(std::floor((std::max(a.y, b.y) + range) / cell)));
            for (int cy = y0; cy <= y1; ++cy)
                for (int cx = x0; cx <= x1; ++cx)
                    bins[static_cast<std::size_t>(cy) * cellsX + cx].push_back({a, b});
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Pt p{x + 0.5, y + 0.5};
            double best = range;
            for (const auto& e : bins[static_cast<std::size_t>(y / cell) * cellsX + x / cell])
                best = std::min(best, segmentDistance(p, e.first, e.second));
            d.at(x, y) = cover.at(x, y) >= 0.5 ? -best : best;
        }
    }
    return d;
}

Mask blur(const Mask& m, int radius, bool wrap) {
    Mask out = m;
    if (radius <= 0)
        return out;
    std::vector<double> line, scratch;
    for (int y = 0; y < m.height; ++y) {
        line.assign(out.v.begin() + static_cast<long>(y) * m.width,
                    out.v.begin() + static_cast<long>(y + 1) * m.width);
        scratch.resize(line.size());
        for (int pass = 0; pass < 3; ++pass)
            boxPass(line, scratch, radius, wrap);
        std::copy(line.begin(), line.end(), out.v.begin() + static_cast<long>(y) * m.width);
    }
    for (int x = 0; x < m.width; ++x) {
        line.resize(m.height);
        scratch.resize(m.height);
        for (int y = 0; y < m.height; ++y)
            line[y] = out.at(x, y);
        for (int pass = 0; pass < 3; ++pass)
            boxPass(line, scratch, radius, wrap);
        for (int y = 0; y < m.height; ++y)
            out.at(x, y) = line[y];
    }
    return out;
}

Mask shifted(const Mask& m, int dx, int dy) {
    Mask out(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const int sx = x - dx, sy = y - dy;
            if (sx >= 0 && sx < m.width && sy >= 0 && sy < m.height)
                out.at(x, y) = m.at(sx, sy);
        }
    return out;
}

Mask minus(const Mask& a, const Mask& b) {
    Mask out(a.width, a.height);
    for (std::size_t i = 0; i < a.v.size(); ++i)
        out.v[i] = std::clamp(a.v[i] - b.v[i], 0.0, 1.0);
    return out;
}

Mask maximum(const Mask& a, const Mask& b) {
    Mask out(a.width, a.height);
    for (std::size_t i = 0; i < a.v.size(); ++i)
        out.v[i] = std::max(a.v[i], b.v[i]);
    return out;
}

Mask grown(const Mask& distance, double w) {
    Mask out(distance.width, distance.height);
    for (std::size_t i = 0; i < distance.v.size(); ++i)
        out.v[i] = std::clamp(w + 0.5 - distance.v[i], 0.0, 1.0);
    return out;
}

} // namespace raster
