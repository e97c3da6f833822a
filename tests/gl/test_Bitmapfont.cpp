// The font under a real OpenGL context: the quads it sends (caught in feedback mode), the
// state it leaves, the lifetime of its atlas, and a line of text on screen against a golden
// picture.
#include "Bitmapfont.h"
#include "GLTestWindow.h"
#include "Images.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480;

struct Vertex {
    float x, y;
    std::array<float, 4> colour;
    float s, t;
};
using Polygon = std::vector<Vertex>;

// What GL made of one quad: the pieces it rasterises (a quad may reach feedback as two
// triangles), with the quad's corners in the order they first appear.
struct Quad {
    std::vector<Polygon> pieces;
    std::vector<Vertex> corners;
};

// Window coordinates come back through the viewport transform: equal to within rounding.
bool samePlace(const Vertex& a, const Vertex& b) {
    return std::fabs(a.x - b.x) < 1e-3f && std::fabs(a.y - b.y) < 1e-3f;
}

// Twice the signed area in window coordinates: negative when the piece runs clockwise.
float signedArea2(const Polygon& p) {
    float sum = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Vertex& a = p[i];
        const Vertex& b = p[(i + 1) % p.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

// Runs draw in feedback mode and returns the quads GL would have rasterised, in window
// coordinates (the projection set up below maps object units to pixels one to one).
std::vector<Quad> feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(1 << 16);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<Quad> quads;
    // x y z, r g b a, s t r q for each vertex.
    constexpr int kVertexFloats = 11;
    for (GLint i = 0; i < used;) {
        const GLenum token = GLenum(buffer[size_t(i++)]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const int count = int(buffer[size_t(i++)]);
        Polygon p;
        for (int k = 0; k < count; ++k, i += kVertexFloats) {
            const GLfloat* v = &buffer[size_t(i)];
            p.push_back({v[0], v[1], {v[3], v[4], v[5], v[6]}, v[7] / v[10], v[8] / v[10]});
        }
        if (quads.empty() || quads.back().corners.size() >= 4) {
            quads.emplace_back();
        }
        Quad& q = quads.back();
        q.pieces.push_back(p);
        for (const Vertex& v : p) {
            bool known = false;
            for (const Vertex& c : q.corners) {
                known = known || samePlace(c, v);
            }
            if (!known) {
                q.corners.push_back(v);
            }
        }
    }
    return quads;
}

GLint boundTexture() {
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

std::array<GLfloat, 4> currentColour() {
    std::array<GLfloat, 4> c{};
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

const std::array<GLfloat, 4> kWhite{1, 1, 1, 1};

class BitmapfontTest : public ::testing::Test {
protected:
    static constexpr int kCharWidth = 20, kCharHeight = 28;

    void SetUp() override {
        ASSERT_TRUE(glwindow::open()) << "no OpenGL context";
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, 0);
        glColor3ub(255, 0, 0);
        ASSERT_EQ(glwindow::pendingError(), 0u);
        font = std::make_unique<Bitmapfont>(Bitmapfont::defaultAtlas, Bitmapfont::defaultCharmap,
                                            kCharWidth, kCharHeight);
    }
    void TearDown() override {
        font.reset();
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(glwindow::pendingError(), 0u);
    }

    // The texture name the font binds.
    GLint atlasName() {
        font->drawCharacter(nullptr, 0, 0, 'A');
        const GLint name = boundTexture();
        glBindTexture(GL_TEXTURE_2D, 0);
        glColor3ub(255, 0, 0);
        return name;
    }

    // Expects one white quad over the glyph cell of c with its lower-left corner at (x, y),
    // its corners given as lower right, lower left, upper left, upper right: the first corner
    // GL sees is the lower right one and every piece runs clockwise, which together fix the
    // order.
    void expectGlyphQuad(const Quad& quad, char c, int x, int y) {
        float u = -1, v = -1;
        font->getCharacterPosition(c, &u, &v);
        const float du = 1.0f / 16, dv = 1.0f / 4;
        const float left = float(x), right = float(x + kCharWidth);
        const float bottom = float(y), top = float(y + kCharHeight);
        const std::array<Vertex, 4> expected{{{right, bottom, kWhite, u + du, v},
                                              {left, bottom, kWhite, u, v},
                                              {left, top, kWhite, u, v + dv},
                                              {right, top, kWhite, u + du, v + dv}}};
        ASSERT_EQ(quad.corners.size(), 4u) << "character " << c;
        EXPECT_TRUE(samePlace(quad.corners[0], expected[0])) << c << ": first corner";
        for (const Polygon& piece : quad.pieces) {
            EXPECT_LT(signedArea2(piece), 0.0f) << c << ": corners not in clockwise order";
        }
        for (const Vertex& e : expected) {
            const Vertex* found = nullptr;
            for (const Vertex& corner : quad.corners) {
                found = samePlace(corner, e) ? &corner : found;
            }
            ASSERT_NE(found, nullptr) << c << ": no corner at " << e.x << ", " << e.y;
            EXPECT_FLOAT_EQ(found->s, e.s) << c << " at " << e.x << ", " << e.y;
            EXPECT_FLOAT_EQ(found->t, e.t) << c << " at " << e.x << ", " << e.y;
            EXPECT_EQ(found->colour, kWhite) << c << " at " << e.x << ", " << e.y;
        }
    }

    std::unique_ptr<Bitmapfont> font;
};

// ---- Quads ----

TEST_F(BitmapfontTest, ACharacterIsOneWhiteQuadOverItsCell) {
    const auto polygons = feedback([&] { font->drawCharacter(nullptr, 100, 50, 'K'); });
    ASSERT_EQ(polygons.size(), 1u);
    expectGlyphQuad(polygons[0], 'K', 100, 50);
}

TEST_F(BitmapfontTest, FoldedAndMissingCharactersDrawTheRightCells) {
    const auto polygons = feedback([&] {
        font->drawCharacter(nullptr, 0, 0, 'k');
        font->drawCharacter(nullptr, 0, 0, '{');
        font->drawCharacter(nullptr, 0, 0, '\xE5');
    });
    ASSERT_EQ(polygons.size(), 3u);
    expectGlyphQuad(polygons[0], 'K', 0, 0);
    // Glyph 40: the missing sign, at (0.5, 0.5).
    EXPECT_FLOAT_EQ(polygons[1].corners[1].s, 0.5f);
    EXPECT_FLOAT_EQ(polygons[1].corners[1].t, 0.5f);
    expectGlyphQuad(polygons[2], '\xC5', 0, 0);
}

TEST_F(BitmapfontTest, AStringAdvancesByCharWidthAndALineFeedByCharHeight) {
    const auto polygons = feedback([&] { font->drawString(nullptr, 30, 40, "AB\nC"); });
    ASSERT_EQ(polygons.size(), 3u);
    expectGlyphQuad(polygons[0], 'A', 30, 40);
    expectGlyphQuad(polygons[1], 'B', 30 + kCharWidth, 40);
    expectGlyphQuad(polygons[2], 'C', 30, 40 + kCharHeight);
}

TEST_F(BitmapfontTest, LineFeedsAtTheEdgesAndInARowOnlyMoveThePen) {
    const auto polygons = feedback([&] { font->drawString(nullptr, 5, 6, "\nX\n\nYZ\n"); });
    ASSERT_EQ(polygons.size(), 3u);
    expectGlyphQuad(polygons[0], 'X', 5, 6 + kCharHeight);
    expectGlyphQuad(polygons[1], 'Y', 5, 6 + 3 * kCharHeight);
    expectGlyphQuad(polygons[2], 'Z', 5 + kCharWidth, 6 + 3 * kCharHeight);
}

TEST_F(BitmapfontTest, OtherControlCharactersAndSpacesAreDrawnAsGlyphs) {
    const auto polygons = feedback([&] { font->drawString(nullptr, 0, 0, "A\tB\rC D"); });
    ASSERT_EQ(polygons.size(), 7u);
    expectGlyphQuad(polygons[1], '\t', kCharWidth, 0);
    expectGlyphQuad(polygons[3], '\r', 3 * kCharWidth, 0);
    expectGlyphQuad(polygons[5], ' ', 5 * kCharWidth, 0);
    expectGlyphQuad(polygons[6], 'D', 6 * kCharWidth, 0);
    EXPECT_FLOAT_EQ(polygons[1].corners[1].s, 0.5f) << "a tab draws the missing sign";
}

// ---- State ----

TEST_F(BitmapfontTest, AnEmptyStringDrawsAndBindsNothing) {
    const auto polygons = feedback([&] { font->drawString(nullptr, 10, 10, ""); });
    EXPECT_TRUE(polygons.empty());
    EXPECT_EQ(boundTexture(), 0);
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{1, 0, 0, 1}));
}

TEST_F(BitmapfontTest, OnlyLineFeedsDrawAndBindNothing) {
    const auto polygons = feedback([&] { font->drawString(nullptr, 10, 10, "\n\n"); });
    EXPECT_TRUE(polygons.empty());
    EXPECT_EQ(boundTexture(), 0);
    EXPECT_EQ(currentColour(), (std::array<GLfloat, 4>{1, 0, 0, 1}));
}

TEST_F(BitmapfontTest, DrawingLeavesTheAtlasBoundAndTheColourWhite) {
    const GLint atlas = atlasName();
    ASSERT_NE(atlas, 0);
    font->drawString(nullptr, 0, 0, "A");
    EXPECT_EQ(boundTexture(), atlas);
    EXPECT_EQ(currentColour(), kWhite);

    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3ub(0, 0, 255);
    font->drawCharacter(nullptr, 0, 0, '\n');
    EXPECT_EQ(boundTexture(), atlas);
    EXPECT_EQ(currentColour(), kWhite);
}

TEST_F(BitmapfontTest, TheAtlasIsTheGlyphPictureAndDiesWithTheFont) {
    const GLint atlas = atlasName();
    glBindTexture(GL_TEXTURE_2D, GLuint(atlas));
    GLint width = 0, height = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 128);
    EXPECT_EQ(format, GL_LUMINANCE_ALPHA);
    glBindTexture(GL_TEXTURE_2D, 0);

    // A second font has its own atlas; deleting one leaves the other.
    Bitmapfont other(Bitmapfont::defaultAtlas, Bitmapfont::defaultCharmap, 8, 8);
    other.drawCharacter(nullptr, 0, 0, 'A');
    const GLuint otherName = GLuint(boundTexture());
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_NE(otherName, GLuint(atlas));
    font.reset();
    EXPECT_FALSE(glIsTexture(GLuint(atlas)));
    EXPECT_TRUE(glIsTexture(otherName));
}

// ---- On screen ----

TEST_F(BitmapfontTest, ALineOfTextMatchesTheGoldenPicture) {
    glClearColor(0.1f, 0.1f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    Bitmapfont big(Bitmapfont::defaultAtlas, Bitmapfont::defaultCharmap, 32, 32);
    // Lines go up: the second string's line feed puts its second line above its first.
    big.drawString(nullptr, 16, 200, "ZOKK!!!~~ 29.9 S");
    big.drawString(nullptr, 16, 100,
                   "bl\xE5"
                   "b\xE6rsyltet\xF8y?\n(0123456789)");
    // Half size and stretched: nearest sampling of the same cells.
    Bitmapfont small(Bitmapfont::defaultAtlas, Bitmapfont::defaultCharmap, 16, 24);
    small.drawString(nullptr, 16, 300, "THE QUICK BROWN FOX, 42% [A-Z] *#_<>+=/\"' {}");
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    EXPECT_TRUE(testimages::matchesReference(testimages::readFrame(),
                                             "tests/references/font-text.png", 8, 0.002));
}

} // namespace
