// Scene 2 under a real context: its state, and golden frames on both sides of each switch.
#include "GLTestWindow.h"
#include "Sample2.h"
#include "SceneHarness.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

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

class Sample2Golden : public Sample2Test, public ::testing::WithParamInterface<Uint32> {};

TEST_P(Sample2Golden, MatchesTheReferenceFrame) {
    Sample2 scene;
    EXPECT_TRUE(harness::matchesGolden(scene, "scene2", GetParam()));
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

INSTANTIATE_TEST_SUITE_P(AroundEachSwitch, Sample2Golden,
                         ::testing::Values(950u, 951u, 1650u, 1651u));

} // namespace
