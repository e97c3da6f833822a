// The geometry of a glBegin(GL_QUADS) block, before any of it reaches WebGL: which quads can be
// seen, and how the rest is cut into draws through one fixed index buffer. No GL calls, so it
// is tested natively.
//
// WebGL has no quads, and six vertices a quad would cost half as much again to write as four;
// so every quad is drawn as two triangles through one index pattern made once. Its indices are
// 16-bit, and WebGL 2 takes index 65535 to restart primitives, so no draw may reach it: the
// pattern covers quadsPerDraw quads, whose highest index is 65531, and a larger block is drawn
// in parts of at most that many quads, each part's vertices starting where it does.
#pragma once

#include "Matrix.h"
#include "Vertex.h"

#include <algorithm>
#include <cstddef>
#include <vector>

class QuadBatch {
public:
    static constexpr size_t quadsPerDraw = 16383;

    // The fixed index pattern: quad q's corners are vertices 4q to 4q + 3, and its triangles
    // (0, 1, 3) and (1, 2, 3), split along the 1-3 diagonal as Mesa splits a quad with the
    // last vertex provoking; where a distortion bends the texture across a quad, the other
    // diagonal would bend it differently. quadsPerDraw quads, 6 indices each.
    static std::vector<unsigned short> indexPattern();

    // Keeps the quads of block (four vertices each; a last incomplete one is ignored) of
    // which some part may be seen through mvp: a quad whose four corners all lie beyond the
    // same plane of the clip volume cannot be, and a distorted grid bigger than the window
    // has many. Dropping them changes no pixel.
    void keepVisible(const Matrix& mvp, const std::vector<Vertex>& block);
    const std::vector<Vertex>& visible() const { return kept; }

    // Calls draw(firstQuad, quads) for each part of a block of `quads` quads, in order, each
    // part at most quadsPerDraw quads.
    template <typename Draw> static void forEachPart(size_t quads, Draw draw) {
        for (size_t first = 0; first < quads; first += quadsPerDraw) {
            draw(first, std::min(quadsPerDraw, quads - first));
        }
    }

private:
    std::vector<Vertex> kept;
};
