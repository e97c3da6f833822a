#include "Atlas.h"

#include "Signs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fontgen {

namespace {

struct Crossing {
    double x;
    int winding;
};

} // namespace

void fill(Coverage& picture, const letters::Glyph& glyph, double left, double baseline,
          double scale) {
    std::vector<letters::Contour> contours = glyph.contours;
    double low = 1e9, high = -1e9;
    for (letters::Contour& c : contours) {
        for (letters::Point& p : c) {
            p = {left + p.x * scale, baseline + p.y * scale};
            low = std::min(low, p.y);
            high = std::max(high, p.y);
        }
    }
    if (contours.empty()) {
        return;
    }
    const int firstRow = std::max(0, int(std::floor(low)));
    const int lastRow = std::min(picture.height - 1, int(std::ceil(high)));
    std::vector<Crossing> crossings;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int sub = 0; sub < kSubRows; ++sub) {
            const double y = row + (sub + 0.5) / kSubRows;
            crossings.clear();
            for (const letters::Contour& c : contours) {
                for (size_t i = 0; i < c.size(); ++i) {
                    const letters::Point& a = c[i];
                    const letters::Point& b = c[(i + 1) % c.size()];
                    // Half-open in y, so a vertex shared by two edges counts once.
                    if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y)) {
                        crossings.push_back(
                            {a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y), b.y > a.y ? 1 : -1});
                    }
                }
            }
            std::sort(crossings.begin(), crossings.end(),
                      [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].winding;
                if (winding == 0) {
                    continue;
                }
                const double x0 = std::max(0.0, crossings[i].x);
                const double x1 = std::min(double(picture.width), crossings[i + 1].x);
                for (int px = int(std::floor(x0)); px < x1; ++px) {
                    const double overlap = std::min(x1, px + 1.0) - std::max(x0, double(px));
                    picture.at(px, row) += overlap / kSubRows;
                }
            }
        }
    }
}

bool drawAtlas(const char* charmap, int missingIndex, Coverage& atlas) {
    atlas.width = kColumns * kCell;
    atlas.height = kRows * kCell;
    atlas.value.assign(size_t(atlas.width) * size_t(atlas.height), 0.0);
    for (int g = 0; charmap[g] != 0 && g < kColumns * kRows; ++g) {
        letters::Glyph glyph;
        if (g == missingIndex) {
            glyph = missingSign();
        } else if (!outline(charmap[g], glyph)) {
            std::fprintf(stderr, "fontgen: no outline for character code %d\n",
                         int(static_cast<unsigned char>(charmap[g])));
            return false;
        }
        // Whole-pixel left edges keep vertical stems sharp.
        const double left =
            (g % kColumns) * kCell + std::round((kCell - glyph.advance * kCapHeight) / 2);
        const double baseline = (g / kColumns) * kCell + kBaseline;
        fill(atlas, glyph, left, baseline, kCapHeight);
    }
    return true;
}

} // namespace fontgen
