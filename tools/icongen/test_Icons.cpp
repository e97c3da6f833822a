// The icon reduction: area averaging, the centred square, and alpha-weighted colour.
#include "Icons.h"

#include <gtest/gtest.h>

namespace {

icons::Picture filled(int w, int h, unsigned char r, unsigned char g, unsigned char b,
                      unsigned char a = 255) {
    icons::Picture p;
    p.width = w;
    p.height = h;
    for (int i = 0; i < w * h; ++i) {
        p.rgba.insert(p.rgba.end(), {r, g, b, a});
    }
    return p;
}

unsigned char* pixel(icons::Picture& p, int x, int y) {
    return &p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4];
}

TEST(IconReduction, AveragesEveryCoveredSourcePixelEvenAtFractionalSteps) {
    // A one-pixel checkerboard reduces to its mean grey at every smaller size, also where the
    // step (256 / 24 or 256 / 22) is not a whole number of source pixels; at 256 it stays.
    icons::Picture checker = filled(256, 256, 0, 0, 0);
    for (int y = 0; y < 256; ++y) {
        for (int x = (y & 1); x < 256; x += 2) {
            unsigned char* p = pixel(checker, x, y);
            p[0] = p[1] = p[2] = 255;
        }
    }
    for (int size : icons::sizes) {
        icons::Picture icon = icons::squareReduced(checker, size);
        ASSERT_EQ(icon.width, size);
        ASSERT_EQ(icon.rgba.size(), static_cast<std::size_t>(size) * size * 4);
        for (int i = 0; i < size * size; ++i) {
            const int expected = size == 256 ? checker.rgba[i * 4] : 128;
            EXPECT_NEAR(icon.rgba[i * 4], expected, 12) << "size " << size << " pixel " << i;
            EXPECT_EQ(icon.rgba[i * 4 + 3], 255);
        }
    }
}

TEST(IconReduction, KeepsTheFullSizeAndTakesTheCentredSquareOfAWidePicture) {
    // 8 x 4: red side columns of width 2 fall outside the centred 4 x 4 square.
    icons::Picture wide = filled(8, 4, 255, 0, 0);
    for (int y = 0; y < 4; ++y) {
        for (int x = 2; x < 6; ++x) {
            unsigned char* p = pixel(wide, x, y);
            p[0] = 0;
            p[1] = static_cast<unsigned char>(x * 40);
            p[2] = static_cast<unsigned char>(y * 40);
        }
    }
    icons::Picture same = icons::squareReduced(wide, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(pixel(same, x, y)[0], 0);
            EXPECT_EQ(pixel(same, x, y)[1], (x + 2) * 40);
            EXPECT_EQ(pixel(same, x, y)[2], y * 40);
        }
    }
    icons::Picture one = icons::squareReduced(wide, 1);
    EXPECT_EQ(one.rgba[0], 0) << "no red from outside the square";
    EXPECT_EQ(one.rgba[1], 140);
    EXPECT_EQ(one.rgba[2], 60);
}

TEST(IconReduction, TransparentPixelsLendNoColour) {
    // Of the 2 x 2 below only one pixel is opaque: the icon takes its colour, at a quarter
    // of its coverage.
    icons::Picture square = filled(2, 2, 255, 255, 255, 0);
    unsigned char* p = pixel(square, 1, 1);
    p[0] = 200;
    p[1] = 100;
    p[2] = 0;
    p[3] = 255;
    icons::Picture icon = icons::squareReduced(square, 1);
    EXPECT_EQ(icon.rgba[0], 200);
    EXPECT_EQ(icon.rgba[1], 100);
    EXPECT_EQ(icon.rgba[2], 0);
    EXPECT_NEAR(icon.rgba[3], 64, 1);
}

} // namespace
