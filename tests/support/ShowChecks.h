// Checks of a whole run of the show, shared by every test that plays it as a user would (the
// Linux executable and the Windows one under Wine): its standard output, the grey-level
// contrast of a screenshot, and the sound it wrote through SDL's disk audio driver compared
// with a decode of the music file.
#pragma once

#include "Images.h"

#include <cstddef>
#include <string>
#include <vector>

namespace showchecks {

// The whole standard output of a complete show: a statistics line per scene in queue order,
// with "Initing..." as scenes 3 and 4 begin, and nothing else.
void expectCompleteShowOutput(const std::string& out);

// The average frame rate of each statistics line in out, in playing order (as many as there
// are).
std::vector<double> sceneFrameRates(const std::string& out);

// None of the program's own failure lines (picture loader, SDL start-up, video mode).
void expectNoOwnErrors(const std::string& err);

int linesIn(const std::string& text);

// Standard deviation of the grey level: near 0 for a blank window.
double contrast(const testimages::Image& image);

// Screenshots of a whole show on a display of the show's own size, one a scene in playing
// order, saved as <prefix>-scene<N>.png in the test output for a look: each fills the display
// and none is blank, and the last, of the still closing picture, is scene 4's golden frame
// (within 24 levels a channel and 2 % of the pixels beyond, for the screen's scaling).
void expectScreenshotsOfTheShow(const std::string& prefix,
                                const std::vector<testimages::Image>& shots);

// Reads raw signed 16-bit stereo samples; keeps the left channel.
std::vector<float> leftChannel(const std::string& path);

// The left channel of musicPath from `from` seconds on, `seconds` long.
std::vector<float> musicFrom(const std::string& musicPath, double from, double seconds);

double correlation(const float* a, const float* b, size_t n);
double rms(const float* a, size_t n);

// Where a window of `music` best matches within the first `searchFrames` of `played`;
// `best` receives the correlation there.
size_t musicStartIn(const std::vector<float>& played, const std::vector<float>& music,
                    size_t window, size_t searchFrames, double& best);

// The sound the show wrote through SDL's disk audio driver (raw signed 16-bit stereo at
// 44.1 kHz, at least minSeconds of it) is Script's music from where the show starts it: it
// starts within a second, two seconds later it still plays in step at the file's own level
// (SDL_mixer fades in by one 4096-frame step, so the 100 ms fade-in is long over), and the
// fade never makes the start louder than the file.
void expectMusicFrom30Seconds(const std::string& capturePath, double minSeconds);

} // namespace showchecks
