// Turns the demo's own main loop into a video source.
//
// The capture executable is linked with --wrap=SDL_GetTicks and --wrap=SDL_GL_SwapBuffers, so
// every clock read and every swap of the demo's classes lands here while a Recorder exists.
// The clock then reads the show time of the frame being drawn (FrameClock), and each frame a
// scene has rendered is read back just before its swap, flipped to top row first and written
// as raw 640 x 480 RGB to the output; only after that does the clock move on to the next
// frame. The swap itself presents nothing while recording. The main loop runs unchanged and
// draws exactly one scene frame per video frame, so rand() follows the same sequence as a
// live run at that frame rate.
//
// While it works it shows its progress on standard error, when that is a terminal.
#pragma once

#include "FrameClock.h"
#include "SwapCounter.h"

#include <SDL.h>
#include <chrono>
#include <cstdio>
#include <vector>

class Recorder {
public:
    static constexpr int width = 640;
    static constexpr int height = 480;

    // Records fps frames a second of the show as Script sets it, into out (not owned).
    Recorder(int fps, std::FILE* out);
    // Gives the clock and the swap back to SDL.
    ~Recorder();

    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // What SDL_GetTicks reads while recording.
    Uint32 ticks() const { return clock.ticksAt(frame); }
    // Called before every buffer swap of the demo's classes.
    void beforeSwap();
    // Ends the progress line. True when every frame drawn was written and, if whole is set,
    // they were every frame of the show and nothing more; otherwise says what went wrong on
    // standard error.
    bool finish(bool whole);

private:
    void writeFrame();
    void showProgress(bool last);

    FrameClock clock;
    std::FILE* out;
    int frame = 0; // the next frame to write
    SwapCounter swaps;
    bool writeFailed = false;
    bool progress;
    std::vector<unsigned char> pixels;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point shown;
};
