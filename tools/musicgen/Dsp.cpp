#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace dsp {

void Stereo::mix(const Stereo& other, double gain) {
    const std::size_t n = std::min(frames(), other.frames());
    for (std::size_t i = 0; i < n; ++i) {
        left[i] += other.left[i] * gain;
        right[i] += other.right[i] * gain;
    }
}

double Noise::next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    const std::uint64_t bits = (state * 0x2545F4914F6CDD1Dull) >> 11;
    return static_cast<double>(bits) / static_cast<double>(1ull << 52) - 1.0;
}

Svf::Out Svf::process(double in, double cutoff, double q) {
    const double fc = std::clamp(cutoff, 10.0, kSampleRate * 0.45);
    const double g = std::tan(kPi * fc / kSampleRate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = in - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    return {v2, v1, in - k * v1 - v2};
}

double OnePole::low(double in, double cutoff) {
    const double a = 1.0 - std::exp(-2.0 * kPi * cutoff / kSampleRate);
    z += a * (in - z);
    return z;
}

namespace {

// The polyBLEP correction around a discontinuity at phase 0 (phase in 0..1).
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// A comb filter with a damped feedback path, as in the classic Schroeder-Moorer design.
class Comb {
public:
    explicit Comb(std::size_t length) : buffer(length, 0.0) {}
    double process(double in, double feedback, double damping) {
        const double out = buffer[pos];
        store = out * (1.0 - damping) + store * damping;
        buffer[pos] = in + store * feedback;
        pos = (pos + 1) % buffer.size();
        return out;
    }

private:
    std::vector<double> buffer;
    std::size_t pos = 0;
    double store = 0.0;
};

class AllPass {
public:
    explicit AllPass(std::size_t length) : buffer(length, 0.0) {}
    double process(double in) {
        const double delayed = buffer[pos];
        const double out = delayed - in;
        buffer[pos] = in + delayed * 0.5;
        pos = (pos + 1) % buffer.size();
        return out;
    }

private:
    std::vector<double> buffer;
    std::size_t pos = 0;
};

} // namespace

double sawBlep(double phase, double phaseStep) {
    const double t = phase - std::floor(phase);
    return 2.0 * t - 1.0 - blep(t, phaseStep);
}

double squareBlep(double phase, double phaseStep) {
    const double t = phase - std::floor(phase);
    double v = t < 0.5 ? 1.0 : -1.0;
    v += blep(t, phaseStep);
    const double t2 = t + 0.5 - std::floor(t + 0.5);
    v -= blep(t2, phaseStep);
    return v;
}

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

void reverb(const Stereo& in, Stereo& out, double roomSize, double damping) {
    // Delay lengths in samples at 44.1 kHz, mutually prime-ish so the echoes do not line up.
    static const std::size_t combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const std::size_t allPassLengths[4] = {556, 441, 341, 225};
    const std::size_t spread = 23;
    std::vector<Comb> combsL, combsR;
    std::vector<AllPass> passesL, passesR;
    for (std::size_t n : combLengths) {
        combsL.emplace_back(n);
        combsR.emplace_back(n + spread);
    }
    for (std::size_t n : allPassLengths) {
        passesL.emplace_back(n);
        passesR.emplace_back(n + spread);
    }
    const double feedback = 0.7 + 0.28 * roomSize;
    for (std::size_t i = 0; i < in.frames() && i < out.frames(); ++i) {
        const double mono = (in.left[i] + in.right[i]) * 0.015;
        double l = 0.0, r = 0.0;
        for (auto& c : combsL)
            l += c.process(mono, feedback, damping);
        for (auto& c : combsR)
            r += c.process(mono, feedback, damping);
        for (auto& a : passesL)
            l = a.process(l);
        for (auto& a : passesR)
            r = a.process(r);
        out.left[i] += l;
        out.right[i] += r;
    }
}

void pingPongDelay(const Stereo& in, Stereo& out, double delaySeconds, double feedback,
                   double toneCutoff) {
    const std::size_t d = static_cast<std::size_t>(std::lround(delaySeconds * kSampleRate));
    std::vector<double> lineL(d, 0.0), lineR(d, 0.0);
    OnePole toneL, toneR;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < in.frames() && i < out.frames(); ++i) {
        const double echoL = lineL[pos];
        const double echoR = lineR[pos];
        // The input enters on the left only and the sides feed each other, so the echoes
        // bounce from side to side.
        lineL[pos] = toneL.low((in.left[i] + in.right[i]) * 0.5 + echoR * feedback, toneCutoff);
        lineR[pos] = toneR.low(echoL, toneCutoff);
        pos = (pos + 1) % d;
        out.left[i] += echoL;
        out.right[i] += echoR;
    }
}

void dcBlock(Stereo& signal, double cutoff) {
    OnePole l, r;
    for (std::size_t i = 0; i < signal.frames(); ++i) {
        signal.left[i] = l.high(signal.left[i], cutoff);
        signal.right[i] = r.high(signal.right[i], cutoff);
    }
}

void limit(Stereo& signal, double ceiling, double lookahead, double release) {
    const std::size_t n = signal.frames();
    if (n == 0)
        return;
    std::vector<double> gain(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double level = std::max(std::fabs(signal.left[i]), std::fabs(signal.right[i]));
        gain[i] = level > ceiling ? ceiling / level : 1.0;
    }
    // Backwards: the gain ramps down linearly over the look-ahead before each peak.
    const double attackStep = 1.0 / std::max(1.0, lookahead * kSampleRate);
    for (std::size_t i = n - 1; i-- > 0;)
        gain[i] = std::min(gain[i], gain[i + 1] + attackStep);
    // Forwards: after a peak the gain returns to 1 exponentially.
    const double recover = 1.0 - std::exp(-1.0 / (release * kSampleRate));
    for (std::size_t i = 1; i < n; ++i)
        gain[i] = std::min(gain[i], gain[i - 1] + (1.0 - gain[i - 1]) * recover);
    for (std::size_t i = 0; i < n; ++i) {
        signal.left[i] *= gain[i];
        signal.right[i] *= gain[i];
    }
}

} // namespace dsp
