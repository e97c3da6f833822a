// The instruments of the soundtrack: each call renders one note or hit into a stereo buffer
// at an absolute time in seconds.
//
// Notes are MIDI numbers (69 = A4 = 440 Hz). Pan runs from -1 (left) to 1 (right). A filter
// sweep is given as a function of absolute time, so a sweep runs across many notes the way a
// knob turned by hand would.
#pragma once

#include "Dsp.h"

#include <functional>
#include <vector>

namespace inst {

using Curve = std::function<double(double)>;

void kick(dsp::Stereo& out, double t0, double gain);
void snare(dsp::Stereo& out, double t0, double gain);
void clap(dsp::Stereo& out, double t0, double gain);
void hat(dsp::Stereo& out, double t0, double gain, bool open, double pan);
void crash(dsp::Stereo& out, double t0, double gain);
// Filtered noise rising in pitch and level for `length` seconds, ending on t0 + length.
void riser(dsp::Stereo& out, double t0, double length, double gain);
// A falling sine that thumps under a big moment.
void subDrop(dsp::Stereo& out, double t0, double gain);

// A saw-and-sub bass with its own short filter envelope on top of the swept cutoff.
void bass(dsp::Stereo& out, double t0, double length, int note, double gain, const Curve& cutoff);
// A seven-voice detuned saw lead spread across the stereo field.
void lead(dsp::Stereo& out, double t0, double length, int note, double gain, const Curve& cutoff);
// A slow chord of detuned saws; the chord shares one filter per side.
void pad(dsp::Stereo& out, double t0, double length, const std::vector<int>& notes, double gain,
         const Curve& cutoff);
// A short bright chord with a snapping filter envelope.
void stab(dsp::Stereo& out, double t0, const std::vector<int>& notes, double gain);
// A plucked saw-square note for arpeggios.
void pluck(dsp::Stereo& out, double t0, int note, double gain, double cutoff, double pan);
// A two-operator FM bell with a long ring.
void bell(dsp::Stereo& out, double t0, int note, double gain, double pan);

} // namespace inst
