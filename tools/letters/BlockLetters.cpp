#include "BlockLetters.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace letters {

namespace {

// Stroke weights: vertical stems are a little heavier than horizontal bars, as in most
// heavy sans-serif faces, so that both look equally dark.
constexpr double kStem = 0.14;
constexpr double kBar = 0.13;
constexpr double kDiagonal = 0.15;
constexpr double kOvershoot = 0.013;
constexpr double kGap = 0.12;
// Curve sampling: segments per quarter turn.
constexpr int kQuarterSteps = 12;
constexpr double kPi = 3.14159265358979323846;

double rad(double degrees) {
    return degrees * kPi / 180.0;
}

// A straight edge of a letter, as a point and a direction.
struct Line {
    Point p, d;
};

Line horizontal(double y) {
    return {{0.0, y}, {1.0, 0.0}};
}
Line vertical(double x) {
    return {{x, 0.0}, {0.0, 1.0}};
}

Point meet(const Line& a, const Line& b) {
    const double det = a.d.x * b.d.y - a.d.y * b.d.x;
    const double t = ((b.p.x - a.p.x) * b.d.y - (b.p.y - a.p.y) * b.d.x) / det;
    return {a.p.x + t * a.d.x, a.p.y + t * a.d.y};
}

// A straight stroke given by its centre line from a lower to an upper point; west is the
// edge on the left when looking from `from` towards `to`, east the one on the right.
struct Stroke {
    Line west, east;
};

Stroke stroke(Point from, Point to, double width) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double len = std::hypot(dx, dy);
    const Point n{-dy / len * width / 2, dx / len * width / 2};
    return {{{from.x + n.x, from.y + n.y}, {dx, dy}}, {{from.x - n.x, from.y - n.y}, {dx, dy}}};
}

struct Ellipse {
    double cx, cy, rx, ry;
    Point at(double degrees) const {
        return {cx + rx * std::cos(rad(degrees)), cy + ry * std::sin(rad(degrees))};
    }
    bool contains(Point p) const {
        const double u = (p.x - cx) / rx, v = (p.y - cy) / ry;
        return u * u + v * v < 1.0;
    }
    // The angle whose point lies at height y, on the right half (between -90 and 90).
    double angleAtY(double y) const { return std::asin((y - cy) / ry) * 180.0 / kPi; }
};

// Appends the arc from a0 to a1 degrees (either direction), both ends included. Between
// the ends it samples whole multiples of the step, so the extremes at 0, 90, 180 and 270
// degrees are always hit exactly.
void arc(Contour& c, const Ellipse& e, double a0, double a1) {
    const double step = 90.0 / kQuarterSteps, minGap = step / 4;
    const double dir = a1 > a0 ? 1.0 : -1.0;
    c.push_back(e.at(a0));
    for (double k = dir > 0 ? std::floor(a0 / step) + 1 : std::ceil(a0 / step) - 1;
         dir * (k * step - a1) < 0; k += dir) {
        const double a = k * step;
        if (std::fabs(a - a0) > minGap && std::fabs(a1 - a) > minGap) {
            c.push_back(e.at(a));
        }
    }
    c.push_back(e.at(a1));
}

// Drops repeated points and orients the contour: outer ones counter-clockwise, holes
// clockwise.
Contour finish(Contour c, bool outer) {
    Contour out;
    for (const Point& p : c) {
        if (out.empty() || std::hypot(p.x - out.back().x, p.y - out.back().y) > 1e-9) {
            out.push_back(p);
        }
    }
    while (out.size() > 1 &&
           std::hypot(out.front().x - out.back().x, out.front().y - out.back().y) <= 1e-9) {
        out.pop_back();
    }
    if ((signedArea2(out) > 0) != outer) {
        std::reverse(out.begin(), out.end());
    }
    return out;
}

