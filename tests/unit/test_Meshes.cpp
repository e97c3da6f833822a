// The five embedded solids, checked on the arrays the program links: closed, consistently
// wound, unit normals, the extents the scenes frame them for, and the mirrored words.
#include "Meshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace {

struct MeshView {
    const char* name;
    int vertexCount, faceCount;
    const float* vertices;
    const float* normals;
    const int* faces;

    const float* at(int i) const { return vertices + 3 * i; }
    std::array<int, 3> face(int f) const {
        return {faces[3 * f], faces[3 * f + 1], faces[3 * f + 2]};
    }
};

struct Word {
    MeshView mesh;
    std::string letters;
    double halfWidth;
    bool mirrored;
};

const MeshView kRandom{"random",        random_numberVertices, random_numberFaces,
                       random_vertices, random_normals,        random_faces};

const std::vector<Word>& words() {
    static const std::vector<Word> all = {
        {{"fuckings", fuckings_numberVertices, fuckings_numberFaces, fuckings_vertices,
          fuckings_normals, fuckings_faces},
         "FUCKINGS",
         2.331,
         false},
        {{"goes", goes_numberVertices, goes_numberFaces, goes_vertices, goes_normals, goes_faces},
         "GOES",
         1.2195,
         true},
        {{"out", out_numberVertices, out_numberFaces, out_vertices, out_normals, out_faces},
         "OUT",
         1.0365,
         false},
        {{"to", to_numberVertices, to_numberFaces, to_vertices, to_normals, to_faces},
         "TO",
         0.6825,
         true}};
    return all;
}

std::vector<MeshView> allMeshes() {
    std::vector<MeshView> all{kRandom};
    for (const Word& w : words()) {
        all.push_back(w.mesh);
    }
    return all;
}

