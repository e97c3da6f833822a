#include "MeshGen.h"

#include "BlockLetters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace meshgen {

namespace {

using P2 = std::array<double, 2>;

constexpr double kPi = 3.14159265358979323846;

// Positions are kept on a grid of 1e-6 so that what is printed is exactly what the normals
// were computed from. Adding 0.0 turns a negative zero into a positive one.
double snap(double v) {
    return std::round(v * 1e6) / 1e6 + 0.0;
}

Vec3 sub(const Vec3& a, const Vec3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec3 crossProduct(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double length(const Vec3& a) {
    return std::sqrt(dot(a, a));
}

double orient(const P2& o, const P2& a, const P2& b) {
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

bool samePoint(const P2& a, const P2& b) {
    return a[0] == b[0] && a[1] == b[1];
}

// Inside or on the border of the counter-clockwise triangle abc.
bool inTriangle(const P2& p, const P2& a, const P2& b, const P2& c) {
    const double eps = 1e-12;
    return orient(a, b, p) >= -eps && orient(b, c, p) >= -eps && orient(c, a, p) >= -eps;
}

// Segments pq and rs touch or cross anywhere other than at a shared end point.
bool segmentsMeet(const P2& p, const P2& q, const P2& r, const P2& s) {
    const double d1 = orient(r, s, p), d2 = orient(r, s, q);
    const double d3 = orient(p, q, r), d4 = orient(p, q, s);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        return true;
    }
    // A point of one segment lying on the other also blocks a bridge.
    auto onSegment = [](const P2& a, const P2& b, const P2& x) {
        return std::fabs(orient(a, b, x)) < 1e-12 && std::min(a[0], b[0]) <= x[0] &&
               x[0] <= std::max(a[0], b[0]) && std::min(a[1], b[1]) <= x[1] &&
               x[1] <= std::max(a[1], b[1]);
    };
    return (!samePoint(r, p) && !samePoint(r, q) && onSegment(p, q, r)) ||
           (!samePoint(s, p) && !samePoint(s, q) && onSegment(p, q, s)) ||
           (!samePoint(p, r) && !samePoint(p, s) && onSegment(r, s, p)) ||
           (!samePoint(q, r) && !samePoint(q, s) && onSegment(r, s, q));
}

// Whether the direction from v towards x leaves v into the solid, where the solid lies to the
// left of the boundary running prev -> v -> next.
bool intoSolid(const P2& prev, const P2& v, const P2& next, const P2& x) {
    if (orient(prev, v, next) >= 0) {
        return orient(prev, v, x) > 0 && orient(v, next, x) > 0;
    }
    return orient(prev, v, x) > 0 || orient(v, next, x) > 0;
}

double minAngle(const P2& a, const P2& b, const P2& c) {
    auto angle = [](const P2& o, const P2& p, const P2& q) {
        const double ux = p[0] - o[0], uy = p[1] - o[1], vx = q[0] - o[0], vy = q[1] - o[1];
        return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy);
    };
    return std::min({angle(a, b, c), angle(b, c, a), angle(c, a, b)});
}

// Joins each hole to the outline by a cut to the nearest point it can see, so that one
// boundary remains; the cut's two ends appear twice in the result.
std::vector<int> bridgeHoles(const std::vector<P2>& pts,
                             const std::vector<std::vector<int>>& contours) {
    std::vector<int> poly = contours[0];
    std::vector<std::vector<int>> holes(contours.begin() + 1, contours.end());
    auto maxX = [&](const std::vector<int>& h) {
        double m = -1e300;
        for (int i : h) {
            m = std::max(m, pts[i][0]);
        }
        return m;
    };
    std::sort(holes.begin(), holes.end(),
              [&](const auto& a, const auto& b) { return maxX(a) > maxX(b); });
    for (size_t h = 0; h < holes.size(); ++h) {
        const std::vector<int>& hole = holes[h];
        size_t m = 0;
        for (size_t i = 1; i < hole.size(); ++i) {
            if (pts[hole[i]][0] > pts[hole[m]][0]) {
                m = i;
            }
        }
        const P2 M = pts[hole[m]];
        std::vector<size_t> order(poly.size());
        for (size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        auto dist = [&](size_t k) {
            return std::hypot(pts[poly[k]][0] - M[0], pts[poly[k]][1] - M[1]);
        };
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return dist(a) < dist(b); });
        auto blocked = [&](const std::vector<int>& ring, const P2& a, const P2& b) {
            for (size_t i = 0; i < ring.size(); ++i) {
                if (segmentsMeet(a, b, pts[ring[i]], pts[ring[(i + 1) % ring.size()]])) {
                    return true;
                }
            }
            return false;
        };
        bool joined = false;
        for (size_t k : order) {
            const P2 P = pts[poly[k]];
            const P2 prev = pts[poly[(k + poly.size() - 1) % poly.size()]];
            const P2 next = pts[poly[(k + 1) % poly.size()]];
            const P2 hPrev = pts[hole[(m + hole.size() - 1) % hole.size()]];
            const P2 hNext = pts[hole[(m + 1) % hole.size()]];
            if (!intoSolid(prev, P, next, M) || !intoSolid(hPrev, M, hNext, P) ||
                blocked(poly, P, M)) {
                continue;
            }
            bool free = true;
            for (size_t o = h; o < holes.size() && free; ++o) {
                free = !blocked(holes[o], P, M);
            }
            if (!free) {
                continue;
            }
            std::vector<int> merged(poly.begin(), poly.begin() + k + 1);
            for (size_t i = 0; i <= hole.size(); ++i) {
                merged.push_back(hole[(m + i) % hole.size()]);
            }
            merged.insert(merged.end(), poly.begin() + k, poly.end());
            poly = merged;
            joined = true;
            break;
        }
        if (!joined) {
            std::fprintf(stderr, "meshgen: a hole cannot be joined to its outline\n");
            std::exit(1);
        }
    }
    return poly;
}

// Lawson's flips: an interior edge whose opposite corner lies inside the other triangle's
// circumcircle is swapped for the other diagonal, until none is left. Contour edges stay.
void makeDelaunay(const std::vector<P2>& pts, const std::set<std::pair<int, int>>& fixed,
                  std::vector<std::array<int, 3>>& tris) {
    auto inCircle = [&](int a, int b, int c, int d) {
        const P2 &A = pts[a], &B = pts[b], &C = pts[c], &D = pts[d];
        const double ax = A[0] - D[0], ay = A[1] - D[1], bx = B[0] - D[0], by = B[1] - D[1];
        const double cx = C[0] - D[0], cy = C[1] - D[1];
        return (ax * ax + ay * ay) * (bx * cy - cx * by) -
               (bx * bx + by * by) * (ax * cy - cx * ay) +
               (cx * cx + cy * cy) * (ax * by - bx * ay);
    };
    for (int pass = 0; pass < 1000; ++pass) {
        std::map<std::pair<int, int>, std::pair<size_t, int>> edges;
        for (size_t t = 0; t < tris.size(); ++t) {
            for (int k = 0; k < 3; ++k) {
                edges[{tris[t][k], tris[t][(k + 1) % 3]}] = {t, k};
            }
        }
        bool flipped = false;
        for (size_t t = 0; t < tris.size() && !flipped; ++t) {
            for (int k = 0; k < 3 && !flipped; ++k) {
                const int u = tris[t][k], v = tris[t][(k + 1) % 3], w = tris[t][(k + 2) % 3];
                if (fixed.count({std::min(u, v), std::max(u, v)})) {
                    continue;
                }
                const auto other = edges.find({v, u});
                if (other == edges.end()) {
                    continue;
                }
                const size_t t2 = other->second.first;
                const int x = tris[t2][(other->second.second + 2) % 3];
                // The quad u, x, v, w must be convex for the other diagonal to fit.
                if (orient(pts[w], pts[x], pts[u]) * orient(pts[w], pts[x], pts[v]) >= 0 ||
                    inCircle(u, v, w, x) <= 1e-18) {
                    continue;
                }
                tris[t] = {u, x, w};
                tris[t2] = {x, v, w};
                flipped = true;
            }
        }
        if (!flipped) {
            return;
        }
    }
}

} // namespace

