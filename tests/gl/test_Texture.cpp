// Textures under a real OpenGL context: the state a construction leaves behind, the texels
// read back against the pictures written here, what a failed load leaves, the lifetime of the
// texture names, and a textured quad on screen.
#include "GLTestWindow.h"
#include "Images.h"
#include "PNGFacts.h"
#include "Texture.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using pngfacts::Picture;

// Samples spread over the whole range; 16-bit ones have high and low bytes that differ, so a
// byte-order mistake cannot go unseen.
Picture makePicture(int colourType, int bitDepth, unsigned width, unsigned height) {
    Picture p;
    p.colourType = colourType;
    p.bitDepth = bitDepth;
    p.width = width;
    p.height = height;
    const unsigned count = width * height * pngfacts::channels(colourType);
    for (unsigned i = 0; i < count; ++i) {
        const unsigned v = (i * 97 + 13) % 256;
        p.samples.push_back(bitDepth == 16 ? v << 8 | (255 - v) : v);
    }
    return p;
}

std::string tempPath(const std::string& name) {
    return "/tmp/zokk-texture-" + std::to_string(getpid()) + "-" + name;
}

std::string writePicture(const std::string& name, const Picture& p) {
    const std::string path = tempPath(name);
    pngfacts::writePNG(path, p);
    return path;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// The texture's name, found by binding it (nothing outside the class reads it directly).
GLuint nameOf(Texture& texture) {
    texture.bind();
    const GLuint name = GLuint(integer(GL_TEXTURE_BINDING_2D));
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(glwindow::open()) << "no OpenGL context";
        ASSERT_EQ(glwindow::pendingError(), 0u);
    }
    void TearDown() override {
        EXPECT_EQ(glwindow::pendingError(), 0u);
        std::remove(path.c_str());
    }
    std::string path;
};

// ---- State left behind -----------------------------------------------------------------------

TEST_F(TextureTest, ConstructionLeavesNameZeroBoundAndModulateSet) {
    path = writePicture("state.png", makePicture(PNG_COLOR_TYPE_RGB, 8, 4, 4));
    GLuint other = 0;
    glGenTextures(1, &other);
    for (const char* file : {path.c_str(), "data/no-such-picture.png"}) {
        glBindTexture(GL_TEXTURE_2D, other);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        ::testing::internal::CaptureStderr();
        Texture texture(file);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(integer(GL_TEXTURE_BINDING_2D), 0) << file;
        GLint mode = 0;
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_EQ(mode, GL_MODULATE) << file;
    }
    glDeleteTextures(1, &other);
}

TEST_F(TextureTest, SamplingRepeatsAndTakesTheNearestTexel) {
    path = writePicture("parameters.png", makePicture(PNG_COLOR_TYPE_GRAY, 8, 2, 2));
    Texture texture(path.c_str());
    texture.bind();
    const std::pair<GLenum, GLint> expected[] = {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                                 {GL_TEXTURE_WRAP_T, GL_REPEAT},
                                                 {GL_TEXTURE_MAG_FILTER, GL_NEAREST},
                                                 {GL_TEXTURE_MIN_FILTER, GL_NEAREST}};
    for (const auto& [parameter, value] : expected) {
        GLint actual = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, parameter, &actual);
        EXPECT_EQ(actual, value) << "parameter 0x" << std::hex << parameter;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(TextureTest, PixelStoreStateIsPutBack) {
    path = writePicture("store.png", makePicture(PNG_COLOR_TYPE_RGBA, 16, 3, 3));
    for (GLint alignment : {1, 2, 8}) {
        for (GLboolean swap : {GL_FALSE, GL_TRUE}) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
            glPixelStorei(GL_UNPACK_SWAP_BYTES, swap);
            Texture texture(path.c_str());
            EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), alignment);
            EXPECT_EQ(integer(GL_UNPACK_SWAP_BYTES), swap);
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
}

// ---- Texels ----------------------------------------------------------------------------------

struct Format {
    int colourType;
    GLenum glFormat;
    int bitDepth;
};

class TextureTexels : public TextureTest, public ::testing::WithParamInterface<Format> {};

// Widths of 5 and 3 make rows that are no multiple of 4 bytes in every format, so an upload
// with OpenGL's default alignment would skew them.
TEST_P(TextureTexels, ReadBackEqualsThePictureBottomRowFirst) {
    const Format f = GetParam();
    for (const auto& [width, height] : {std::pair(5u, 3u), std::pair(3u, 8u), std::pair(1u, 1u)}) {
        const Picture picture = makePicture(f.colourType, f.bitDepth, width, height);
        path = writePicture("texels.png", picture);
        // Uploads that go wrong are judged by their texels, not by a restored alignment.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        Texture texture(path.c_str());
        ASSERT_TRUE(texture.isLoaded());
        texture.bind();
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, GLint(width));
        EXPECT_EQ(h, GLint(height));

        const unsigned rowSamples = width * pngfacts::channels(f.colourType);
        std::vector<unsigned char> texels(rowSamples * height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, f.glFormat, GL_UNSIGNED_BYTE, texels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glBindTexture(GL_TEXTURE_2D, 0);

        // A 16-bit sample comes back as the nearest byte, v * 255 / 65535 rounded either way.
        const int tolerance = f.bitDepth == 16 ? 1 : 0;
        int mismatches = 0;
        for (unsigned row = 0; row < height && mismatches < 5; ++row) {
            const unsigned fileRow = height - 1 - row;
            for (unsigned i = 0; i < rowSamples; ++i) {
                const unsigned v = picture.samples[fileRow * rowSamples + i];
                const int want = f.bitDepth == 16 ? int(std::lround(v / 257.0)) : int(v);
                const int got = texels[row * rowSamples + i];
                if (std::abs(got - want) > tolerance && mismatches++ < 5) {
                    ADD_FAILURE() << width << "x" << height << ": texel row " << row
                                  << " from the bottom, sample " << i << " is " << got
                                  << ", expected " << want;
                }
            }
        }
        std::remove(path.c_str());
    }
}