using V3 = std::array<double, 3>;
V3 pos(const MeshView& m, int i) {
    return {m.at(i)[0], m.at(i)[1], m.at(i)[2]};
}
V3 sub(V3 a, V3 b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
V3 cross(V3 a, V3 b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dot(V3 a, V3 b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double norm(V3 a) {
    return std::sqrt(dot(a, a));
}

// A connected piece of a mesh: its faces, and its vertex and edge counts.
struct Shell {
    std::vector<int> faces;
    std::set<int> vertices;
    int edges = 0;
    double volume = 0; // signed, by the divergence theorem
    double minX = 1e9, maxX = -1e9;
    int genus() const { return (2 - (int(vertices.size()) - edges + int(faces.size()))) / 2; }
    double centreX() const { return (minX + maxX) / 2; }
};

std::vector<Shell> shells(const MeshView& m) {
    std::vector<int> parent(m.vertexCount);
    std::iota(parent.begin(), parent.end(), 0);
    std::function<int(int)> root = [&](int v) {
        return parent[v] == v ? v : parent[v] = root(parent[v]);
    };
    for (int f = 0; f < m.faceCount; ++f) {
        const auto t = m.face(f);
        parent[root(t[1])] = root(t[0]);
        parent[root(t[2])] = root(t[0]);
    }
    std::map<int, Shell> byRoot;
    for (int f = 0; f < m.faceCount; ++f) {
        const auto t = m.face(f);
        Shell& s = byRoot[root(t[0])];
        s.faces.push_back(f);
        s.edges += 3; // each edge is met twice, once per side; halved below
        s.volume += dot(pos(m, t[0]), cross(pos(m, t[1]), pos(m, t[2]))) / 6;
        for (int v : t) {
            s.vertices.insert(v);
            s.minX = std::min(s.minX, double(m.at(v)[0]));
            s.maxX = std::max(s.maxX, double(m.at(v)[0]));
        }
    }
    std::vector<Shell> out;
    for (auto& [r, s] : byRoot) {
        s.edges /= 2;
        out.push_back(s);
    }
    std::sort(out.begin(), out.end(),
              [](const Shell& a, const Shell& b) { return a.centreX() < b.centreX(); });
    return out;
}

TEST(Meshes, IndicesAreInRangeDistinctAndCoverEveryVertex) {
    for (const MeshView& m : allMeshes()) {
        ASSERT_GT(m.faceCount, 0) << m.name;
        std::vector<bool> used(m.vertexCount, false);
        for (int f = 0; f < m.faceCount; ++f) {
            const auto t = m.face(f);
            for (int v : t) {
                ASSERT_GE(v, 0) << m.name << " face " << f;
                ASSERT_LT(v, m.vertexCount) << m.name << " face " << f;
                used[v] = true;
            }
            EXPECT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]) << m.name << " face " << f;
            EXPECT_GT(norm(cross(sub(pos(m, t[1]), pos(m, t[0])), sub(pos(m, t[2]), pos(m, t[0])))),
                      1e-9)
                << m.name << " face " << f << " has no area";
        }
        EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << m.name;
        std::set<std::array<float, 3>> positions;
        for (int i = 0; i < m.vertexCount; ++i) {
            positions.insert({m.at(i)[0], m.at(i)[1], m.at(i)[2]});
        }
        EXPECT_EQ(int(positions.size()), m.vertexCount) << m.name << " repeats a position";
    }
}

TEST(Meshes, EveryEdgeRunsOnceEachWay) {
    for (const MeshView& m : allMeshes()) {
        std::map<std::pair<int, int>, int> directed;
        for (int f = 0; f < m.faceCount; ++f) {
            const auto t = m.face(f);
            for (int k = 0; k < 3; ++k) {
                ++directed[{t[k], t[(k + 1) % 3]}];
            }
        }
        int bad = 0;
        for (const auto& [edge, count] : directed) {
            bad += count != 1 || !directed.count({edge.second, edge.first});
        }
        EXPECT_EQ(bad, 0) << m.name;
        EXPECT_EQ(directed.size(), size_t(3 * m.faceCount)) << m.name;
    }
}

TEST(Meshes, ShellsEncloseVolumeWithTheirHoles) {
    auto check = [](const MeshView& m, const std::vector<int>& genera) {
        const auto pieces = shells(m);
        ASSERT_EQ(pieces.size(), genera.size()) << m.name;
        for (size_t i = 0; i < pieces.size(); ++i) {
            EXPECT_GT(pieces[i].volume, 0.005) << m.name << " shell " << i << " is inside out";
            EXPECT_EQ(pieces[i].genus(), genera[i]) << m.name << " shell " << i;
        }
    };
    check(kRandom, {0});
    for (const Word& w : words()) {
        // Shells come sorted along +x: for a mirrored word that is the last letter first.
        std::string order = w.letters;
        if (w.mirrored) {
            std::reverse(order.begin(), order.end());
        }
        std::vector<int> genera;
        for (char c : order) {
            genera.push_back(c == 'O' ? 1 : 0);
        }
        check(w.mesh, genera);
    }
    // The volumes add up to what a closed solid of that size holds.
    double total = 0;
    for (const Shell& s : shells(kRandom)) {
        total += s.volume;
    }
    EXPECT_GT(total, 2.0);
    EXPECT_LT(total, 8.0);
}

// Unit length, and the angle-weighted mean of the normals of the triangles around each vertex.
TEST(Meshes, NormalsAreUnitAngleWeightedMeans) {
    for (const MeshView& m : allMeshes()) {
        std::vector<V3> expected(m.vertexCount, V3{0, 0, 0});
        for (int f = 0; f < m.faceCount; ++f) {
            const auto t = m.face(f);
            V3 n = cross(sub(pos(m, t[1]), pos(m, t[0])), sub(pos(m, t[2]), pos(m, t[0])));
            const double len = norm(n);
            for (int k = 0; k < 3; ++k) {
                const V3 a = sub(pos(m, t[(k + 1) % 3]), pos(m, t[k]));
                const V3 b = sub(pos(m, t[(k + 2) % 3]), pos(m, t[k]));
                const double angle =
                    std::acos(std::clamp(dot(a, b) / (norm(a) * norm(b)), -1.0, 1.0));
                for (int c = 0; c < 3; ++c) {
                    expected[t[k]][c] += angle * n[c] / len;
                }
            }
        }
        int notUnit = 0, off = 0;
        for (int i = 0; i < m.vertexCount; ++i) {
            const V3 n{m.normals[3 * i], m.normals[3 * i + 1], m.normals[3 * i + 2]};
            notUnit += std::fabs(norm(n) - 1.0) > 0.00005;
            const double len = norm(expected[i]);
            off +=
                norm(sub(n, {expected[i][0] / len, expected[i][1] / len, expected[i][2] / len})) >
                1e-4;
        }
        EXPECT_EQ(notUnit, 0) << m.name;
        EXPECT_EQ(off, 0) << m.name;
    }
    // A box-like corner of a letter (the T's bar has them) points diagonally outward.
    const MeshView& to = words()[3].mesh;
    int diagonal = 0;
    for (int i = 0; i < to.vertexCount; ++i) {
        const float* n = to.normals + 3 * i;
        diagonal += std::fabs(std::fabs(n[0]) - 0.57735f) < 1e-5f &&
                    std::fabs(std::fabs(n[1]) - 0.57735f) < 1e-5f &&
                    std::fabs(std::fabs(n[2]) - 0.57735f) < 1e-5f;
    }
    EXPECT_GE(diagonal, 8);
}

TEST(Meshes, WordsAreCentredExtrudedAndFittedToTheirWidths) {
    for (const Word& w : words()) {
        const MeshView& m = w.mesh;
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        int top = 0, bottom = 0, offPlane = 0;
        for (int i = 0; i < m.vertexCount; ++i) {
            for (int c = 0; c < 3; ++c) {
                lo[c] = std::min(lo[c], m.at(i)[c]);
                hi[c] = std::max(hi[c], m.at(i)[c]);
            }
            top += m.at(i)[1] == 0.341f;
            bottom += m.at(i)[1] == -0.341f;
            offPlane += m.at(i)[2] != 0.2f && m.at(i)[2] != -0.2f;
        }
        EXPECT_FLOAT_EQ(lo[0], -w.halfWidth) << w.letters;
        EXPECT_FLOAT_EQ(hi[0], w.halfWidth) << w.letters;
        // Straight tops and bottoms at +-0.341, round parts reaching to +-0.35.
        EXPECT_GT(top, 0) << w.letters;
        EXPECT_GT(bottom, 0) << w.letters;
        EXPECT_NEAR(hi[1], 0.35, 0.0005) << w.letters;
        EXPECT_NEAR(lo[1], -0.35, 0.0005) << w.letters;
        EXPECT_EQ(offPlane, 0) << w.letters;
        EXPECT_EQ(lo[2], -0.2f);
        EXPECT_EQ(hi[2], 0.2f);
        // Letters stand apart: the gap between neighbouring shells is positive.
        const auto pieces = shells(m);
        for (size_t i = 1; i < pieces.size(); ++i) {
            EXPECT_GT(pieces[i].minX - pieces[i - 1].maxX, 0.03) << w.letters << " shell " << i;
        }
    }
}

// Where the ink of a letter's front face is heavier: a letter with its stem or closed side on
// the left when read (F, C, G, E) has its front face's centroid left of its middle.
double centroidOffset(const MeshView& m, const Shell& s) {
    double area = 0, moment = 0;
    for (int f : s.faces) {
        const auto t = m.face(f);
        if (m.at(t[0])[2] != 0.2f || m.at(t[1])[2] != 0.2f || m.at(t[2])[2] != 0.2f) {
            continue;
        }
        const double a =
            cross(sub(pos(m, t[1]), pos(m, t[0])), sub(pos(m, t[2]), pos(m, t[0])))[2] / 2;
        area += a;
        moment += a * (m.at(t[0])[0] + m.at(t[1])[0] + m.at(t[2])[0]) / 3;
    }
    return moment / area - s.centreX();
}

TEST(Meshes, MirroredWordsReadFromBehind) {
    // "fuckings" reads from +z: F first at -x, its heavy side on the left.
    const auto fuckings = shells(words()[0].mesh);
    EXPECT_LT(centroidOffset(words()[0].mesh, fuckings[0]), -0.02) << "F";
    EXPECT_LT(centroidOffset(words()[0].mesh, fuckings[2]), -0.02) << "C";
    EXPECT_LT(centroidOffset(words()[0].mesh, fuckings[6]), -0.02) << "G";
    // "goes" reads from -z: G at the most positive x, and G and E mirrored.
    const auto goes = shells(words()[1].mesh);
    ASSERT_EQ(goes.size(), 4u);
    EXPECT_EQ(goes[2].genus(), 1) << "O third along +x";
    EXPECT_GT(centroidOffset(words()[1].mesh, goes[3]), 0.02) << "G";
    EXPECT_GT(centroidOffset(words()[1].mesh, goes[1]), 0.02) << "E";
    // "to": T at +x, O at -x.
    const auto to = shells(words()[3].mesh);
    ASSERT_EQ(to.size(), 2u);
    EXPECT_EQ(to[0].genus(), 1);
    EXPECT_EQ(to[1].genus(), 0);
    EXPECT_FLOAT_EQ(to[1].maxX, 0.6825f);
}

TEST(Meshes, RandomIsASixArmedTwistedStar) {
    const MeshView& m = kRandom;
    EXPECT_EQ(m.vertexCount, 1640);
    EXPECT_EQ(m.faceCount, 3276);
    const float tip = 2.05248f;
    double nearest = 1e9, farthest = 0;
    std::map<int, int> perArm; // axis * 2 + (negative)
    std::map<int, std::vector<int>> tips;
    int outOfArm = 0;
    for (int i = 0; i < m.vertexCount; ++i) {
        const float* p = m.at(i);
        const double r = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]);
        nearest = std::min(nearest, r);
        farthest = std::max(farthest, r);
        for (int a = 0; a < 3; ++a) {
            EXPECT_LE(std::fabs(p[a]), tip) << i;
            if (std::fabs(p[a]) > 1.5f) {
                outOfArm += std::fabs(p[(a + 1) % 3]) > 0.46f || std::fabs(p[(a + 2) % 3]) > 0.46f;
            }
            if (std::fabs(p[a]) > 1.0f) {
                ++perArm[a * 2 + (p[a] < 0)];
            }
            if (std::fabs(p[a]) == tip) {
                tips[a * 2 + (p[a] < 0)].push_back(i);
            }
        }
    }
    EXPECT_NEAR(nearest, 0.907, 0.006);
    EXPECT_GE(nearest, 0.9);
    EXPECT_NEAR(farthest, 2.056, 0.001);
    EXPECT_EQ(outOfArm, 0);
    ASSERT_EQ(perArm.size(), 6u);
    for (const auto& [arm, count] : perArm) {
        EXPECT_EQ(count, perArm.begin()->second) << "arm " << arm;
    }
    // Six flat tips, squares 0.16 across: their corners are 0.08 * sqrt(2) off the axis.
    ASSERT_EQ(tips.size(), 6u);
    for (const auto& [arm, ids] : tips) {
        double widest = 0;
        for (int i : ids) {
            const float* p = m.at(i);
            const int a = arm / 2;
            widest = std::max(widest, std::hypot(double(p[(a + 1) % 3]), double(p[(a + 2) % 3])));
        }
        EXPECT_GE(ids.size(), 4u) << "tip " << arm;
        EXPECT_NEAR(widest, 0.08 * std::sqrt(2.0), 2e-5) << "tip " << arm;
    }
    // No mirror plane of the cube's symmetry, nor the point mirror, maps it onto itself.
    std::set<std::array<float, 3>> positions;
    for (int i = 0; i < m.vertexCount; ++i) {
        positions.insert({m.at(i)[0], m.at(i)[1], m.at(i)[2]});
    }
    const std::array<int, 3> identity{0, 1, 2};
    std::vector<std::pair<std::array<int, 3>, std::array<float, 3>>> mirrors = {
        {identity, {-1, 1, 1}},
        {identity, {1, -1, 1}},
        {identity, {1, 1, -1}},
        {identity, {-1, -1, -1}}};
    for (int a = 0; a < 3; ++a) {
        std::array<int, 3> swap = identity;
        std::swap(swap[a], swap[(a + 1) % 3]);
        mirrors.push_back({swap, {1, 1, 1}});
        std::array<float, 3> flip{1, 1, 1};
        flip[a] = flip[(a + 1) % 3] = -1;
        mirrors.push_back({swap, flip});
    }
    for (const auto& [perm, sign] : mirrors) {
        int matched = 0;
        for (int i = 0; i < m.vertexCount; ++i) {
            const float* p = m.at(i);
            matched += positions.count(
                           {sign[0] * p[perm[0]], sign[1] * p[perm[1]], sign[2] * p[perm[2]]}) > 0;
        }
        EXPECT_LT(matched, m.vertexCount / 2);
    }
}

} // namespace
