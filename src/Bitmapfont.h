// Text drawn from a glyph atlas, one textured quad per character.
//
// The atlas is one picture of 16 x 4 equal cells; glyph g sits in column g mod 16 from the left
// and row g div 16 from the bottom, because pictures are stored bottom row first and GL's
// t = 0 is the bottom edge. A charmap string names the glyphs in that order; lower-case ASCII
// letters and the Latin-1 letters ae, o-slash and a-ring are folded to capitals before the
// lookup, and a character the charmap lacks draws glyph 40. The font owns its atlas texture;
// the charmap stays the caller's and must outlive the font.
//
// Drawing works in the caller's coordinates: the caller enables GL_TEXTURE_2D (and blending,
// if wanted) and sets a projection in which charWidth and charHeight are meant, with y up: a
// glyph's lower edge lands at y and a line feed moves the pen up by charHeight. Drawing leaves
// the atlas bound and the current colour white. Everything but the lookup needs a current
// OpenGL context.
#pragma once

#include <memory>
#include <string>

class Texture;
struct SDL_Surface;

class Bitmapfont {
public:
    // The atlas made by tools/fontgen and the charmap it was drawn from. Its glyph 40 is the
    // "missing" sign, listed under the DEL code, which no text contains. The atlas is
    // premultiplied luminance-alpha: blend it with GL_ONE, GL_ONE_MINUS_SRC_ALPHA.
    static constexpr const char* defaultAtlas = "data/font.png";
    static constexpr const char* defaultCharmap = "ABCDEFGHIJKLMNOP"
                                                  "QRSTUVWXYZ\xC6\xD8\xC5"
                                                  "012"
                                                  "3456789 \x7F.,:;!?'\"-"
                                                  "+=/()[]*%#_<>~";
    static constexpr int missingGlyph = 40;

    // Loads the atlas from a PNG file; charmap is kept, not copied.
    Bitmapfont(const char* atlasPath, const char* charmap, int charWidth, int charHeight);
    ~Bitmapfont();

    Bitmapfont(const Bitmapfont&) = delete;
    Bitmapfont& operator=(const Bitmapfont&) = delete;

    // The surface is accepted for the callers' convenience only: all drawing goes through
    // OpenGL. One quad of charWidth x charHeight with its lower-left corner at (x, y).
    void drawCharacter(SDL_Surface* surface, int x, int y, char c);
    // Characters advance by charWidth; a line feed returns to x and adds charHeight to y.
    // Every other code, space and tab included, is drawn as a glyph. Text that draws nothing
    // binds nothing.
    void drawString(SDL_Surface* surface, int x, int y, const std::string& text);
    // Texture coordinates of the lower-left corner of c's cell.
    void getCharacterPosition(char c, float* u, float* v) const;

    // The lookup behind getCharacterPosition, apart from any GL state.
    // Glyph index of c in charmap: code 0 is glyph 0 without looking at charmap (which may
    // then be null); the first occurrence wins; a missing character is missingGlyph.
    static int glyphIndex(const char* charmap, char c);
    // Lower-left texture coordinates of glyph g's cell.
    static void cellPosition(int glyph, float* u, float* v);

private:
    // The quad of one glyph, inside a glBegin(GL_QUADS) that the caller opened.
    void emitQuad(int x, int y, char c) const;

    std::unique_ptr<Texture> texture;
    const char* charmap;
    int charWidth;
    int charHeight;
};
