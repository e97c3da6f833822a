// The real zokk executable, started as a user starts it: from the repository root, under the
// test's own Xvfb, with the music on the dummy or the disk audio driver.
#include "Images.h"
#include "Process.h"
#include "SceneHarness.h"
#include "Script.h"
#include "ShowChecks.h"

#include <X11/Xlib.h>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using e2e::Demo;
using namespace showchecks;
using Env = std::map<std::string, std::string>;

using e2e::sleepSeconds;

TEST(ZokkShow, PlaysAllFourScenesInOrderAndShowsEachOfThem) {
    Demo demo;
    // Scene 1 runs until its statistics line appears; look at it a second after the start.
    sleepSeconds(2.0);
    const testimages::Image scene1 = e2e::screenshot();
    ASSERT_TRUE(demo.waitForLines(1, 15));
    const double scene2Start = e2e::now();
    sleepSeconds(1.3); // "from your truly", 951..1650 ms into scene 2
    const testimages::Image scene2 = e2e::screenshot();
    // "Initing..." is not flushed, so scene 2's line is the next one that shows.
    ASSERT_TRUE(demo.waitForLines(2, 10));
    EXPECT_NEAR(e2e::now() - scene2Start, 3.0, 0.5);
    sleepSeconds(1.0); // the first word, square to the viewer at 900 ms
    const testimages::Image scene3 = e2e::screenshot();
    ASSERT_TRUE(demo.waitForLines(4, 15)); // scene 3's line, behind its "Initing..."
    sleepSeconds(10.0);                    // the closing picture, from 8000 ms into scene 4
    const testimages::Image scene4 = e2e::screenshot();

    ASSERT_TRUE(demo.wait(30));
    EXPECT_EQ(demo.exitStatus(), 0);
    EXPECT_GT(demo.seconds(), 29.9);
    EXPECT_LT(demo.seconds(), 29.9 + 10.0) << "start-up and shut-down take seconds at most";
    expectCompleteShowOutput(demo.out());
    expectNoOwnErrors(demo.err());

    expectScreenshotsOfTheShow("show", {scene1, scene2, scene3, scene4});
    // Scene 3's picture is mostly the folded background tile, not the strobe of scene 2.
    EXPECT_GT(testimages::differingFraction(scene2, scene3, 32), 0.5);
    EXPECT_GT(testimages::differingFraction(scene1, scene3, 32), 0.5);
}

TEST(ZokkShow, EscapeDuringScene2EndsItAtOnceWithOnlyScene1sLine) {
    Demo demo;
    ASSERT_TRUE(demo.waitForLines(1, 15));
    sleepSeconds(0.5);
    const double pressed = e2e::now();
    e2e::pressKey("Escape");
    ASSERT_TRUE(demo.wait(5));
    EXPECT_LT(e2e::now() - pressed, 1.0);
    EXPECT_EQ(demo.exitStatus(), 0);
    EXPECT_EQ(linesIn(demo.out()), 1) << demo.out();
    EXPECT_NE(demo.out().find(Script::statisticsLabels[0]), std::string::npos) << demo.out();
}

TEST(ZokkShow, WithoutAnAudioDeviceKeepsItsTiming) {
    Demo demo(Env{{"SDL_AUDIODRIVER", "no-such-driver"}});
    ASSERT_TRUE(demo.waitForLines(1, 15));
    const double scene1Ended = demo.secondsSinceStart();
    e2e::pressKey("Escape");
    ASSERT_TRUE(demo.wait(5));
    EXPECT_EQ(demo.exitStatus(), 0);
    // Scene 1 still runs its 6.3 s, after a start-up of a second or two at most.
    EXPECT_GT(scene1Ended, 6.3);
    EXPECT_LT(scene1Ended, 6.3 + 3.0);
    EXPECT_NE(demo.out().find(Script::statisticsLabels[0]), std::string::npos) << demo.out();
    expectNoOwnErrors(demo.err());
}

