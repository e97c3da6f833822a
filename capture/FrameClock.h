// The clock of a captured video: which moment of the show each video frame shows.
//
// At N frames a second, frame k stands for the show time k * 1000 / N ms. SDL's clock counts
// whole milliseconds, so that time is rounded down, with one exception: when a scene switch
// falls strictly between two frames' exact times, the later frame shows the switch instant
// itself. The loop then starts the next scene on exactly its nominal millisecond, so every
// scene runs its own time from its own start and the show ends at exactly its length, at any
// rate. (Whenever k * 1000 / N is a whole number, which at a multiple of 10 frames a second
// includes every switch, the frame shows exactly its time.)
//
// The video holds every frame whose exact time lies before the end of the show: the frame
// count is the length times N, rounded up.
#pragma once

#include <SDL.h>

class FrameClock {
public:
    // The frame rates a video is recorded at, frames a second.
    static constexpr int minFps = 24;
    static constexpr int maxFps = 240;

    // fps frames a second over scenes that run durations[0 .. count) ms in turn.
    FrameClock(int fps, const unsigned int* durations, int count);

    int frameCount() const { return frames; }
    // The clock reading for frame k; frameCount() gives the end of the show itself, where the
    // last scene has run its time.
    Uint32 ticksAt(int frame) const;

private:
    static constexpr int maxScenes = 16;
    int fps;
    int switches;                 // scene starts after the first, and the end
    Uint32 switchAt[maxScenes]{}; // in show time, ascending
    int frames;
};
