// The demo's content as it is committed in data/: the soundtrack decodes as the player needs
// it and is shaped around the show's moments; the pictures decode through the demo's own
// loader as textures can take them.
#include "PNGImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
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

// ---- Pictures -------------------------------------------------------------------------

const char* const kPictures[] = {"data/dizuduv.png",  "data/from_your_truly.png", "data/plimb.png",
                                 "data/faen.png",     "data/kelmar.png",          "data/dwon.png",
                                 "data/quenbrite.png"};

struct Pixel {
    double r, g, b, a; // 0..1
    double luminance() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

// A picture as the demo's loader delivers it, turned into colour and alpha per pixel (rows
// still bottom first, as the loader stores them).
struct Picture {
    explicit Picture(const char* path) {
        PNGImage image(path);
        loaded = image.isLoaded();
        width = image.getWidth();
        height = image.getHeight();
        type = image.getType();
        bitDepth = image.getBitDepth();
        if (!loaded || bitDepth != 8)
            return;
        const unsigned channels = image.getChannels();
        const unsigned char* p = image.getData();
        for (unsigned i = 0; i < width * height; ++i, p += channels) {
            Pixel px;
            if (channels <= 2) {
                px.r = px.g = px.b = p[0] / 255.0;
                px.a = channels == 2 ? p[1] / 255.0 : 1.0;
            } else {
                px.r = p[0] / 255.0;
                px.g = p[1] / 255.0;
                px.b = p[2] / 255.0;
                px.a = channels == 4 ? p[3] / 255.0 : 1.0;
            }
            pixels.push_back(px);
        }
    }
    const Pixel& at(unsigned x, unsigned y) const { return pixels[y * width + x]; }
    double share(bool (*test)(const Pixel&)) const {
        return static_cast<double>(std::count_if(pixels.begin(), pixels.end(), test)) /
               pixels.size();
    }
    double meanLuminance() const {
        double sum = 0.0;
        for (const Pixel& p : pixels)
            sum += p.luminance();
        return sum / pixels.size();
    }

