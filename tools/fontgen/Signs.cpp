#include "Signs.h"

#include <algorithm>
#include <cmath>

namespace fontgen {

namespace {

using letters::Contour;
using letters::Glyph;
using letters::Point;

// The capitals' stroke weights.
constexpr double kStem = 0.14;
constexpr double kBar = 0.13;
constexpr double kDiagonal = 0.15;
constexpr double kDot = 0.17;
constexpr double kPi = 3.14159265358979323846;
// Curve sampling: segments per quarter turn, as fine as the capitals'.
constexpr int kQuarterSteps = 12;

struct Ellipse {
    double cx, cy, rx, ry;
    Point at(double degrees) const {
        const double a = degrees * kPi / 180.0;
        return {cx + rx * std::cos(a), cy + ry * std::sin(a)};
    }
    // The same ellipse made thinner by a stroke: tx at the sides, ty at top and bottom.
    Ellipse inner(double tx, double ty) const { return {cx, cy, rx - tx, ry - ty}; }
};

// A sign under construction: pieces that overlap, each oriented for the non-zero rule.
struct Shape {
    std::vector<Contour> contours;

    Shape& add(Contour c, bool outer = true) {
        if ((letters::signedArea2(c) > 0) != outer) {
            std::reverse(c.begin(), c.end());
        }
        contours.push_back(std::move(c));
        return *this;
    }
    Shape& add(const Glyph& g, double dx = 0, double dy = 0) {
        for (Contour c : g.contours) {
            for (Point& p : c) {
                p = {p.x + dx, p.y + dy};
            }
            contours.push_back(std::move(c));
        }
        return *this;
    }
};

// Moves the sign so that it starts at x = 0; its advance is its width.
Glyph finish(Shape s) {
    double left = 1e9, right = -1e9;
    for (const Contour& c : s.contours) {
        for (const Point& p : c) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
        }
    }
    for (Contour& c : s.contours) {
        for (Point& p : c) {
            p.x -= left;
        }
    }
    return {std::move(s.contours), right - left};
}

Contour rect(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// The arc from a0 to a1 degrees (either direction), both ends included; between them whole
// steps, so the extremes at multiples of 90 degrees are hit exactly.
void arc(Contour& c, const Ellipse& e, double a0, double a1) {
    const double step = 90.0 / kQuarterSteps;
    const double dir = a1 > a0 ? 1.0 : -1.0;
    c.push_back(e.at(a0));
    for (double k = dir > 0 ? std::floor(a0 / step) + 1 : std::ceil(a0 / step) - 1;
         dir * (k * step - a1) < -step / 4; k += dir) {
        if (std::fabs(k * step - a0) > step / 4) {
            c.push_back(e.at(k * step));
        }
    }
    c.push_back(e.at(a1));
}

// A curved stroke: the part of the ring between e and its inner ellipse from a0 to a1.
Contour band(const Ellipse& e, double tx, double ty, double a0, double a1) {
    Contour c;
    arc(c, e, a0, a1);
    arc(c, e.inner(tx, ty), a1, a0);
    return c;
}

// A closed ring: the outline and its hole.
Shape& ring(Shape& s, const Ellipse& e, double tx, double ty) {
    Contour outer, hole;
    arc(outer, e, 0, 360);
    arc(hole, e.inner(tx, ty), 0, 360);
    outer.pop_back();
    hole.pop_back();
    return s.add(outer).add(hole, false);
}

// A straight stroke of the given width along the centre line from `bottom` to `top`, its ends
// cut level at heights y0 and y1, so that it stands on a line as the capitals' diagonals do.
Contour slant(Point bottom, Point top, double width, double y0, double y1) {
    const double dx = top.x - bottom.x, dy = top.y - bottom.y;
    // Half the stroke's horizontal extent: the width measured across the stroke.
    const double half = width / 2 * std::hypot(dx, dy) / dy;
    auto xAt = [&](double y) { return bottom.x + (y - bottom.y) * dx / dy; };
    return {{xAt(y0) - half, y0}, {xAt(y0) + half, y0}, {xAt(y1) + half, y1}, {xAt(y1) - half, y1}};
}

// A straight stroke with square ends.
Contour segment(Point a, Point b, double width) {
    const double len = std::hypot(b.x - a.x, b.y - a.y);
    const Point n{-(b.y - a.y) / len * width / 2, (b.x - a.x) / len * width / 2};
    return {{a.x - n.x, a.y - n.y},
            {b.x - n.x, b.y - n.y},
            {b.x + n.x, b.y + n.y},
            {a.x + n.x, a.y + n.y}};
}

// Left-right mirror image, orientation kept.
Glyph mirror(const Glyph& g) {
    Glyph m{{}, g.advance};
    for (Contour c : g.contours) {
        for (Point& p : c) {
            p.x = g.advance - p.x;
        }
        std::reverse(c.begin(), c.end());
        m.contours.push_back(std::move(c));
    }
    return m;
}

// Turned half round about the centre of the cap-height box.
Glyph turn(const Glyph& g) {
    Glyph t = g;
    for (Contour& c : t.contours) {
        for (Point& p : c) {
            p = {g.advance - p.x, 1.0 - p.y};
        }
    }
    return t;
}

Glyph scaled(const Glyph& g, double sx, double sy) {
    Glyph s{{}, g.advance * sx};
    for (Contour c : g.contours) {
        for (Point& p : c) {
            p = {p.x * sx, p.y * sy};
        }
        s.contours.push_back(std::move(c));
    }
    return s;
}

const Glyph& capital(char c) {
    return *letters::glyph(c);
}

// ---- Digits: lining figures, 0.70 wide ----

constexpr double kFigure = 0.70;
double over() {
    return letters::overshoot();
}
// Stroke across the sides of a round figure, as in the capitals' O.
constexpr double kRoundStem = kStem * 1.05;

// The two stacked bowls of 3 and 8: their bars share the middle band from 0.47 to 0.60.
Ellipse upperBowl() {
    const double bottom = 0.47, top = 1 + over();
    return {0.345, (bottom + top) / 2, 0.325, (top - bottom) / 2};
}
Ellipse lowerBowl() {
    const double bottom = -over(), top = 0.47 + kBar;
    return {kFigure / 2, (bottom + top) / 2, kFigure / 2, (top - bottom) / 2};
}

Glyph zero() {
    Shape s;
    ring(s, {kFigure / 2, 0.5, kFigure / 2, 0.5 + over()}, kRoundStem, kBar);
    return finish(s);
}

Glyph one() {
    Shape s;
    s.add(rect(0.26, 0, 0.40, 1));
    s.add({{0.03, 0.61}, {0.28, 0.83}, {0.28, 1.0}, {0.03, 0.80}});
    return finish(s);
}

Glyph two() {
    Shape s;
    s.add(band({kFigure / 2, 0.70, kFigure / 2, 0.30 + over()}, kRoundStem, kBar, 160, -40));
    s.add(segment({0.08, 0.10}, {0.57, 0.55}, kDiagonal));
    s.add(rect(0, 0, kFigure, kBar));
    return finish(s);
}

Glyph three() {
    const Ellipse up = upperBowl(), low = lowerBowl();
    Shape s;
    s.add(band(up, kRoundStem, kBar, 155, -90));
    s.add(band(low, kRoundStem, kBar, 90, -155));
    s.add(rect(0.18, low.cy + low.ry - kBar, up.cx, low.cy + low.ry));
    return finish(s);
}

Glyph four() {
    Shape s;
    s.add(rect(0.46, 0, 0.60, 1));
    s.add(rect(0, 0.22, 0.72, 0.22 + kBar));
    s.add(slant({0.08, 0.22}, {0.53, 1.0}, kDiagonal, 0.22, 1.0));
    return finish(s);
}

Glyph five() {
    const Ellipse bowl{0.36, 0.33, 0.34, 0.33 + over()};
    const double bowlTop = bowl.cy + bowl.ry;
    Shape s;
    s.add(rect(0.08, 1 - kBar, 0.66, 1));
    s.add(rect(0.08, bowlTop - kBar, 0.22, 1));
    s.add(rect(0.08, bowlTop - kBar, bowl.cx, bowlTop));
    s.add(band(bowl, kRoundStem, kBar, 90, -150));
    return finish(s);
}

Glyph six() {
    Shape s;
    ring(s, {kFigure / 2, 0.33, kFigure / 2, 0.33 + over()}, kRoundStem, kBar);
    s.add(band({kFigure / 2, 0.5, kFigure / 2, 0.5 + over()}, kRoundStem, kBar, 40, 200));
    return finish(s);
}

Glyph seven() {
    Shape s;
    s.add(rect(0, 1 - kBar, kFigure, 1));
    s.add(slant({0.20, 0}, {0.64, 1}, kDiagonal, 0, 1));
    return finish(s);
}

Glyph eight() {
    const Ellipse up = upperBowl(), low = lowerBowl();
    Shape s;
    ring(s, {up.cx, up.cy, up.rx - 0.02, up.ry}, kRoundStem, kBar);
    ring(s, low, kRoundStem, kBar);
    return finish(s);
}

// ---- Punctuation ----

Contour comma(double x) {
    return {{x + 0.02, 0.0},  {x + 0.06, 0.0},  {x, -0.16},      {x + 0.09, -0.16},
            {x + 0.19, 0.02}, {x + 0.19, kDot}, {x + 0.02, kDot}};
}

Contour tick(double x) {
    return {{x + 0.015, 0.64}, {x + 0.135, 0.64}, {x + 0.15, 1}, {x, 1}};
}

// The question mark at its own size; the missing sign reuses it.
Glyph question() {
    const Ellipse hook{0.31, 0.72, 0.31, 0.28 + over()};
    Shape s;
    s.add(band(hook, kRoundStem, kBar, 165, -90));
    s.add(rect(hook.cx - kStem / 2, 0.28, hook.cx + kStem / 2, hook.cy - hook.ry + kBar));
    s.add(rect(hook.cx - kDot / 2, 0, hook.cx + kDot / 2, kDot));
    return finish(s);
}

Glyph paren() {
    Shape s;
    s.add(band({0.40, 0.47, 0.40, 0.70}, 0.15, 0.10, 120, 240));
    return finish(s);
}

Glyph bracket() {
    const double bottom = -0.14, top = 1.08;
    Shape s;
    s.add(rect(0, bottom, kStem, top));
    s.add(rect(0, bottom, 0.34, bottom + kBar));
    s.add(rect(0, top - kBar, 0.34, top));
    return finish(s);
}

// Pointing left; its arms keep the stem weight.
Glyph chevron() {
    const double tip = 0.46, length = 0.56, slope = 0.62;
    const double d = kStem * std::sqrt(1 + slope * slope); // vertical thickness of an arm
    Shape s;
    s.add({{0, tip},
           {length, tip - slope * length},
           {length, tip - slope * length + d},
           {d / slope, tip},
           {length, tip + slope * length - d},
           {length, tip + slope * length}});
    return finish(s);
}

Glyph tilde() {
    const double length = 0.66, middle = 0.47, height = 0.09, half = 0.085;
    const int steps = 48;
    Contour upper, lower;
    for (int i = 0; i <= steps; ++i) {
        const double x = length * i / steps;
        const double y = middle + height * std::sin(2 * kPi * x / length);
        upper.push_back({x, y + half});
        lower.push_back({x, y - half});
    }
    Contour c(lower);
    c.insert(c.end(), upper.rbegin(), upper.rend());
    Shape s;
    s.add(c);
    return finish(s);
}

Glyph punctuation(char c) {
    Shape s;
    switch (c) {
    case '.':
        s.add(rect(0, 0, kDot, kDot));
        break;
    case ',':
        s.add(comma(0));
        break;
    case ':':
        s.add(rect(0, 0, kDot, kDot)).add(rect(0, 0.50, kDot, 0.50 + kDot));
        break;
    case ';':
        s.add(comma(0)).add(rect(0.02, 0.50, 0.02 + kDot, 0.50 + kDot));
        break;
    case '!':
        s.add({{0.005, 0.28}, {0.165, 0.28}, {0.18, 1}, {-0.01, 1}});
        s.add(rect(0, 0, kDot, kDot));
        break;
    case '\'':
        s.add(tick(0));
        break;
    case '"':
        s.add(tick(0)).add(tick(0.25));
        break;
    case '-':
        s.add(rect(0, 0.40, 0.44, 0.40 + kBar));
        break;
    case '+':
        s.add(rect(0, 0.40, 0.60, 0.40 + kBar)).add(rect(0.23, 0.175, 0.23 + kStem, 0.755));
        break;
    case '=':
        s.add(rect(0, 0.27, 0.58, 0.27 + kBar)).add(rect(0, 0.53, 0.58, 0.53 + kBar));
        break;
    case '/':
        s.add(slant({0.07, 0}, {0.50, 1}, kDiagonal, 0, 1));
        break;
    case '*':
        for (double a : {90.0, 30.0, 150.0}) {
            const Ellipse arm{0.30, 0.74, 0.25, 0.25};
            s.add(segment(arm.at(a + 180), arm.at(a), 0.12));
        }
        break;
    case '%':
        ring(s, {0.16, 0.80, 0.16, 0.20}, 0.10, 0.09);
        ring(s, {0.64, 0.20, 0.16, 0.20}, 0.10, 0.09);
        s.add(slant({0.08, 0}, {0.72, 1}, 0.12, 0, 1));
        break;
    case '#':
        s.add(slant({0.16, 0}, {0.30, 1}, 0.13, 0, 1));
        s.add(slant({0.46, 0}, {0.60, 1}, 0.13, 0, 1));
        s.add(rect(0.0, 0.27, 0.76, 0.39)).add(rect(0.04, 0.61, 0.80, 0.73));
        break;
    case '_':
        s.add(rect(0, -0.15, kFigure, -0.15 + kBar));
        break;
    default:
        break;
    }
    return finish(s);
}

// ---- The Latin-1 capitals, built on the block capitals ----

Glyph ae() {
    const double mid = 0.5 - kBar / 2;
    Shape s;
    s.add(slant({0.08, 0}, {0.50, 1}, kDiagonal + 0.01, 0, 1));
    s.add(rect(0.17, 0.22, 0.56, 0.22 + kBar));
    s.add(rect(0.52, 0, 0.52 + kStem, 1));
    s.add(rect(0.41, 1 - kBar, 1.06, 1));
    s.add(rect(0.52, mid, 1.0, mid + kBar));
    s.add(rect(0.52, 0, 1.06, kBar));
    return finish(s);
}

Glyph oSlash() {
    const Glyph& o = capital('O');
    Shape s;
    s.add(o);
    s.add(slant({-0.03, -0.06}, {o.advance + 0.03, 1.07}, 0.12, -0.06, 1.07));
    return finish(s);
}

// The A is lowered so that the ring stays inside the cell.
Glyph aRing() {
    const Glyph body = scaled(capital('A'), 1.0, 0.82);
    Shape s;
    s.add(body);
    ring(s, {body.advance / 2, 1.02, 0.15, 0.14}, 0.075, 0.075);
    return finish(s);
}

} // namespace

Glyph missingSign() {
    const double width = 0.80, line = 0.09, scale = 0.55;
    const Glyph mark = scaled(question(), scale, scale);
    Shape s;
    s.add(rect(0, 0, width, 1));
    s.add(rect(line, line, width - line, 1 - line), false);
    s.add(mark, (width - mark.advance) / 2, 0.5 - scale * (1 + over()) / 2);
    return finish(s);
}

bool outline(char c, Glyph& out) {
    if (letters::glyph(c) != nullptr) {
        out = capital(c);
        return true;
    }
    switch (static_cast<unsigned char>(c)) {
    case 0xC6:
        out = ae();
        return true;
    case 0xD8:
        out = oSlash();
        return true;
    case 0xC5:
        out = aRing();
        return true;
    default:
        break;
    }
    switch (c) {
    case ' ':
        out = {{}, 0.5};
        return true;
    case '0':
        out = zero();
        return true;
    case '1':
        out = one();
        return true;
    case '2':
        out = two();
        return true;
    case '3':
        out = three();
        return true;
    case '4':
        out = four();
        return true;
    case '5':
        out = five();
        return true;
    case '6':
        out = six();
        return true;
    case '7':
        out = seven();
        return true;
    case '8':
        out = eight();
        return true;
    case '9':
        out = turn(six());
        return true;
    case '?':
        out = question();
        return true;
    case '(':
        out = paren();
        return true;
    case ')':
        out = mirror(paren());
        return true;
    case '[':
        out = bracket();
        return true;
    case ']':
        out = mirror(bracket());
        return true;
    case '<':
        out = chevron();
        return true;
    case '>':
        out = mirror(chevron());
        return true;
    case '~':
        out = tilde();
        return true;
    default:
        break;
    }
    out = punctuation(c);
    return !out.contours.empty();
}

} // namespace fontgen
