#include "Instruments.h"

#include <algorithm>
#include <cmath>

using dsp::kPi;
using dsp::kSampleRate;

namespace inst {

namespace {

long frameAt(double t) {
    return std::lround(t * kSampleRate);
}

void panGains(double pan, double& l, double& r) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    l = std::cos(angle);
    r = std::sin(angle);
}

// A seed that differs for every note but depends only on what the note is, so re-rendering
// gives the same noise.
std::uint64_t seedFor(double t0, int salt) {
    return static_cast<std::uint64_t>(frameAt(t0)) * 31ull + static_cast<std::uint64_t>(salt);
}

// Attack, then hold, then a linear release over the last `release` seconds of `length`.
double gate(double t, double length, double attack, double release) {
    if (t < 0.0 || t >= length)
        return 0.0;
    double a = attack > 0.0 ? std::min(1.0, t / attack) : 1.0;
    const double left = length - t;
    if (left < release)
        a *= left / release;
    return a;
}

} // namespace

void kick(dsp::Stereo& out, double t0, double gain) {
    const long start = frameAt(t0);
    const int n = static_cast<int>(0.42 * kSampleRate);
    dsp::Noise noise(seedFor(t0, 1));
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double f = 46.0 + 130.0 * std::exp(-t / 0.028) + 400.0 * std::exp(-t / 0.004);
        phase += f / kSampleRate;
        const double body = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.22);
        const double click = noise.next() * std::exp(-t / 0.0015) * 0.4;
        const double fadeOut = std::min(1.0, (0.42 - t) / 0.03);
        const double v = std::tanh(1.6 * (body + click)) * gain * fadeOut;
        out.add(start + i, v, v);
    }
}

void snare(dsp::Stereo& out, double t0, double gain) {
    const long start = frameAt(t0);
    const int n = static_cast<int>(0.35 * kSampleRate);
    dsp::Noise noise(seedFor(t0, 2));
    dsp::Svf band;
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += (180.0 + 60.0 * std::exp(-t / 0.01)) / kSampleRate;
        const double tone = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.05) * 0.6;
        const double hiss = band.process(noise.next(), 3500.0, 0.7).band * std::exp(-t / 0.1);
        const double v = (tone + hiss * 1.3) * gain;
        out.add(start + i, v, v);
    }
}

void clap(dsp::Stereo& out, double t0, double gain) {
    const long start = frameAt(t0);
    const int n = static_cast<int>(0.3 * kSampleRate);
    dsp::Noise noise(seedFor(t0, 3));
    dsp::Svf bandL, bandR;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        // Three quick bursts and a tail, like several hands not quite together.
        double env = std::exp(-t / 0.09);
        for (double burst : {0.0, 0.011, 0.023})
            if (t >= burst && t < burst + 0.01)
                env = std::max(env, std::exp(-(t - burst) / 0.004) * 1.2);
        const double l = bandL.process(noise.next(), 1300.0, 1.2).band * env;
        const double r = bandR.process(noise.next(), 1450.0, 1.2).band * env;
        out.add(start + i, l * gain, r * gain);
    }
}

void hat(dsp::Stereo& out, double t0, double gain, bool open, double pan) {
    const long start = frameAt(t0);
    const double decay = open ? 0.16 : 0.028;
    const int n = static_cast<int>((open ? 0.6 : 0.12) * kSampleRate);
    dsp::Noise noise(seedFor(t0, open ? 4 : 5));
    dsp::Svf high;
    double pl, pr;
    panGains(pan, pl, pr);
    // Six detuned squares give the metallic ring under the noise.
    static const double ratios[6] = {1.0, 1.342, 1.2312, 1.6532, 1.9523, 2.1523};
    double phases[6] = {0, 0, 0, 0, 0, 0};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double metal = 0.0;
        for (int k = 0; k < 6; ++k) {
            phases[k] += 330.0 * ratios[k] / kSampleRate;
            metal += phases[k] - std::floor(phases[k]) < 0.5 ? 1.0 : -1.0;
        }
        const double src = noise.next() + metal * 0.08;
        const double v = high.process(src, 7500.0, 0.8).high * std::exp(-t / decay) * gain;
        out.add(start + i, v * pl, v * pr);
    }
}

