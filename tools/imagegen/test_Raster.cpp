// The picture generator's rasteriser: coverage, winding, distance, blur.
#include "Raster.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using raster::Mask;
using raster::Shape;

Shape rectangle(double x0, double y0, double x1, double y1, bool clockwise = false) {
    Shape s;
    if (clockwise)
        s.contours.push_back({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    else
        s.contours.push_back({{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}});
    return s;
}

double total(const Mask& m) {
    return std::accumulate(m.v.begin(), m.v.end(), 0.0);
}

TEST(Coverage, MeasuresPartialPixelsExactly) {
    // 2.25 .. 5.75 across, 1.5 .. 3.5 down: a pixel cut in half or a quarter holds that much.
    const Mask m = raster::coverage(rectangle(2.25, 1.5, 5.75, 3.5), 8, 8);
    EXPECT_NEAR(total(m), 3.5 * 2.0, 1e-9);
    EXPECT_NEAR(m.at(3, 2), 1.0, 1e-9);
    EXPECT_NEAR(m.at(2, 2), 0.75, 1e-9);
    EXPECT_NEAR(m.at(5, 2), 0.75, 1e-9);
    EXPECT_NEAR(m.at(3, 1), 0.5, 1e-9);
    EXPECT_NEAR(m.at(2, 1), 0.375, 1e-9);
    EXPECT_EQ(m.at(6, 2), 0.0);
    EXPECT_EQ(m.at(1, 2), 0.0);
}

TEST(Coverage, HoleRunningTheOtherWayStaysEmptyAndOverlapsDoNotCountTwice) {
    Shape ring = rectangle(1, 1, 7, 7);
    ring.add(rectangle(3, 3, 5, 5, true));
    const Mask m = raster::coverage(ring, 8, 8);
    EXPECT_NEAR(total(m), 36.0 - 4.0, 1e-9);
    EXPECT_EQ(m.at(3, 3), 0.0);
    EXPECT_EQ(m.at(2, 3), 1.0);

    Shape twice = rectangle(1, 1, 5, 5);
    twice.add(rectangle(3, 3, 7, 7));
    EXPECT_NEAR(total(raster::coverage(twice, 8, 8)), 16.0 + 16.0 - 4.0, 1e-9);
}

TEST(Coverage, ShapesOutsideThePictureAreClipped) {
    const Mask m = raster::coverage(rectangle(-4, -4, 2, 2), 8, 8);
    EXPECT_NEAR(total(m), 4.0, 1e-9);
}

TEST(SignedDistance, IsNegativeInsidePositiveOutsideAndLimited) {
    const Shape s = rectangle(4, 4, 12, 12);
    const Mask cover = raster::coverage(s, 16, 16);
    const Mask d = raster::signedDistance(s, cover, 3.0);
    EXPECT_NEAR(d.at(7, 7), -3.0, 1e-9); // centre 7.5 is 3.5 from the edge, capped at 3
    EXPECT_NEAR(d.at(4, 8), -0.5, 1e-9); // first pixel inside
    EXPECT_NEAR(d.at(3, 8), 0.5, 1e-9);  // first pixel outside
    EXPECT_NEAR(d.at(1, 8), 2.5, 1e-9);
    EXPECT_NEAR(d.at(0, 0), 3.0, 1e-9); // beyond the range
    const Mask g = raster::grown(d, 2.0);
    EXPECT_EQ(g.at(2, 8), 1.0); // 1.5 out, within 2
    EXPECT_EQ(g.at(1, 8), 0.0); // 2.5 out
    EXPECT_EQ(g.at(7, 7), 1.0); // the shape itself
}

TEST(Blur, KeepsTheTotalAndSpreadsAPoint) {
    Mask m(32, 32);
    m.at(16, 16) = 1.0;
    const Mask b = raster::blur(m, 2);
    EXPECT_NEAR(total(b), 1.0, 1e-9);
    EXPECT_LT(b.at(16, 16), 0.1);
    EXPECT_GT(b.at(16, 16), b.at(18, 16));
    EXPECT_NEAR(b.at(15, 16), b.at(17, 16), 1e-12);

    Mask corner(16, 16);
    corner.at(0, 0) = 1.0;
    const Mask wrapped = raster::blur(corner, 2, true);
    EXPECT_NEAR(total(wrapped), 1.0, 1e-9);
    EXPECT_NEAR(wrapped.at(15, 0), wrapped.at(1, 0), 1e-12); // spills across the edge
}

TEST(Shifted, MovesByWholePixelsAndDropsWhatLeaves) {
    Mask m(4, 4);
    m.at(3, 0) = 1.0;
    m.at(1, 1) = 0.5;
    const Mask s = raster::shifted(m, 1, 2);
    EXPECT_EQ(s.at(2, 3), 0.5);
    EXPECT_NEAR(total(s), 0.5, 1e-12);
}

} // namespace
