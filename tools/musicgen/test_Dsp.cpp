// The soundtrack generator's signal blocks: noise, filter, oscillators, limiter.
#include "Dsp.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Noise, SameSeedSameSequenceWithinRange) {
    dsp::Noise a(7), b(7), c(8);
    bool differs = false;
    for (int i = 0; i < 10000; ++i) {
        const double x = a.next();
        EXPECT_EQ(x, b.next());
        EXPECT_GE(x, -1.0);
        EXPECT_LT(x, 1.0);
        differs = differs || x != c.next();
    }
    EXPECT_TRUE(differs);
}

// Peak level of a sine through the low-pass once it has settled.
double lowPassGain(double frequency, double cutoff) {
    dsp::Svf f;
    double peak = 0.0;
    for (int i = 0; i < dsp::kSampleRate / 2; ++i) {
        const double y =
            f.process(std::sin(2 * dsp::kPi * frequency * i / dsp::kSampleRate), cutoff, 0.7071)
                .low;
        if (i > dsp::kSampleRate / 4)
            peak = std::max(peak, std::fabs(y));
    }
    return peak;
}

TEST(Svf, LowPassKeepsLowsAndCutsHighs) {
    EXPECT_NEAR(lowPassGain(50, 1000), 1.0, 0.02);
    EXPECT_NEAR(lowPassGain(1000, 1000), 0.7071, 0.03); // -3 dB at the cutoff
    EXPECT_LT(lowPassGain(8000, 1000), 0.02);
}

TEST(Oscillators, SawAndSquareStayInRangeAndAverageToZero) {
    const double step = 440.0 / dsp::kSampleRate;
    double sawSum = 0, squareSum = 0;
    const int n = 100 * static_cast<int>(1.0 / step);
    for (int i = 0; i < n; ++i) {
        const double s = dsp::sawBlep(i * step, step), q = dsp::squareBlep(i * step, step);
        EXPECT_LE(std::fabs(s), 1.05);
        EXPECT_LE(std::fabs(q), 1.05);
        sawSum += s;
        squareSum += q;
    }
    EXPECT_NEAR(sawSum / n, 0.0, 0.01);
    EXPECT_NEAR(squareSum / n, 0.0, 0.01);
    EXPECT_NEAR(dsp::midiToHz(69), 440.0, 1e-9);
    EXPECT_NEAR(dsp::midiToHz(81), 880.0, 1e-9);
}

TEST(Limiter, HoldsPeaksUnderTheCeilingAndLeavesQuietPartsAlone) {
    dsp::Stereo s(dsp::kSampleRate * 2);
    for (std::size_t i = 0; i < s.frames(); ++i) {
        const double loud = i > s.frames() / 4 && i < s.frames() / 4 + 2000 ? 3.0 : 0.3;
        s.left[i] = loud * std::sin(i * 0.05);
        s.right[i] = -s.left[i];
    }
    dsp::limit(s, 0.7, 0.004, 0.1);
    double peak = 0.0;
    for (std::size_t i = 0; i < s.frames(); ++i)
        peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
    EXPECT_LE(peak, 0.7 + 1e-12);
    // Well before the burst and well after its release, nothing changed.
    EXPECT_NEAR(s.left[1000], 0.3 * std::sin(1000 * 0.05), 1e-12);
    const std::size_t late = s.frames() - 10;
    EXPECT_NEAR(s.left[late], 0.3 * std::sin(late * 0.05), 1e-6);
}

} // namespace
