#include "FrameClock.h"

FrameClock::FrameClock(int fps, const unsigned int* durations, int count)
    : fps(fps), switches(count < maxScenes ? count : maxScenes) {
    Uint32 at = 0;
    for (int i = 0; i < switches; ++i) {
        at += durations[i];
        switchAt[i] = at;
    }
    // Rounded up: a frame whose time lies even a fraction of a millisecond before the end
    // still shows the show.
    const unsigned long long end = static_cast<unsigned long long>(at) * fps;
    frames = static_cast<int>((end + 999) / 1000);
}

Uint32 FrameClock::ticksAt(int frame) const {
    // In thousandths of a millisecond times fps: exact comparisons, no floating point.
    const unsigned long long exact = static_cast<unsigned long long>(frame) * 1000;
    const unsigned long long before = frame > 0 ? exact - 1000 : 0;
    for (int i = 0; i < switches; ++i) {
        const unsigned long long at = static_cast<unsigned long long>(switchAt[i]) * fps;
        if (frame > 0 && before < at && at < exact) {
            return switchAt[i];
        }
    }
    return static_cast<Uint32>(exact / fps);
}
