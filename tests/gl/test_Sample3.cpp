// The word scene under a real context: its state and its progress line (its golden frames, on
// both sides of each change of word, are test_Golden's).
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

} // namespace
