// The real zokk on what its users run: a Wayland desktop and the PipeWire sound server, headless
// and of the test's own (with-desktop.sh runs this executable on it: sway with one 640 x 480
// output at 60 Hz and no X server, PipeWire with its PulseAudio server). Every show records its
// sound from a null sink of its own; where a case needs another output size, or takes the
// compositor away, it starts a sway of its own beside the desktop's.
#include "Images.h"
#include "Process.h"
#include "Script.h"
#include "ShowChecks.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using e2e::Demo;
using e2e::sleepSeconds;
using namespace showchecks;
using Env = std::map<std::string, std::string>;

Env with(Env env, const Env& more) {
    env.insert(more.begin(), more.end());
    return env;
}

// Each scene's average frame rate with every present in step with the desktop's 60 Hz output:
// within 5 % of the output's rate, 57 to 63. Above it, the show is not in step: wlroots'
// headless output times its frames with a timer of whole milliseconds, 16 ms (62.5 a second),
// and a scene's first frame may come on top.
void expectInStepWith60Hz(const std::string& name, const std::string& out) {
    const std::vector<double> rates = sceneFrameRates(out);
    ASSERT_EQ(rates.size(), static_cast<size_t>(Script::sceneCount)) << out;
    for (size_t i = 0; i < rates.size(); ++i) {
        std::printf("figure: %s: scene %zu at %.1f fps\n", name.c_str(), i + 1, rates[i]);
        EXPECT_GE(rates[i], 57.0) << name << ": scene " << i + 1;
        EXPECT_LE(rates[i], 63.0) << name << ": scene " << i + 1 << " is not in step";
    }
}

TEST(DesktopShow, PlaysOnWaylandInStepWhenAskedWithTheMusicThroughTheDriverSDLPicks) {
    const std::string capture = testimages::outputDir() + "/desktop-auto.raw";
    e2e::SoundSink sink("zokk-auto", capture);
    ASSERT_TRUE(sink.recording());
    Demo demo(with(sink.env(), {{"SDL_VIDEODRIVER", "wayland"},
                                {"SDL12COMPAT_SYNC_TO_VBLANK", "1"},
                                {"SDL_AUDIODRIVER", ""}}));
    // A moment of each scene that shows its own picture, as the X11 show's screenshots do:
    // scene 1 2 s in, "from your truly" 1.3 s into scene 2, the first word square to the viewer
    // 1 s into scene 3, the still closing picture 10 s into scene 4 (its golden frame's).
    std::vector<testimages::Image> shots;
    sleepSeconds(2.0);
    shots.push_back(e2e::waylandScreenshot());
    ASSERT_TRUE(demo.waitForLines(1, 15));
    sleepSeconds(1.3);
    shots.push_back(e2e::waylandScreenshot());
    ASSERT_TRUE(demo.waitForLines(2, 10));
    sleepSeconds(1.0);
    shots.push_back(e2e::waylandScreenshot());
    ASSERT_TRUE(demo.waitForLines(4, 15));
    sleepSeconds(10.0);
    shots.push_back(e2e::waylandScreenshot());

    ASSERT_TRUE(demo.wait(30));
    sink.stop();
    EXPECT_EQ(demo.exitStatus(), 0) << demo.err();
    expectCompleteShowOutput(demo.out());
    expectNoOwnErrors(demo.err());
    expectInStepWith60Hz("asked for", demo.out());
    expectScreenshotsOfTheShow("wayland", shots);
    expectMusicFrom30Seconds(capture, 20);
}

TEST(DesktopShow, PicksWaylandByItselfAndKeepsInStepUnasked) {
    const std::string capture = testimages::outputDir() + "/desktop-pipewire.raw";
    e2e::SoundSink sink("zokk-pipewire", capture);
    ASSERT_TRUE(sink.recording());
    Demo demo(with(sink.env(), {{"SDL_VIDEODRIVER", ""},
                                {"SDL12COMPAT_SYNC_TO_VBLANK", ""},
                                {"SDL_AUDIODRIVER", "pipewire"}}));
    // Without DISPLAY, and on a desktop without Xwayland, a window on sway is a Wayland one.
    const bool onSway = e2e::waitUntil([] { return e2e::swayWindow(Script::title).shown; }, 10);

    ASSERT_TRUE(demo.wait(45));
    sink.stop();
    EXPECT_TRUE(onSway) << "no window titled " << Script::title << " on sway";
    EXPECT_EQ(demo.exitStatus(), 0) << demo.err();
    expectCompleteShowOutput(demo.out());
    expectNoOwnErrors(demo.err());
    expectInStepWith60Hz("unasked", demo.out());
    expectMusicFrom30Seconds(capture, 20);
}

