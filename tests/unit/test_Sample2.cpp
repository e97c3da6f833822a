// Which title picture shows when, probed on both sides of each switch.
#include "Sample2.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(Sample2Timeline, ShowsEachPictureUpToAndIncludingItsLastMillisecond) {
    EXPECT_EQ(Sample2::pictureAt(0), 0);
    EXPECT_EQ(Sample2::pictureAt(950), 0);
    EXPECT_EQ(Sample2::pictureAt(951), 1);
    EXPECT_EQ(Sample2::pictureAt(1650), 1);
    EXPECT_EQ(Sample2::pictureAt(1651), 2);
    EXPECT_EQ(Sample2::pictureAt(3000), 2);
    EXPECT_EQ(Sample2::pictureAt(0xFFFFFFFFu), 2);
}

TEST(Strobe, FollowsTheSineOfTheAbsoluteClock) {
    EXPECT_FLOAT_EQ(flickerLevel(0), 0.0f);
    // A quarter period (5 pi ms, about 15.708 ms) is the brightest.
    EXPECT_NEAR(flickerLevel(16), 1.0f, 0.001f);
    // Half a period later it is below zero, which OpenGL clamps to black.
    EXPECT_LT(flickerLevel(47), -0.99f);
    EXPECT_FLOAT_EQ(flickerLevel(1000), static_cast<float>(std::sin(100.0)));
}

} // namespace