void crash(dsp::Stereo& out, double t0, double gain) {
    const long start = frameAt(t0);
    const int n = static_cast<int>(3.0 * kSampleRate);
    dsp::Noise noiseL(seedFor(t0, 6)), noiseR(seedFor(t0, 7));
    dsp::Svf highL, highR;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double env =
            std::exp(-t / 0.8) * std::min(1.0, t / 0.002) * std::min(1.0, (3.0 - t) / 0.3);
        const double l = highL.process(noiseL.next(), 5000.0, 0.6).high;
        const double r = highR.process(noiseR.next(), 5000.0, 0.6).high;
        out.add(start + i, l * env * gain, r * env * gain);
    }
}

void riser(dsp::Stereo& out, double t0, double length, double gain) {
    const long start = frameAt(t0);
    const int n = static_cast<int>(length * kSampleRate);
    dsp::Noise noiseL(seedFor(t0, 8)), noiseR(seedFor(t0, 9));
    dsp::Svf bandL, bandR;
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double x = t / length;
        const double centre = 250.0 * std::pow(40.0, x);
        const double env = x * x * gain;
        phase += (110.0 * std::pow(8.0, x)) / kSampleRate;
        const double tone = dsp::sawBlep(phase, 110.0 * std::pow(8.0, x) / kSampleRate) * 0.12;
        const double l = bandL.process(noiseL.next() + tone, centre, 2.5).band;
        const double r = bandR.process(noiseR.next() + tone, centre * 1.03, 2.5).band;
        out.add(start + i, l * env, r * env);
    }
}

void subDrop(dsp::Stereo& out, double t0, double gain) {
    const long start = frameAt(t0);
    const int n = static_cast<int>(1.6 * kSampleRate);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += (30.0 + 50.0 * std::exp(-t / 0.35)) / kSampleRate;
        const double v = std::sin(2.0 * kPi * phase) * std::exp(-t / 0.6) *
                         std::min(1.0, t / 0.005) * std::min(1.0, (1.6 - t) / 0.2) * gain;
        out.add(start + i, v, v);
    }
}

void bass(dsp::Stereo& out, double t0, double length, int note, double gain, const Curve& cutoff) {
    const long start = frameAt(t0);
    const int n = static_cast<int>((length + 0.01) * kSampleRate);
    const double f = dsp::midiToHz(note);
    dsp::Svf filter;
    double phase = 0.0, subPhase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double dt = f / kSampleRate;
        phase += dt;
        subPhase += dt * 0.5;
        const double saw = dsp::sawBlep(phase, dt);
        const double sub = std::sin(2.0 * kPi * subPhase);
        const double fc = cutoff(t0 + t) * (1.0 + 3.0 * std::exp(-t / 0.04));
        const double filtered = filter.process(saw, fc, 1.4).low;
        const double env = gate(t, length + 0.01, 0.002, 0.015);
        const double v = std::tanh(1.3 * (filtered * 0.8 + sub * 0.7)) * env * gain;
        out.add(start + i, v, v);
    }
}

void lead(dsp::Stereo& out, double t0, double length, int note, double gain, const Curve& cutoff) {
    const long start = frameAt(t0);
    const double release = 0.12;
    const int n = static_cast<int>((length + release) * kSampleRate);
    const double f = dsp::midiToHz(note);
    static const double detune[7] = {0.0, -0.11, 0.11, -0.06, 0.06, -0.19, 0.19};
    static const double pans[7] = {0.0, -0.8, 0.8, -0.4, 0.4, -1.0, 1.0};
    double phases[7];
    double gl[7], gr[7];
    dsp::Noise seed(seedFor(t0, note));
    for (int k = 0; k < 7; ++k) {
        phases[k] = (seed.next() + 1.0) * 0.5;
        panGains(pans[k] * 0.7, gl[k], gr[k]);
    }
    dsp::Svf filterL, filterR;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double l = 0.0, r = 0.0;
        for (int k = 0; k < 7; ++k) {
            const double dt = f * std::pow(2.0, detune[k] / 12.0) / kSampleRate;
            phases[k] += dt;
            const double s = dsp::sawBlep(phases[k], dt);
            l += s * gl[k];
            r += s * gr[k];
        }
        const double fc = cutoff(t0 + t) * (1.0 + 1.5 * std::exp(-t / 0.08));
        l = filterL.process(l, fc, 1.0).low;
        r = filterR.process(r, fc, 1.0).low;
        const double env =
            gate(t, length + release, 0.005, release) * (0.75 + 0.25 * std::exp(-t / 0.2));
        out.add(start + i, l * env * gain * 0.3, r * env * gain * 0.3);
    }
}

