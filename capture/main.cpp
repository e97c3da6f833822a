// zokk-capture: plays the show as the demo does, with its own window, scenes and main loop,
// but on a stepped clock, and writes every frame as raw RGB of the script's size (top row first) to
// standard output, for an encoder to read. No sound: the soundtrack is the music file itself.
// scripts/capture.sh runs it on a private display and encodes the video.
//
// SIGINT, SIGTERM and SIGHUP end it as they end the demo, with 128 + the signal's number,
// after the frames drawn so far; the encoder then sees the end of its input. A lost display
// ends it with one line and status 1.
//
// What the encoder needs to cut the soundtrack as the show plays it is in the show's facts
// (tools/showfacts).
#include "FrameClock.h"
#include "Mainloop.h"
#include "Recorder.h"
#include "Script.h"
#include "StopSignals.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

// The frame rate from "--fps N"; 0 when the arguments are anything else.
int fpsFrom(int argc, char* argv[]) {
    if (argc != 3 || std::strcmp(argv[1], "--fps") != 0) {
        return 0;
    }
    char* end = nullptr;
    const long fps = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || fps < FrameClock::minFps || fps > FrameClock::maxFps) {
        return 0;
    }
    return static_cast<int>(fps);
}

// Xlib ends the process (status 1) when the connection to the display breaks, right after
// this handler, which says so in one line of the capture's own. Ctrl-C or a hang-up reaches
// the private X server too, which may then go first: that is no fault, and ends as the signal
// does.
int displayLost(Display* display) {
    if (StopSignals::caught() != 0) {
        std::exit(StopSignals::exitStatus(1));
    }
    std::fprintf(stderr, "zokk-capture: lost the display %s: its X server went away\n",
                 DisplayString(display));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const int fps = fpsFrom(argc, argv);
    if (fps == 0) {
        std::cerr << "usage: zokk-capture --fps N (" << FrameClock::minFps << " to "
                  << FrameClock::maxFps << "): writes the show's frames, " << Script::width << " x "
                  << Script::height << " RGB, to standard output" << std::endl;
        return 2;
    }
    // Standard output carries the frames: the scenes' own lines must not end up among them.
    std::cout.rdbuf(nullptr);

    StopSignals stopSignals; // before SDL starts, as in the demo
    const XIOErrorHandler xlibsOwn = XSetIOErrorHandler(displayLost);
    int status = 0;
    {
        Recorder recorder(fps, stdout);
        Mainloop mainloop;
        // As in the demo: the window or the picture loader has said what went wrong.
        if (mainloop.hasWindow() && Script::queueScenes(mainloop)) {
            mainloop.run();
            // A stopped capture is short on purpose; that needs no message.
            status = recorder.finish(StopSignals::caught() == 0) ? 0 : 1;
        } else {
            status = 1;
        }
    } // the window closes and SDL shuts down here
    XSetIOErrorHandler(xlibsOwn);
    return StopSignals::exitStatus(status);
}
