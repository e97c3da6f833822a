// Words set in the demo's block capitals, placed on a picture.
//
// Pictures are designed on a 640 x 480 board, the shape of the demo's window, and the
// lettering is then squeezed onto the square picture, so that it looks right again once the
// picture is stretched across the window.
#pragma once

#include "Raster.h"

#include <string>

namespace lettering {

// How a word is set: its cap height and centre on the 640 x 480 board, letter width against
// height (`condense` < 1 narrows), extra space between letters in cap heights, a forward slant
// (x shift per cap height) and a turn in radians (positive turns clockwise on screen).
struct Setting {
    double centreX = 320, centreY = 240;
    double cap = 100;
    double condense = 1.0;
    double tracking = 0.0;
    double slant = 0.0;
    double turn = 0.0;
};

// The word's width on the board, in cap heights (before slant and turn).
double widthInCaps(const std::string& text, const Setting& s);

// The cap height that makes the word `width` board pixels wide.
double capToFit(const std::string& text, const Setting& s, double width);

// The word's outlines in picture pixels for a picture of `pictureWidth` x `pictureHeight`.
// Letters A-Z and the space are set; anything else is skipped.
raster::Shape word(const std::string& text, const Setting& s, int pictureWidth, int pictureHeight);

// Where a picture pixel lies across the word's line in glyph units: 0 on the baseline, 1 at
// the cap height (turn and squeeze undone), for gradients that follow the letters.
double glyphHeightAt(const Setting& s, double px, double py, int pictureWidth, int pictureHeight);

// Any polygon given on the board, brought onto the picture the same way.
raster::Shape fromBoard(const raster::Contour& boardPolygon, int pictureWidth, int pictureHeight);

} // namespace lettering
