// The show's swaps told apart: the events' swap that begins each pass of the main loop, and
// the scene's swap that ends its frame.
#include "SwapCounter.h"

#include <gtest/gtest.h>

namespace {

TEST(SwapCounter, TheSecondSwapOfEveryPassEndsAFrame) {
    SwapCounter swaps;
    EXPECT_FALSE(swaps.endsFrame()) << "before the first swap";
    for (int pass = 1; pass <= 3; ++pass) {
        swaps.count();
        EXPECT_FALSE(swaps.endsFrame()) << "the events' swap of pass " << pass;
        swaps.count();
        EXPECT_TRUE(swaps.endsFrame()) << "the scene's swap of pass " << pass;
    }
    // The last pass finds the show over after its events' swap.
    swaps.count();
    EXPECT_FALSE(swaps.endsFrame());
    EXPECT_EQ(swaps.swaps(), 7u);
}

} // namespace
