// The scene clock and the statistics line, without a display: the clock is the test's.
#include "Hooks.h"
#include "Scene.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

// Exposes the bookkeeping that init would do, without the OpenGL calls around it.
class ClockedScene : public Scene {
public:
    void start(Uint32 now, Uint32 frameCount) {
        hooks::setTicks(now);
        startTime = SDL_GetTicks();
        frames = frameCount;
    }
    std::string statistics(const char* label) const {
        std::ostringstream out;
        writeStatistics(out, label);
        return out.str();
    }
};

TEST(SceneClock, CountsMillisecondsFromItsStart) {
    ClockedScene scene;
    scene.start(5000, 0);
    EXPECT_EQ(scene.getTime(), 0u);
    hooks::advanceTicks(1);
    EXPECT_EQ(scene.getTime(), 1u);
    hooks::advanceTicks(6299);
    EXPECT_EQ(scene.getTime(), 6300u);
}

TEST(SceneClock, SurvivesTheTickCounterWrapping) {
    ClockedScene scene;
    scene.start(0xFFFFFFFFu - 99, 0);
    hooks::advanceTicks(100); // the counter is now 0
    EXPECT_EQ(SDL_GetTicks(), 0u);
    EXPECT_EQ(scene.getTime(), 100u);
    hooks::advanceTicks(6200);
    EXPECT_EQ(scene.getTime(), 6300u);
}

TEST(SceneStatistics, LineIsFramesLabelAndAverageRate) {
    ClockedScene scene;
    scene.start(1000, 1234);
    hooks::advanceTicks(6301);
    EXPECT_EQ(scene.statistics(" frames drawn\tAverage fps: "),
              "1234 frames drawn\tAverage fps: 195.842\n");
}

TEST(SceneStatistics, RatesPrintWithSixSignificantDigits) {
    ClockedScene scene;
    scene.start(0, 400);
    hooks::advanceTicks(6300);
    EXPECT_EQ(scene.statistics(" frames drawn\tAverage fps: "),
              "400 frames drawn\tAverage fps: 63.4921\n");
    scene.start(0, 188);
    hooks::advanceTicks(3000);
    EXPECT_EQ(scene.statistics(" frames draw\tAverage fps: "),
              "188 frames draw\tAverage fps: 62.6667\n");
    scene.start(0, 740);
    hooks::advanceTicks(7400);
    EXPECT_EQ(scene.statistics(" frames draw\tAverage fps: "),
              "740 frames draw\tAverage fps: 100\n");
    scene.start(0, 800);
    hooks::advanceTicks(13200);
    EXPECT_EQ(scene.statistics(" frames draw\tAverage fps: "),
              "800 frames draw\tAverage fps: 60.6061\n");
}

TEST(SceneStatistics, AverageUsesTheWholeLifeInDoublePrecision) {
    EXPECT_DOUBLE_EQ(averageFps(1234, 6301), 1234 / 6.301);
    EXPECT_DOUBLE_EQ(averageFps(0, 1000), 0.0);
}

TEST(Scene, StartsNotInitialised) {
    Scene scene;
    EXPECT_FALSE(scene.isInited());
}

} // namespace
