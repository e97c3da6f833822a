// Turns the demo's own main loop into a video source.
//
// While a Recorder exists, every clock read and every swap of the demo's classes lands here,
// through FrameSeam. The clock then reads the show time of the frame being drawn (FrameClock), and
// each frame a scene has rendered is read back just before its swap, flipped to top row first and
// written as raw RGB of the script's size to the output; only after that does the clock move on to
// the next frame. The swap itself presents nothing while recording. The main loop runs unchanged
// and draws exactly one scene frame per video frame, so rand() follows the same sequence as a live
// run at that frame rate.
//
// While it works it shows its progress on standard error, when that is a terminal.
#pragma once

#include "FrameClock.h"

#include <chrono>
#include <cstdio>
#include <vector>

class Recorder {
public:
    // Records fps frames a second of the show as Script sets it, into out (not owned).
    Recorder(int fps, std::FILE* out);
    // Gives the clock and the swap back to SDL.
    ~Recorder();

    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Ends the progress line. True when every frame drawn was written and, if whole is set,
    // they were every frame of the show and nothing more; otherwise says what went wrong on
    // standard error.
    bool finish(bool whole);

private:
    // Writes the frame a scene has just finished and moves the clock on to the next.
    void frameDrawn();
    void writeFrame();
    void showProgress(bool last);

    FrameClock clock;
    std::FILE* out;
    int frame = 0; // the next frame to write
    bool writeFailed = false;
    bool progress;
    std::vector<unsigned char> pixels;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point shown;
};
