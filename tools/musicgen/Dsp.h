// The signal-processing building blocks of the soundtrack generator.
//
// Everything here is plain double arithmetic with no state outside the objects, so the same
// score renders to the same samples on every run. Noise comes from a private xorshift
// generator, never from rand() or the clock.
#pragma once

#include <cstdint>
#include <vector>

namespace dsp {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// A stereo signal of fixed length; samples outside the buffer are silently dropped so that
// notes may ring past the end of the piece.
struct Stereo {
    explicit Stereo(std::size_t frames) : left(frames, 0.0), right(frames, 0.0) {}
    std::size_t frames() const { return left.size(); }
    void add(long frame, double l, double r) {
        if (frame >= 0 && static_cast<std::size_t>(frame) < left.size()) {
            left[frame] += l;
            right[frame] += r;
        }
    }
    // Mixes another signal in, scaled.
    void mix(const Stereo& other, double gain);
    std::vector<double> left, right;
};

// White noise in -1..1 from a seeded xorshift64*.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double next();

private:
    std::uint64_t state;
};

// A state-variable filter (trapezoidal integration), stable under fast cutoff sweeps.
class Svf {
public:
    struct Out {
        double low, band, high;
    };
    // cutoff in Hz (clamped below Nyquist), q from 0.5 (soft) upwards.
    Out process(double in, double cutoff, double q);

private:
    double ic1 = 0.0, ic2 = 0.0;
};

// One-pole low-pass; high-pass is the input minus it.
class OnePole {
public:
    double low(double in, double cutoff);
    double high(double in, double cutoff) { return in - low(in, cutoff); }

private:
    double z = 0.0;
};

// A band-limited sawtooth (polyBLEP), phase in cycles.
double sawBlep(double phase, double phaseStep);
// A band-limited square of the same kind.
double squareBlep(double phase, double phaseStep);

double midiToHz(double note);

// A stereo feedback-delay reverb: eight combs and four all-passes per side, the right side
// slightly detuned for width.
void reverb(const Stereo& in, Stereo& out, double roomSize, double damping);

// A ping-pong delay: echoes alternate between the sides.
void pingPongDelay(const Stereo& in, Stereo& out, double delaySeconds, double feedback,
                   double toneCutoff);

// Removes DC and sub-audible rumble (a one-pole high-pass at `cutoff` Hz), in place.
void dcBlock(Stereo& signal, double cutoff);

// A look-ahead peak limiter, in place: the gain falls ahead of each peak over `lookahead`
// seconds, recovers over about `release` seconds, and no sample leaves above `ceiling`.
void limit(Stereo& signal, double ceiling, double lookahead, double release);

} // namespace dsp
