// The PNG loader against a corpus this test writes itself with libpng's writer: every colour
// type and bit depth, with and without tRNS, gAMA and interlacing, in odd, tall and wide
// shapes. The expected block is worked out here from the samples that went into the file;
// broken files must fail with libpng's reason followed by the loader's own line, leave the
// image empty and keep no file open.
#include "PNGFacts.h"
#include "PNGImage.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

// libpng's two constructors, interposed so that a test can make the next call fail as it would
// when memory runs out; every other call goes on to libpng.
namespace {
bool failReadStruct = false;
bool failInfoStruct = false;
} // namespace

extern "C" png_structp png_create_read_struct(png_const_charp version, png_voidp errorPointer,
                                              png_error_ptr onError, png_error_ptr onWarning) {
    using Real = png_structp (*)(png_const_charp, png_voidp, png_error_ptr, png_error_ptr);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "png_create_read_struct"));
    return failReadStruct ? nullptr : real(version, errorPointer, onError, onWarning);
}

extern "C" png_infop png_create_info_struct(png_const_structrp png) {
    using Real = png_infop (*)(png_const_structrp);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "png_create_info_struct"));
    return failInfoStruct ? nullptr : real(png);
}

namespace {

using Bytes = std::vector<unsigned char>;

// ---- The corpus ------------------------------------------------------------------------------

struct Case {
    int colourType;
    int bitDepth;
    bool trns;
    bool gamma;
    bool interlaced;
    unsigned width;
    unsigned height;
};

// The gAMA written into files: exponent 1 / (0.5 x screen 1.0) = 2 on normalised samples.
constexpr double fileGamma = 0.5;

// What goes into one file, and the case it was made for.
struct Picture : pngfacts::Picture {
    Case c;
};

Picture makePicture(const Case& c) {
    Picture p;
    p.c = c;
    p.colourType = c.colourType;
    p.bitDepth = c.bitDepth;
    p.width = c.width;
    p.height = c.height;
    p.interlaced = c.interlaced;
    p.trns = c.trns;
    p.gamma = c.gamma ? fileGamma : 0;
    std::mt19937 random(c.colourType * 1000 + c.bitDepth * 10 + c.width * 7 + c.height);
    const unsigned levels = c.colourType == PNG_COLOR_TYPE_PALETTE && c.bitDepth == 8
                                ? 200 // a palette shorter than the index range
                                : 1u << c.bitDepth;
    const size_t count = size_t(c.width) * c.height * pngfacts::channels(c.colourType);
    for (size_t i = 0; i < count; ++i) {
        p.samples.push_back(random() % levels);
    }
    const int channels = pngfacts::channels(c.colourType);
    if (count > size_t(channels)) { // the transparent value occurs at least twice
        std::copy_n(p.samples.begin(), channels, p.samples.end() - channels);
    }
    if (c.colourType == PNG_COLOR_TYPE_PALETTE) {
        for (unsigned i = 0; i < levels; ++i) {
            p.palette.push_back({png_byte(random()), png_byte(random()), png_byte(random())});
        }
        if (c.trns) { // the upper half of the palette stays opaque
            for (unsigned i = 0; i < std::max(1u, levels / 2); ++i) {
                p.paletteAlpha.push_back(i == 0 ? 0 : png_byte(random()));
            }
        }
    } else if (c.trns) {
        p.trans.gray = png_uint_16(p.samples[0]);
        if (c.colourType == PNG_COLOR_TYPE_RGB) {
            p.trans.red = png_uint_16(p.samples[0]);
            p.trans.green = png_uint_16(p.samples[1]);
            p.trans.blue = png_uint_16(p.samples[2]);
        }
    }
    return p;
}

using pngfacts::writePNG;

// ---- The expected block ----------------------------------------------------------------------

struct Expected {
    GLenum type;
    unsigned channels;
    unsigned bitDepth;
    std::vector<unsigned> samples; // bottom row first, one entry per sample
};

unsigned corrected(unsigned v, unsigned maxValue) {
    return unsigned(std::floor(maxValue * std::pow(double(v) / maxValue, 1.0 / fileGamma) + 0.5));
}

Expected expectedFor(const Picture& p) {
    const Case& c = p.c;
    const bool palette = c.colourType == PNG_COLOR_TYPE_PALETTE;
    const bool colour = palette || (c.colourType & PNG_COLOR_MASK_COLOR) != 0;
    const bool alpha = c.trns || (c.colourType & PNG_COLOR_MASK_ALPHA) != 0;
    Expected e{};
    e.channels = (colour ? 3 : 1) + (alpha ? 1 : 0);
    e.type = colour ? (alpha ? GL_RGBA : GL_RGB) : (alpha ? GL_LUMINANCE_ALPHA : GL_LUMINANCE);
    e.bitDepth = c.bitDepth == 16 ? 16 : 8;
    const unsigned maxValue = (1u << e.bitDepth) - 1;
    const int in = pngfacts::channels(c.colourType);
    for (unsigned y = c.height; y-- > 0;) {
        for (unsigned x = 0; x < c.width; ++x) {
            const unsigned* s = &p.samples[(size_t(y) * c.width + x) * in];
            std::vector<unsigned> out;
            if (palette) {
                const png_color& rgb = p.palette[s[0]];
                out = {rgb.red, rgb.green, rgb.blue};
            } else {
                // Samples below 8 bits are scaled up to fill the 8-bit range.
                const unsigned scale = c.bitDepth < 8 ? 255 / ((1u << c.bitDepth) - 1) : 1;
                for (int i = 0; i < in; ++i) {
                    out.push_back(s[i] * scale);
                }
            }
            // Gamma bends the colour samples; alpha, whether from the file or from tRNS,
            // stays as it is.
            const size_t colourCount = colour ? 3 : 1;
            if (c.trns) {
                if (palette) {
                    out.push_back(s[0] < p.paletteAlpha.size() ? p.paletteAlpha[s[0]] : 255);
                } else {
                    const bool transparent =
                        s[0] == p.samples[0] &&
                        (in == 1 || (s[1] == p.samples[1] && s[2] == p.samples[2]));
                    out.push_back(transparent ? 0 : maxValue);
                }
            }
            if (c.gamma) {
                for (size_t i = 0; i < colourCount; ++i) {
                    out[i] = corrected(out[i], maxValue);
                }
            }
            e.samples.insert(e.samples.end(), out.begin(), out.end());
        }
    }
    return e;
}

// ---- Files and the error stream --------------------------------------------------------------

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/zokk-png-XXXXXX";
        path = mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~TempDir() {
        for (const std::string& file : files) {
            std::remove(file.c_str());
        }
        rmdir(path.c_str());
    }
    std::string file(const std::string& name) {
        files.push_back(path + "/" + name);
        return files.back();
    }

private:
    std::string path;
    std::vector<std::string> files;
};

