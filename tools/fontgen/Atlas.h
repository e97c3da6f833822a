// The glyph atlas as a picture: every glyph of a charmap filled into its cell with
// anti-aliased edges.
//
// The atlas has 16 x 4 square cells; glyph g goes to column g mod 16 from the left and row
// g div 16 from the bottom, the order in which the font looks glyphs up. Coverage is computed
// on kSubRows sub-scanlines per pixel row, each span adding its exact horizontal overlap with
// every pixel it touches, and is filled by the non-zero winding rule.
#pragma once

#include "BlockLetters.h"

#include <cstddef>
#include <vector>

namespace fontgen {

constexpr int kColumns = 16;
constexpr int kRows = 4;
constexpr int kCell = 32;      // pixels per cell side
constexpr int kCapHeight = 22; // pixels from baseline to cap height
constexpr int kBaseline = 5;   // pixels from the cell's lower edge to the baseline
constexpr int kSubRows = 16;

struct Coverage {
    int width = 0;
    int height = 0;
    std::vector<double> value; // 0..1 a pixel, bottom row first

    double& at(int x, int y) { return value[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// Adds the glyph's ink to the picture, its left edge at pixel column left and its baseline at
// pixel row baseline (counted from the bottom).
void fill(Coverage& picture, const letters::Glyph& glyph, double left, double baseline,
          double scale);

// Fills every cell of an atlas for the charmap; the character at missingIndex gets the missing
// sign. Returns false (after one line on standard error) for a character without an outline.
bool drawAtlas(const char* charmap, int missingIndex, Coverage& atlas);

} // namespace fontgen
