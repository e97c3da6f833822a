#include "Bitmapfont.h"

#include "Texture.h"

#include <GL/gl.h>

namespace {

// One cell of the 16 x 4 atlas, in texture coordinates.
constexpr float kCellWidth = 1.0f / 16.0f;
constexpr float kCellHeight = 1.0f / 4.0f;

// The lookup compares plain (signed) chars: Latin-1 letters are negative here, so the
// a-z range below never catches them.
char foldToCapital(char c) {
    if (c > 0x60 && c <= 0x7A) {
        return char(c - 0x20);
    }
    switch (static_cast<unsigned char>(c)) {
    case 0xE6: // ae
        return char(0xC6);
    case 0xF8: // o-slash
        return char(0xD8);
    case 0xE5: // a-ring
        return char(0xC5);
    default:
        return c;
    }
}

} // namespace

Bitmapfont::Bitmapfont(const char* atlasPath, const char* charmap, int charWidth, int charHeight)
    : texture(std::make_unique<Texture>(atlasPath)), charmap(charmap), charWidth(charWidth),
      charHeight(charHeight) {}

Bitmapfont::~Bitmapfont() = default;

int Bitmapfont::glyphIndex(const char* charmap, char c) {
    const char folded = foldToCapital(c);
    if (folded == 0) {
        return 0;
    }
    for (int i = 0; charmap[i] != 0; ++i) {
        if (charmap[i] == folded) {
            return i;
        }
    }
    return missingGlyph;
}

void Bitmapfont::cellPosition(int glyph, float* u, float* v) {
    *u = float(glyph % 16) * kCellWidth;
    *v = float(glyph / 16) * kCellHeight;
}

void Bitmapfont::getCharacterPosition(char c, float* u, float* v) const {
    cellPosition(glyphIndex(charmap, c), u, v);
}

void Bitmapfont::emitQuad(int x, int y, char c) const {
    float u = 0, v = 0;
    getCharacterPosition(c, &u, &v);
    // Lower right, lower left, upper left, upper right.
    glTexCoord2f(u + kCellWidth, v);
    glVertex2i(x + charWidth, y);
    glTexCoord2f(u, v);
    glVertex2i(x, y);
    glTexCoord2f(u, v + kCellHeight);
    glVertex2i(x, y + charHeight);
    glTexCoord2f(u + kCellWidth, v + kCellHeight);
    glVertex2i(x + charWidth, y + charHeight);
}

void Bitmapfont::drawCharacter(SDL_Surface*, int x, int y, char c) {
    texture->bind();
    glColor3ub(255, 255, 255);
    glBegin(GL_QUADS);
    emitQuad(x, y, c);
    glEnd();
}

void Bitmapfont::drawString(SDL_Surface*, int x, int y, const std::string& text) {
    // All quads of the text go into one glBegin/glEnd with one bind: per character that
    // would be the same state set again. Nothing is bound before the first visible glyph.
    bool begun = false;
    int penX = x, penY = y;
    for (const char c : text) {
        if (c == '\n') {
            penX = x;
            penY += charHeight;
            continue;
        }
        if (!begun) {
            texture->bind();
            glColor3ub(255, 255, 255);
            glBegin(GL_QUADS);
            begun = true;
        }
        emitQuad(penX, penY, c);
        penX += charWidth;
    }
    if (begun) {
        glEnd();
    }
}
