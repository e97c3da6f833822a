// Outlines of the font's characters that the block capitals do not have: digits, punctuation,
// the Latin-1 capitals AE, O-slash and A-ring, and the "missing" sign.
//
// They follow the capitals' design: heavy strokes about 0.14 of the cap height, curves as fine
// polygons, baseline at y = 0 and cap height at y = 1. A sign may be made of overlapping
// pieces, all counter-clockwise, and holes clockwise: filled by the non-zero winding rule they
// read as their union.
#pragma once

#include "BlockLetters.h"

namespace fontgen {

// The outline of c (a Latin-1 code): the block capitals for A-Z, the signs drawn here for the
// rest. Returns false for characters neither has; a space is a glyph without contours.
bool outline(char c, letters::Glyph& out);

// The sign drawn for characters the font does not hold.
letters::Glyph missingSign();

} // namespace fontgen
