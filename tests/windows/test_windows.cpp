// The Windows build as a Windows user gets it: zokk.exe started under Wine from a copy of the
// unpacked zip, on the test's own Xvfb. run-wine-tests.sh builds and unpacks the zip, sets up
// the Wine prefix that $ZOKK_EXE (wine-zokk.sh) runs the executable with, and runs the
// ZokkOnWindowsDesktop cases on a 1280 x 720 screen, the others on a 640 x 480 one.
//
// The shipped zokk.exe runs on SDL's own clock, so its screenshots are taken at times counted
// from the moment the window appears, each well inside its scene, and compared with the
// scenes' colours and shapes (the closing picture of scene 4 is still, so it is compared with
// its golden frame). Exact frames come from the test build zokk-frames.exe
// ($ZOKK_FRAMES_EXE, FrameShots.cpp), which steps the clock itself.
#include "Images.h"
#include "Process.h"
#include "SceneHarness.h"
#include "Script.h"
#include "ShowChecks.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using e2e::Demo;
using e2e::exists;
using e2e::removeTree;
using namespace showchecks;
using Env = std::map<std::string, std::string>;

std::string unpacked() {
    const char* dir = std::getenv("ZOKK_WINDOWS_DIR");
    return dir ? dir : "";
}

// A file the demo wrote in text mode: every line ends in CR LF, as Windows' C runtime writes
// it; returned with LF line ends so that it compares with the Linux texts byte for byte.
std::string textFile(const std::string& path) {
    const std::string raw = e2e::readFile(path);
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n') {
            EXPECT_TRUE(i > 0 && raw[i - 1] == '\r') << "a line without CR in " << path;
        }
        if (raw[i] != '\r' || i + 1 >= raw.size() || raw[i + 1] != '\n') {
            text += raw[i];
        }
    }
    return text;
}

// A fresh copy of the unpacked zip, without the file `missing` (relative to its folder), so
// that every run starts without the stdout.txt and stderr.txt of another.
std::string copyOfZip(const std::string& missing = "") {
    char scratch[] = "/tmp/zokk-windows-XXXXXX";
    const std::string dir = mkdtemp(scratch);
    EXPECT_EQ(std::system(("cp -r '" + unpacked() + "/.' '" + dir + "'").c_str()), 0);
    if (!missing.empty()) {
        EXPECT_EQ(std::remove((dir + "/" + missing).c_str()), 0);
    }
    return dir;
}

void sleepUntil(double when) {
    std::this_thread::sleep_for(std::chrono::duration<double>(when - e2e::now()));
}

