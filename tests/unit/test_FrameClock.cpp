// The video's frame clock: which show time each frame shows, that every scene switch and the
// end land on their own millisecond at any frame rate, and how many frames the video holds.
#include "FrameClock.h"
#include "Script.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// The show's switches and end: 6300, 9300, 16700 and 29900 ms.
std::vector<Uint32> switches() {
    std::vector<Uint32> at;
    Uint32 sum = 0;
    for (unsigned duration : Script::durations) {
        sum += duration;
        at.push_back(sum);
    }
    return at;
}

TEST(FrameClock, FramesShowTheirTimeRoundedDown) {
    const FrameClock clock60(60, Script::durations, Script::sceneCount);
    EXPECT_EQ(clock60.ticksAt(0), 0u);
    EXPECT_EQ(clock60.ticksAt(1), 16u);
    EXPECT_EQ(clock60.ticksAt(2), 33u);
    EXPECT_EQ(clock60.ticksAt(3), 50u);
    const FrameClock clock24(24, Script::durations, Script::sceneCount);
    EXPECT_EQ(clock24.ticksAt(35), 1458u);
    EXPECT_EQ(clock24.ticksAt(36), 1500u);
    EXPECT_EQ(clock24.ticksAt(151), 6291u);
    EXPECT_EQ(clock24.ticksAt(153), 6375u);
}

TEST(FrameClock, ASwitchBetweenTwoFramesIsShownOnItsOwnMillisecond) {
    // At 24 frames a second 6300 ms falls between frame 151 (6291.7) and 152 (6333.3).
    const FrameClock clock24(24, Script::durations, Script::sceneCount);
    EXPECT_EQ(clock24.ticksAt(152), 6300u);
    EXPECT_EQ(clock24.ticksAt(224), 9300u);
    EXPECT_EQ(clock24.ticksAt(401), 16700u);
    EXPECT_EQ(clock24.ticksAt(718), 29900u);
    // At 60 the switches are frame times themselves: 378 * 1000 / 60 = 6300.
    const FrameClock clock60(60, Script::durations, Script::sceneCount);
    EXPECT_EQ(clock60.ticksAt(377), 6283u);
    EXPECT_EQ(clock60.ticksAt(378), 6300u);
    EXPECT_EQ(clock60.ticksAt(379), 6316u);
}

TEST(FrameClock, HoldsEveryFrameThatStartsBeforeTheEnd) {
    EXPECT_EQ(FrameClock(24, Script::durations, Script::sceneCount).frameCount(), 718);
    EXPECT_EQ(FrameClock(25, Script::durations, Script::sceneCount).frameCount(), 748);
    EXPECT_EQ(FrameClock(60, Script::durations, Script::sceneCount).frameCount(), 1794);
    // 29.9 * 27 = 807.3: frame 807 shows 29888.9 ms, still inside the show.
    EXPECT_EQ(FrameClock(27, Script::durations, Script::sceneCount).frameCount(), 808);
    EXPECT_EQ(FrameClock(240, Script::durations, Script::sceneCount).frameCount(), 7176);
}

// For every rate the capture takes: the clock never stands still or runs back, no frame is
// further than one frame from its exact time, every switch is read exactly, and the frame
// after the last one reads the end of the show.
TEST(FrameClock, EveryRateMeetsEverySwitchExactly) {
    const std::vector<Uint32> at = switches();
    for (int fps = 24; fps <= 240; ++fps) {
        SCOPED_TRACE(fps);
        const FrameClock clock(fps, Script::durations, Script::sceneCount);
        const int frames = clock.frameCount();
        std::vector<Uint32> met;
        for (int k = 0; k <= frames; ++k) {
            const Uint32 t = clock.ticksAt(k);
            const double exact = k * 1000.0 / fps;
            ASSERT_LE(t, exact + 1e-9);
            ASSERT_GT(t, exact - 1000.0 / fps);
            if (k > 0) {
                ASSERT_GT(t, clock.ticksAt(k - 1));
            }
            for (Uint32 s : at) {
                if (t == s) {
                    met.push_back(s);
                }
            }
            if (k < frames) {
                ASSERT_LT(t, Script::length);
            }
        }
        EXPECT_EQ(met, at);
        EXPECT_EQ(clock.ticksAt(frames), Script::length);
    }
}

} // namespace
