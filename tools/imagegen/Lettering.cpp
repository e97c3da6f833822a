#include "Lettering.h"

#include "BlockLetters.h"

#include <cmath>

namespace lettering {

namespace {

constexpr double kBoardWidth = 640.0, kBoardHeight = 480.0;
constexpr double kSpace = 0.4;

} // namespace

double widthInCaps(const std::string& text, const Setting& s) {
    double width = 0.0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ')
            width += kSpace;
        else if (const letters::Glyph* g = letters::glyph(text[i]))
            width += g->advance * s.condense;
        if (i + 1 < text.size())
            width += letters::letterGap() * s.condense + s.tracking;
    }
    return width;
}

double capToFit(const std::string& text, const Setting& s, double width) {
    return width / widthInCaps(text, s);
}

raster::Shape word(const std::string& text, const Setting& s, int pictureWidth, int pictureHeight) {
    const double total = widthInCaps(text, s);
    const double sx = pictureWidth / kBoardWidth, sy = pictureHeight / kBoardHeight;
    const double c = std::cos(s.turn), sn = std::sin(s.turn);
    raster::Shape shape;
    double pen = 0.0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const letters::Glyph* g = text[i] == ' ' ? nullptr : letters::glyph(text[i]);
        if (g) {
            for (const letters::Contour& contour : g->contours) {
                raster::Contour out;
                for (const letters::Point& p : contour) {
                    // In cap heights about the word's centre, y up; then onto the board,
                    // y down, turned; then squeezed onto the picture.
                    const double u = pen + p.x * s.condense + s.slant * (p.y - 0.5) - total / 2;
                    const double v = p.y - 0.5;
                    const double bx = u * s.cap, by = -v * s.cap;
                    const double tx = bx * c - by * sn, ty = bx * sn + by * c;
                    out.push_back({(s.centreX + tx) * sx, (s.centreY + ty) * sy});
                }
                shape.contours.push_back(out);
            }
            pen += g->advance * s.condense;
        } else if (text[i] == ' ') {
            pen += kSpace;
        }
        if (i + 1 < text.size())
            pen += letters::letterGap() * s.condense + s.tracking;
    }
    return shape;
}

double glyphHeightAt(const Setting& s, double px, double py, int pictureWidth, int pictureHeight) {
    const double bx = px * kBoardWidth / pictureWidth - s.centreX;
    const double by = py * kBoardHeight / pictureHeight - s.centreY;
    // Undo the turn; only the across-the-line part is needed.
    const double vy = -bx * std::sin(s.turn) + by * std::cos(s.turn);
    return 0.5 - vy / s.cap;
}

raster::Shape fromBoard(const raster::Contour& boardPolygon, int pictureWidth, int pictureHeight) {
    const double sx = pictureWidth / kBoardWidth, sy = pictureHeight / kBoardHeight;
    raster::Contour out;
    for (const raster::Pt& p : boardPolygon)
        out.push_back({p.x * sx, p.y * sy});
    raster::Shape shape;
    shape.contours.push_back(out);
    return shape;
}

} // namespace lettering