// When the demo's window shows up on the display: the video mode is set, and the scenes are
// built from here on; scene 1 starts as soon as they are.
double windowAppears(Demo& demo, double timeoutSeconds) {
    const double deadline = e2e::now() + timeoutSeconds;
    while (e2e::now() < deadline && demo.running()) {
        if (std::system("xdotool search --name '^ZOKK!!!~~$' >/dev/null 2>&1") == 0) {
            return e2e::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}

// Share of pixels whose channels differ by more than 40: the strongly coloured ones.
double colouredFraction(const testimages::Image& image) {
    long coloured = 0;
    for (size_t i = 0; i < image.rgb.size(); i += 3) {
        const auto [low, high] = std::minmax({image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]});
        coloured += high - low > 40;
    }
    return static_cast<double>(coloured) / std::max(1, image.width * image.height);
}

// How much of a golden frame of scene 2 a screenshot shows: the share of the frame's drawn
// pixels (any channel above 40; its strobe background was black) that the screenshot matches
// within 40 levels a channel. The strobe behind the title changes from frame to frame, the
// title itself does not.
double titleMatch(const testimages::Image& shot, const testimages::Image& reference) {
    long drawn = 0, matched = 0;
    for (size_t i = 0; i + 2 < std::min(shot.rgb.size(), reference.rgb.size()); i += 3) {
        const unsigned char* r = &reference.rgb[i];
        if (std::max({r[0], r[1], r[2]}) <= 40) {
            continue;
        }
        ++drawn;
        bool same = true;
        for (int c = 0; c < 3; ++c) {
            same = same && std::abs(shot.rgb[i + c] - r[c]) <= 40;
        }
        matched += same;
    }
    return drawn ? static_cast<double>(matched) / drawn : 0.0;
}

testimages::Image golden(const std::string& name) {
    testimages::Image image;
    EXPECT_TRUE(testimages::loadPNG(testimages::reference(name), image)) << name;
    return image;
}

TEST(ZokkWindowsZip, HoldsTheExecutableItsDLLsTheDataAndTheReadmeAlone) {
    std::set<std::string> dlls;
    std::istringstream listing(
        e2e::commandOutput("cd '" + unpacked() + "' && find . -type f | sort"));
    for (std::string file; std::getline(listing, file);) {
        file = file.substr(2);
        if (file.size() > 4 && file.compare(file.size() - 4, 4, ".dll") == 0) {
            dlls.insert(file);
        } else {
            EXPECT_TRUE(file == "zokk.exe" || file == "readme.txt" || file.rfind("data/", 0) == 0)
                << "not for the zip: " << file;
        }
    }
    EXPECT_TRUE(exists(unpacked() + "/zokk.exe"));
    EXPECT_TRUE(exists(unpacked() + "/readme.txt"));
    EXPECT_TRUE(exists(unpacked() + "/data/yo.ogg"));
    EXPECT_TRUE(exists(unpacked() + "/data/kelmar.png"));

    // Every DLL that the executable or a shipped DLL imports is shipped too, or is one of
    // Windows' own (Wine has each of those in its system32).
    const std::string system32 =
        std::string(std::getenv("WINEPREFIX")) + "/drive_c/windows/system32/";
    std::set<std::string> imported;
    std::vector<std::string> files = {"zokk.exe"};
    files.insert(files.end(), dlls.begin(), dlls.end());
    for (const std::string& file : files) {
        EXPECT_EQ(e2e::commandOutput("x86_64-w64-mingw32-objdump -h '" + unpacked() + "/" + file +
                                     "' | grep -c '\\.debug'"),
                  "0\n")
            << file << " carries debugging information";
        std::istringstream names(e2e::commandOutput("x86_64-w64-mingw32-objdump -p '" + unpacked() +
                                                    "/" + file +
                                                    "' | sed -n 's/^\\tDLL Name: //p'"));
        for (std::string dll; std::getline(names, dll);) {
            std::string lower = dll;
            std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
            EXPECT_TRUE(dlls.count(dll) || exists(system32 + lower))
                << file << " imports " << dll << ", neither shipped nor Windows' own";
            imported.insert(dll);
        }
    }
    // SDL.dll loads SDL2.dll when SDL starts instead of importing it.
    EXPECT_TRUE(dlls.count("SDL2.dll"));
    EXPECT_NE(e2e::readFile(unpacked() + "/SDL.dll").find("SDL2.dll"), std::string::npos);
    imported.insert("SDL2.dll");
    for (const std::string& dll : dlls) {
        EXPECT_TRUE(imported.count(dll)) << dll << " is shipped but nothing loads it";
    }
    EXPECT_TRUE(imported.count("SDL.dll"));
    EXPECT_TRUE(imported.count("SDL_mixer.dll"));
}

// The best match of a screenshot with any of scene 2's three titles (see titleMatch).
double titleShown(const testimages::Image& shot) {
    double best = 0;
    for (const char* name : {"scene2-950", "scene2-951", "scene2-1651"}) {
        best = std::max(best, titleMatch(shot, golden(name)));
    }
    return best;
}

bool windowGone(double timeoutSeconds) {
    const double deadline = e2e::now() + timeoutSeconds;
    while (e2e::now() < deadline) {
        if (std::system("xdotool search --name '^ZOKK!!!~~$' >/dev/null 2>&1") != 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

TEST(ZokkOnWindows, PlaysTheWholeShowFullScreenAndWritesOnlyStdoutTxt) {
    const std::string dir = copyOfZip();
    Demo demo(Env{{"SDL_AUDIODRIVER", "dummy"}}, dir);
    const double shown = windowAppears(demo, 60);
    ASSERT_GT(shown, 0) << "no window";
    // Each moment is inside its scene when the scenes take less than a second to build:
    // scene 1 from 0 to 6.3 s, scene 2 to 9.3 s, scene 3 to 16.7 s, scene 4's closing
    // picture from 24.7 s to the end at 29.9 s.
    sleepUntil(shown + 3.0);
    const testimages::Image scene1 = e2e::screenshot();
    sleepUntil(shown + 7.8);
    const testimages::Image scene2 = e2e::screenshot();
    sleepUntil(shown + 13.0);
    const testimages::Image scene3 = e2e::screenshot();
    sleepUntil(shown + 27.0);
    const testimages::Image scene4 = e2e::screenshot();

    ASSERT_TRUE(demo.wait(30));
    EXPECT_EQ(demo.exitStatus(), 0);
    EXPECT_GT(e2e::now() - shown, 29.9);
    expectCompleteShowOutput(textFile(dir + "/stdout.txt"));
    EXPECT_FALSE(exists(dir + "/stderr.txt")) << e2e::readFile(dir + "/stderr.txt");

    // Full-screen: the picture covers the whole display of its own size.
    expectScreenshotsOfTheShow("windows", {scene1, scene2, scene3, scene4});
    // Scene 1 is white wires over a grey strobe; scene 2 shows one of its titles (the
    // screenshots match one on 96 % or more of its drawn pixels, other scenes on 45 % at
    // most); scene 3 is mostly strong colour.
    EXPECT_LT(colouredFraction(scene1), 0.02);
    EXPECT_LT(titleShown(scene1), 0.6) << "scene 1 looks like a title";
    EXPECT_GT(titleShown(scene2), 0.85) << "none of scene 2's titles";
    EXPECT_GT(colouredFraction(scene3), 0.5);
    removeTree(dir);
}

TEST(ZokkOnWindows, PlaysTheMusicFrom30SecondsInFadingIn) {
    const std::string dir = copyOfZip();
    // The disk driver waits a chunk's length after writing it, so the file fills at the speed
    // of a sound card. (SDL_DISKAUDIODELAY must stay unset: SDL's getenv on Windows returns one
    // shared buffer, and reading the delay would overwrite the file name read before it.)
    Demo demo(Env{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", "zokk-audio.raw"}}, dir);
    ASSERT_TRUE(demo.wait(90));
    EXPECT_EQ(demo.exitStatus(), 0);
    expectCompleteShowOutput(textFile(dir + "/stdout.txt"));
    // SDL's disk driver announces itself on standard error; nothing else may be there.
    expectNoOwnErrors(textFile(dir + "/stderr.txt"));

    expectMusicFrom30Seconds(dir + "/zokk-audio.raw", 5);
    removeTree(dir);
}

// Started by its path from another working folder, which holds the data/ that the show reads
// there: its standard output still goes to stdout.txt beside zokk.exe, not into the working
// folder.
TEST(ZokkOnWindows, EscapeDuringScene2EndsItAtOnceWithOnlyScene1sLine) {
    const std::string dir = copyOfZip();
    char scratch[] = "/tmp/zokk-elsewhere-XXXXXX";
    const std::string elsewhere = mkdtemp(scratch);
    ASSERT_EQ(std::system(("cp -r '" + dir + "/data' '" + elsewhere + "/'").c_str()), 0);
    Demo demo(Env{{"SDL_AUDIODRIVER", "dummy"}, {"ZOKK_WINDOWS_EXE", dir + "/zokk.exe"}},
              elsewhere);
    const double shown = windowAppears(demo, 60);
    ASSERT_GT(shown, 0) << "no window";
    sleepUntil(shown + 7.8);
    const testimages::Image scene2 = e2e::screenshot();
    e2e::pressKey("Escape");
    // The show ends and its window closes at once (within 2 s on a busy machine: a frame of
    // scene 2 under Wine and software OpenGL can take a few hundred milliseconds).
    EXPECT_TRUE(windowGone(2.0));
    ASSERT_TRUE(demo.wait(20));
    EXPECT_EQ(demo.exitStatus(), 0);
    const std::string out = textFile(dir + "/stdout.txt");
    EXPECT_EQ(linesIn(out), 1) << out;
    EXPECT_NE(out.find(Script::statisticsLabels[0]), std::string::npos) << out;
    EXPECT_FALSE(exists(dir + "/stderr.txt")) << e2e::readFile(dir + "/stderr.txt");
    EXPECT_FALSE(exists(elsewhere + "/stdout.txt")) << "written into the working folder";
    EXPECT_FALSE(exists(elsewhere + "/stderr.txt")) << "written into the working folder";
    EXPECT_GT(titleShown(scene2), 0.85) << "Escape was not pressed during scene 2";
    removeTree(dir);
    removeTree(elsewhere);
}

class ZokkOnWindowsMissingPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ZokkOnWindowsMissingPicture, WritesTheLoadersLineToStderrTxtAndExits1) {
    const std::string dir = copyOfZip(std::string("data/") + GetParam());
    Demo demo(Env{{"SDL_AUDIODRIVER", "dummy"}}, dir);
    ASSERT_TRUE(demo.wait(60));
    EXPECT_EQ(demo.exitStatus(), 1);
    EXPECT_EQ(textFile(dir + "/stderr.txt"),
              std::string("PNG: Failed to open data/") + GetParam() + " for reading\n");
    EXPECT_FALSE(exists(dir + "/stdout.txt")) << "no scene ran:\n"
                                              << e2e::readFile(dir + "/stdout.txt");
    removeTree(dir);
}

// The first picture loaded and the last one.
INSTANTIATE_TEST_SUITE_P(FirstAndLast, ZokkOnWindowsMissingPicture,
                         ::testing::Values("dizuduv.png", "quenbrite.png"));

// A frame that zokk-frames.exe wrote: 640 x 480 RGB, bottom row first.
testimages::Image rawFrame(const std::string& path) {
    const std::string raw = e2e::readFile(path);
    testimages::Image image;
    const size_t row = 640 * 3;
    if (raw.size() == row * 480) {
        image.width = 640;
        image.height = 480;
        image.rgb.resize(raw.size());
        for (size_t y = 0; y < 480; ++y) {
            std::copy_n(raw.data() + (479 - y) * row, row, image.rgb.begin() + y * row);
        }
    }
    return image;
}

TEST(ZokkOnWindowsFrames, TheTestBuildDrawsEveryScenesGoldenFrames) {
    // Every golden frame "scene<k>-<ms>" of a moment the show reaches (before its scene ends).
    std::vector<harness::Moment> moments;
    std::string shots;
    for (const harness::Moment& m : harness::goldenMoments()) {
        if (m.ms < Script::durations[m.scene - 1]) {
            moments.push_back(m);
            shots += std::to_string(m.scene) + "-" + std::to_string(m.ms) + " ";
        }
    }
    const std::string dir = copyOfZip();
    std::filesystem::copy_file(std::getenv("ZOKK_FRAMES_EXE"), dir + "/zokk.exe",
                               std::filesystem::copy_options::overwrite_existing);
    Demo demo(Env{{"SDL_AUDIODRIVER", "dummy"}, {"ZOKK_SHOTS", shots}}, dir);
    ASSERT_TRUE(demo.wait(120));
    EXPECT_EQ(demo.exitStatus(), 0);
    EXPECT_FALSE(exists(dir + "/stderr.txt")) << e2e::readFile(dir + "/stderr.txt");

    // At the golden-frame tests' tolerance.
    int worst[Script::sceneCount] = {};
    std::set<int> scenes;
    for (const harness::Moment& m : moments) {
        const auto frame = rawFrame(dir + "/shot-" + std::to_string(m.scene) + "-" +
                                    std::to_string(m.ms) + ".rgb");
        EXPECT_TRUE(harness::matchesGolden(frame, m.name())) << m.name();
        worst[m.scene - 1] =
            std::max(worst[m.scene - 1], testimages::worstDifference(frame, golden(m.name())));
        scenes.insert(m.scene);
    }
    EXPECT_EQ(scenes.size(), 4u) << "a scene without golden frames";
    for (int scene = 1; scene <= Script::sceneCount; ++scene) {
        std::cout << "scene " << scene << ": worst channel difference " << worst[scene - 1]
                  << std::endl;
    }
    removeTree(dir);
}

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Where the demo's picture is on the display. Wine draws the frame of a window itself and
// gives the OpenGL picture a child window of its own, the client area.
Rect pictureRect() {
    Rect r;
    const std::string id = e2e::commandOutput("xdotool search --name '^ZOKK!!!~~$' | head -n 1");
    Display* display = XOpenDisplay(nullptr);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (display && !id.empty() &&
        XQueryTree(display, std::stoul(id), &root, &parent, &children, &count) && count == 1) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, children[0], &attributes);
        Window unused;
        XTranslateCoordinates(display, children[0], root, 0, 0, &r.x, &r.y, &unused);
        r.width = attributes.width;
        r.height = attributes.height;
    }
    if (children) {
        XFree(children);
    }
    if (display) {
        XCloseDisplay(display);
    }
    return r;
}

// The part r of image, sampled at every step-th half pixel (step 2: as it is; 3: shrunk by 1.5).
testimages::Image part(const testimages::Image& image, Rect r, int step = 2) {
    testimages::Image out;
    out.width = r.width * 2 / step;
    out.height = r.height * 2 / step;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const unsigned char* p = image.at(std::min(image.width - 1, r.x + (step * x + 1) / 2),
                                              std::min(image.height - 1, r.y + (step * y + 1) / 2));
            out.rgb.insert(out.rgb.end(), p, p + 3);
        }
    }
    return out;
}

// Full-screen on the 1280 x 720 screen: the window covers it, the picture fills the middle
// 960 x 720 and black bars the sides. Returns the picture shrunk back to 640 x 480.
testimages::Image fullScreenPicture(const char* when) {
    const Rect r = pictureRect();
    EXPECT_TRUE(r.x == 0 && r.y == 0 && r.width == 1280 && r.height == 720)
        << when << ": the window is " << r.width << " x " << r.height << " at " << r.x << ", "
        << r.y;
    const testimages::Image screen = e2e::screenshot();
    for (const Rect bar : {Rect{0, 0, 160, 720}, Rect{1120, 0, 160, 720}}) {
        const testimages::Image side = part(screen, bar);
        testimages::Image black = side;
        std::fill(black.rgb.begin(), black.rgb.end(), 0);
        EXPECT_LE(testimages::worstDifference(side, black), 8) << when << ": no black bar";
    }
    return part(screen, Rect{160, 0, 960, 720}, 3);
}

testimages::Image windowPicture(const char* when) {
    const Rect r = pictureRect();
    EXPECT_TRUE(r.width == 640 && r.height == 480)
        << when << ": the window is " << r.width << " x " << r.height;
    return part(e2e::screenshot(), r);
}

// Two pictures half a second apart in scene 1: white wires over a grey strobe, moving.
void expectScene1Drawing(const testimages::Image& a, const testimages::Image& b, const char* when) {
    EXPECT_GT(contrast(a), 20.0) << when << ": a blank picture";
    EXPECT_LT(colouredFraction(a), 0.02) << when << ": not scene 1";
    EXPECT_GT(testimages::differingFraction(a, b, 16), 0.01) << when << ": the show stands still";
}

TEST(ZokkOnWindowsDesktop, FullScreenScalesToTheDesktopAndFTogglesAnyNumberOfTimes) {
    const std::string dir = copyOfZip();
    Demo demo(Env{{"SDL_AUDIODRIVER", "dummy"}}, dir);
    const double shown = windowAppears(demo, 60);
    ASSERT_GT(shown, 0) << "no window";
    // Scene 1 (to 6.3 s once the scenes are built): full-screen, a window, full-screen.
    const char* steps[] = {"full-screen", "after f", "after f again"};
    for (int step = 0; step < 3; ++step) {
        sleepUntil(shown + 2.0 + 1.4 * step);
        const auto a = step == 1 ? windowPicture(steps[step]) : fullScreenPicture(steps[step]);
        sleepUntil(shown + 2.5 + 1.4 * step);
        const auto b = step == 1 ? windowPicture(steps[step]) : fullScreenPicture(steps[step]);
        expectScene1Drawing(a, b, steps[step]);
        e2e::pressKey("f");
    }
    // Back in a window for scene 2's titles, then full-screen and a window in scene 3, whose
    // pictures are textures as the titles are: none may be lost in a toggle.
    sleepUntil(shown + 7.8);
    EXPECT_GT(titleShown(windowPicture("scene 2")), 0.85) << "none of scene 2's titles";
    e2e::pressKey("f");
    sleepUntil(shown + 11.0);
    EXPECT_GT(colouredFraction(fullScreenPicture("scene 3")), 0.5);
    e2e::pressKey("f");
    sleepUntil(shown + 13.0);
    EXPECT_GT(colouredFraction(windowPicture("scene 3, again")), 0.5);
    e2e::pressKey("f");
    // The closing picture, full-screen after six toggles.
    sleepUntil(shown + 27.0);
    EXPECT_TRUE(testimages::matchesReference(fullScreenPicture("the end"),
                                             testimages::reference("scene4-8000"), 24, 0.02));

    ASSERT_TRUE(demo.wait(30));
    EXPECT_EQ(demo.exitStatus(), 0);
    expectCompleteShowOutput(textFile(dir + "/stdout.txt"));
    EXPECT_FALSE(exists(dir + "/stderr.txt")) << e2e::readFile(dir + "/stderr.txt");
    removeTree(dir);
}

} // namespace
