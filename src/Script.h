// The script of the show: the music, where in the file it starts and how it fades in, the
// pictures the scenes show, and the four scenes in their order with their running times and
// the labels of their statistics lines.
//
// It stands in one place so that everything that plays the show (the demo, the video
// capture, the web page) plays exactly the same one, and whatever checks or ships the show
// outside C++ reads these facts from the file that tools/showfacts writes from here.
#pragma once

#include <SDL.h>

class Mainloop;

class Script {
public:
    // The window: its title, and the 640 x 480 picture every scene draws, with 24-bit colour
    // and depth. Whatever reads a frame back (the video, the tests) reads this size.
    static constexpr const char* title = "ZOKK!!!~~";
    static constexpr int width = 640;
    static constexpr int height = 480;
    static constexpr int depth = 24;

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

    // The pictures, relative to the working directory, each read once as its scene is built:
    // scene 2's three titles, scene 3's background, scene 4's closing picture and then its
    // flickering pair. With the music they are every file the show reads.
    static constexpr const char* dizuduvPicture = "data/dizuduv.png";
    static constexpr const char* fromYourTrulyPicture = "data/from_your_truly.png";
    static constexpr const char* plimbPicture = "data/plimb.png";
    static constexpr const char* faenPicture = "data/faen.png";
    static constexpr const char* kelmarPicture = "data/kelmar.png";
    static constexpr const char* dwonPicture = "data/dwon.png";
    static constexpr const char* quenbritePicture = "data/quenbrite.png";
    static constexpr int pictureCount = 7;
    static constexpr const char* pictures[pictureCount] = {
        dizuduvPicture, fromYourTrulyPicture, plimbPicture,    faenPicture,
        kelmarPicture,  dwonPicture,          quenbritePicture};

    // Running time of each scene in playing order, in milliseconds; they add up to length.
    static constexpr int sceneCount = 4;
    static constexpr unsigned int durations[sceneCount] = {6300, 3000, 7400, 13200};
    static constexpr unsigned int length =
        durations[0] + durations[1] + durations[2] + durations[3];
    // Each scene's text in the statistics line that its destructor writes between the frame
    // count and the average frame rate (Scene::writeStatistics), in playing order.
    static constexpr const char* statisticsLabels[sceneCount] = {
        " frames drawn\tAverage fps: ", " frames draw\tAverage fps: ",
        " frames draw\tAverage fps: ", " frames draw\tAverage fps: "};

    // Builds the scenes in playing order inside mainloop's OpenGL context and queues each
    // before the next is built. Returns false, having stopped building, as soon as one
    // scene's picture failed to load (the loader has said which): the show must not start.
    static bool queueScenes(Mainloop& mainloop);
};