TempDir& tempDir() {
    static TempDir dir;
    return dir;
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool ok =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

Bytes readBytes(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    for (int ch; file != nullptr && (ch = std::fgetc(file)) != EOF;) {
        bytes.push_back(static_cast<unsigned char>(ch));
    }
    if (file != nullptr) {
        std::fclose(file);
    }
    return bytes;
}

int openDescriptors() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dir != nullptr && readdir(dir) != nullptr) {
        ++count;
    }
    if (dir != nullptr) {
        closedir(dir);
    }
    return count;
}

std::string caseName(const Case& c) {
    static const char* const names[] = {"gray", "", "rgb", "palette", "grayalpha", "", "rgba"};
    return std::string(names[c.colourType]) + std::to_string(c.bitDepth) + (c.trns ? "_trns" : "") +
           (c.gamma ? "_gamma" : "") + (c.interlaced ? "_interlaced" : "") + "_" +
           std::to_string(c.width) + "x" + std::to_string(c.height);
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << caseName(c);
}

// ---- Decoding the corpus ---------------------------------------------------------------------

class PNGCorpus : public ::testing::TestWithParam<Case> {};

TEST_P(PNGCorpus, BlockMatchesTheSamplesBottomRowFirst) {
    const Case c = GetParam();
    const Picture picture = makePicture(c);
    const std::string path = tempDir().file(caseName(c) + ".png");
    ASSERT_TRUE(writePNG(path, picture));
    const Expected expected = expectedFor(picture);

    ::testing::internal::CaptureStderr();
    PNGImage image(path.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(image.isLoaded());
    EXPECT_EQ(image.getType(), expected.type);
    EXPECT_EQ(image.getChannels(), expected.channels);
    EXPECT_EQ(image.getWidth(), c.width);
    EXPECT_EQ(image.getHeight(), c.height);
    EXPECT_EQ(image.getBitDepth(), expected.bitDepth);

    const unsigned char* data = image.getData();
    const unsigned bytes = expected.bitDepth / 8;
    int mismatches = 0;
    for (size_t i = 0; i < expected.samples.size() && mismatches < 5; ++i) {
        const unsigned actual = bytes == 2 ? data[2 * i] << 8 | data[2 * i + 1] : data[i];
        if (actual != expected.samples[i]) {
            ++mismatches;
            ADD_FAILURE() << "sample " << i << " (row " << i / (expected.channels * c.width)
                          << " from the bottom) is " << actual << ", expected "
                          << expected.samples[i];
        }
    }
}

std::vector<Case> corpus() {
    struct Format {
        int colourType;
        int bitDepth;
        bool trnsAllowed;
    };
    const Format formats[] = {
        {PNG_COLOR_TYPE_GRAY, 1, true},         {PNG_COLOR_TYPE_GRAY, 2, true},
        {PNG_COLOR_TYPE_GRAY, 4, true},         {PNG_COLOR_TYPE_GRAY, 8, true},
        {PNG_COLOR_TYPE_GRAY, 16, true},        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}, {PNG_COLOR_TYPE_RGB, 8, true},
        {PNG_COLOR_TYPE_RGB, 16, true},         {PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, false},  {PNG_COLOR_TYPE_PALETTE, 1, true},
        {PNG_COLOR_TYPE_PALETTE, 2, true},      {PNG_COLOR_TYPE_PALETTE, 4, true},
        {PNG_COLOR_TYPE_PALETTE, 8, true},
    };
    // Odd widths whose rows are no multiple of 4 bytes, a single pixel, a tall and a wide one.
    const unsigned shapes[][2] = {{1, 1}, {3, 7}, {5, 2}, {1, 40}, {45, 3}};
    std::vector<Case> cases;
    for (const Format& f : formats) {
        for (bool trns : {false, true}) {
            if (trns && !f.trnsAllowed) {
                continue;
            }
            for (bool gamma : {false, true}) {
                for (bool interlaced : {false, true}) {
                    for (const auto& shape : shapes) {
                        cases.push_back({f.colourType, f.bitDepth, trns, gamma, interlaced,
                                         shape[0], shape[1]});
                    }
                }
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, PNGCorpus, ::testing::ValuesIn(corpus()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return caseName(info.param);
                         });

// ---- Broken files ----------------------------------------------------------------------------

void putBigEndian(Bytes& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<unsigned char>(value >> (24 - 8 * i));
    }
}

// Byte offsets in every PNG: the IHDR chunk follows the 8-byte signature directly.
constexpr size_t ihdrWidth = 16;
constexpr size_t ihdrHeight = 20;
constexpr size_t ihdrCrc = 29;

// Rewrites the IHDR's width and height and gives the chunk a matching CRC again.
Bytes withDeclaredSize(Bytes png, uint32_t width, uint32_t height) {
    putBigEndian(png, ihdrWidth, width);
    putBigEndian(png, ihdrHeight, height);
    putBigEndian(png, ihdrCrc, pngfacts::crc32(&png[12], 17));
    return png;
}

// Offset of the first chunk of the given type (its length field).
size_t chunkOffset(const Bytes& png, const char* type) {
    for (size_t at = 8; at + 8 <= png.size();) {
        if (std::equal(type, type + 4, png.begin() + at + 4)) {
            return at;
        }
        at += 12 + (uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]);
    }
    return png.size();
}

// A small valid file to break: 8-bit RGB, 5 x 3, with a gAMA chunk.
Bytes validFile() {
    const std::string path = tempDir().file("valid.png");
    writePNG(path, makePicture({PNG_COLOR_TYPE_RGB, 8, false, true, false, 5, 3}));
    return readBytes(path);
}

struct Outcome {
    std::string message;
    bool loaded;
    bool empty;
    int leakedDescriptors;
};

Outcome load(const std::string& path) {
    const int before = openDescriptors();
    ::testing::internal::CaptureStderr();
    Outcome outcome{};
    {
        PNGImage image(path.c_str());
        outcome.loaded = image.isLoaded();
        outcome.empty = image.getData() == nullptr && image.getWidth() == 0 &&
                        image.getHeight() == 0 && image.getType() == 0 &&
                        image.getChannels() == 0 && image.getBitDepth() == 0;
    }
    outcome.message = ::testing::internal::GetCapturedStderr();
    outcome.leakedDescriptors = openDescriptors() - before;
    return outcome;
}

Outcome loadBytes(const Bytes& bytes, const std::string& name) {
    const std::string path = tempDir().file(name);
    EXPECT_TRUE(writeBytes(path, bytes));
    return load(path);
}

// The lines of a message, each without its end of line; a last line without one is kept.
std::vector<std::string> linesOf(const std::string& message) {
    std::vector<std::string> lines;
    std::istringstream in(message);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// libpng's reason comes first, on lines of its own ("libpng error: ..." and any warnings before
// it), and the loader's own line comes last, exactly.
void expectDecodingFailure(const Outcome& outcome, const std::string& what) {
    const std::string ours = "PNG: setjmp() failed\n";
    ASSERT_GT(outcome.message.size(), ours.size()) << what << ": " << outcome.message;
    EXPECT_EQ(outcome.message.substr(outcome.message.size() - ours.size()), ours) << what;
    const std::vector<std::string> lines = linesOf(outcome.message);
    ASSERT_GE(lines.size(), 2u) << what << ": " << outcome.message;
    EXPECT_EQ(lines[lines.size() - 2].rfind("libpng error: ", 0), 0u)
        << what << ": " << outcome.message;
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].rfind("libpng error: ", 0) == 0 ||
                    lines[i].rfind("libpng warning: ", 0) == 0)
            << what << ": " << lines[i];
    }
    EXPECT_FALSE(outcome.loaded) << what;
    EXPECT_TRUE(outcome.empty) << what;
    EXPECT_EQ(outcome.leakedDescriptors, 0) << what;
}

