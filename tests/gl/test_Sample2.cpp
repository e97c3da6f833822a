// Scene 2 under a real context: its state and its clock reads (its golden frames, on both sides
// of each switch, are test_Golden's).
#include "GLTestWindow.h"
#include "Hooks.h"
#include "Sample2.h"
#include "SceneHarness.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

namespace {

class Sample2Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(glwindow::open()); }
};

TEST_F(Sample2Test, InitSetsItsStateAndDeinitRestoresIt) {
    Sample2 scene;
    ASSERT_TRUE(scene.isLoaded());
    GLint depthBefore = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depthBefore);
    scene.init();
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.5f);
    EXPECT_FLOAT_EQ(clear[2], 0.6f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
    scene.deinit();
    GLint depthAfter = 0;
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

// The first frame after init at a frozen scene time (cleared to the grey-blue of init, so only
// the picture tells frames apart); `move` runs after every clock read, with the count of
// reads so far in this frame.
std::vector<unsigned char> firstFrame(Uint32 sceneTime,
                                      std::function<void(unsigned reads)> move = nullptr) {
    const Uint32 start = 200000;
    Sample2 scene;
    hooks::setTicks(start);
    scene.init();
    hooks::setTicks(start + sceneTime);
    std::vector<unsigned char> pixels(640 * 480 * 4);
    hooks::onSwap([&] { glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data()); });
    unsigned reads = 0;
    if (move) {
        hooks::onTickRead([&](Uint32) { move(++reads); });
    }
    scene.render();
    hooks::onTickRead(nullptr);
    hooks::onSwap(nullptr);
    scene.deinit();
    return pixels;
}

unsigned readsPerRender(Uint32 sceneTime) {
    Sample2 scene;
    hooks::setTicks(300000);
    scene.init();
    hooks::setTicks(300000 + sceneTime);
    hooks::resetCounts();
    scene.render();
    const unsigned reads = hooks::tickReads();
    scene.deinit();
    return reads;
}

TEST_F(Sample2Test, PastTheFirstPictureASecondReadingOfTheClockPicksThePicture) {
    const auto second = firstFrame(1650);
    const auto third = firstFrame(1651);
    ASSERT_TRUE(second != third);
    // The strobe reads the clock three times, then the scene time is read: move the clock
    // one millisecond on right after that read, so the second reading gives 1651.
    const auto moved = firstFrame(1650, [](unsigned reads) {
        if (reads == 4) {
            hooks::advanceTicks(1);
        }
    });
    EXPECT_TRUE(moved == third) << "the second reading (1651) should pick plimb";
    // Moving it after the second reading changes nothing.
    const auto late = firstFrame(1650, [](unsigned reads) {
        if (reads == 5) {
            hooks::advanceTicks(1);
        }
    });
    EXPECT_TRUE(late == second) << "a move after both readings should change nothing";
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

TEST_F(Sample2Test, ReadsTheClockOnceMorePastTheFirstPicture) {
    const unsigned first = readsPerRender(950);
    EXPECT_EQ(readsPerRender(0), first);
    EXPECT_EQ(readsPerRender(951), first + 1);
    EXPECT_EQ(readsPerRender(1650), first + 1);
    EXPECT_EQ(readsPerRender(2999), first + 1);
}

} // namespace