std::vector<std::array<int, 3>> triangulate(const std::vector<P2>& pts,
                                            const std::vector<std::vector<int>>& contours) {
    std::vector<int> poly = bridgeHoles(pts, contours);
    std::vector<std::array<int, 3>> tris;
    // Ear clipping, always cutting the ear with the widest smallest angle.
    while (poly.size() > 3) {
        const size_t n = poly.size();
        long best = -1;
        double bestAngle = -1;
        for (size_t i = 0; i < n; ++i) {
            const int a = poly[(i + n - 1) % n], b = poly[i], c = poly[(i + 1) % n];
            const P2 &A = pts[a], &B = pts[b], &C = pts[c];
            if (orient(A, B, C) <= 1e-14) {
                continue;
            }
            bool ear = true;
            for (size_t j = 0; j < n && ear; ++j) {
                const int q = poly[j];
                if (q == a || q == b || q == c) {
                    continue;
                }
                ear = !inTriangle(pts[q], A, B, C);
            }
            const double angle = minAngle(A, B, C);
            if (ear && angle > bestAngle) {
                best = long(i);
                bestAngle = angle;
            }
        }
        if (best < 0) {
            std::fprintf(stderr, "meshgen: no ear left to cut in a polygon of %zu corners\n", n);
            std::exit(1);
        }
        const size_t i = size_t(best);
        tris.push_back({poly[(i + n - 1) % n], poly[i], poly[(i + 1) % n]});
        poly.erase(poly.begin() + long(i));
    }
    tris.push_back({poly[0], poly[1], poly[2]});
    std::set<std::pair<int, int>> fixed;
    for (const auto& c : contours) {
        for (size_t i = 0; i < c.size(); ++i) {
            const int a = c[i], b = c[(i + 1) % c.size()];
            fixed.insert({std::min(a, b), std::max(a, b)});
        }
    }
    makeDelaunay(pts, fixed, tris);
    return tris;
}

