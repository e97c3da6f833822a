// The real zokk executable, started as a user starts it, from the repository root.
#include "Process.h"

#include <gtest/gtest.h>

namespace {

using e2e::Demo;
using Env = std::map<std::string, std::string>;

TEST(ZokkWithoutDisplay, SaysTheVideoModeFailedAndExitsNonZero) {
    Demo demo(Env{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}});
    ASSERT_TRUE(demo.wait(20));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_NE(demo.err().find("Couldn't set video mode: "), std::string::npos) << demo.err();
    EXPECT_EQ(demo.out(), "");
}

TEST(ZokkWithoutDisplay, SaysSDLFailedWhenTheChosenDriverCannotStart) {
    Demo demo(Env{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", "x11"}});
    ASSERT_TRUE(demo.wait(20));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_NE(demo.err().find("Unable to initialize SDL: "), std::string::npos) << demo.err();
}

TEST(ZokkWithoutDisplay, SaysTheVideoModeFailedWhenTheDriverHasNoOpenGL) {
    Demo demo(Env{{"SDL_VIDEODRIVER", "dummy"}});
    ASSERT_TRUE(demo.wait(20));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_NE(demo.err().find("Couldn't set video mode: "), std::string::npos) << demo.err();
}

} // namespace
