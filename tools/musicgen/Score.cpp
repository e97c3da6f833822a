#include "Score.h"

#include "Instruments.h"
#include "Script.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace score {

namespace {

constexpr double kSixteenth = 0.1;
constexpr double kBeat = 4 * kSixteenth;
constexpr double kBar = 4 * kBeat;

// Where the show's moments fall in the file, from the show's script. The demo seeks to its
// start before it opens its window and loads its pictures, so its clock starts a little after
// the music does; 0.1 s covers that start-up, and puts every moment on a sixteenth.
constexpr double kShowStart = Script::musicStart + 0.1;
// The end of the show's first n scenes, in seconds of the file.
constexpr double sceneEnd(int n) {
    unsigned int ms = 0;
    for (int i = 0; i < n; ++i) {
        ms += Script::durations[i];
    }
    return kShowStart + ms / 1000.0;
}
constexpr double kDrop = sceneEnd(1);                    // scene 2: strobing pictures
constexpr double kBreak = sceneEnd(2);                   // scene 3: turning words
constexpr double kBuild = sceneEnd(3);                   // scene 4: flickering pictures
constexpr double kClimax = kBuild + 8.0;                 // scene 4: the closing picture, 8 s in
constexpr double kEnding = sceneEnd(4);                  // the show ends
constexpr double kWords = Script::durations[2] / 1000.0; // scene 3's length

// Bars are counted from where playback begins.
double bar(double k) {
    return Script::musicStart + k * kBar;
}

struct Chord {
    int root;               // bass note
    std::vector<int> voice; // pad voicing
};

const Chord kAm{45, {57, 60, 64, 69}};
const Chord kF{41, {53, 57, 60, 65}};
const Chord kC{48, {55, 60, 64, 67}};
const Chord kG{43, {55, 59, 62, 67}};
const Chord kE{40, {56, 59, 64, 68}};
const Chord kFmaj7{41, {53, 57, 60, 64}};
const Chord kEm{40, {55, 59, 64, 67}};

struct Span {
    double from, to;
    const Chord* chord;
};

// The hook: sixteenth offset, length in sixteenths, note. Two bars over Am and F.
struct HookNote {
    int at, length, note;
};
const std::vector<HookNote> kHook = {
    {0, 2, 76},  {2, 2, 81},  {4, 1, 76},  {6, 2, 84},  {8, 2, 83},  {10, 2, 81},
    {12, 1, 79}, {14, 2, 81}, {16, 2, 84}, {18, 2, 81}, {20, 1, 77}, {22, 2, 81},
    {24, 2, 79}, {26, 2, 76}, {28, 2, 74}, {30, 2, 76},
};
// The climax turns the hook's second half towards the dominant: G for half a bar, then E.
const std::vector<HookNote> kHookTurn = {
    {32, 2, 86}, {34, 2, 83}, {36, 2, 79}, {38, 2, 83}, {40, 4, 80}, {44, 4, 83}, {48, 4, 88},
};

// The buses the arrangement writes into before the mix.
struct Buses {
    explicit Buses(std::size_t frames)
        : drums(frames), bass(frames), music(frames), fx(frames), echoSend(frames),
          reverbSend(frames) {}
    dsp::Stereo drums, bass, music, fx, echoSend, reverbSend;
    std::vector<double> kicks;
};

void kickAt(Buses& b, double t, double gain = 1.0) {
    inst::kick(b.drums, t, 0.9 * gain);
    b.kicks.push_back(t);
}

// Four-on-the-floor drums from `from` to `to`; `full` adds the clap and the sixteenth hats.
void groove(Buses& b, double from, double to, bool full) {
    for (double t = from; t < to - 1e-9; t += kBeat) {
        kickAt(b, t);
        const int beat = static_cast<int>(std::lround((t - from) / kBeat));
        inst::hat(b.drums, t + 2 * kSixteenth, 0.15, true, 0.2);
        if (full && beat % 2 == 1)
            inst::clap(b.drums, t, 0.55);
        if (full) {
            inst::hat(b.drums, t + kSixteenth, 0.12, false, -0.4);
            inst::hat(b.drums, t + 3 * kSixteenth, 0.14, false, 0.4);
        }
    }
}

// Bass on the off-eighths (`rolling` adds the two sixteenths after each kick instead).
void bassLine(Buses& b, const std::vector<Span>& spans, bool rolling, const inst::Curve& cutoff) {
    for (const Span& s : spans) {
        for (double t = s.from; t < s.to - 1e-9; t += kBeat) {
            if (rolling) {
                for (int k = 1; k < 4; ++k)
                    if (t + k * kSixteenth < s.to - 1e-9)
                        inst::bass(b.bass, t + k * kSixteenth, 0.085, s.chord->root, 0.5, cutoff);
            } else if (t + 2 * kSixteenth < s.to - 1e-9) {
                inst::bass(b.bass, t + 2 * kSixteenth, 0.17, s.chord->root, 0.5, cutoff);
            }
        }
    }
}

void pads(Buses& b, const std::vector<Span>& spans, double gain, const inst::Curve& cutoff) {
    for (const Span& s : spans) {
        inst::pad(b.music, s.from, s.to - s.from, s.chord->voice, gain, cutoff);
        inst::pad(b.reverbSend, s.from, s.to - s.from, s.chord->voice, gain * 0.5, cutoff);
    }
}

// Sixteenth arpeggio over the chord's upper notes, up two octaves and back.
void arpeggio(Buses& b, const std::vector<Span>& spans, double gain, const inst::Curve& cutoff,
              int stepSixteenths) {
    for (const Span& s : spans) {
        const std::vector<int>& v = s.chord->voice;
        std::vector<int> up = {v[1] + 12, v[2] + 12, v[3] + 12, v[1] + 24, v[2] + 24, v[3] + 24};
        int i = 0;
        for (double t = s.from; t < s.to - 1e-9; t += stepSixteenths * kSixteenth, ++i) {
            const int cycle = i % 10;
            const int index = cycle < 6 ? cycle : 10 - cycle;
            const double pan = (i % 2) ? 0.35 : -0.35;
            inst::pluck(b.music, t, up[index], gain, cutoff(t), pan);
            inst::pluck(b.echoSend, t, up[index], gain * 0.6, cutoff(t), pan);
        }
    }
}

void hook(Buses& b, double start, const std::vector<HookNote>& notes, double until,
          const inst::Curve& cutoff) {
    for (const HookNote& n : notes) {
        const double t = start + n.at * kSixteenth;
        if (t >= until - 1e-9)
            break;
        const double length = std::min(n.length * kSixteenth * 0.9, until - t);
        inst::lead(b.music, t, length, n.note, 0.55, cutoff);
        inst::lead(b.echoSend, t, length, n.note, 0.3, cutoff);
        inst::lead(b.reverbSend, t, length, n.note, 0.25, cutoff);
    }
}

// A snare roll whose hits get denser and louder: `division` sixteenths apart.
void roll(Buses& b, double from, double to, int division, double g0, double g1) {
    for (double t = from; t < to - 1e-9; t += division * kSixteenth) {
        const double x = (t - from) / (to - from);
        inst::snare(b.drums, t, g0 + (g1 - g0) * x);
    }
}

void impact(Buses& b, double t, double gain) {
    inst::crash(b.fx, t, 0.35 * gain);
    inst::crash(b.reverbSend, t, 0.2 * gain);
    inst::subDrop(b.fx, t, 0.55 * gain);
}

// The first thirty seconds: never heard in the show, but the file is a whole piece.
void intro(Buses& b) {
    const auto open = [](double t) { return 400.0 + 3000.0 * std::clamp(t / 30.0, 0.0, 1.0); };
    pads(b,
         {{0.0, bar(-16), &kAm},
          {bar(-16), bar(-14), &kF},
          {bar(-14), bar(-12), &kC},
          {bar(-12), bar(-10), &kG}},
         0.35, open);
    arpeggio(b, {{bar(-16), bar(-14), &kF}, {bar(-14), bar(-12), &kC}, {bar(-12), bar(-10), &kG}},
             0.16, open, 2);
    std::vector<Span> spans;
    const Chord* cycle[4] = {&kAm, &kF, &kC, &kG};
    for (int k = -10; k < 0; ++k)
        spans.push_back({bar(k), bar(k + 1), cycle[(k + 12) % 4]});
    pads(b, spans, 0.3, open);
    arpeggio(b, spans, 0.16, open, 1);
    groove(b, bar(-10), bar(-1), false);
    groove(b, bar(-6), bar(-1), true);
    bassLine(b, spans, false, [](double) { return 700.0; });
    // The last bar before playback begins: kick and a short roll into 30 s.
    for (int k = 0; k < 2; ++k)
        kickAt(b, bar(-1) + k * kBeat);
    roll(b, bar(-1) + 2 * kBeat, bar(0), 1, 0.2, 0.45);
    inst::riser(b.fx, bar(-2), 2 * kBar, 0.25);
    impact(b, bar(-10), 0.6);
}

// 30 s to the drop: the groove the show opens on, tightening into a roll and a riser.
void opening(Buses& b) {
    const std::vector<Span> spans = {
        {bar(0), bar(1), &kAm}, {bar(1), bar(2), &kF}, {bar(2), bar(3), &kC}, {bar(3), kDrop, &kG}};
    const auto cutoff = [](double t) {
        return 900.0 + 2500.0 * std::clamp((t - Script::musicStart) / 6.4, 0.0, 1.0);
    };
    impact(b, bar(0), 0.7);
    groove(b, bar(0), bar(3) + 2 * kBeat, true);
    bassLine(b, spans, true, cutoff);
    pads(b, spans, 0.28, cutoff);
    arpeggio(b, spans, 0.24, cutoff, 1);
    // The last two beats drop the kick and roll into the drop.
    roll(b, bar(3), bar(3) + 2 * kBeat, 2, 0.25, 0.4);
    roll(b, bar(3) + 2 * kBeat, kDrop, 1, 0.4, 0.75);
    inst::riser(b.fx, kDrop - 2 * kBar, 2 * kBar, 0.35);
}

// Scene 2, three seconds of strobe: everything at once, with stabs where the pictures change.
void drop(Buses& b) {
    const std::vector<Span> spans = {{kDrop, kDrop + 4 * kBeat, &kAm},
                                     {kDrop + 4 * kBeat, kBreak, &kF}};
    const auto bright = [](double) { return 5200.0; };
    impact(b, kDrop, 1.0);
    groove(b, kDrop, kBreak - 2 * kSixteenth, true);
    bassLine(b, spans, true, [](double) { return 1400.0; });
    pads(b, spans, 0.22, bright);
    hook(b, kDrop, kHook, kBreak - kSixteenth, bright);
    // The pictures change 0.95 s and 1.65 s into the scene.
    inst::stab(b.music, kDrop + 0.95, kAm.voice, 0.18);
    inst::stab(b.reverbSend, kDrop + 0.95, kAm.voice, 0.1);
    inst::stab(b.music, kDrop + 1.65, {65, 69, 72, 77}, 0.18);
    inst::stab(b.reverbSend, kDrop + 1.65, {65, 69, 72, 77}, 0.1);
}

// Scene 3: the drums fall away; a bell rings as each word takes its turn (every 1.8 s).
void breakdown(Buses& b) {
    const double word = 1.8;
    const std::vector<Span> spans = {{kBreak, kBreak + word, &kFmaj7},
                                     {kBreak + word, kBreak + 2 * word, &kG},
                                     {kBreak + 2 * word, kBreak + 3 * word, &kEm},
                                     {kBreak + 3 * word, kBuild, &kAm}};
    const auto soft = [](double t) {
        return 700.0 + 900.0 * std::clamp((t - kBreak) / kWords, 0.0, 1.0);
    };
    pads(b, spans, 0.4, soft);
    arpeggio(b, spans, 0.17, soft, 2);
    const int bells[4] = {81, 79, 76, 76};
    for (int k = 0; k < 4; ++k) {
        inst::bell(b.music, kBreak + k * word, bells[k], 0.16, k % 2 ? 0.3 : -0.3);
        inst::bell(b.reverbSend, kBreak + k * word, bells[k], 0.2, 0.0);
        inst::bell(b.echoSend, kBreak + k * word, bells[k], 0.1, 0.0);
    }
    for (const Span& s : spans)
        inst::bass(b.bass, s.from, s.to - s.from - 0.05, s.chord->root, 0.35,
                   [](double) { return 220.0; });
    // A soft pulse keeps time without drums.
    for (double t = kBreak; t < kBuild - 1e-9; t += kBeat)
        inst::hat(b.drums, t + 2 * kSixteenth, 0.07, false, 0.0);
    inst::riser(b.fx, kBuild - kBar, kBar, 0.2);
}

// Scene 4, eight seconds of flicker: four bars and one of the dominant, everything rising.
void build(Buses& b) {
    const std::vector<Span> spans = {{kBuild, kBuild + kBar, &kF},
                                     {kBuild + kBar, kBuild + 2 * kBar, &kG},
                                     {kBuild + 2 * kBar, kBuild + 3 * kBar, &kEm},
                                     {kBuild + 3 * kBar, kBuild + 4 * kBar, &kAm},
                                     {kBuild + 4 * kBar, kClimax, &kE}};
    const auto rising = [](double t) {
        return 350.0 * std::pow(20.0, std::clamp((t - kBuild) / 8.0, 0.0, 1.0));
    };
    impact(b, kBuild, 0.6);
    for (double t = kBuild; t < kClimax - kBeat - 1e-9; t += kBeat)
        kickAt(b, t, 0.9);
    for (double t = kBuild; t < kClimax - 1e-9; t += kBeat)
        inst::hat(b.drums, t + 2 * kSixteenth, 0.2, true, 0.1);
    roll(b, kBuild, kBuild + 2 * kBar, 4, 0.2, 0.3);
    roll(b, kBuild + 2 * kBar, kBuild + 3 * kBar, 2, 0.3, 0.4);
    roll(b, kBuild + 3 * kBar, kBuild + 4 * kBar, 1, 0.35, 0.55);
    roll(b, kBuild + 4 * kBar, kClimax - kBeat, 1, 0.5, 0.65);
    bassLine(b, spans, false, rising);
    pads(b, spans, 0.3, rising);
    arpeggio(b, spans, 0.16, rising, 1);
    // A long climbing line on the lead: one note per bar.
    const int climb[5] = {72, 74, 76, 81, 83};
    for (int k = 0; k < 5; ++k)
        hook(b, kBuild + k * kBar, {{0, 15, climb[k]}}, kClimax - kBeat, rising);
    inst::riser(b.fx, kBuild, 8.0, 0.3);
}

// The closing picture: the hook once more, turned to land on A at the end of the show.
void climax(Buses& b) {
    const std::vector<Span> spans = {{kClimax, kClimax + kBar, &kAm},
                                     {kClimax + kBar, kClimax + 2 * kBar, &kF},
                                     {kClimax + 2 * kBar, kClimax + 2 * kBar + 2 * kBeat, &kG},
                                     {kClimax + 2 * kBar + 2 * kBeat, kEnding, &kE}};
    const auto bright = [](double) { return 6000.0; };
    impact(b, kClimax, 1.0);
    groove(b, kClimax, kEnding - kBeat, true);
    roll(b, kEnding - kBeat, kEnding, 1, 0.45, 0.8);
    bassLine(b, spans, true, [](double) { return 1500.0; });
    pads(b, spans, 0.24, bright);
    arpeggio(b, spans, 0.12, bright, 1);
    hook(b, kClimax, kHook, kEnding, bright);
    hook(b, kClimax, kHookTurn, kEnding, bright);
}

// The final hit as the show ends, ringing out over the last seconds of the file.
void ending(Buses& b) {
    impact(b, kEnding, 1.1);
    kickAt(b, kEnding, 1.1);
    inst::stab(b.music, kEnding, {57, 64, 69, 72, 76}, 0.22);
    const auto fading = [](double t) { return 300.0 + 5000.0 * std::exp(-(t - kEnding) / 2.0); };
    inst::pad(b.music, kEnding, 5.5, {45, 57, 64, 69, 72, 76}, 0.45, fading);
    inst::pad(b.reverbSend, kEnding, 5.5, {57, 64, 69, 72, 76}, 0.3, fading);
    inst::lead(b.music, kEnding, 1.6, 81, 0.5, fading);
    inst::lead(b.echoSend, kEnding, 1.6, 81, 0.3, fading);
    inst::bell(b.music, kEnding, 93, 0.12, 0.0);
    inst::bell(b.reverbSend, kEnding, 81, 0.2, 0.0);
    inst::bass(b.bass, kEnding, 1.2, 33 + 12, 0.5, [](double) { return 400.0; });
}

// Gain over time that dips after every kick, so bass and chords breathe with the drums.
std::vector<double> sidechain(const std::vector<double>& kicks, std::size_t frames) {
    std::vector<double> gain(frames, 1.0);
    for (double k : kicks) {
        const long start = std::lround(k * dsp::kSampleRate);
        const long n = static_cast<long>(0.35 * dsp::kSampleRate);
        for (long i = 0; i < n; ++i) {
            const long f = start + i;
            if (f < 0 || static_cast<std::size_t>(f) >= frames)
                continue;
            const double t = static_cast<double>(i) / dsp::kSampleRate;
            const double dip = 1.0 - 0.7 * std::exp(-t / 0.09);
            gain[f] = std::min(gain[f], dip);
        }
    }
    return gain;
}

} // namespace

