// The soundtrack's arrangement: which instrument plays what, when.
//
// The demo starts the music 30 s into the file and cuts its scenes at about 6.3, 9.3, 16.7
// and 29.9 s of the show, with the last image changing at 24.7 s (Score.cpp takes these moments
// from the show's script). The piece runs at 150 beats
// a minute, so a sixteenth lasts exactly 0.1 s and every one of those moments falls on the
// grid: the drop, the break, the build, the climax and the final hit sit on them.
#pragma once

#include "Dsp.h"

namespace score {

// Length of the piece in seconds.
constexpr double kLength = 68.0;

// Renders the whole piece, mixed and limited to a peak of `peak` (linear, below 1).
dsp::Stereo render(double peak);

} // namespace score
