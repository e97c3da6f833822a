// The edges of a glBegin/glEnd block of triangles or quads drawn with glPolygonMode(GL_LINE),
// as index pairs into the block, each edge once. No GL calls, so it is tested natively.
//
// The polygons of a closed mesh share each edge with a neighbour, which goes along it the
// other way; drawn a second time in the same place, with the depth test on, a line changes
// next to nothing. So each edge is kept once, as the first polygon that has it goes. Two
// corners are the same vertex when all they carry (position, texture coordinate, colour) is
// the same. Finding the edges takes a while, and a mesh comes again frame after frame with the
// same vertices (only the matrices move it), so the last block and its edges are kept, and
// made again only when a different block comes.
//
// Indices are 16-bit and must not reach 65535 (WebGL 2's primitive restart), so a block takes
// at most maxVertices; a larger one is drawn as lines, each polygon's edges on their own.
#pragma once

#include "Vertex.h"

#include <cstddef>
#include <vector>

class EdgeMesh {
public:
    static constexpr size_t maxVertices = 65535; // indices 0 to 65534

    // Makes this the mesh of block, polygons of `corners` vertices each (3 or 4; a last
    // incomplete polygon is ignored), unless it is already. Returns whether it changed, and so
    // whether vertices() and indices() must be handed to WebGL again. block holds at most
    // maxVertices.
    bool update(const std::vector<Vertex>& block, size_t corners);
    // Makes the next update() make the mesh anew, as after WebGL lost what it was given.
    void forget();

    const std::vector<Vertex>& vertices() const { return block; }
    // Pairs of indices into vertices(), one pair an edge.
    const std::vector<unsigned short>& indices() const { return edges; }

    // The edges of every polygon of block, each as two vertices of its own, shared edges
    // twice: for GL_LINES without indices, when a block is too large for them.
    static void outlines(const std::vector<Vertex>& block, size_t corners,
                         std::vector<Vertex>& lines);

private:
    std::vector<Vertex> block;
    size_t corners = 0;
    std::vector<unsigned short> edges;
};