// Orients the contours and moves the letter so that it starts at x = 0; its advance is its
// width.
Glyph make(std::vector<Contour> outers, std::vector<Contour> holes = {}) {
    Glyph g{{}, 0.0};
    for (auto& c : outers) {
        g.contours.push_back(finish(std::move(c), true));
    }
    for (auto& c : holes) {
        g.contours.push_back(finish(std::move(c), false));
    }
    double left = 1e9, right = -1e9;
    for (const Contour& c : g.contours) {
        for (const Point& p : c) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
        }
    }
    for (Contour& c : g.contours) {
        for (Point& p : c) {
            p.x -= left;
        }
    }
    g.advance = right - left;
    return g;
}

// A bowl: straight left side at x0, straight top and bottom, round right side of
// horizontal radius rx.
Contour dShape(double x0, double x1, double y0, double y1, double rx) {
    Contour c{{x0, y0}};
    arc(c, {x1 - rx, (y0 + y1) / 2, rx, (y1 - y0) / 2}, -90, 90);
    c.push_back({x0, y1});
    return c;
}

Contour rect(double x0, double y0, double x1, double y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

const Line kBase = horizontal(0.0);
const Line kTop = horizontal(1.0);

Glyph letterA() {
    const double w = 0.84, flat = 0.07;
    const Stroke l = stroke({0.08, 0}, {w / 2 - flat / 2 - 0.0, 1.0}, kDiagonal + 0.01);
    const Stroke r = stroke({w - 0.08, 0}, {w / 2 + flat / 2, 1.0}, kDiagonal + 0.01);
    const double bar0 = 0.22, bar1 = bar0 + kBar;
    Contour outer{meet(l.west, kBase),
                  meet(l.east, kBase),
                  meet(l.east, horizontal(bar0)),
                  meet(r.west, horizontal(bar0)),
                  meet(r.west, kBase),
                  meet(r.east, kBase),
                  meet(r.east, kTop),
                  meet(l.west, kTop)};
    const Point apex = meet(l.east, r.west);
    Contour hole{meet(l.east, horizontal(bar1))};
    if (apex.y < 1.0 - kBar) {
        hole.push_back(apex);
    } else {
        hole.push_back(meet(l.east, horizontal(1.0 - kBar)));
        hole.push_back(meet(r.west, horizontal(1.0 - kBar)));
    }
    hole.push_back(meet(r.west, horizontal(bar1)));
    return make({outer}, {hole});
}

Glyph letterB() {
    const double w = 0.76, wu = 0.70;
    const Ellipse lower{w - 0.28, 0.27, 0.28, 0.27};
    const Ellipse upper{wu - 0.26, 0.735, 0.26, 0.265};
    // The two bowls meet in a notch on the right: find where the lower bowl's rim enters the
    // upper one.
    double lo = 0, hi = 90;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (upper.contains(lower.at(mid)) ? hi : lo) = mid;
    }
    const Point notch = lower.at(lo);
    const double upperStart =
        std::atan2((notch.y - upper.cy) / upper.ry, (notch.x - upper.cx) / upper.rx) * 180 / kPi;
    Contour outer{{0, 0}};
    arc(outer, lower, -90, lo);
    arc(outer, upper, upperStart, 90);
    outer.push_back({0, 1});
    const double mid0 = 0.5 - kBar / 2 - 0.005, mid1 = 0.5 + kBar / 2 + 0.005;
    return make({outer}, {dShape(kStem, w - kStem, kBar, mid0, 0.15),
                          dShape(kStem, wu - kStem, mid1, 1 - kBar, 0.14)});
}

// The open ring of C and G: outer rim from the top terminal counter-clockwise.
struct Ring {
    Ellipse outer, inner;
};
Ring ring(double w) {
    const double ry = 0.5 + kOvershoot;
    return {{w / 2, 0.5, w / 2, ry}, {w / 2, 0.5, w / 2 - kStem * 1.05, ry - kBar}};
}

Glyph letterC() {
    const double w = 0.80;
    const Ring r = ring(w);
    const double top = 42, bottom = -42;
    const double yTop = r.outer.at(top).y, yBottom = r.outer.at(bottom).y;
    Contour c;
    arc(c, r.outer, top, 360 + bottom);
    const double innerBottom = r.inner.angleAtY(yBottom);
    const double innerTop = r.inner.angleAtY(yTop);
    arc(c, r.inner, 360 + innerBottom, innerTop);
    return make({c});
}

