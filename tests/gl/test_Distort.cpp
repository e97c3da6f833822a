// The distortion effect under a real OpenGL context: its capture texture, begin and end around
// a known picture, and fux with a texture made from a PNG file written here.
#include "Distort.h"
#include "GLTestWindow.h"
#include "Hooks.h"
#include "Images.h"
#include "Texture.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The GL state that end must give back and that fux must leave alone (apart from the two
// things fux is meant to change).
struct GLState {
    std::array<GLint, 4> viewport{};
    bool blend = false;
    bool lighting = false;
    bool depthTest = false;
    bool texturing = false;
    GLint binding = 0;
    GLint matrixMode = 0;
    std::array<GLfloat, 16> modelview{};
    std::array<GLfloat, 16> projection{};
    GLint modelviewDepth = 0;
    GLint projectionDepth = 0;
    GLint attribDepth = 0;
    std::array<GLfloat, 4> colour{};
    std::array<GLfloat, 4> clearColour{};

    static GLState read() {
        GLState s;
        glGetIntegerv(GL_VIEWPORT, s.viewport.data());
        s.blend = glIsEnabled(GL_BLEND);
        s.lighting = glIsEnabled(GL_LIGHTING);
        s.depthTest = glIsEnabled(GL_DEPTH_TEST);
        s.texturing = glIsEnabled(GL_TEXTURE_2D);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.binding);
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetFloatv(GL_MODELVIEW_MATRIX, s.modelview.data());
        glGetFloatv(GL_PROJECTION_MATRIX, s.projection.data());
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelviewDepth);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &s.attribDepth);
        glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
        glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clearColour.data());
        return s;
    }
};

void expectSameState(const GLState& actual, const GLState& expected) {
    EXPECT_EQ(actual.viewport, expected.viewport);
    EXPECT_EQ(actual.blend, expected.blend);
    EXPECT_EQ(actual.lighting, expected.lighting);
    EXPECT_EQ(actual.depthTest, expected.depthTest);
    EXPECT_EQ(actual.texturing, expected.texturing);
    EXPECT_EQ(actual.binding, expected.binding);
    EXPECT_EQ(actual.matrixMode, expected.matrixMode);
    EXPECT_EQ(actual.modelview, expected.modelview);
    EXPECT_EQ(actual.projection, expected.projection);
    EXPECT_EQ(actual.modelviewDepth, expected.modelviewDepth);
    EXPECT_EQ(actual.projectionDepth, expected.projectionDepth);
    EXPECT_EQ(actual.attribDepth, expected.attribDepth);
    EXPECT_EQ(actual.colour, expected.colour);
    EXPECT_EQ(actual.clearColour, expected.clearColour);
}

GLint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// The picture drawn into the capture corner: red counts columns, green counts rows (both
// from the lower left), blue is a 32-pixel checkerboard.
std::array<double, 3> pattern(int x, int y) {
    return {double(x), double(y), ((x / 32 + y / 32) & 1) ? 255.0 : 0.0};
}