// On an output larger than the show, where full-screen and a window differ in size.
TEST(DesktopKeys, FTogglesFullScreenAndEscapeEndsTheShowWithTheMusicOnPulseAudio) {
    e2e::Compositor compositor("800x600@60Hz");
    ASSERT_NE(compositor.display(), "");
    const std::string capture = testimages::outputDir() + "/desktop-pulseaudio.raw";
    e2e::SoundSink sink("zokk-pulseaudio", capture);
    ASSERT_TRUE(sink.recording());
    Demo demo(with(sink.env(),
                   {{"WAYLAND_DISPLAY", compositor.display()}, {"SDL_AUDIODRIVER", "pulseaudio"}}));
    e2e::SwayWindow window;
    const auto fullScreen = [&] {
        window = e2e::swayWindow(Script::title, compositor.ipcSocket());
        return window.fullscreen && window.width == 800 && window.height == 600;
    };
    // A window of the show's 640 x 480, and sway's border around it.
    const auto windowed = [&] {
        window = e2e::swayWindow(Script::title, compositor.ipcSocket());
        return window.shown && !window.fullscreen && window.width >= Script::width &&
               window.width < 800 && window.height >= Script::height && window.height < 600;
    };

    ASSERT_TRUE(e2e::waitUntil(fullScreen, 10))
        << "at first " << window.width << " x " << window.height;
    e2e::typeKey("f", compositor.display());
    EXPECT_TRUE(e2e::waitUntil(windowed, 2))
        << "after f " << window.width << " x " << window.height;
    e2e::typeKey("f", compositor.display());
    EXPECT_TRUE(e2e::waitUntil(fullScreen, 2))
        << "after f again " << window.width << " x " << window.height;

    ASSERT_TRUE(demo.waitForLines(1, 15));
    sleepSeconds(0.2);
    e2e::typeKey("Escape", compositor.display());
    const double pressed = e2e::now();
    ASSERT_TRUE(demo.wait(5));
    sink.stop();
    EXPECT_LT(e2e::now() - pressed, 1.0);
    EXPECT_EQ(demo.exitStatus(), 0) << demo.err();
    // Scene 1's line, and none for scene 2, which Escape cut short.
    EXPECT_EQ(linesIn(demo.out()), 1) << demo.out();
    EXPECT_NE(demo.out().find(Script::statisticsLabels[0]), std::string::npos) << demo.out();
    expectNoOwnErrors(demo.err());
    expectMusicFrom30Seconds(capture, 5);
}

TEST(DesktopFaults, LosingTheCompositorMidShowEndsItWithStatus1) {
    e2e::Compositor compositor("640x480@60Hz");
    ASSERT_NE(compositor.display(), "");
    Demo demo(Env{{"WAYLAND_DISPLAY", compositor.display()}, {"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(demo.waitForLines(1, 15));
    sleepSeconds(1.5); // some 8 s into the show
    const double lost = demo.secondsSinceStart();
    compositor.kill();
    ASSERT_TRUE(demo.wait(5)) << "still playing 5 s after the compositor's end";
    const double toExit = demo.seconds() - lost;
    std::printf("figure: compositor lost during scene 2: status %d, %.3f s to exit, said \"%s\"\n",
                demo.exitStatus(), toExit, demo.err().substr(0, demo.err().find('\n')).c_str());
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_LT(toExit, 0.5);
    EXPECT_EQ(linesIn(demo.err()), 1) << demo.err();
    EXPECT_EQ(linesIn(demo.out()), 1) << demo.out();
}

} // namespace
