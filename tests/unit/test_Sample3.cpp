// The word scene's turn and which word it shows, probed on both sides of each change.
#include "Sample3.h"

#include <gtest/gtest.h>

namespace {

TEST(Sample3Turn, StartsEdgeOnAndTurns100DegreesASecond) {
    EXPECT_FLOAT_EQ(Sample3::rotationAt(0), -90.0f);
    EXPECT_FLOAT_EQ(Sample3::rotationAt(900), 0.0f);
    EXPECT_FLOAT_EQ(Sample3::rotationAt(7400), 650.0f);
}

TEST(Sample3Words, EachWordHoldsThroughTheLastMillisecondOfItsHalfTurn) {
    auto wordAtTime = [](Uint32 t) { return Sample3::wordAt(Sample3::rotationAt(t)); };
    EXPECT_EQ(wordAtTime(0), 0);
    EXPECT_EQ(wordAtTime(900), 0);
    EXPECT_EQ(wordAtTime(1800), 0);
    EXPECT_EQ(wordAtTime(1801), 1);
    EXPECT_EQ(wordAtTime(3600), 1);
    EXPECT_EQ(wordAtTime(3601), 2);
    EXPECT_EQ(wordAtTime(5400), 2);
    EXPECT_EQ(wordAtTime(5401), 3);
    EXPECT_EQ(wordAtTime(7400), 3);
}

} // namespace