dsp::Stereo render(double peak) {
    const std::size_t frames = static_cast<std::size_t>(kLength * dsp::kSampleRate);
    Buses b(frames);
    intro(b);
    opening(b);
    drop(b);
    breakdown(b);
    build(b);
    climax(b);
    ending(b);

    const std::vector<double> duck = sidechain(b.kicks, frames);
    for (std::size_t i = 0; i < frames; ++i) {
        b.bass.left[i] *= duck[i];
        b.bass.right[i] *= duck[i];
        b.music.left[i] *= 0.4 + 0.6 * duck[i];
        b.music.right[i] *= 0.4 + 0.6 * duck[i];
    }

    dsp::Stereo mix(frames);
    mix.mix(b.drums, 1.0);
    mix.mix(b.bass, 0.75);
    mix.mix(b.music, 0.8);
    mix.mix(b.fx, 1.0);
    dsp::pingPongDelay(b.echoSend, mix, 3 * kSixteenth, 0.45, 3500.0);
    b.reverbSend.mix(b.drums, 0.08);
    dsp::reverb(b.reverbSend, mix, 0.8, 0.35);

    // Level the piece so its loudest moment reaches full scale, push it `drive` harder and
    // let the limiter hold the peaks under the ceiling.
    dsp::dcBlock(mix, 20.0);
    double loudest = 0.0;
    for (std::size_t i = 0; i < frames; ++i)
        loudest = std::max({loudest, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
    const double drive = 1.6;
    const double level = loudest > 0.0 ? drive / loudest : 1.0;
    for (std::size_t i = 0; i < frames; ++i) {
        mix.left[i] *= level;
        mix.right[i] *= level;
    }
    dsp::limit(mix, peak, 0.004, 0.12);
    // A short fade at the very end so the file stops without a click.
    const std::size_t fade = dsp::kSampleRate / 2;
    for (std::size_t i = 0; i < fade; ++i) {
        const double g = static_cast<double>(i) / fade;
        mix.left[frames - 1 - i] *= g;
        mix.right[frames - 1 - i] *= g;
    }
    return mix;
}

} // namespace score
