// The portable tarball in a small Debian system without the show's libraries, as its user gets
// it: test_package.sh unpacks it into $ZOKK_BUNDLE, below its scratch folder in /tmp (which the
// system shares), and makes the system; $ZOKK_EXE (bundle-zokk.sh) starts the launcher of the
// folder in $ZOKK_BUNDLE_DIR there through bubblewrap, on the test's own display: an Xvfb, or
// for ZokkBundleOnWayland, which test_package.sh runs alone, the Wayland desktop of
// tests/desktop/with-desktop.sh.
#include "Process.h"
#include "Script.h"
#include "ShowChecks.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using e2e::Demo;
using namespace showchecks;
using Env = std::map<std::string, std::string>;

const std::string bundle = std::getenv("ZOKK_BUNDLE") ? std::getenv("ZOKK_BUNDLE") : "";
// An empty folder beside the unpacked one, to start the show from.
const std::string elsewhere = bundle + "/../elsewhere";

TEST(ZokkBundle, PlaysTheWholeShowAndTheMusicFrom30SecondsFromAnotherFolder) {
    const std::string sound = elsewhere + "/zokk-audio.raw";
    // Both at once. The disk driver writes a chunk and then waits SDL_DISKAUDIODELAY ms; 90 ms
    // is about one 4096-frame chunk, so the file fills at about the speed of a sound card.
    Demo silent(Env{{"ZOKK_BUNDLE_DIR", bundle}, {"SDL_AUDIODRIVER", "dummy"}}, elsewhere);
    Demo heard(Env{{"ZOKK_BUNDLE_DIR", bundle},
                   {"SDL_AUDIODRIVER", "disk"},
                   {"SDL_DISKAUDIOFILE", sound},
                   {"SDL_DISKAUDIODELAY", "90"}},
               elsewhere);
    ASSERT_TRUE(silent.wait(120));
    ASSERT_TRUE(heard.wait(60));
    EXPECT_EQ(silent.exitStatus(), 0) << silent.err();
    expectCompleteShowOutput(silent.out());
    EXPECT_EQ(silent.err(), "");
    EXPECT_EQ(heard.exitStatus(), 0) << heard.err();
    expectCompleteShowOutput(heard.out());
    // SDL's disk driver announces itself on standard error; nothing of the show's may be there.
    expectNoOwnErrors(heard.err());
    expectMusicFrom30Seconds(sound, 5);
}

// With no X server at all, only the Wayland desktop's sway, whose window tree holds the show's
// window while it plays.
TEST(ZokkBundleOnWayland, PlaysTheWholeShowNatively) {
    Demo demo(Env{{"ZOKK_BUNDLE_DIR", bundle}, {"SDL_AUDIODRIVER", "dummy"}}, elsewhere);
    const bool onSway = e2e::waitUntil([] { return e2e::swayWindow(Script::title).shown; }, 15);
    ASSERT_TRUE(demo.wait(60));
    EXPECT_TRUE(onSway) << "no window titled " << Script::title << " on sway";
    EXPECT_EQ(demo.exitStatus(), 0) << demo.err();
    expectCompleteShowOutput(demo.out());
    // At exit, libwayland 1.22 and later warn that the event queue SDL 2.26 destroys still has
    // its frame callback and surface wrapper; nothing of the show's own may be there.
    expectNoOwnErrors(demo.err());
}

class ZokkBundleMissingPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ZokkBundleMissingPicture, SaysWhichAndExits1) {
    const std::string picture = GetParam();
    const std::string copy = bundle + "-without-" + picture.substr(picture.rfind('/') + 1);
    ASSERT_EQ(std::system(("cp -r '" + bundle + "' '" + copy + "'").c_str()), 0);
    ASSERT_EQ(std::remove((copy + "/" + picture).c_str()), 0);
    Demo demo(Env{{"ZOKK_BUNDLE_DIR", copy}, {"SDL_AUDIODRIVER", "dummy"}}, elsewhere);
    ASSERT_TRUE(demo.wait(60));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_EQ(demo.err(), "PNG: Failed to open " + picture + " for reading\n");
    EXPECT_EQ(demo.out(), "");
    e2e::removeTree(copy);
}

// The first picture loaded and the last one.
INSTANTIATE_TEST_SUITE_P(FirstAndLast, ZokkBundleMissingPicture,
                         ::testing::Values(Script::pictures[0],
                                           Script::pictures[Script::pictureCount - 1]));

} // namespace