Glyph letterD() {
    const double w = 0.80;
    return make({dShape(0, w, 0, 1, 0.40)}, {dShape(kStem, w - kStem, kBar, 1 - kBar, 0.27)});
}

Glyph letterE() {
    const double w = 0.68, wm = 0.62, m0 = 0.5 - kBar / 2, m1 = 0.5 + kBar / 2;
    return make({{{0, 0},
                  {w, 0},
                  {w, kBar},
                  {kStem, kBar},
                  {kStem, m0},
                  {wm, m0},
                  {wm, m1},
                  {kStem, m1},
                  {kStem, 1 - kBar},
                  {w, 1 - kBar},
                  {w, 1},
                  {0, 1}}});
}

Glyph letterF() {
    const double w = 0.66, wm = 0.60, m0 = 0.46 - kBar / 2, m1 = 0.46 + kBar / 2;
    return make({{{0, 0},
                  {kStem, 0},
                  {kStem, m0},
                  {wm, m0},
                  {wm, m1},
                  {kStem, m1},
                  {kStem, 1 - kBar},
                  {w, 1 - kBar},
                  {w, 1},
                  {0, 1}}});
}

Glyph letterG() {
    const double w = 0.84;
    const Ring r = ring(w);
    const double top = 42;
    const double yTop = r.outer.at(top).y;
    const double barTop = 0.50, barBottom = barTop - kBar, barLeft = w / 2 - 0.01;
    // The right side comes down straight from the bar: the rim is followed only below it.
    const double outerBar = r.outer.angleAtY(barTop);
    Contour c;
    arc(c, r.outer, top, 360 + outerBar);
    c.push_back({w, barTop});
    c.push_back({barLeft, barTop});
    c.push_back({barLeft, barBottom});
    arc(c, r.inner, r.inner.angleAtY(barBottom), r.inner.angleAtY(yTop) - 360);
    return make({c});
}

Glyph letterH() {
    const double w = 0.78, m0 = 0.5 - kBar / 2, m1 = 0.5 + kBar / 2;
    return make({{{0, 0},
                  {kStem, 0},
                  {kStem, m0},
                  {w - kStem, m0},
                  {w - kStem, 0},
                  {w, 0},
                  {w, 1},
                  {w - kStem, 1},
                  {w - kStem, m1},
                  {kStem, m1},
                  {kStem, 1},
                  {0, 1}}});
}

Glyph letterI() {
    return make({rect(0, 0, kStem, 1)});
}

Glyph letterJ() {
    const double w = 0.66, cy = 0.34;
    const Ellipse outer{w / 2, cy, w / 2, cy + kOvershoot};
    const Ellipse inner{w / 2, cy, w / 2 - kStem, cy + kOvershoot - kBar};
    Contour c{{w - kStem, 1}, {w - kStem, cy}};
    arc(c, inner, 0, -180);
    arc(c, outer, 180, 360);
    c.push_back({w, 1});
    return make({c});
}

Glyph letterK() {
    const double w = 0.78;
    const Stroke arm = stroke({kStem - 0.02, 0.40}, {w - 0.10, 1.0}, kDiagonal);
    const Stroke leg = stroke({w - 0.09, 0.0}, {0.34, 0.56}, kDiagonal + 0.01);
    const Line stemEdge = vertical(kStem);
    // The arm's lower edge runs from the stem to the top right; the leg leaves it downwards.
    Contour c{{0, 0},
              {kStem, 0},
              meet(stemEdge, arm.east),
              meet(arm.east, leg.west),
              meet(leg.west, kBase),
              meet(leg.east, kBase),
              meet(leg.east, arm.east),
              meet(arm.east, kTop),
              meet(arm.west, kTop),
              meet(arm.west, stemEdge),
              {kStem, 1},
              {0, 1}};
    return make({c});
}

