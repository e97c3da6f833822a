// The demo's content as it is committed in data/: the soundtrack decodes as the player needs
// it and is shaped around the show's moments; the pictures decode through the demo's own
// loader as textures can take them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/stat.h>
#include <vector>
#include <vorbis/vorbisfile.h>

namespace {

// The music is played from 30 s into the file; the show's moments, in seconds of the file.
constexpr double kPlayFrom = 30.0;
constexpr double kDropAt = kPlayFrom + 6.3;
constexpr double kBreakAt = kPlayFrom + 9.3;
constexpr double kBuildAt = kPlayFrom + 16.7;
constexpr double kEndAt = kPlayFrom + 29.9;

struct Soundtrack {
    bool opened = false;
    int channels = 0;
    long rate = 0;
    std::vector<float> left, right;

    double seconds() const { return rate > 0 ? static_cast<double>(left.size()) / rate : 0.0; }

    // Root-mean-square level over [from, to) seconds, in dBFS (-inf for digital silence).
    double rmsDb(double from, double to) const {
        const std::size_t a = static_cast<std::size_t>(from * rate);
        const std::size_t b = std::min(left.size(), static_cast<std::size_t>(to * rate));
        double sum = 0.0;
        for (std::size_t i = a; i < b; ++i)
            sum += left[i] * left[i] + right[i] * right[i];
        return b > a ? 10.0 * std::log10(sum / (2.0 * (b - a))) : -INFINITY;
    }
};

// Decoded once for all the checks below.
const Soundtrack& soundtrack() {
    static const Soundtrack decoded = [] {
        Soundtrack s;
        OggVorbis_File file;
        if (ov_fopen("data/yo.ogg", &file) != 0)
            return s;
        s.opened = true;
        const vorbis_info* info = ov_info(&file, -1);
        s.channels = info->channels;
        s.rate = info->rate;
        int section = 0;
        float** pcm = nullptr;
        long n;
        while ((n = ov_read_float(&file, &pcm, 4096, &section)) > 0) {
            s.left.insert(s.left.end(), pcm[0], pcm[0] + n);
            s.right.insert(s.right.end(), pcm[s.channels > 1 ? 1 : 0],
                           pcm[s.channels > 1 ? 1 : 0] + n);
        }
        ov_clear(&file);
        return s;
    }();
    return decoded;
}

TEST(Soundtrack, DecodesAsStereoAt44100HzForAtLeast64Seconds) {
    const Soundtrack& s = soundtrack();
    ASSERT_TRUE(s.opened) << "data/yo.ogg does not open as Ogg Vorbis";
    EXPECT_EQ(s.channels, 2);
    EXPECT_EQ(s.rate, 44100);
    EXPECT_GE(s.seconds(), 64.0);
}

TEST(Soundtrack, FileStaysUnderOneAndAHalfMegabytes) {
    struct stat info {};
    ASSERT_EQ(stat("data/yo.ogg", &info), 0);
    EXPECT_LT(info.st_size, 1500000);
}

TEST(Soundtrack, PeaksStayBelowMinusOneDbfs) {
    const Soundtrack& s = soundtrack();
    ASSERT_TRUE(s.opened);
    float peak = 0.0f;
    for (std::size_t i = 0; i < s.left.size(); ++i)
        peak = std::max({peak, std::fabs(s.left[i]), std::fabs(s.right[i])});
    const double peakDb = 20.0 * std::log10(peak);
    EXPECT_LT(peakDb, -1.0);
    // A piece levelled sensibly is not buried either.
    EXPECT_GT(peakDb, -6.0);
}

// Every one-second stretch that the show plays, at tenth-of-a-second steps, carries sound.
TEST(Soundtrack, NoSecondBetween30And60IsSilent) {
    const Soundtrack& s = soundtrack();
    ASSERT_TRUE(s.opened);
    ASSERT_GE(s.seconds(), 60.0);
    for (int step = 0; step <= 290; ++step) {
        const double from = 30.0 + step / 10.0;
        EXPECT_GT(s.rmsDb(from, from + 1.0), -40.0) << "silent from " << from << " s";
    }
}

// The show cuts its scenes at the drop, the break, the build and the end; the music has to
// say so, with a margin of a few dB that a listener hears.
TEST(Soundtrack, MarksTheShowsMoments) {
    const Soundtrack& s = soundtrack();
    ASSERT_TRUE(s.opened);
    const double drop = s.rmsDb(kDropAt, kBreakAt);
    const double breakdown = s.rmsDb(kBreakAt, kBuildAt);
    const double buildStart = s.rmsDb(kBuildAt, kBuildAt + 2.0);
    const double lastBars = s.rmsDb(kEndAt - 3.0, kEndAt);
    const double tail = s.rmsDb(kEndAt + 3.0, kEndAt + 4.0);
    EXPECT_GT(drop, breakdown + 3.0) << "the break does not fall back from the drop";
    EXPECT_GT(buildStart, breakdown + 2.0) << "the build does not pick up after the break";
    EXPECT_GT(lastBars, tail + 5.0) << "the music does not end when the show does";
    // The drop arrives: the second after it is louder than the second before it.
    EXPECT_GT(s.rmsDb(kDropAt, kDropAt + 1.0), s.rmsDb(kDropAt - 1.0, kDropAt) + 0.5);
}

} // namespace
