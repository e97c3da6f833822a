// Block capitals as closed outlines, shared by every tool that draws the demo's lettering.
//
// The demo writes its words in one typeface of its own: heavy sans-serif capitals whose
// curves are polygons fine enough to look round at a few hundred pixels. The outlines are
// built once, on first use, and live until the program ends; callers only read them.
#pragma once

#include <vector>

namespace letters {

struct Point {
    double x, y;
};
using Contour = std::vector<Point>; // closed polygon, last point not repeated
struct Glyph {
    std::vector<Contour> contours; // outer contours counter-clockwise, holes clockwise
    double advance;                // x extent of the letter: it spans 0 .. advance
};

// Solid block capitals A-Z. Units: baseline y = 0, cap height y = 1; straight tops and
// bottoms exactly at 0 and 1, curves overshoot slightly (about 0.013) below 0 and above 1;
// strokes about 0.14 wide. Returns nullptr for characters it does not have.
const Glyph* glyph(char c);
double letterGap(); // space between neighbouring letters of a word

// How far round parts reach beyond the baseline and the cap height.
double overshoot();

// Twice the signed area of a contour: positive when it runs counter-clockwise.
double signedArea2(const Contour& contour);

} // namespace letters