Glyph letterL() {
    const double w = 0.64;
    return make({{{0, 0}, {w, 0}, {w, kBar}, {kStem, kBar}, {kStem, 1}, {0, 1}}});
}

Glyph letterM() {
    const double w = 0.96, bottom = 0.30;
    const Stroke l = stroke({w / 2, bottom}, {kStem * 0.6, 1.0}, kDiagonal);
    const Stroke r = stroke({w / 2, bottom}, {w - kStem * 0.6, 1.0}, kDiagonal);
    Contour c{{0, 0},
              {kStem, 0},
              meet(vertical(kStem), l.west),
              meet(l.west, r.east),
              meet(vertical(w - kStem), r.east),
              {w - kStem, 0},
              {w, 0},
              {w, 1},
              meet(r.west, kTop),
              meet(r.west, l.east),
              meet(l.east, kTop),
              {0, 1}};
    return make({c});
}

Glyph letterN() {
    const double w = 0.80, y1 = 0.72;
    return make({{{0, 0},
                  {kStem, 0},
                  {kStem, y1},
                  {w - kStem, 0},
                  {w, 0},
                  {w, 1},
                  {w - kStem, 1},
                  {w - kStem, 1 - y1},
                  {kStem, 1},
                  {0, 1}}});
}

Glyph letterO() {
    const double w = 0.88, ry = 0.5 + kOvershoot;
    Contour outer, inner;
    arc(outer, {w / 2, 0.5, w / 2, ry}, 0, 360);
    arc(inner, {w / 2, 0.5, w / 2 - kStem * 1.05, ry - kBar}, 0, 360);
    outer.pop_back();
    inner.pop_back();
    return make({outer}, {inner});
}

// The bowl of P and R sits on the stem from y = bowl to the top.
constexpr double kBowl = 0.40;

Glyph letterP() {
    const double w = 0.74;
    Contour outer{{0, 0}, {kStem, 0}, {kStem, kBowl}};
    arc(outer, {w - 0.30, (kBowl + 1) / 2, 0.30, (1 - kBowl) / 2}, -90, 90);
    outer.push_back({0, 1});
    return make({outer}, {dShape(kStem, w - kStem, kBowl + kBar, 1 - kBar, 0.17)});
}

// Where a straight edge, followed from a point inside the ellipse towards one outside,
// crosses its rim; returned as the angle on the ellipse.
double exitAngle(const Ellipse& e, Point in, Point out) {
    double lo = 0, hi = 1;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        const Point p{in.x + (out.x - in.x) * mid, in.y + (out.y - in.y) * mid};
        (e.contains(p) ? lo : hi) = mid;
    }
    const Point p{in.x + (out.x - in.x) * lo, in.y + (out.y - in.y) * lo};
    return std::atan2((p.y - e.cy) / e.ry, (p.x - e.cx) / e.rx) * 180 / kPi;
}

Glyph letterQ() {
    const double w = 0.88, ry = 0.5 + kOvershoot;
    const Ellipse rim{w / 2, 0.5, w / 2, ry};
    // The tail is a short diagonal stroke leaving the ring at the lower right, cut level
    // a little below the baseline.
    const double tailBottom = -0.07;
    const Stroke tail = stroke({w + 0.03, tailBottom}, {w * 0.62, 0.24}, kDiagonal);
    const Line cut = horizontal(tailBottom);
    const Point westEnd = meet(tail.west, cut), eastEnd = meet(tail.east, cut);
    const double rejoin = exitAngle(rim, tail.east.p, eastEnd);
    const double leave = exitAngle(rim, tail.west.p, westEnd);
    Contour outer, inner;
    arc(outer, rim, rejoin, 360 + leave);
    outer.push_back(westEnd);
    outer.push_back(eastEnd);
    arc(inner, {w / 2, 0.5, w / 2 - kStem * 1.05, ry - kBar}, 0, 360);
    inner.pop_back();
    return make({outer}, {inner});
}