TEST(ZokkShow, PlaysTheMusicFrom30SecondsInFadingInAndTogglesFullScreenOnF) {
    const std::string capture = testimages::outputDir() + "/zokk-audio.raw";
    Demo demo(Env{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", capture}});
    sleepSeconds(2.0);
    e2e::pressKey("f"); // to a window
    sleepSeconds(0.5);
    e2e::pressKey("f"); // and back
    ASSERT_TRUE(demo.wait(45));
    EXPECT_EQ(demo.exitStatus(), 0);
    expectCompleteShowOutput(demo.out());

    expectMusicFrom30Seconds(capture, 20);
}

// A copy of the files the show reads in a scratch folder, without one of them.
std::string dataWithout(const std::string& missing) {
    char scratch[] = "/tmp/zokk-data-XXXXXX";
    const std::string dir = mkdtemp(scratch);
    const std::string data = dir + "/data";
    mkdir(data.c_str(), 0755);
    char cwd[4096];
    EXPECT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::vector<std::string> files{Script::musicFile};
    files.insert(files.end(), std::begin(Script::pictures), std::end(Script::pictures));
    for (const std::string& file : files) {
        if (file != missing) {
            EXPECT_EQ(symlink((std::string(cwd) + "/" + file).c_str(), (dir + "/" + file).c_str()),
                      0);
        }
    }
    return dir;
}

TEST(ZokkShow, WithoutTheMusicPlaysSilentlyWithTheSameScenes) {
    const std::string dir = dataWithout(Script::musicFile);
    const std::string capture = testimages::outputDir() + "/zokk-silence.raw";
    Demo demo(Env{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", capture}}, dir);
    ASSERT_TRUE(demo.wait(45));
    EXPECT_EQ(demo.exitStatus(), 0);
    EXPECT_GT(demo.seconds(), 29.9);
    expectCompleteShowOutput(demo.out());
    const std::vector<float> played = leftChannel(capture);
    EXPECT_EQ(rms(played.data(), played.size()), 0.0);
    e2e::removeTree(dir);
}

class ZokkMissingPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ZokkMissingPicture, SaysWhichAndExitsBeforeTheShow) {
    const std::string dir = dataWithout(GetParam());
    Demo demo(Env{}, dir);
    ASSERT_TRUE(demo.wait(20));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_LT(demo.seconds(), 5.0);
    const std::string line = std::string("PNG: Failed to open ") + GetParam() + " for reading\n";
    EXPECT_NE(demo.err().find(line), std::string::npos) << demo.err();
    EXPECT_EQ(demo.err().find("PNG: ", demo.err().find(line) + 1), std::string::npos)
        << "one line, for the one missing picture:\n"
        << demo.err();
    EXPECT_EQ(demo.out(), "") << "no scene runs";
    e2e::removeTree(dir);
}

INSTANTIATE_TEST_SUITE_P(EachInTurn, ZokkMissingPicture, ::testing::ValuesIn(Script::pictures));

// Whether a window of the X server at $DISPLAY, at any depth, has the show's title.
bool showWindowExists() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        ADD_FAILURE() << "cannot open the test's display";
        return false;
    }
    std::vector<Window> pending{DefaultRootWindow(display)};
    bool found = false;
    while (!pending.empty() && !found) {
        const Window window = pending.back();
        pending.pop_back();
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            found = std::strcmp(name, Script::title) == 0;
            XFree(name);
        }
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, window, &root, &parent, &children, &count)) {
            pending.insert(pending.end(), children, children + count);
            XFree(children);
        }
    }
    XCloseDisplay(display);
    return found;
}

