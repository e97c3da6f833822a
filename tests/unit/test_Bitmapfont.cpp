// The font's lookup without a GL context: case folding, the search and its edge rules, the
// cell arithmetic; and the committed atlas against the charmap it was drawn for.
#include "Bitmapfont.h"
#include "PNGImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr float kCellU = 1.0f / 16, kCellV = 1.0f / 4;

struct Cell {
    float u, v;
};
Cell cell(int glyph) {
    Cell c{-1, -1};
    Bitmapfont::cellPosition(glyph, &c.u, &c.v);
    return c;
}

char latin1(unsigned code) {
    return static_cast<char>(code);
}

// ---- Cell arithmetic ----

TEST(BitmapfontCells, CornersOfTheAtlas) {
    EXPECT_FLOAT_EQ(cell(0).u, 0.0f);
    EXPECT_FLOAT_EQ(cell(0).v, 0.0f);
    EXPECT_FLOAT_EQ(cell(15).u, 0.9375f);
    EXPECT_FLOAT_EQ(cell(15).v, 0.0f);
    EXPECT_FLOAT_EQ(cell(16).u, 0.0f);
    EXPECT_FLOAT_EQ(cell(16).v, 0.25f);
    EXPECT_FLOAT_EQ(cell(40).u, 0.5f);
    EXPECT_FLOAT_EQ(cell(40).v, 0.5f);
    EXPECT_FLOAT_EQ(cell(63).u, 0.9375f);
    EXPECT_FLOAT_EQ(cell(63).v, 0.75f);
}

TEST(BitmapfontCells, EveryGlyphHasItsOwnCellOnTheGrid) {
    std::vector<std::pair<float, float>> seen;
    for (int g = 0; g < 64; ++g) {
        const Cell c = cell(g);
        EXPECT_FLOAT_EQ(c.u, kCellU * float(g % 16)) << g;
        EXPECT_FLOAT_EQ(c.v, kCellV * float(g / 16)) << g;
        EXPECT_LT(c.u + kCellU, 1.0f + 1e-6f) << g;
        EXPECT_LT(c.v + kCellV, 1.0f + 1e-6f) << g;
        seen.emplace_back(c.u, c.v);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

TEST(BitmapfontCells, RowsChangeExactlyAtMultiplesOfSixteen) {
    for (int row = 0; row < 4; ++row) {
        const int first = 16 * row;
        EXPECT_FLOAT_EQ(cell(first).v, kCellV * float(row)) << first;
        EXPECT_FLOAT_EQ(cell(first + 15).v, kCellV * float(row)) << first + 15;
        EXPECT_FLOAT_EQ(cell(first + 15).u, 15 * kCellU) << first + 15;
        if (row > 0) {
            EXPECT_FLOAT_EQ(cell(first - 1).v, kCellV * float(row - 1)) << first - 1;
        }
    }
}

// ---- Lookup ----

TEST(BitmapfontLookup, LowerCaseFoldsOntoCapitalsAtBothEndsOfTheRange) {
    const char* map = "AZ`{@[";
    EXPECT_EQ(Bitmapfont::glyphIndex(map, 'a'), 0);
    EXPECT_EQ(Bitmapfont::glyphIndex(map, 'A'), 0);
    EXPECT_EQ(Bitmapfont::glyphIndex(map, 'z'), 1);
    EXPECT_EQ(Bitmapfont::glyphIndex(map, 'Z'), 1);
    // Just outside a-z: 0x60 and 0x7B stay themselves instead of becoming @ and [.
    EXPECT_EQ(Bitmapfont::glyphIndex(map, '`'), 2);
    EXPECT_EQ(Bitmapfont::glyphIndex(map, '{'), 3);
    EXPECT_EQ(Bitmapfont::glyphIndex(map, '@'), 4);
    EXPECT_EQ(Bitmapfont::glyphIndex(map, '['), 5);
}

TEST(BitmapfontLookup, LowerCaseEntriesAreNeverFound) {
    EXPECT_EQ(Bitmapfont::glyphIndex("aA", 'a'), 1);
    EXPECT_EQ(Bitmapfont::glyphIndex("ab", 'a'), Bitmapfont::missingGlyph);
    EXPECT_EQ(Bitmapfont::glyphIndex("ab", 'b'), Bitmapfont::missingGlyph);
}

TEST(BitmapfontLookup, Latin1SmallLettersFoldOntoTheirCapitals) {
    const std::string map = std::string("XY") + latin1(0xC6) + latin1(0xD8) + latin1(0xC5);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xE6)), 2);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xC6)), 2);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xF8)), 3);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xD8)), 3);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xE5)), 4);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xC5)), 4);
}

