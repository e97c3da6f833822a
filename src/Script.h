// The script of the show: the music, where in the file it starts and how it fades in, and the
// four scenes in their order with their running times.
//
// It stands in one place so that everything that plays the show (the demo, the video
// capture) plays exactly the same one.
#pragma once

#include <SDL.h>

class Mainloop;

class Script {
public:
    // The audio device: 44.1 kHz, signed 16-bit little-endian stereo, 4096-frame chunks.
    static constexpr int audioRate = 44100;
    static constexpr Uint16 audioFormat = AUDIO_S16LSB;
    static constexpr int audioChannels = 2;
    static constexpr int audioChunk = 4096;

    // The music, relative to the working directory, played once from musicStart seconds into
    // the file and faded in over fadeInMs.
    static constexpr const char* musicFile = "data/yo.ogg";
    static constexpr double musicStart = 30.0;
    static constexpr int fadeInMs = 100;

    // Running time of each scene in playing order, in milliseconds; they add up to length.
    static constexpr int sceneCount = 4;
    static constexpr unsigned int durations[sceneCount] = {6300, 3000, 7400, 13200};
    static constexpr unsigned int length =
        durations[0] + durations[1] + durations[2] + durations[3];

    // Builds the scenes in playing order inside mainloop's OpenGL context and queues each
    // before the next is built. Returns false, having stopped building, as soon as one
    // scene's picture failed to load (the loader has said which): the show must not start.
    static bool queueScenes(Mainloop& mainloop);
};
