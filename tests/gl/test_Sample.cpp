// The opening scene under a real context: its light and state, the statistics line and the
// shake (its golden frames are test_Golden's).
#include "GLTestWindow.h"
#include "Hooks.h"
#include "Sample.h"
#include "SceneHarness.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

class SampleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(glwindow::open()); }
};

TEST_F(SampleTest, InitLightsTheSolidWithLight1AndDeinitTakesItAway) {
    Sample scene;
    scene.init();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLfloat position[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[1], 20.0f);
    EXPECT_FLOAT_EQ(position[3], 1.0f);
    GLfloat ambient[4];
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.5f);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[2], 0.2f);
    scene.deinit();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

TEST_F(SampleTest, ARenderedFrameLeavesNoErrorAndTheMatrixModeAlone) {
    Sample scene;
    harness::frameAt(scene, 3000);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

TEST_F(SampleTest, DestructionWritesTheDrawnLine) {
    auto* scene = new Sample;
    hooks::setTicks(5000);
    scene->init();
    hooks::setTicks(5000 + 6300);
    testing::internal::CaptureStdout();
    delete scene;
    hooks::useRealTicks();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 frames drawn\tAverage fps: 0\n");
}

TEST_F(SampleTest, TheShakeMovesTheSolidBetweenFrames) {
    Sample scene;
    // Seeds with different first draws put the solid at different offsets at the same time.
    const testimages::Image a = harness::frameAt(scene, 900, 1);
    const testimages::Image b = harness::frameAt(scene, 900, 2);
    EXPECT_GT(testimages::differingFraction(a, b, 32), 0.001);
}

} // namespace
