// Encodes a stereo signal as an Ogg Vorbis file with libvorbisenc.
//
// The stream's serial number is fixed and the comments carry no date, so encoding the same
// samples twice gives the same bytes.
#pragma once

#include "Dsp.h"

#include <string>

namespace ogg_out {

// Writes `signal` (44.1 kHz, samples in -1..1) to `path` at VBR `quality` (-0.1 .. 1).
// Returns false after writing one line to standard error if anything fails.
bool write(const std::string& path, const dsp::Stereo& signal, float quality);

} // namespace ogg_out
