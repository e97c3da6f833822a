// showfacts: writes the show's facts, as Script sets them, into one text file for whatever
// reads them outside C++ (the install of data/, the video capture, the package test, the web
// page's tests). The one program that writes them.
// Usage: showfacts OUTPUT
//
// One fact a line: its name, a space, its value.
//   frame_size    the picture's width and height in pixels
//   capture_fps   the lowest and the highest frame rate of the video (the capture's own)
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
#include "FrameClock.h"
#include "Script.h"

#include <fstream>
#include <iostream>
#include <string>

namespace {

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
    out.close();
    if (!out) {
        std::cerr << "showfacts: cannot write " << argv[1] << std::endl;
        return 1;
    }
    return 0;
}