Glyph letterR() {
    const double w = 0.76;
    const double rx = 0.28;
    const Stroke leg = stroke({w - 0.07, 0}, {0.31, kBowl}, kDiagonal + 0.01);
    const Line bowlBottom = horizontal(kBowl);
    Contour outer{{0, 0},
                  {kStem, 0},
                  {kStem, kBowl},
                  meet(leg.west, bowlBottom),
                  meet(leg.west, kBase),
                  meet(leg.east, kBase),
                  meet(leg.east, bowlBottom)};
    arc(outer, {w - 0.04 - rx, (kBowl + 1) / 2, rx, (1 - kBowl) / 2}, -90, 90);
    outer.push_back({0, 1});
    return make({outer}, {dShape(kStem, w - 0.04 - kStem, kBowl + kBar, 1 - kBar, 0.16)});
}

Glyph letterS() {
    // An S is one stroke along two stacked loops; its outline is the centre line offset
    // to both sides.
    const double w = 0.76, t = kStem;
    const double top = 1 + kOvershoot - t / 2, bottom = -kOvershoot + t / 2, waist = 0.525;
    const Ellipse up{w / 2, (top + waist) / 2, w / 2 - t / 2 - 0.02, (top - waist) / 2};
    const Ellipse low{w / 2, (bottom + waist) / 2, w / 2 - t / 2, (waist - bottom) / 2};
    std::vector<Point> centre, normal;
    auto along = [&](const Ellipse& e, double a0, double a1, bool skipFirst) {
        Contour pts;
        arc(pts, e, a0, a1);
        for (size_t i = skipFirst ? 1 : 0; i < pts.size(); ++i) {
            const double a = rad(a0 + (a1 - a0) * double(i) / double(pts.size() - 1));
            // Outward normal of the ellipse at this angle.
            double nx = std::cos(a) / e.rx, ny = std::sin(a) / e.ry;
            const double len = std::hypot(nx, ny);
            centre.push_back(pts[i]);
            normal.push_back({nx / len, ny / len});
        }
    };
    along(up, 25, 270, false);
    // Along the lower loop the outward side of the stroke is the other one.
    const size_t firstLow = centre.size();
    along(low, 90, -155, true);
    Contour left, right;
    for (size_t i = 0; i < centre.size(); ++i) {
        const double sgn = i < firstLow ? 1.0 : -1.0;
        const Point n{normal[i].x * sgn * t / 2, normal[i].y * sgn * t / 2};
        left.push_back({centre[i].x + n.x, centre[i].y + n.y});
        right.push_back({centre[i].x - n.x, centre[i].y - n.y});
    }
    Contour outline = left;
    outline.insert(outline.end(), right.rbegin(), right.rend());
    return make({outline});
}

Glyph letterT() {
    const double w = 0.78, s0 = w / 2 - kStem / 2, s1 = w / 2 + kStem / 2;
    return make({{{s0, 0},
                  {s1, 0},
                  {s1, 1 - kBar},
                  {w, 1 - kBar},
                  {w, 1},
                  {0, 1},
                  {0, 1 - kBar},
                  {s0, 1 - kBar}}});
}

Glyph letterU() {
    const double w = 0.80, cy = 0.42;
    Contour c{{0, 1}};
    arc(c, {w / 2, cy, w / 2, cy + kOvershoot}, 180, 360);
    c.push_back({w, 1});
    c.push_back({w - kStem, 1});
    arc(c, {w / 2, cy, w / 2 - kStem, cy + kOvershoot - kBar}, 360, 180);
    c.push_back({kStem, 1});
    return make({c});
}

Glyph letterV() {
    const double w = 0.82;
    const Stroke l = stroke({w / 2, 0}, {0.09, 1}, kDiagonal + 0.01);
    const Stroke r = stroke({w / 2, 0}, {w - 0.09, 1}, kDiagonal + 0.01);
    Contour c{meet(l.west, kBase),  meet(r.east, kBase), meet(r.east, kTop), meet(r.west, kTop),
              meet(r.west, l.east), meet(l.east, kTop),  meet(l.west, kTop)};
    return make({c});
}

