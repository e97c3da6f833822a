// The frame test's build of zokk.exe (zokk-frames.exe): the demo's own main, script, scenes and
// loop, on a clock and a swap set through FrameSeam that step through chosen moments of each
// scene and write those frames out, and with rand and srand wrapped to the GNU C library's
// generator (seam/GnuRandom, as the page's). Its frames are then the ones the golden-frame tests
// draw on Linux, by the same rules (tests/support/GoldenFrame.h).
//
// ZOKK_SHOTS lists the moments as "<scene>-<ms>" words, scenes counted from 1, in playing
// order and each before its scene's end. Every such frame is written to shot-<scene>-<ms>.rgb
// in the working directory: RGB of the script's size, bottom row first, as OpenGL reads it.
#include "FrameSeam.h"
#include "GnuRandom.h"
#include "GoldenFrame.h"
#include "Script.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
int __wrap_rand(void);
void __wrap_srand(unsigned seed);
}

namespace {

using golden::sceneStart;

// One pass of the main loop: it handles the events, maybe switches scenes, and draws one frame
// of the current scene, which its swap ends.
struct Pass {
    Uint32 ticks;
    // At a scene's end: the loop's first reading sees the scene over, every later one finds
    // the clock back at sceneStart, where the next scene starts. (The ending scene's statistics
    // line then reads a running time of 0: this build's standard output is not the show's.)
    bool restart;
    bool seeded;      // rand() is seeded with golden::seed before the frame
    std::string shot; // the frame is written to this file
};

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "zokk-frames: %s\n", why.c_str());
    std::exit(2);
}

std::vector<Pass> planFrom(const char* shots) {
    if (!shots) {
        fail("ZOKK_SHOTS is not set");
    }
    // The first pass starts scene 1, at sceneStart.
    std::vector<Pass> plan{{sceneStart, false, false, ""}};
    int scene = 1;
    std::istringstream words(shots);
    for (std::string word; words >> word;) {
        int wanted = 0;
        unsigned ms = 0;
        char end = 0;
        if (std::sscanf(word.c_str(), "%d-%u%c", &wanted, &ms, &end) != 2 || wanted < scene ||
            wanted > Script::sceneCount || ms >= Script::durations[wanted - 1]) {
            fail("not a moment of a later scene, before its end: " + word);
        }
        for (; scene < wanted; ++scene) {
            plan.push_back({sceneStart + Script::durations[scene - 1], true, false, ""});
        }
        for (int frame = 1; frame < golden::framesDrawn; ++frame) {
            plan.push_back({sceneStart + ms, false, true, ""});
        }
        plan.push_back({sceneStart + ms, false, true, "shot-" + word + ".rgb"});
    }
    for (; scene <= Script::sceneCount; ++scene) {
        plan.push_back({sceneStart + Script::durations[scene - 1], true, false, ""});
    }
    return plan;
}

std::vector<Pass> plan;
size_t pass = 0; // the pass under way, once the plan is read
Uint32 ticks = sceneStart;
bool restartAtNextRead = false;
GnuRandom random;

void writeFrame(const std::string& path) {
    std::vector<unsigned char> pixels(Script::width * Script::height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Script::width, Script::height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(pixels.data(), 1, pixels.size(), file) != pixels.size()) {
        fail("cannot write " + path);
    }
    std::fclose(file);
}

// Sets the clock and the random numbers for pass k of the plan.
void begin(size_t k) {
    pass = k;
    if (k < plan.size()) {
        ticks = plan[k].ticks;
        restartAtNextRead = plan[k].restart;
        if (plan[k].seeded) {
            random.seed(golden::seed);
        }
    }
}

Uint32 readClock() {
    // The first pass begins with the first reading, when the first scene starts.
    if (plan.empty()) {
        plan = planFrom(std::getenv("ZOKK_SHOTS"));
        begin(0);
    }
    const Uint32 now = ticks;
    if (restartAtNextRead) {
        restartAtNextRead = false;
        ticks = sceneStart;
    }
    return now;
}

// The scene's swap ends its pass's frame; the next pass begins behind it.
void swap() {
    if (pass < plan.size() && !plan[pass].shot.empty()) {
        writeFrame(plan[pass].shot);
    }
    FrameSeam::present();
    begin(pass + 1);
}

const bool installed = [] {
    FrameSeam::setClock(readClock);
    FrameSeam::setSwap(swap);
    return true;
}();

} // namespace

int __wrap_rand(void) {
    return random.next();
}

void __wrap_srand(unsigned seed) {
    random.seed(seed);
}
