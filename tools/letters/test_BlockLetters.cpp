// The block capitals: every letter is a clean outline of the right size and weight, and a
// sheet of all of them is drawn to letters-sheet.png in the test output folder to be looked at.
#include "BlockLetters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <png.h>
#include <string>
#include <sys/stat.h>

using letters::Contour;
using letters::Glyph;
using letters::Point;

namespace {

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

double cross(Point o, Point a, Point b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool segmentsCross(Point a, Point b, Point c, Point d) {
    const double d1 = cross(c, d, a), d2 = cross(c, d, b);
    const double d3 = cross(a, b, c), d4 = cross(a, b, d);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// Number of edge crossings of all contours between two contours' edges, adjacent edges of one
// contour excepted.
int crossings(const Contour& a, const Contour& b, bool same) {
    int count = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (size_t j = 0; j < b.size(); ++j) {
            if (same && (i == j || (i + 1) % a.size() == j || (j + 1) % a.size() == i)) {
                continue;
            }
            count += segmentsCross(a[i], a[(i + 1) % a.size()], b[j], b[(j + 1) % b.size()]);
        }
    }
    return count;
}

// Even-odd rule over all contours of a glyph.
bool inside(const Glyph& g, double x, double y) {
    bool in = false;
    for (const Contour& c : g.contours) {
        for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
            if ((c[i].y > y) != (c[j].y > y) &&
                x < c[j].x + (y - c[j].y) * (c[i].x - c[j].x) / (c[i].y - c[j].y)) {
                in = !in;
            }
        }
    }
    return in;
}

// Lengths of the solid runs along a horizontal (or vertical) line through the glyph.
std::vector<double> runs(const Glyph& g, bool horizontalLine, double at) {
    std::vector<double> lengths;
    const double step = 0.001;
    double start = 0;
    bool in = false;
    for (double t = -0.1; t <= 1.2; t += step) {
        const bool now = horizontalLine ? inside(g, t, at) : inside(g, at, t);
        if (now && !in) {
            start = t;
        }
        if (!now && in) {
            lengths.push_back(t - start);
        }
        in = now;
    }
    return lengths;
}

int holeCount(const Glyph& g) {
    return int(std::count_if(g.contours.begin(), g.contours.end(),
                             [](const Contour& c) { return letters::signedArea2(c) < 0; }));
}

TEST(BlockLetters, HasExactlyTheCapitals) {
    for (char c : kAlphabet) {
        EXPECT_NE(letters::glyph(c), nullptr) << c;
    }
    for (char c : std::string("az09 @[`{!-\n")) {
        EXPECT_EQ(letters::glyph(c), nullptr) << int(c);
    }
    EXPECT_EQ(letters::glyph('\0'), nullptr);
    EXPECT_GT(letters::letterGap(), 0.05);
    EXPECT_LT(letters::letterGap(), 0.25);
}

TEST(BlockLetters, EachLetterIsOneSolidWithItsHoles) {
    const std::string withOneHole = "ADOPQR";
    for (char c : kAlphabet) {
        const Glyph& g = *letters::glyph(c);
        const int holes = holeCount(g);
        EXPECT_EQ(int(g.contours.size()) - holes, 1) << c << " has one outer contour";
        EXPECT_EQ(holes, c == 'B' ? 2 : withOneHole.find(c) != std::string::npos ? 1 : 0) << c;
        const Contour& outer = g.contours[0];
        EXPECT_GT(letters::signedArea2(outer), 0) << c;
        for (size_t i = 1; i < g.contours.size(); ++i) {
            EXPECT_LT(letters::signedArea2(g.contours[i]), 0) << c << " hole " << i;
        }
    }
}

TEST(BlockLetters, OutlinesAreSimpleWithoutRepeatedPoints) {
    for (char c : kAlphabet) {
        const Glyph& g = *letters::glyph(c);
        for (size_t i = 0; i < g.contours.size(); ++i) {
            const Contour& ci = g.contours[i];
            ASSERT_GE(ci.size(), 3u) << c;
            for (size_t a = 0; a < ci.size(); ++a) {
                for (size_t b = a + 1; b < ci.size(); ++b) {
                    EXPECT_GT(std::hypot(ci[a].x - ci[b].x, ci[a].y - ci[b].y), 1e-6)
                        << c << " contour " << i << " points " << a << ", " << b;
                }
            }
            for (size_t j = i; j < g.contours.size(); ++j) {
                EXPECT_EQ(crossings(ci, g.contours[j], i == j), 0)
                    << c << " contours " << i << " and " << j;
            }
        }
        // Every hole lies inside the outer contour.
        for (size_t i = 1; i < g.contours.size(); ++i) {
            Glyph outerOnly{{g.contours[0]}, g.advance};
            for (const Point& p : g.contours[i]) {
                EXPECT_TRUE(inside(outerOnly, p.x, p.y)) << c << " hole " << i;
            }
        }
    }
}

TEST(BlockLetters, FillTheirBoxAndOvershootOnlyWhereRound) {
    const double o = letters::overshoot();
    const std::string roundTop = "CGOQS", roundBottom = "CGJOSU";
    for (char c : kAlphabet) {
        const Glyph& g = *letters::glyph(c);
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const Contour& ct : g.contours) {
            for (const Point& p : ct) {
                x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
            }
        }
        EXPECT_NEAR(x0, 0.0, 1e-12) << c;
        EXPECT_NEAR(x1, g.advance, 1e-12) << c;
        const bool top = roundTop.find(c) != std::string::npos;
        EXPECT_NEAR(y1, top ? 1 + o : 1.0, 1e-4) << c;
        if (c == 'Q') {
            // Q's tail is the one part below the overshoot line.
            EXPECT_LT(y0, -o);
            EXPECT_GT(y0, -0.1);
        } else {
            const bool bottom = roundBottom.find(c) != std::string::npos;
            EXPECT_NEAR(y0, bottom ? -o : 0.0, 1e-4) << c;
        }
    }
}