// Draws the pattern pixel for pixel into the lower-left w x h of the current viewport, whatever
// the caller's state.
void drawPattern(int w, int h) {
    std::vector<unsigned char> pixels(3 * w * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto p = pattern(x, y);
            for (int c = 0; c < 3; ++c) {
                pixels[3 * (y * w + x) + c] = static_cast<unsigned char>(p[c]);
            }
        }
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

// The captured pattern (w x h texels) as a linear filter samples it at texel coordinates
// (a, b), centres at .5. Coordinates are clamped to the texture's edges, where half of the
// sample comes from the black border: that is how GL_CLAMP differs from clamping to the edge.
std::array<double, 3> sampleLinear(double a, double b, int w, int h) {
    a = std::clamp(a, 0.0, double(w));
    b = std::clamp(b, 0.0, double(h));
    const int x0 = static_cast<int>(std::floor(a - 0.5));
    const int y0 = static_cast<int>(std::floor(b - 0.5));
    const double fx = a - 0.5 - x0;
    const double fy = b - 0.5 - y0;
    auto texel = [w, h](int x, int y, int c) {
        return x < 0 || y < 0 || x >= w || y >= h ? 0.0 : pattern(x, y)[c];
    };
    std::array<double, 3> out{};
    for (int c = 0; c < 3; ++c) {
        out[c] = (1 - fx) * (1 - fy) * texel(x0, y0, c) + fx * (1 - fy) * texel(x0 + 1, y0, c) +
                 (1 - fx) * fy * texel(x0, y0 + 1, c) + fx * fy * texel(x0 + 1, y0 + 1, c);
    }
    return out;
}

// What the undisplaced redraw of a capture 256 wide and captureHeight high shows in a viewport
// of w x h pixels: the perspective's cot 20 deg over the ortho's 64 units and the division by
// w = 1001/999 map a pixel centre back to a grid point, whose texture coordinate is grid / 64.
// Where no grid point lies, the clear colour shows.
testimages::Image expectedIdentityRedraw(int w, int h, int captureHeight,
                                         const std::array<unsigned char, 3>& clear) {
    const double aspect = double(w) / h;
    const double cot20 = 1.0 / std::tan(20.0 * M_PI / 180.0);
    const double toEye = 64.0 * 1001.0 / 999.0 / cot20;
    testimages::Image image;
    image.width = w;
    image.height = h;
    image.rgb.resize(3 * w * h);
    for (int py = 0; py < h; ++py) {
        for (int px = 0; px < w; ++px) {
            const double gx = 32.0 + (2.0 * (px + 0.5) / w - 1.0) * toEye * aspect;
            const double gy = 32.0 + (2.0 * (py + 0.5) / h - 1.0) * toEye;
            unsigned char* out = &image.rgb[3 * ((h - 1 - py) * w + px)];
            if (gx < 0 || gy < 0) {
                std::copy(clear.begin(), clear.end(), out);
                continue;
            }
            const auto c =
                sampleLinear(gx / 64.0 * 256.0, gy / 64.0 * captureHeight, 256, captureHeight);
            for (int k = 0; k < 3; ++k) {
                out[k] = static_cast<unsigned char>(std::lround(c[k]));
            }
        }
    }
    return image;
}

// Puts the picture of expected where matchesReference looks for it, and compares.
::testing::AssertionResult matchesPicture(const testimages::Image& actual,
                                          const testimages::Image& expected, const char* name,
                                          int channelTolerance, double maxDifferingFraction) {
    const std::string path = testimages::outputDir() + "/" + name + "-model.png";
    if (!testimages::savePNG(path, expected)) {
        return ::testing::AssertionFailure() << "cannot write " << path;
    }
    return testimages::matchesReference(actual, path, channelTolerance, maxDifferingFraction);
}

// The clear colour that SetUp chooses, as the frame buffer holds it.
const std::array<unsigned char, 3> kClear = {51, 26, 77};

class DistortGL : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(glwindow::open());
        hooks::useRealTicks();
        glViewport(0, 0, 640, 480);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_BLEND);
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, 0);
        glBlendFunc(GL_ONE, GL_ZERO);
        glDepthFunc(GL_LESS);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glClearColor(0.2f, 0.1f, 0.3f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glwindow::pendingError();
    }
    void TearDown() override { EXPECT_EQ(glwindow::pendingError(), 0u); }
};

TEST_F(DistortGL, OwnsAZeroedClampedLinearTextureOfTheCaptureSize) {
    GLuint name = 0;
    {
        Distort effect(256, 128, DISTORT_RIPPLE, 4);
        name = static_cast<GLuint>(boundTexture());
        ASSERT_NE(name, 0u);
        EXPECT_TRUE(glIsTexture(name));
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_CLAMP);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_CLAMP);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
        EXPECT_EQ(value, 256);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &value);
        EXPECT_EQ(value, 128);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &value);
        EXPECT_GT(value, 0);
        std::vector<unsigned char> texels(256 * 128 * 4, 0xAB);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(std::count(texels.begin(), texels.end(), 0), long(texels.size()));

        Distort other(64, 64, DISTORT_NONE, 8);
        EXPECT_NE(static_cast<GLuint>(boundTexture()), name);
        EXPECT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(DistortGL, MakeDistortionUsesTheEffectsOwnShape) {
    Distort fold(256, 256, DISTORT_FOLD, 8);
    float u = -9, v = -9;
    fold.make_distortion(32, 32, &u, &v, 0.0f);
    EXPECT_NEAR(u, 0.0, 1e-5);
    EXPECT_NEAR(v, 0.45465, 1e-5);
    Distort none(256, 256, DISTORT_NONE, 4);
    none.make_distortion(64, 32, &u, &v, 3.0f);
    EXPECT_EQ(u, 1.0f);
    EXPECT_EQ(v, 0.5f);
}