Glyph letterW() {
    const double w = 1.10, peak = 0.80;
    const Stroke s1 = stroke({0.29, 0}, {0.08, 1}, kDiagonal);
    const Stroke s2 = stroke({0.29, 0}, {w / 2, peak}, kDiagonal);
    const Stroke s3 = stroke({w - 0.29, 0}, {w / 2, peak}, kDiagonal);
    const Stroke s4 = stroke({w - 0.29, 0}, {w - 0.08, 1}, kDiagonal);
    const Line peakTop = horizontal(peak + 0.03);
    Contour c{meet(s1.west, kTop),    meet(s1.west, kBase),   meet(s2.east, kBase),
              meet(s2.east, s3.west), meet(s3.west, kBase),   meet(s4.east, kBase),
              meet(s4.east, kTop),    meet(s4.west, kTop),    meet(s4.west, s3.east),
              meet(s3.east, peakTop), meet(s2.west, peakTop), meet(s2.west, s1.east),
              meet(s1.east, kTop)};
    return make({c});
}

Glyph letterX() {
    const double w = 0.80;
    const Stroke a = stroke({0.08, 0}, {w - 0.08, 1}, kDiagonal + 0.01);
    const Stroke b = stroke({w - 0.08, 0}, {0.08, 1}, kDiagonal + 0.01);
    Contour c{meet(a.west, kBase), meet(a.east, kBase), meet(a.east, b.west),
              meet(b.west, kBase), meet(b.east, kBase), meet(b.east, a.east),
              meet(a.east, kTop),  meet(a.west, kTop),  meet(a.west, b.east),
              meet(b.east, kTop),  meet(b.west, kTop),  meet(b.west, a.west)};
    return make({c});
}

Glyph letterY() {
    const double w = 0.80, join = 0.46;
    const Stroke l = stroke({w / 2, join}, {0.07, 1}, kDiagonal);
    const Stroke r = stroke({w / 2, join}, {w - 0.07, 1}, kDiagonal);
    const Line s0 = vertical(w / 2 - kStem / 2), s1 = vertical(w / 2 + kStem / 2);
    Contour c{{w / 2 - kStem / 2, 0}, {w / 2 + kStem / 2, 0}, meet(s1, r.east),
              meet(r.east, kTop),     meet(r.west, kTop),     meet(r.west, l.east),
              meet(l.east, kTop),     meet(l.west, kTop),     meet(l.west, s0)};
    return make({c});
}

Glyph letterZ() {
    const double w = 0.72, xa = 0.19;
    return make({{{0, 0},
                  {w, 0},
                  {w, kBar},
                  {xa, kBar},
                  {w, 1 - kBar},
                  {w, 1},
                  {0, 1},
                  {0, 1 - kBar},
                  {w - xa, 1 - kBar},
                  {0, kBar}}});
}

const std::map<char, Glyph>& font() {
    static const std::map<char, Glyph> glyphs = {
        {'A', letterA()}, {'B', letterB()}, {'C', letterC()}, {'D', letterD()}, {'E', letterE()},
        {'F', letterF()}, {'G', letterG()}, {'H', letterH()}, {'I', letterI()}, {'J', letterJ()},
        {'K', letterK()}, {'L', letterL()}, {'M', letterM()}, {'N', letterN()}, {'O', letterO()},
        {'P', letterP()}, {'Q', letterQ()}, {'R', letterR()}, {'S', letterS()}, {'T', letterT()},
        {'U', letterU()}, {'V', letterV()}, {'W', letterW()}, {'X', letterX()}, {'Y', letterY()},
        {'Z', letterZ()}};
    return glyphs;
}

} // namespace

const Glyph* glyph(char c) {
    const auto& glyphs = font();
    const auto it = glyphs.find(c);
    return it == glyphs.end() ? nullptr : &it->second;
}

double letterGap() {
    return kGap;
}

double overshoot() {
    return kOvershoot;
}

double signedArea2(const Contour& contour) {
    double sum = 0;
    for (size_t i = 0; i < contour.size(); ++i) {
        const Point& a = contour[i];
        const Point& b = contour[(i + 1) % contour.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum;
}

} // namespace letters
