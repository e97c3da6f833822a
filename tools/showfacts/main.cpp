// showfacts: writes the show's facts, as Script sets them, into one text file for whatever
// reads them outside C++ (the install of data/, the video capture, the package test, the web
// page's tests). The one program that writes them.
// Usage: showfacts OUTPUT
//
// One fact a line: its name, a space, its value.
//   frame_size    the picture's width and height in pixels
//   capture_fps   the lowest and the highest frame rate of the video (the capture's own)
//   capture_height  the lowest and the highest height the video is scaled to, in lines
//   music         the music file, relative to the working directory
//   start         where the show starts playing it, in seconds into the file
//   fade_ms       how long the music fades in
//   audio_rate    the sound's sample rate, per second
//   audio_channels  the sound's channels
//   durations_ms  the scenes' running times in playing order, separated by spaces
//   length_ms     the whole show
//   pictures      every picture the scenes read, separated by spaces
//   statistics    one line per scene in playing order: its statistics line as a printf
//                 format. Scene::writeStatistics writes the frame count (%u), the scene's
//                 label and the average frame rate in a stream's default notation, which is
//                 printf's %g; a tab is written \t, and the end of line is left out.
//   preview_starts_ms  where the video's preview takes each of its moments, one of each scene
//                 in playing order, in milliseconds into the show, separated by spaces
//   preview_moment_ms  how long each moment of the preview is
#include "FrameClock.h"
#include "Script.h"

#include <fstream>
#include <iostream>
#include <string>

namespace {

// The video's own facts, which the show itself does not play by: the heights the capture
// scales to, from the show's own lines to a 4K screen's, and the preview's moments: the
// shaken solid, the three titles, a word turning, and the flickering names giving way to the
// last picture.
constexpr int minCaptureHeight = 240;
constexpr int maxCaptureHeight = 2160;
constexpr unsigned int previewStartsMs[Script::sceneCount] = {1500, 6900, 10500, 24000};
constexpr unsigned int previewMomentMs = 1500;

// Whether every moment of the preview lies whole inside its own scene.
constexpr bool previewInsideScenes() {
    unsigned int sceneStart = 0;
    for (int scene = 0; scene < Script::sceneCount; ++scene) {
        const unsigned int sceneEnd = sceneStart + Script::durations[scene];
        if (previewStartsMs[scene] < sceneStart ||
            previewStartsMs[scene] + previewMomentMs > sceneEnd) {
            return false;
        }
        sceneStart = sceneEnd;
    }
    return true;
}
static_assert(previewInsideScenes(), "each moment of the preview shows its own scene alone");

// A tab as the two characters \t, as a format for printf(1) writes it.
std::string escaped(const char* text) {
    std::string out;
    for (; *text; ++text) {
        out += *text == '\t' ? std::string("\\t") : std::string(1, *text);
    }
    return out;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: showfacts OUTPUT" << std::endl;
        return 2;
    }
    std::ofstream out(argv[1]);
    out << "frame_size " << Script::width << " " << Script::height << "\n"
        << "capture_fps " << FrameClock::minFps << " " << FrameClock::maxFps << "\n"
        << "capture_height " << minCaptureHeight << " " << maxCaptureHeight << "\n"
        << "music " << Script::musicFile << "\n"
        << "start " << Script::musicStart << "\n"
        << "fade_ms " << Script::fadeInMs << "\n"
        << "audio_rate " << Script::audioRate << "\n"
        << "audio_channels " << Script::audioChannels << "\n"
        << "durations_ms";
    for (unsigned int duration : Script::durations) {
        out << " " << duration;
    }
    out << "\nlength_ms " << Script::length << "\n"
        << "pictures";
    for (const char* picture : Script::pictures) {
        out << " " << picture;
    }
    out << "\n";
    for (const char* label : Script::statisticsLabels) {
        out << "statistics %u" << escaped(label) << "%g\n";
    }
    out << "preview_starts_ms";
    for (unsigned int start : previewStartsMs) {
        out << " " << start;
    }
    out << "\npreview_moment_ms " << previewMomentMs << "\n";
    out.close();
    if (!out) {
        std::cerr << "showfacts: cannot write " << argv[1] << std::endl;
        return 1;
    }
    return 0;
}