// The stored CRC of the first IDAT chunk flipped: the data is intact, libpng refuses it.
void damageFirstIDAT(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr) << path;
    long at = 8; // behind the signature
    unsigned char head[8];
    while (std::fseek(file, at, SEEK_SET) == 0 && std::fread(head, 1, 8, file) == 8) {
        const long length =
            long(head[0]) << 24 | long(head[1]) << 16 | long(head[2]) << 8 | long(head[3]);
        if (std::memcmp(head + 4, "IDAT", 4) == 0) {
            const long crc = at + 8 + length;
            std::fseek(file, crc, SEEK_SET);
            const int byte = std::fgetc(file);
            std::fseek(file, crc, SEEK_SET);
            std::fputc(byte ^ 0x01, file);
            break;
        }
        at += 12 + length;
    }
    std::fclose(file);
}

// libpng's reason first, then the loader's own line; the show ends before it starts, and its
// window goes with it.
TEST(ZokkDamagedPicture, GivesLibpngsReasonThenTheLoadersLineAndExits1) {
    const std::string picture = Script::faenPicture;
    const std::string dir = dataWithout(picture);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::filesystem::copy_file(std::string(cwd) + "/" + picture, dir + "/" + picture);
    damageFirstIDAT(dir + "/" + picture);
    Demo demo(Env{}, dir);
    ASSERT_TRUE(demo.wait(20));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_NE(demo.err().find("libpng error: IDAT: CRC error\nPNG: setjmp() failed\n"),
              std::string::npos)
        << demo.err();
    EXPECT_EQ(demo.out(), "") << "no scene runs";
    EXPECT_FALSE(showWindowExists()) << "the window is left behind";
    e2e::removeTree(dir);
}

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

// The faults group (ctest -L faults): how the show ends when it is told to stop, or loses its
// display. Each case states what it measured.

class Faults : public ::testing::TestWithParam<int> {};

TEST_P(Faults, AStopSignalDuringScene2EndsTheShowAsEscapeDoes) {
    const int signal = GetParam();
    Demo demo;
    ASSERT_TRUE(demo.waitForLines(1, 15));
    sleepSeconds(0.5);
    const double sent = demo.secondsSinceStart();
    demo.signal(signal);
    ASSERT_TRUE(demo.wait(5));
    const double toExit = demo.seconds() - sent;
    std::printf("figure: SIG%s during scene 2: status %d, %.3f s to exit, %d statistics line(s)\n",
                sigabbrev_np(signal), demo.exitStatus(), toExit, linesIn(demo.out()));
    EXPECT_EQ(demo.exitStatus(), 128 + signal);
    // Some 0.35 s on an idle machine, 0.3 s of it closing the dummy audio device and shutting
    // SDL down, as after Escape; the bound is Escape's test's, which leaves room for a loaded
    // machine.
    EXPECT_LT(toExit, 1.0);
    // Scene 1's line, written when it ended, and none for the scene that was cut short.
    EXPECT_EQ(linesIn(demo.out()), 1) << demo.out();
    EXPECT_NE(demo.out().find(Script::statisticsLabels[0]), std::string::npos) << demo.out();
    expectNoOwnErrors(demo.err());
}

INSTANTIATE_TEST_SUITE_P(EachSignal, Faults, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string("SIG") + sigabbrev_np(info.param);
                         });

TEST(Faults, LosingTheDisplayMidShowEndsItWithStatus1) {
    e2e::XServer server;
    ASSERT_NE(server.display(), "");
    Demo demo(Env{{"DISPLAY", server.display()}});
    ASSERT_TRUE(demo.waitForLines(1, 15));
    sleepSeconds(0.5);
    const double lost = demo.secondsSinceStart();
    server.kill();
    ASSERT_TRUE(demo.wait(5));
    const double toExit = demo.seconds() - lost;
    std::printf("figure: display lost during scene 2: status %d, %.3f s to exit, said \"%s\"\n",
                demo.exitStatus(), toExit, demo.err().substr(0, demo.err().find('\n')).c_str());
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_LT(toExit, 1.0);
    EXPECT_NE(demo.err().find("X connection to " + server.display() + " broken"), std::string::npos)
        << demo.err();
    EXPECT_EQ(linesIn(demo.out()), 1) << demo.out();
}

} // namespace