TEST(PNGImageFailure, MissingFileNamesThePathAsGiven) {
    const Outcome outcome = load("data/../no/such/picture.png");
    EXPECT_EQ(outcome.message, "PNG: Failed to open data/../no/such/picture.png for reading\n");
    EXPECT_FALSE(outcome.loaded);
    EXPECT_TRUE(outcome.empty);
    EXPECT_EQ(outcome.leakedDescriptors, 0);
}

TEST(PNGImageFailure, StructuresThatCannotBeMadeAreReportedAndReleased) {
    const std::string path = tempDir().file("structures.png");
    ASSERT_TRUE(writeBytes(path, validFile()));
    failReadStruct = true;
    Outcome outcome = load(path);
    failReadStruct = false;
    EXPECT_EQ(outcome.message, "PNG: png_create_read_struct() failed\n");
    EXPECT_FALSE(outcome.loaded);
    EXPECT_TRUE(outcome.empty);
    EXPECT_EQ(outcome.leakedDescriptors, 0);

    failInfoStruct = true;
    outcome = load(path); // the read structure made first is destroyed (a leak check sees it)
    failInfoStruct = false;
    EXPECT_EQ(outcome.message, "PNG: png_create_info_struct() failed\n");
    EXPECT_FALSE(outcome.loaded);
    EXPECT_TRUE(outcome.empty);
    EXPECT_EQ(outcome.leakedDescriptors, 0);

    EXPECT_TRUE(load(path).loaded);
}