    bool loaded = false;
    unsigned width = 0, height = 0, bitDepth = 0;
    GLenum type = 0;
    std::vector<Pixel> pixels;
};

bool isPowerOfTwo(unsigned n) {
    return n != 0 && (n & (n - 1)) == 0;
}

// The colour type byte of the PNG header, as stored in the file (before any expansion).
int fileColourType(const char* path) {
    std::ifstream in(path, std::ios::binary);
    char header[26] = {};
    in.read(header, sizeof header);
    return in ? static_cast<unsigned char>(header[25]) : -1;
}

TEST(Pictures, EveryPictureLoadsAsATextureCanTakeIt) {
    for (const char* path : kPictures) {
        SCOPED_TRACE(path);
        const Picture p(path);
        ASSERT_TRUE(p.loaded);
        EXPECT_TRUE(isPowerOfTwo(p.width)) << p.width;
        EXPECT_TRUE(isPowerOfTwo(p.height)) << p.height;
        EXPECT_GE(p.width, 64u);
        EXPECT_LE(p.width, 1024u);
        EXPECT_EQ(p.bitDepth, 8u);
        struct stat info {};
        ASSERT_EQ(stat(path, &info), 0);
        EXPECT_LT(info.st_size, 200000) << "keep the pictures small";
    }
}

TEST(Pictures, SetUsesAtLeastThreeColourTypes) {
    std::set<int> fileTypes;
    std::set<GLenum> loadedTypes;
    for (const char* path : kPictures) {
        fileTypes.insert(fileColourType(path));
        loadedTypes.insert(Picture(path).type);
    }
    EXPECT_EQ(fileTypes.count(-1), 0u);
    EXPECT_GE(fileTypes.size(), 3u);
    EXPECT_GE(loadedTypes.size(), 3u);
}

bool transparent(const Pixel& p) {
    return p.a == 0.0;
}
bool solid(const Pixel& p) {
    return p.a == 1.0;
}
bool darkAndSolid(const Pixel& p) {
    return p.a == 1.0 && p.luminance() < 0.2;
}
bool lightAndSolid(const Pixel& p) {
    return p.a == 1.0 && p.luminance() > 0.8;
}

// Scene 2 strobes black and white behind its titles: the strobe must show around them, and
// each title needs dark and light parts of its own to stand out against either.
TEST(Pictures, TitlesSitOnTransparencyWithDarkAndLightEdges) {
    for (const char* path : {"data/dizuduv.png", "data/from_your_truly.png", "data/plimb.png"}) {
        SCOPED_TRACE(path);
        const Picture p(path);
        ASSERT_TRUE(p.loaded);
        EXPECT_GT(p.share(transparent), 0.25);
        EXPECT_LT(p.share(transparent), 0.9);
        EXPECT_GT(p.share(solid), 0.1);
        EXPECT_GT(p.share(darkAndSolid), 0.01);
        EXPECT_GT(p.share(lightAndSolid), 0.01);
        EXPECT_TRUE(transparent(p.at(0, 0)) && transparent(p.at(p.width - 1, 0)) &&
                    transparent(p.at(0, p.height - 1)) &&
                    transparent(p.at(p.width - 1, p.height - 1)));
    }
}

// Scene 3 repeats the tile: across its wrap the picture changes no more than it does between
// neighbouring rows and columns inside it.
TEST(Pictures, BackgroundTileIsSeamlessColourfulAndDim) {
    const Picture p("data/faen.png");
    ASSERT_TRUE(p.loaded);
    const auto difference = [&](unsigned x0, unsigned y0, unsigned x1, unsigned y1) {
        const Pixel& a = p.at(x0, y0);
        const Pixel& b = p.at(x1, y1);
        return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
    };
    double wrapX = 0, insideX = 0, wrapY = 0, insideY = 0;
    for (unsigned i = 0; i < p.height; ++i) {
        wrapX += difference(p.width - 1, i, 0, i);
        for (unsigned x = 0; x + 1 < p.width; ++x)
            insideX += difference(x, i, x + 1, i) / (p.width - 1);
    }
    for (unsigned i = 0; i < p.width; ++i) {
        wrapY += difference(i, p.height - 1, i, 0);
        for (unsigned y = 0; y + 1 < p.height; ++y)
            insideY += difference(i, y, i, y + 1) / (p.height - 1);
    }
    EXPECT_LT(wrapX, 2.0 * insideX);
    EXPECT_LT(wrapY, 2.0 * insideY);

    double saturation = 0.0;
    for (const Pixel& px : p.pixels)
        saturation += std::max({px.r, px.g, px.b}) - std::min({px.r, px.g, px.b});
    EXPECT_GT(saturation / p.pixels.size(), 0.2) << "the tile is meant to be colourful";
    EXPECT_LT(p.meanLuminance(), 0.45) << "white words must stay readable on the tile";
    EXPECT_EQ(p.share(solid), 1.0);
}

// Scene 4 flickers between DWON and QUENBRITE at random: one dark, one bright, both opaque,
// and different enough pixel by pixel that the flicker is hard.
TEST(Pictures, FlickerPairContrastsStrongly) {
    const Picture dark("data/dwon.png");
    const Picture bright("data/quenbrite.png");
    ASSERT_TRUE(dark.loaded);
    ASSERT_TRUE(bright.loaded);
    ASSERT_EQ(dark.pixels.size(), bright.pixels.size());
    EXPECT_GT(bright.meanLuminance() - dark.meanLuminance(), 0.3);
    double change = 0.0;
    for (std::size_t i = 0; i < dark.pixels.size(); ++i)
        change += std::fabs(bright.pixels[i].luminance() - dark.pixels[i].luminance());
    EXPECT_GT(change / dark.pixels.size(), 0.4);
    EXPECT_EQ(dark.share(solid), 1.0);
    EXPECT_EQ(bright.share(solid), 1.0);
}

// The closing picture lets the grey-blue through around its lettering.
TEST(Pictures, ClosingPictureShowsTheBackgroundAroundIt) {
    const Picture p("data/kelmar.png");
    ASSERT_TRUE(p.loaded);
    EXPECT_GT(p.share(transparent), 0.1);
    EXPECT_GT(p.share(solid), 0.1);
}

} // namespace