void pad(dsp::Stereo& out, double t0, double length, const std::vector<int>& notes, double gain,
         const Curve& cutoff) {
    const long start = frameAt(t0);
    const double attack = std::min(0.6, length * 0.3);
    const double release = 0.5;
    const int n = static_cast<int>((length + release) * kSampleRate);
    struct Voice {
        double phase, step, gl, gr;
    };
    std::vector<Voice> voices;
    dsp::Noise seed(seedFor(t0, 11));
    int index = 0;
    for (int note : notes) {
        for (double cents : {-9.0, 0.0, 9.0}) {
            Voice v;
            v.phase = (seed.next() + 1.0) * 0.5;
            v.step = dsp::midiToHz(note + cents / 100.0) / kSampleRate;
            panGains(cents / 9.0 * 0.8 * ((index % 2) ? -1.0 : 1.0), v.gl, v.gr);
            voices.push_back(v);
        }
        ++index;
    }
    dsp::Svf filterL, filterR;
    const double norm = gain / std::sqrt(static_cast<double>(voices.size()));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double l = 0.0, r = 0.0;
        for (auto& v : voices) {
            v.phase += v.step;
            const double s = dsp::sawBlep(v.phase, v.step);
            l += s * v.gl;
            r += s * v.gr;
        }
        const double fc = cutoff(t0 + t);
        l = filterL.process(l, fc, 0.8).low;
        r = filterR.process(r, fc, 0.8).low;
        const double env = gate(t, length + release, attack, release);
        out.add(start + i, l * env * norm, r * env * norm);
    }
}

void stab(dsp::Stereo& out, double t0, const std::vector<int>& notes, double gain) {
    const long start = frameAt(t0);
    const double length = 0.3;
    const int n = static_cast<int>(length * kSampleRate);
    dsp::Svf filterL, filterR;
    std::vector<double> phases;
    dsp::Noise seed(seedFor(t0, 12));
    for (std::size_t k = 0; k < notes.size() * 2; ++k)
        phases.push_back((seed.next() + 1.0) * 0.5);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double l = 0.0, r = 0.0;
        for (std::size_t k = 0; k < notes.size(); ++k) {
            const double dtL = dsp::midiToHz(notes[k] - 0.08) / kSampleRate;
            const double dtR = dsp::midiToHz(notes[k] + 0.08) / kSampleRate;
            phases[2 * k] += dtL;
            phases[2 * k + 1] += dtR;
            l += dsp::sawBlep(phases[2 * k], dtL);
            r += dsp::sawBlep(phases[2 * k + 1], dtR);
        }
        const double fc = 600.0 + 7000.0 * std::exp(-t / 0.06);
        const double env = std::exp(-t / 0.09) * std::min(1.0, (length - t) / 0.02);
        l = filterL.process(l, fc, 1.5).low * env * gain;
        r = filterR.process(r, fc, 1.5).low * env * gain;
        out.add(start + i, l, r);
    }
}

void pluck(dsp::Stereo& out, double t0, int note, double gain, double cutoff, double pan) {
    const long start = frameAt(t0);
    const double length = 0.35;
    const int n = static_cast<int>(length * kSampleRate);
    const double dt = dsp::midiToHz(note) / kSampleRate;
    double pl, pr;
    panGains(pan, pl, pr);
    dsp::Svf filter;
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += dt;
        const double src = dsp::sawBlep(phase, dt) * 0.6 + dsp::squareBlep(phase * 1.002, dt) * 0.4;
        const double fc = cutoff * (0.3 + 2.5 * std::exp(-t / 0.05));
        const double env = std::exp(-t / 0.12) * std::min(1.0, (length - t) / 0.02);
        const double v = filter.process(src, fc, 2.0).low * env * gain;
        out.add(start + i, v * pl, v * pr);
    }
}

void bell(dsp::Stereo& out, double t0, int note, double gain, double pan) {
    const long start = frameAt(t0);
    const double length = 3.0;
    const int n = static_cast<int>(length * kSampleRate);
    const double f = dsp::midiToHz(note);
    double pl, pr;
    panGains(pan, pl, pr);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double index = 2.5 * std::exp(-t / 0.5);
        const double mod = std::sin(2.0 * kPi * f * 3.5 * t) * index;
        const double env =
            std::exp(-t / 0.9) * std::min(1.0, t / 0.002) * std::min(1.0, (length - t) / 0.2);
        const double v = std::sin(2.0 * kPi * f * t + mod) * env * gain;
        out.add(start + i, v * pl, v * pr);
    }
}

} // namespace inst