double distanceToOutline(const Glyph& g, Point p) {
    double best = 1e9;
    for (const Contour& c : g.contours) {
        for (size_t i = 0; i < c.size(); ++i) {
            const Point a = c[i], b = c[(i + 1) % c.size()];
            const double dx = b.x - a.x, dy = b.y - a.y;
            double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
            t = std::clamp(t, 0.0, 1.0);
            best = std::min(best, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
        }
    }
    return best;
}

// A round pen tip of radius r cannot reach into a corner: at a corner of interior angle a it
// stays r / sin(a / 2) away from the tip. Points that close to a corner are not asked to be
// covered.
bool nearCorner(const Glyph& g, Point p, double r) {
    for (const Contour& c : g.contours) {
        for (size_t i = 0; i < c.size(); ++i) {
            const Point a = c[(i + c.size() - 1) % c.size()], b = c[i], n = c[(i + 1) % c.size()];
            const double turn =
                std::atan2(cross(a, b, n), (b.x - a.x) * (n.x - b.x) + (b.y - a.y) * (n.y - b.y));
            const double interior = 3.14159265358979 - std::fabs(turn);
            if (std::fabs(turn) > 0.5 &&
                std::hypot(p.x - b.x, p.y - b.y) < r / std::sin(interior / 2) + 0.01) {
                return true;
            }
        }
    }
    return false;
}

TEST(BlockLetters, StrokesAreHeavyAndEven) {
    // Every inked point lies in a disc of diameter 0.09 that is all ink: no part of any
    // letter is thinner than that, apart from the tips of sharp corners.
    const double r = 0.045, step = 0.005;
    for (char c : kAlphabet) {
        const Glyph& g = *letters::glyph(c);
        const int nx = int(g.advance / step) + 1, ny = int(1.1 / step) + 1;
        std::vector<char> deep(size_t(nx) * ny), ink(size_t(nx) * ny);
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                const Point p{i * step, -0.05 + j * step};
                ink[j * nx + i] = inside(g, p.x, p.y);
                deep[j * nx + i] = ink[j * nx + i] && distanceToOutline(g, p) >= r - 1e-6;
            }
        }
        int thin = 0;
        const int reach = int((r + step) / step) + 1;
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                if (!ink[j * nx + i]) {
                    continue;
                }
                bool covered = false;
                for (int v = std::max(0, j - reach); v <= std::min(ny - 1, j + reach); ++v) {
                    for (int u = std::max(0, i - reach); u <= std::min(nx - 1, i + reach); ++u) {
                        covered |= deep[v * nx + u] && std::hypot(u - i, v - j) * step <= r + step;
                    }
                }
                const Point p{i * step, -0.05 + j * step};
                const bool bad = !covered && !nearCorner(g, p, r);
                thin += bad;
            }
        }
        EXPECT_EQ(thin, 0) << c << " has thin parts";
    }
    for (char c : std::string("BDEFHIKLMNPRT")) {
        const auto across = runs(*letters::glyph(c), true, 0.25);
        ASSERT_FALSE(across.empty()) << c;
        EXPECT_NEAR(across.front(), 0.14, 0.005) << c << "'s left stem";
    }
    for (char c : std::string("EFLTZ")) {
        const Glyph& g = *letters::glyph(c);
        const auto down = runs(g, false, c == 'Z' ? 0.03 : g.advance - 0.03);
        ASSERT_FALSE(down.empty()) << c;
        EXPECT_NEAR(down.back(), 0.13, 0.005) << c << "'s top bar";
    }
}

// Draws all letters in rows, antialiased by 4 x 4 supersampling, dark on white.
TEST(BlockLetters, SheetIsDrawn) {
    const int cap = 110, margin = 30, rowHeight = 170, perRow = 9;
    const int width = 1300, height = margin * 2 + rowHeight * 3;
    std::vector<unsigned char> rgb(size_t(width) * height * 3, 255);
    int row = 0, column = 0;
    double penX = margin;
    for (char c : kAlphabet) {
        const Glyph& g = *letters::glyph(c);
        const int baseline = margin + row * rowHeight + cap + 15;
        for (int py = baseline - cap - 10; py < baseline + 10; ++py) {
            for (int px = int(penX) - 2; px < int(penX + g.advance * cap) + 4; ++px) {
                int hits = 0;
                for (int s = 0; s < 16; ++s) {
                    const double x = (px + (s % 4 + 0.5) / 4 - penX) / cap;
                    const double y = (baseline - py - (s / 4 + 0.5) / 4) / cap;
                    hits += inside(g, x, y);
                }
                unsigned char* p = &rgb[3 * (size_t(py) * width + px)];
                p[0] = p[1] = p[2] = static_cast<unsigned char>(255 - hits * 255 / 16);
            }
        }
        penX += (g.advance + letters::letterGap()) * cap;
        if (++column == perRow) {
            column = 0, ++row, penX = margin;
        }
    }
    const char* env = std::getenv("ZOKK_TEST_OUT");
    const std::string dir = env && *env ? env : "test-output";
    mkdir(dir.c_str(), 0755);
    const std::string path = dir + "/letters-sheet.png";
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = width;
    png.height = height;
    png.format = PNG_FORMAT_RGB;
    ASSERT_TRUE(png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr)) << path;
    // Ink covers a plausible share of the sheet: neither empty nor a blot.
    size_t ink = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        ink += rgb[i] < 128;
    }
    EXPECT_GT(ink, size_t(width) * height / 20);
    EXPECT_LT(ink, size_t(width) * height / 3);
}

} // namespace