void computeNormals(Mesh& mesh) {
    mesh.normals.assign(mesh.vertices.size(), Vec3{0, 0, 0});
    for (const auto& f : mesh.faces) {
        const Vec3 n = crossProduct(sub(mesh.vertices[f[1]], mesh.vertices[f[0]]),
                                    sub(mesh.vertices[f[2]], mesh.vertices[f[0]]));
        const double len = length(n);
        for (int k = 0; k < 3; ++k) {
            const Vec3 e1 = sub(mesh.vertices[f[(k + 1) % 3]], mesh.vertices[f[k]]);
            const Vec3 e2 = sub(mesh.vertices[f[(k + 2) % 3]], mesh.vertices[f[k]]);
            const double angle =
                std::acos(std::clamp(dot(e1, e2) / (length(e1) * length(e2)), -1.0, 1.0));
            for (int c = 0; c < 3; ++c) {
                mesh.normals[f[k]][c] += angle * n[c] / len;
            }
        }
    }
    for (Vec3& n : mesh.normals) {
        const double len = length(n);
        for (double& c : n) {
            c = snap(c / len);
        }
    }
}

Mesh wordMesh(const std::string& word, double capHalf, double depth, double halfWidth,
              bool mirrored) {
    double natural = 0;
    for (char ch : word) {
        natural += letters::glyph(ch)->advance + letters::letterGap();
    }
    natural -= letters::letterGap();
    const double sx = 2 * halfWidth / natural, sy = 2 * capHalf;
    Mesh mesh;
    double pen = 0;
    for (char ch : word) {
        const letters::Glyph& g = *letters::glyph(ch);
        std::vector<P2> pts;
        std::vector<std::vector<int>> contours;
        for (const letters::Contour& c : g.contours) {
            std::vector<int> ids;
            for (const letters::Point& p : c) {
                const double x = (pen + p.x - natural / 2) * sx;
                ids.push_back(int(pts.size()));
                pts.push_back({snap(mirrored ? -x : x), snap((p.y - 0.5) * sy)});
            }
            // A mirror image runs the other way round; turn it back.
            if (mirrored) {
                std::reverse(ids.begin(), ids.end());
            }
            contours.push_back(ids);
        }
        const int base = int(mesh.vertices.size()), n = int(pts.size());
        for (const P2& p : pts) {
            mesh.vertices.push_back({p[0], p[1], snap(depth / 2)});
        }
        for (const P2& p : pts) {
            mesh.vertices.push_back({p[0], p[1], snap(-depth / 2)});
        }
        for (const auto& t : triangulate(pts, contours)) {
            mesh.faces.push_back({base + t[0], base + t[1], base + t[2]});
            mesh.faces.push_back({base + n + t[0], base + n + t[2], base + n + t[1]});
        }
        // The side walls: the solid lies left of every contour edge, so the wall faces right.
        for (const auto& c : contours) {
            for (size_t i = 0; i < c.size(); ++i) {
                const int a = base + c[i], b = base + c[(i + 1) % c.size()];
                mesh.faces.push_back({a + n, b + n, b});
                mesh.faces.push_back({a + n, b, a});
            }
        }
        pen += g.advance + letters::letterGap();
    }
    computeNormals(mesh);
    return mesh;
}

