// The real zokk plays the whole show with SDL's clock stepped at every buffer swap (a preloaded
// shim, tests/support/steppedclock.c), so it takes as long as its frames take to draw, not
// 29.9 s. The shim reports any OpenGL error pending at a swap. Built with the sanitizers, the
// same run is watched by AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
#include "Process.h"
#include "ShowChecks.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const char* env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

TEST(SteppedShow, PlaysToTheEndWithNoGLErrorAndNoSanitizerReport) {
    // 50 ms a swap, one swap a pass: a frame every 50 ms of show time.
    e2e::Demo demo(std::map<std::string, std::string>{{"LD_PRELOAD", env("ZOKK_STEPPED_PRELOAD")},
                                                      {"ZOKK_MS_PER_SWAP", "50"}});
    ASSERT_TRUE(demo.wait(300)) << demo.err();
    EXPECT_EQ(demo.exitStatus(), 0) << demo.err();
    showchecks::expectCompleteShowOutput(demo.out());
    showchecks::expectNoOwnErrors(demo.err());
    for (const char* report : {"steppedclock: OpenGL error", "ERROR: AddressSanitizer",
                               "ERROR: LeakSanitizer", "runtime error:"}) {
        EXPECT_EQ(demo.err().find(report), std::string::npos) << demo.err();
    }
    // The show is 29.9 s of clock: at 50 ms a frame that is 598 scene frames, give or take
    // one per scene switch.
    int frames = 0;
    for (size_t at = 0; (at = demo.out().find(" frames draw", at)) != std::string::npos; ++at) {
        const size_t start = demo.out().rfind('\n', at);
        frames += std::atoi(demo.out().c_str() + (start == std::string::npos ? 0 : start + 1));
    }
    EXPECT_GE(frames, 598 - 4);
    EXPECT_LE(frames, 598 + 4);
}

} // namespace
