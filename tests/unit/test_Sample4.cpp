// When the closing picture takes over from the flickering pair.
#include "Sample4.h"

#include <gtest/gtest.h>

namespace {

TEST(Sample4Timeline, FlickersThroughMillisecond7999AndShowsTheClosingPictureFrom8000) {
    EXPECT_TRUE(Sample4::flickersAt(0));
    EXPECT_TRUE(Sample4::flickersAt(7999));
    EXPECT_FALSE(Sample4::flickersAt(8000));
    EXPECT_FALSE(Sample4::flickersAt(13200));
}

} // namespace