TEST(PNGImageFailure, EmptyAndForeignFilesAreDecodingErrors) {
    expectDecodingFailure(loadBytes({}, "empty.png"), "empty file");
    const std::string text = "This is not a picture, only text.\n";
    expectDecodingFailure(loadBytes(Bytes(text.begin(), text.end()), "text.png"), "text");
    Bytes almost = validFile();
    almost[1] = 'Q'; // "\x89QNG..."
    expectDecodingFailure(loadBytes(almost, "signature.png"), "damaged signature");
}

TEST(PNGImageFailure, EveryTruncationFails) {
    const Bytes whole = validFile();
    ASSERT_TRUE(loadBytes(whole, "whole.png").loaded);
    for (size_t size = 0; size < whole.size(); ++size) {
        expectDecodingFailure(loadBytes(Bytes(whole.begin(), whole.begin() + size), "cut.png"),
                              "cut to " + std::to_string(size) + " of " +
                                  std::to_string(whole.size()) + " bytes");
    }
}

TEST(PNGImageFailure, CrcErrorInACriticalChunkFailsAndSaysSo) {
    const Bytes whole = validFile();
    for (const char* chunk : {"IHDR", "IDAT"}) {
        Bytes broken = whole;
        // The stored CRC is damaged, the data left intact, so the CRC check alone fails.
        const size_t at = chunkOffset(broken, chunk);
        const size_t length = size_t(broken[at]) << 24 | size_t(broken[at + 1]) << 16 |
                              size_t(broken[at + 2]) << 8 | broken[at + 3];
        broken[at + 8 + length] ^= 0x01;
        const Outcome outcome = loadBytes(broken, "crc.png");
        expectDecodingFailure(outcome, chunk);
        EXPECT_EQ(outcome.message, std::string("libpng error: ") + chunk + ": CRC error\n" +
                                       "PNG: setjmp() failed\n");
    }
}