const Format formats[] = {
    {PNG_COLOR_TYPE_GRAY, GL_LUMINANCE, 8},  {PNG_COLOR_TYPE_GRAY_ALPHA, GL_LUMINANCE_ALPHA, 8},
    {PNG_COLOR_TYPE_RGB, GL_RGB, 8},         {PNG_COLOR_TYPE_RGBA, GL_RGBA, 8},
    {PNG_COLOR_TYPE_GRAY, GL_LUMINANCE, 16}, {PNG_COLOR_TYPE_GRAY_ALPHA, GL_LUMINANCE_ALPHA, 16},
    {PNG_COLOR_TYPE_RGB, GL_RGB, 16},        {PNG_COLOR_TYPE_RGBA, GL_RGBA, 16},
};

std::string nameOf(const Format& f) {
    static const char* const names[] = {"gray", "", "rgb", "", "grayalpha", "", "rgba"};
    return std::string(names[f.colourType]) + std::to_string(f.bitDepth);
}

std::string formatName(const ::testing::TestParamInfo<Format>& info) {
    return nameOf(info.param);
}

void PrintTo(const Format& f, std::ostream* out) {
    *out << nameOf(f);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, TextureTexels, ::testing::ValuesIn(formats), formatName);

// ---- Failed loads ----------------------------------------------------------------------------

TEST_F(TextureTest, FailedLoadLeavesAnEmptyNameAndSaysSoOnce) {
    path = tempPath("broken.png");
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("\x89PNG\r\n\x1a\n but nothing after", file);
    std::fclose(file);
    const std::pair<std::string, std::string> cases[] = {
        {"data/missing.png", "PNG: Failed to open data/missing.png for reading\n"},
        {path, "libpng error: [20]not: invalid chunk type\nPNG: setjmp() failed\n"}};
    for (const auto& [file, message] : cases) {
        ::testing::internal::CaptureStderr();
        Texture texture(file.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), message);
        EXPECT_FALSE(texture.isLoaded());
        const GLuint name = nameOf(texture);
        EXPECT_NE(name, 0u);
        EXPECT_TRUE(glIsTexture(name));
        texture.bind();
        GLint width = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        EXPECT_EQ(width, 0) << file;
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

// ---- Names -----------------------------------------------------------------------------------

TEST_F(TextureTest, TwoTexturesFromOneFileAreTwoNamesDeletedSeparately) {
    path = writePicture("twice.png", makePicture(PNG_COLOR_TYPE_RGB, 8, 2, 2));
    auto* first = new Texture(path.c_str());
    auto* second = new Texture(path.c_str());
    const GLuint firstName = nameOf(*first);
    const GLuint secondName = nameOf(*second);
    EXPECT_NE(firstName, secondName);
    EXPECT_TRUE(glIsTexture(firstName));
    EXPECT_TRUE(glIsTexture(secondName));

    delete first;
    EXPECT_FALSE(glIsTexture(firstName));
    EXPECT_TRUE(glIsTexture(secondName));
    delete second;
    EXPECT_FALSE(glIsTexture(secondName));
}

// ---- On screen -------------------------------------------------------------------------------

// Draws the texture over the whole viewport under the given colour, with nothing else on.
void drawFullWindow(Texture& texture, float red, float green, float blue) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    texture.bind();
    glColor3f(red, green, blue);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

TEST_F(TextureTest, PictureShowsUprightAndIsModulatedByTheColour) {
    // 5 x 3 texels, so each covers 128 x 160 pixels of the 640 x 480 window.
    const Picture picture = makePicture(PNG_COLOR_TYPE_RGB, 8, 5, 3);
    path = writePicture("screen.png", picture);
    Texture texture(path.c_str());
    for (const float red : {1.0f, 0.5f}) {
        drawFullWindow(texture, red, 1, 1);
        const testimages::Image frame = testimages::readFrame(); // top row first
        for (unsigned y = 0; y < 3; ++y) {
            for (unsigned x = 0; x < 5; ++x) {
                const unsigned* texel = &picture.samples[3 * (y * 5 + x)];
                const unsigned char* pixel = frame.at(int(x * 128 + 64), int(y * 160 + 80));
                // Modulation rounds the product either way; one step is allowed.
                EXPECT_NEAR(pixel[0], texel[0] * red, 1.0) << "texel " << x << "," << y;
                EXPECT_NEAR(pixel[1], texel[1], 1.0) << "texel " << x << "," << y;
                EXPECT_NEAR(pixel[2], texel[2], 1.0) << "texel " << x << "," << y;
            }
        }
    }
}

} // namespace