TEST_F(DistortGL, BeginNarrowsTheViewportAndEndGivesTheCallersBack) {
    Distort effect(128, 64, DISTORT_NONE, 8);
    glViewport(10, 20, 600, 440);
    effect.begin();
    EXPECT_EQ(GLState::read().viewport, (std::array<GLint, 4>{0, 0, 128, 64}));
    effect.end();
    EXPECT_EQ(GLState::read().viewport, (std::array<GLint, 4>{10, 20, 600, 440}));

    // A second begin without an end saves the narrowed viewport, and end brings back that one.
    effect.begin();
    effect.begin();
    effect.end();
    EXPECT_EQ(GLState::read().viewport, (std::array<GLint, 4>{0, 0, 128, 64}));
}

TEST_F(DistortGL, EndCopiesTheCornerIntoItsTexture) {
    Distort effect(128, 64, DISTORT_NONE, 8);
    const GLuint name = static_cast<GLuint>(boundTexture());
    effect.begin();
    drawPattern(128, 64);
    effect.end();

    glBindTexture(GL_TEXTURE_2D, name);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    ASSERT_EQ(w, 128);
    ASSERT_EQ(h, 64);
    std::vector<unsigned char> texels(128 * 64 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    int wrong = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x) {
            const auto p = pattern(x, y);
            for (int c = 0; c < 3; ++c) {
                wrong += texels[4 * (y * 128 + x) + c] != p[c];
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(DistortGL, IdentityRedrawFramesTheCaptureAcrossTheWindow) {
    // The grid is 256 x 256 whatever the capture height; a 128-high capture is stretched.
    for (int height : {256, 128}) {
        SCOPED_TRACE(::testing::Message() << "capture height " << height);
        Distort effect(256, height, DISTORT_NONE, 4);
        // Caller state under which the redraw would come out wrong if end kept it: blending
        // that keeps the destination, unlit-black lighting, a depth test that passes nothing,
        // texturing off and another texture bound.
        GLuint other = 0;
        glGenTextures(1, &other);
        glBindTexture(GL_TEXTURE_2D, other);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ZERO, GL_ONE);
        glEnable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_NEVER);

        effect.begin();
        drawPattern(256, height);
        effect.end();
        const testimages::Image frame = testimages::readFrame();
        // Filtering weights are rounded by the rasteriser, so checker edges may be a few
        // levels off; everything else lands within rounding.
        EXPECT_TRUE(matchesPicture(frame, expectedIdentityRedraw(640, 480, height, kClear),
                                   height == 256 ? "distort-identity" : "distort-identity-low", 4,
                                   0.005));
        glDeleteTextures(1, &other);
        SetUp();
    }
}

TEST_F(DistortGL, WideViewportShowsTheClearedBufferLeftOfTheGrid) {
    // At 640 x 400 the framing reaches left of grid x 0, where nothing is drawn; end clears
    // the whole colour buffer, so the rows below the viewport lose the pattern too.
    Distort effect(256, 256, DISTORT_NONE, 4);
    glViewport(0, 40, 640, 400);
    effect.begin();
    drawPattern(256, 256);
    glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
    effect.end();
    EXPECT_TRUE(matchesPicture(testimages::readFrame(0, 40, 640, 400),
                               expectedIdentityRedraw(640, 400, 256, {0, 0, 255}), "distort-wide",
                               4, 0.005));
    const testimages::Image below = testimages::readFrame(0, 0, 640, 40);
    double mean[3];
    testimages::meanColour(below, mean);
    EXPECT_EQ(mean[0], 0.0);
    EXPECT_EQ(mean[1], 0.0);
    EXPECT_EQ(mean[2], 255.0);
}

TEST_F(DistortGL, EndWalksAWidthByWidthGridWithItsOwnStep) {
    Distort coarse(128, 256, DISTORT_RIPPLE, 8);
    coarse.begin();
    hooks::resetCounts();
    coarse.end();
    EXPECT_EQ(hooks::tickReads(), 4u * 16 * 16);

    Distort fine(256, 256, DISTORT_RIPPLE, 4);
    fine.begin();
    hooks::resetCounts();
    fine.end();
    EXPECT_EQ(hooks::tickReads(), 4u * 4096);
}

class DistortRestore : public DistortGL, public ::testing::WithParamInterface<bool> {};

TEST_P(DistortRestore, EndLeavesTheCallersStateAsItWas) {
    const bool on = GetParam();
    Distort effect(256, 256, DISTORT_RIPPLE, 4);
    GLuint own = 0;
    glGenTextures(1, &own);
    glBindTexture(GL_TEXTURE_2D, on ? own : 0);
    auto set = [on](GLenum cap) { on ? glEnable(cap) : glDisable(cap); };
    set(GL_BLEND);
    set(GL_LIGHTING);
    set(GL_DEPTH_TEST);
    set(GL_TEXTURE_2D);
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.5f, -1.0f, -7.0f);
    glRotatef(30.0f, 0.0f, 1.0f, 0.0f);
    glMatrixMode(on ? GL_PROJECTION : GL_MODELVIEW);
    const GLState before = GLState::read();

    effect.begin();
    EXPECT_EQ(glwindow::pendingError(), 0u);
    effect.end();

    expectSameState(GLState::read(), before);
    glDeleteTextures(1, &own);
    glMatrixMode(GL_MODELVIEW);
}

