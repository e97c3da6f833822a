// The edges the page draws for glPolygonMode(GL_LINE): every polygon's edges, an edge that
// polygons share once, and no index at 65535.
#include "EdgeMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

Vertex at(float x, float y, float z, unsigned char red = 255) {
    return Vertex{{x, y, z}, {0, 0}, {red, 255, 255, 255}};
}

// A grid of columns by rows unit quads in the z = 0 plane, corners counter-clockwise.
std::vector<Vertex> grid(int columns, int rows) {
    std::vector<Vertex> block;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            const float fx = static_cast<float>(x), fy = static_cast<float>(y);
            block.push_back(at(fx, fy, 0));
            block.push_back(at(fx + 1, fy, 0));
            block.push_back(at(fx + 1, fy + 1, 0));
            block.push_back(at(fx, fy + 1, 0));
        }
    }
    return block;
}

// The edges as sets of their two end points' positions, to compare meshes by geometry.
std::set<std::pair<std::vector<float>, std::vector<float>>> geometryOf(const EdgeMesh& mesh) {
    std::set<std::pair<std::vector<float>, std::vector<float>>> edges;
    const auto& v = mesh.vertices();
    for (size_t i = 0; i < mesh.indices().size(); i += 2) {
        const Vertex& a = v[mesh.indices()[i]];
        const Vertex& b = v[mesh.indices()[i + 1]];
        std::vector<float> pa(a.position, a.position + 3), pb(b.position, b.position + 3);
        edges.insert(std::minmax(pa, pb));
    }
    return edges;
}

size_t edgeCount(const std::vector<Vertex>& block, size_t corners) {
    EdgeMesh mesh;
    mesh.update(block, corners);
    return mesh.indices().size() / 2;
}

} // namespace

TEST(EdgeMesh, AQuadHasFourEdges) {
    EXPECT_EQ(edgeCount(grid(1, 1), 4), 4u);
}

TEST(EdgeMesh, SharedEdgesCountOnce) {
    EXPECT_EQ(edgeCount(grid(2, 1), 4), 7u);
    EXPECT_EQ(edgeCount(grid(2, 2), 4), 12u);
    // columns * (rows + 1) + rows * (columns + 1)
    EXPECT_EQ(edgeCount(grid(5, 3), 4), 5u * 4 + 3 * 6);
}

TEST(EdgeMesh, AClosedCubeHasTwelveEdges) {
    const float corners[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                 {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
    std::vector<Vertex> block;
    for (const auto& face : faces) {
        for (const int corner : face) {
            block.push_back(at(corners[corner][0], corners[corner][1], corners[corner][2]));
        }
    }
    EdgeMesh mesh;
    mesh.update(block, 4);
    EXPECT_EQ(mesh.indices().size(), 24u);
    EXPECT_EQ(geometryOf(mesh).size(), 12u);
}

TEST(EdgeMesh, TrianglesShareTheirDiagonal) {
    const std::vector<Vertex> block{at(0, 0, 0), at(1, 0, 0), at(1, 1, 0),
                                    at(0, 0, 0), at(1, 1, 0), at(0, 1, 0)};
    EXPECT_EQ(edgeCount(block, 3), 5u);
}

TEST(EdgeMesh, CornersThatCarryDifferentColoursAreNotShared) {
    std::vector<Vertex> block = grid(2, 1);
    for (size_t i = 4; i < 8; ++i) {
        block[i].colour[0] = 0;
    }
    EXPECT_EQ(edgeCount(block, 4), 8u);
}

TEST(EdgeMesh, EachEdgeJoinsNeighbouringCornersOfOnePolygon) {
    EdgeMesh mesh;
    mesh.update(grid(3, 2), 4);
    for (size_t i = 0; i < mesh.indices().size(); i += 2) {
        const unsigned a = mesh.indices()[i], b = mesh.indices()[i + 1];
        EXPECT_EQ(a / 4, b / 4);
        EXPECT_TRUE((a + 1) % 4 == b % 4 || (b + 1) % 4 == a % 4) << a << "-" << b;
    }
    // The same lines as drawing every polygon's edges.
    std::vector<Vertex> lines;
    EdgeMesh::outlines(grid(3, 2), 4, lines);
    EXPECT_EQ(lines.size(), 6u * 4 * 2);
    std::set<std::pair<std::vector<float>, std::vector<float>>> all;
    for (size_t i = 0; i < lines.size(); i += 2) {
        std::vector<float> pa(lines[i].position, lines[i].position + 3);
        std::vector<float> pb(lines[i + 1].position, lines[i + 1].position + 3);
        all.insert(std::minmax(pa, pb));
    }
    EXPECT_EQ(all, geometryOf(mesh));
}

TEST(EdgeMesh, AFullBlockNeverIndexes65535) {
    // maxVertices corners of triangles, none shared: indices up to maxVertices - 1.
    std::vector<Vertex> block;
    for (size_t i = 0; i < EdgeMesh::maxVertices; ++i) {
        block.push_back(at(static_cast<float>(i), static_cast<float>(i % 3), 0));
    }
    EdgeMesh mesh;
    mesh.update(block, 3);
    const auto& indices = mesh.indices();
    EXPECT_EQ(indices.size(), EdgeMesh::maxVertices * 2);
    EXPECT_EQ(std::count(indices.begin(), indices.end(), 65535), 0);
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 65534);
}

TEST(EdgeMesh, MakesItsEdgesAgainOnlyForADifferentBlock) {
    EdgeMesh mesh;
    std::vector<Vertex> block = grid(2, 2);
    EXPECT_TRUE(mesh.update(block, 4));
    EXPECT_FALSE(mesh.update(block, 4));
    // The first quad's corner in the middle of the grid no longer matches the others' there,
    // so its two inner edges are its own: 12 + 2.
    block[2].texCoord[0] = 0.5f;
    EXPECT_TRUE(mesh.update(block, 4));
    EXPECT_EQ(mesh.indices().size() / 2, 14u);
    EXPECT_FALSE(mesh.update(block, 4));
    mesh.forget();
    EXPECT_TRUE(mesh.update(block, 4));
}

TEST(EdgeMesh, IgnoresAnIncompleteLastPolygon) {
    std::vector<Vertex> block = grid(1, 1);
    block.push_back(at(9, 9, 9));
    EdgeMesh mesh;
    mesh.update(block, 4);
    EXPECT_EQ(mesh.vertices().size(), 4u);
    EXPECT_EQ(mesh.indices().size(), 8u);
}
