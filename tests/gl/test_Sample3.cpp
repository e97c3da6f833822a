// The word scene under a real context: its state, its progress line, and golden frames on both
// sides of each change of word.
#include "GLTestWindow.h"
#include "Sample3.h"
#include "SceneHarness.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

class Sample3Test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(glwindow::open()); }
};

TEST_F(Sample3Test, InitSaysInitingAndSetsItsStateDeinitRestoresIt) {
    Sample3 scene;
    ASSERT_TRUE(scene.isLoaded());
    testing::internal::CaptureStdout();
    scene.init();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Initing...\n");
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[2], 0.6f);
    scene.deinit();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

class Sample3Golden : public Sample3Test, public ::testing::WithParamInterface<Uint32> {};

TEST_P(Sample3Golden, MatchesTheReferenceFrame) {
    Sample3 scene;
    EXPECT_TRUE(harness::matchesGolden(scene, "scene3", GetParam()));
    EXPECT_EQ(glwindow::pendingError(), 0u);
}

// Every golden frame of the scene in tests/references/.
INSTANTIATE_TEST_SUITE_P(References, Sample3Golden, ::testing::ValuesIn(harness::goldenMoments(3)));

} // namespace