TEST(BitmapfontLookup, OtherHighCodesAreLookedUpUnchanged) {
    // a-umlaut and A-umlaut, one below and one above the folded letters, are not folded:
    // the signed comparison keeps every code above 0x7F out of the a-z range.
    const std::string map = std::string("Q") + latin1(0xC4) + latin1(0xE4) + latin1(0xFF);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xC4)), 1);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xE4)), 2);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xFF)), 3);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xE7)), Bitmapfont::missingGlyph);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0x80)), Bitmapfont::missingGlyph);
    // 0xC6 is not in this charmap, and 0xE6 folds onto it.
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), latin1(0xE6)), Bitmapfont::missingGlyph);
}

TEST(BitmapfontLookup, CodeZeroIsGlyphZeroWithoutLookingAtTheCharmap) {
    EXPECT_EQ(Bitmapfont::glyphIndex(nullptr, '\0'), 0);
    EXPECT_EQ(Bitmapfont::glyphIndex("", '\0'), 0);
    EXPECT_EQ(Bitmapfont::glyphIndex("ABC", '\0'), 0);
}

TEST(BitmapfontLookup, MissingCharactersGetGlyphForty) {
    EXPECT_EQ(Bitmapfont::missingGlyph, 40);
    EXPECT_EQ(Bitmapfont::glyphIndex("", 'A'), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex("ABC", 'D'), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex("ABC", ' '), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex("ABC", '\t'), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex("ABC", '\r'), 40);
}

TEST(BitmapfontLookup, TheFirstOfTwoEqualEntriesWins) {
    EXPECT_EQ(Bitmapfont::glyphIndex("BAXA", 'A'), 1);
    EXPECT_EQ(Bitmapfont::glyphIndex("BAXA", 'a'), 1);
    EXPECT_EQ(Bitmapfont::glyphIndex("BAXA", 'X'), 2);
}

TEST(BitmapfontLookup, TheSearchStopsAtTheCharmapsEnd) {
    // Bytes after the terminator belong to something else and must not be matched.
    const char memory[] = {'A', 'B', '\0', 'C', latin1(0xE9), '\0'};
    EXPECT_EQ(Bitmapfont::glyphIndex(memory, 'C'), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex(memory, latin1(0xE9)), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex(memory, 'B'), 1);
}

TEST(BitmapfontLookup, PositionsBeyondOneRowLandInTheRightCell) {
    std::string map(64, '.');
    map[15] = 'P';
    map[16] = 'Q';
    map[63] = '~';
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), 'P'), 15);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), 'Q'), 16);
    EXPECT_EQ(Bitmapfont::glyphIndex(map.c_str(), '~'), 63);
}

// ---- The shipped charmap ----

TEST(BitmapfontDefaultCharmap, FillsTheAtlasWithDistinctCapitalsDigitsAndSigns) {
    const std::string map = Bitmapfont::defaultCharmap;
    ASSERT_EQ(map.size(), 64u);
    std::string sorted = map;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "duplicates";
    for (char c = 'A'; c <= 'Z'; ++c) {
        EXPECT_NE(map.find(c), std::string::npos) << c;
        EXPECT_EQ(map.find(char(c + 0x20)), std::string::npos) << "lower-case entry";
    }
    for (char c = '0'; c <= '9'; ++c) {
        EXPECT_NE(map.find(c), std::string::npos) << c;
    }
    for (unsigned code : {0xC6u, 0xD8u, 0xC5u}) {
        EXPECT_NE(map.find(latin1(code)), std::string::npos) << code;
    }
    // The text a demo writes: its title and a space between words.
    for (char c : std::string("!~ .,?-:")) {
        EXPECT_NE(map.find(c), std::string::npos) << c;
    }
}

TEST(BitmapfontDefaultCharmap, GlyphFortyIsListedUnderACodeNoTextUses) {
    EXPECT_EQ(Bitmapfont::defaultCharmap[Bitmapfont::missingGlyph], '\x7F');
    EXPECT_EQ(Bitmapfont::glyphIndex(Bitmapfont::defaultCharmap, '{'), 40);
    EXPECT_EQ(Bitmapfont::glyphIndex(Bitmapfont::defaultCharmap, 'q'),
              Bitmapfont::glyphIndex(Bitmapfont::defaultCharmap, 'Q'));
}

// ---- The committed atlas ----

class BitmapfontAtlas : public ::testing::Test {
protected:
    static constexpr int kCell = 32;