INSTANTIATE_TEST_SUITE_P(BothWays, DistortRestore, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "EverythingOn" : "EverythingOff";
                         });

// A 16 x 16 picture of four coloured quadrants with a white texel at the lower-left corner,
// written as a PNG so that a real Texture loads it.
struct FuxPicture {
    static constexpr int size = 16;
    std::string path = testimages::outputDir() + "/distort-fux-input.png";

    static std::array<unsigned char, 3> at(int x, int y) {
        if (x == 0 && y == 0) {
            return {255, 255, 255};
        }
        const bool right = x >= size / 2;
        const bool top = y >= size / 2;
        if (top) {
            return right ? std::array<unsigned char, 3>{0, 0, 255}
                         : std::array<unsigned char, 3>{255, 255, 0};
        }
        return right ? std::array<unsigned char, 3>{0, 255, 0}
                     : std::array<unsigned char, 3>{255, 0, 0};
    }

    bool write() const {
        testimages::Image image;
        image.width = size;
        image.height = size;
        image.rgb.resize(3 * size * size);
        for (int row = 0; row < size; ++row) { // the file's first row is the picture's top
            for (int x = 0; x < size; ++x) {
                const auto c = at(x, size - 1 - row);
                std::copy(c.begin(), c.end(), &image.rgb[3 * (row * size + x)]);
            }
        }
        return testimages::savePNG(path, image);
    }
};

TEST_F(DistortGL, FuxDrawsTheImageInTheCallersTransform) {
    FuxPicture picture;
    ASSERT_TRUE(picture.write());
    Texture image(picture.path.c_str());
    ASSERT_TRUE(image.isLoaded());
    Distort effect(256, 256, DISTORT_NONE, 4);

    // The ortho puts 2 pixels on a unit, and the caller's translation moves the grid 16 units
    // (32 pixels) right and 8 units (16 pixels) up. Size 65 centres the grid half a unit off
    // the integers, and its ninth column and row of quads reach grid 72, where the image
    // repeats: 64 grid units span it once.
    glViewport(0, 0, 256, 256);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-64.0, 64.0, -64.0, 64.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(16.0f, 8.0f, 0.0f);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    const GLState before = GLState::read();

    hooks::resetCounts();
    effect.fux(65, 1234.0f, 1, 8, &image);
    EXPECT_EQ(hooks::tickReads(), 4u * 9 * 9);

    const GLState after = GLState::read();
    GLState expected = before;
    expected.texturing = true;
    image.bind();
    expected.binding = boundTexture();
    EXPECT_NE(expected.binding, 0);
    expectSameState(after, expected);

    // Grid -32.5 .. 39.5 plus the translation, at 2 pixels a unit from the viewport's centre.
    const testimages::Image frame = testimages::readFrame(0, 0, 256, 256);
    testimages::Image model = frame;
    for (int py = 0; py < 256; ++py) {
        for (int px = 0; px < 256; ++px) {
            const double gx = (px + 0.5) / 2.0 - 64.0 - 16.0 + 32.5;
            const double gy = (py + 0.5) / 2.0 - 64.0 - 8.0 + 32.5;
            std::array<unsigned char, 3> c = kClear;
            if (gx >= 0 && gx < 72 && gy >= 0 && gy < 72) {
                c = FuxPicture::at(int(gx / 4) % 16, int(gy / 4) % 16);
            }
            std::copy(c.begin(), c.end(), &model.rgb[3 * ((255 - py) * 256 + px)]);
        }
    }
    EXPECT_TRUE(matchesPicture(frame, model, "distort-fux", 2, 0.001));
}

TEST_F(DistortGL, FuxOfSizeZeroDrawsNothing) {
    FuxPicture picture;
    ASSERT_TRUE(picture.write());
    Texture image(picture.path.c_str());
    Distort effect(256, 256, DISTORT_FOLD, 8);
    const testimages::Image before = testimages::readFrame();
    hooks::resetCounts();
    effect.fux(0, 0.0f, 1, 8, &image);
    EXPECT_EQ(hooks::tickReads(), 0u);
    EXPECT_EQ(glwindow::pendingError(), 0u);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(testimages::readFrame().rgb, before.rgb);
}

} // namespace
