// The script under a stepped clock: the four scenes queued in order with their running times,
// the whole show played through in 29.9 s of clock time, and a missing picture stopping the
// building at the scene that needs it.
#include "Hooks.h"
#include "Mainloop.h"
#include "Script.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

TEST(Script, TheDurationsAddUpToTheShowsLength) {
    unsigned int sum = 0;
    for (unsigned int d : Script::durations) {
        sum += d;
    }
    EXPECT_EQ(sum, 29900u);
    EXPECT_EQ(Script::length, 29900u);
}

TEST(Script, PlaysTheFourScenesInOrderForTheirTimes) {
    hooks::setTicks(50000);
    Mainloop loop;
    ASSERT_TRUE(loop.hasWindow());
    ASSERT_TRUE(Script::queueScenes(loop));
    EXPECT_EQ(loop.scenesInQue(), 4);

    // 50 ms of clock per swap, one swap a pass: a frame every 50 ms.
    Uint32 last = 0;
    hooks::onSwap([&] {
        hooks::advanceTicks(50);
        last = SDL_GetTicks();
    });
    testing::internal::CaptureStdout();
    loop.run();
    const std::string out = testing::internal::GetCapturedStdout();
    hooks::onSwap(nullptr);

    // Scene 1 says "drawn", the others "draw"; scenes 3 and 4 announce themselves.
    const size_t s1 = out.find(" frames drawn\t");
    const size_t i3 = out.find("Initing...\n");
    const size_t i4 = out.find("Initing...\n", i3 + 1);
    ASSERT_NE(s1, std::string::npos) << out;
    ASSERT_NE(i3, std::string::npos) << out;
    ASSERT_NE(i4, std::string::npos) << out;
    const size_t s2 = out.find(" frames draw\t", s1 + 1);
    EXPECT_LT(s1, s2);
    EXPECT_LT(s2, i3);
    EXPECT_LT(out.find(" frames draw\t", i3), i4);
    EXPECT_NE(out.find(" frames draw\t", i4), std::string::npos);
    // Each switch can land up to one frame late, so the show ends within four frames of
    // its length.
    EXPECT_GE(last - 50000, Script::length);
    EXPECT_LE(last - 50000, Script::length + 4 * 50);
}

TEST(Script, AMissingPictureStopsTheBuildingAtItsScene) {
    // A working directory whose data/ lacks every picture: scene 1 needs none and is queued,
    // scene 2 fails on its first and the building stops there.
    const std::filesystem::path here = std::filesystem::current_path();
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / ("zokk-script-" + std::to_string(getpid()));
    std::filesystem::create_directories(empty / "data");
    std::filesystem::current_path(empty);
    {
        Mainloop loop;
        ASSERT_TRUE(loop.hasWindow());
        testing::internal::CaptureStderr();
        EXPECT_FALSE(Script::queueScenes(loop));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(loop.scenesInQue(), 2);
        EXPECT_NE(err.find("PNG: Failed to open data/dizuduv.png for reading"), std::string::npos)
            << err;
    }
    std::filesystem::current_path(here);
    std::filesystem::remove_all(empty);
}

} // namespace