    void SetUp() override {
        ASSERT_TRUE(image.isLoaded());
        ASSERT_EQ(image.getType(), GLenum(GL_LUMINANCE_ALPHA));
        ASSERT_EQ(image.getBitDepth(), 8u);
    }
    // Coverage (alpha) at x from the left and y from the bottom.
    int alpha(int x, int y) const {
        return image.getData()[2 * (size_t(y) * image.getWidth() + size_t(x)) + 1];
    }
    // Ink summed over the cell of glyph g, and over its outermost ring of texels.
    long ink(int glyph, bool borderOnly = false) const {
        const int x0 = glyph % 16 * kCell, y0 = glyph / 16 * kCell;
        long sum = 0;
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                const bool border = x == 0 || y == 0 || x == kCell - 1 || y == kCell - 1;
                if (!borderOnly || border) {
                    sum += alpha(x0 + x, y0 + y);
                }
            }
        }
        return sum;
    }
    // Columns of glyph g's cell that hold any ink.
    int inkedColumns(int glyph) const {
        const int x0 = glyph % 16 * kCell, y0 = glyph / 16 * kCell;
        int columns = 0;
        for (int x = 0; x < kCell; ++x) {
            bool any = false;
            for (int y = 0; y < kCell; ++y) {
                any = any || alpha(x0 + x, y0 + y) > 0;
            }
            columns += any ? 1 : 0;
        }
        return columns;
    }
    int index(char c) const { return Bitmapfont::glyphIndex(Bitmapfont::defaultCharmap, c); }

    PNGImage image{Bitmapfont::defaultAtlas};
};

TEST_F(BitmapfontAtlas, HasSixteenByFourCellsOnPowerOfTwoSides) {
    EXPECT_EQ(image.getWidth(), 16u * kCell);
    EXPECT_EQ(image.getHeight(), 4u * kCell);
    for (unsigned side : {image.getWidth(), image.getHeight()}) {
        EXPECT_EQ(side & (side - 1), 0u) << side;
    }
}

TEST_F(BitmapfontAtlas, InkIsPremultipliedWhite) {
    const unsigned char* data = image.getData();
    for (size_t i = 0; i < size_t(image.getWidth()) * image.getHeight(); ++i) {
        ASSERT_EQ(data[2 * i], data[2 * i + 1]) << "texel " << i;
    }
}

TEST_F(BitmapfontAtlas, EveryGlyphButTheSpaceHasInkThatStaysInsideItsCell) {
    for (int g = 0; g < 64; ++g) {
        if (g == index(' ')) {
            EXPECT_EQ(ink(g), 0) << "the space";
            continue;
        }
        EXPECT_GT(ink(g), 255 * 10) << "glyph " << g;
        // Nearest sampling at a cell's edge must not pick up a neighbour's ink.
        EXPECT_EQ(ink(g, true), 0) << "glyph " << g << " touches its cell's edge";
    }
}

TEST_F(BitmapfontAtlas, GlyphsSitInTheCellsTheLookupNames) {
    // The space is the one empty cell, so a flipped or shifted atlas shows here: it must be
    // the cell the lookup gives for ' ' (row 2 from the bottom, column 7).
    ASSERT_EQ(index(' '), 39);
    EXPECT_EQ(ink(39), 0);
    EXPECT_GT(ink(39 + 16), 0);
    EXPECT_GT(ink(63 - 39), 0);
    // Narrow and wide letters: I and the comma are slim, W and M wide.
    EXPECT_LT(inkedColumns(index('I')), 6);
    EXPECT_LT(inkedColumns(index('.')), 6);
    EXPECT_GT(inkedColumns(index('W')), 20);
    EXPECT_GT(inkedColumns(index('M')), 18);
    // The missing sign is a framed box: wider and inkier than the question mark inside it.
    EXPECT_GT(inkedColumns(40), inkedColumns(index('?')));
    EXPECT_GT(ink(40), ink(index('?')));
}

TEST_F(BitmapfontAtlas, NoTwoGlyphsLookTheSame) {
    const int size = kCell * kCell;
    auto pixels = [&](int g) {
        std::vector<int> p(size);
        for (int y = 0; y < kCell; ++y) {
            for (int x = 0; x < kCell; ++x) {
                p[size_t(y * kCell + x)] = alpha(g % 16 * kCell + x, g / 16 * kCell + y);
            }
        }
        return p;
    };
    for (int a = 0; a < 64; ++a) {
        const std::vector<int> pa = pixels(a);
        for (int b = a + 1; b < 64; ++b) {
            const std::vector<int> pb = pixels(b);
            // Even the period and the comma differ in a tail of several texels.
            long differing = 0;
            for (int i = 0; i < size; ++i) {
                differing += std::abs(pa[size_t(i)] - pb[size_t(i)]) > 128 ? 1 : 0;
            }
            EXPECT_GT(differing, 4) << "glyphs " << a << " and " << b;
        }
    }
}

} // namespace