Mesh randomMesh() {
    // A cube's surface on a lattice of kCells x kCells squares per face. Every face is pulled
    // out into an arm: its border is copied into kRings rings that narrow, round off and
    // twist on the way out, and the face itself becomes the arm's flat square tip. The cube's
    // edges stay behind as the body where the arms meet. The twist turns all arms the same
    // way, so the solid has no mirror image of itself.
    constexpr int kCells = 7, kRings = 8;
    const double tip = 2.05248, tipHalf = 0.08, twist = 36.0 * kPi / 180.0;
    // The body's nearest points to the centre are the lattice points next to the middle of
    // a cube edge; they are put 0.907 from it.
    const double body = 0.907 / std::sqrt(2.0 + 1.0 / (kCells * kCells));
    Mesh mesh;
    std::map<std::array<int, 3>, int> lattice;
    auto add = [&](const Vec3& p) {
        mesh.vertices.push_back({snap(p[0]), snap(p[1]), snap(p[2])});
        return int(mesh.vertices.size()) - 1;
    };
    struct Face {
        int axis, sign, uAxis, vAxis; // u x v points out of the face
    };
    const Face faces[6] = {{0, 1, 1, 2},  {0, -1, 2, 1}, {1, 1, 2, 0},
                           {1, -1, 0, 2}, {2, 1, 0, 1},  {2, -1, 1, 0}};
    for (const Face& f : faces) {
        auto key = [&](int i, int j) {
            std::array<int, 3> k{};
            k[f.axis] = f.sign > 0 ? kCells : 0;
            k[f.uAxis] = i;
            k[f.vAxis] = j;
            return k;
        };
        // A point of the arm at height t (0 at the body, 1 at the tip), q in [-1, 1]^2.
        auto armPoint = [&](double qu, double qv, double t) {
            const double axial = body + (tip - body) * t;
            const double half = tipHalf + (body - tipHalf) * std::pow(1 - t, 1.5);
            const double round = 0.45 * std::sin(kPi * t), len = std::hypot(qu, qv);
            double u = qu, v = qv;
            if (len > 0) {
                u = (1 - round) * qu + round * qu / len;
                v = (1 - round) * qv + round * qv / len;
            }
            const double a = twist * t, ru = u * std::cos(a) - v * std::sin(a),
                         rv = u * std::sin(a) + v * std::cos(a);
            Vec3 p{};
            p[f.axis] = f.sign * axial;
            p[f.uAxis] = ru * half;
            p[f.vAxis] = rv * half;
            return p;
        };
        auto q = [](int i) { return 2.0 * i / kCells - 1.0; };
        std::vector<std::array<int, 2>> border;
        for (int s = 0; s < kCells; ++s) {
            border.push_back({s, 0});
        }
        for (int s = 0; s < kCells; ++s) {
            border.push_back({kCells, s});
        }
        for (int s = 0; s < kCells; ++s) {
            border.push_back({kCells - s, kCells});
        }
        for (int s = 0; s < kCells; ++s) {
            border.push_back({0, kCells - s});
        }
        std::vector<std::vector<int>> rings(kRings + 1);
        for (const auto& b : border) {
            const auto k = key(b[0], b[1]);
            auto it = lattice.find(k);
            if (it == lattice.end()) {
                Vec3 p{};
                for (int c = 0; c < 3; ++c) {
                    p[c] = (2.0 * k[c] / kCells - 1.0) * body;
                }
                it = lattice.emplace(k, add(p)).first;
            }
            rings[0].push_back(it->second);
        }
        for (int r = 1; r <= kRings; ++r) {
            for (const auto& b : border) {
                rings[r].push_back(add(armPoint(q(b[0]), q(b[1]), double(r) / kRings)));
            }
        }
        const int ringSize = int(border.size());
        for (int r = 0; r < kRings; ++r) {
            for (int s = 0; s < ringSize; ++s) {
                const int a = rings[r][s], b = rings[r][(s + 1) % ringSize];
                const int c = rings[r + 1][(s + 1) % ringSize], d = rings[r + 1][s];
                mesh.faces.push_back({a, b, c});
                mesh.faces.push_back({a, c, d});
            }
        }
        // The tip: the face's lattice, its border taken from the last ring.
        std::vector<std::vector<int>> grid(kCells + 1, std::vector<int>(kCells + 1, -1));
        for (int s = 0; s < ringSize; ++s) {
            grid[border[s][0]][border[s][1]] = rings[kRings][s];
        }
        for (int i = 1; i < kCells; ++i) {
            for (int j = 1; j < kCells; ++j) {
                grid[i][j] = add(armPoint(q(i), q(j), 1.0));
            }
        }
        for (int i = 0; i < kCells; ++i) {
            for (int j = 0; j < kCells; ++j) {
                const int a = grid[i][j], b = grid[i + 1][j], c = grid[i + 1][j + 1],
                          d = grid[i][j + 1];
                mesh.faces.push_back({a, b, c});
                mesh.faces.push_back({a, c, d});
            }
        }
    }
    computeNormals(mesh);
    return mesh;
}

std::string cppArrays(const std::string& name, const Mesh& mesh) {
    std::string out;
    char line[160];
    std::snprintf(line, sizeof line, "const int %s_numberVertices = %zu;\n", name.c_str(),
                  mesh.vertices.size());
    out += line;
    std::snprintf(line, sizeof line, "const int %s_numberFaces = %zu;\n", name.c_str(),
                  mesh.faces.size());
    out += line;
    auto floats = [&](const char* kind, const std::vector<Vec3>& values) {
        out += "const float " + name + "_" + kind + "[] = {\n";
        for (const Vec3& v : values) {
            std::snprintf(line, sizeof line, "    %.6ff, %.6ff, %.6ff,\n", v[0], v[1], v[2]);
            out += line;
        }
        out += "};\n";
    };
    floats("vertices", mesh.vertices);
    floats("normals", mesh.normals);
    out += "const int " + name + "_faces[] = {\n";
    for (const auto& f : mesh.faces) {
        std::snprintf(line, sizeof line, "    %d, %d, %d,\n", f[0], f[1], f[2]);
        out += line;
    }
    out += "};\n";
    return out;
}

} // namespace meshgen