TEST(PNGImageFailure, TheLoadersOwnRefusalsGiveTheirReason) {
    const Outcome outcome = loadBytes(withDeclaredSize(validFile(), 16385, 1), "wide.png");
    expectDecodingFailure(outcome, "16385 wide");
    EXPECT_NE(outcome.message.find("exceeds user limit"), std::string::npos) << outcome.message;
}

TEST(PNGImageTolerance, CrcErrorInGammaChunkDropsOnlyThatChunk) {
    // An ancillary chunk with a bad CRC is skipped with libpng's warning: the picture loads,
    // uncorrected, and the loader itself says nothing.
    Bytes broken = validFile();
    broken[chunkOffset(broken, "gAMA") + 8] ^= 0x01;
    const std::string path = tempDir().file("gamma-crc.png");
    ASSERT_TRUE(writeBytes(path, broken));
    Picture plain = makePicture({PNG_COLOR_TYPE_RGB, 8, false, false, false, 5, 3});
    const Expected expected = expectedFor(plain);

    ::testing::internal::CaptureStderr();
    PNGImage image(path.c_str());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "libpng warning: gAMA: CRC error\n");
    ASSERT_TRUE(image.isLoaded());
    const std::vector<unsigned> actual(image.getData(), image.getData() + 5 * 3 * 3);
    EXPECT_EQ(actual, expected.samples);
}

TEST(PNGImageFailure, MalformedHeadersFail) {
    const Bytes whole = validFile();
    expectDecodingFailure(loadBytes(withDeclaredSize(whole, 0, 3), "zero-width.png"), "width 0");
    expectDecodingFailure(loadBytes(withDeclaredSize(whole, 5, 0), "zero-height.png"), "height 0");
    Bytes badDepth = whole;
    badDepth[24] = 4; // RGB at 4 bits does not exist
    putBigEndian(badDepth, ihdrCrc, pngfacts::crc32(&badDepth[12], 17));
    expectDecodingFailure(loadBytes(badDepth, "rgb4.png"), "RGB at 4 bits");
}

TEST(PNGImageFailure, HugeDeclaredSizesAreRefused) {
    const Bytes whole = validFile();
    for (uint32_t side : {16385u, 1000000u, 0x7FFFFFFFu}) {
        expectDecodingFailure(loadBytes(withDeclaredSize(whole, side, side), "huge.png"),
                              std::to_string(side) + " square");
    }
}

TEST(PNGImageLimits, SidesUpTo16384Load) {
    for (const auto& [width, height] : {std::pair(16384u, 1u), std::pair(1u, 16384u)}) {
        const Case c{PNG_COLOR_TYPE_GRAY, 1, false, false, false, width, height};
        const std::string path = tempDir().file("side.png");
        ASSERT_TRUE(writePNG(path, makePicture(c)));
        const Outcome outcome = load(path);
        EXPECT_TRUE(outcome.loaded) << caseName(c);
        EXPECT_EQ(outcome.message, "") << caseName(c);
    }
    for (const auto& [width, height] : {std::pair(16385u, 1u), std::pair(1u, 16385u)}) {
        const Case c{PNG_COLOR_TYPE_GRAY, 1, false, false, false, width, height};
        const std::string path = tempDir().file("side.png");
        ASSERT_TRUE(writePNG(path, makePicture(c)));
        expectDecodingFailure(load(path), caseName(c));
    }
}

} // namespace
