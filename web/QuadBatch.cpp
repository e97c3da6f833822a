#include "QuadBatch.h"

namespace {

// The planes of the clip volume a clip-space point lies beyond, a bit each.
unsigned outsideOf(const Matrix::Vector& clip) {
    const float w = clip[3];
    return (clip[0] < -w ? 1u : 0u) | (clip[0] > w ? 2u : 0u) | (clip[1] < -w ? 4u : 0u) |
           (clip[1] > w ? 8u : 0u) | (clip[2] < -w ? 16u : 0u) | (clip[2] > w ? 32u : 0u);
}

} // namespace

std::vector<unsigned short> QuadBatch::indexPattern() {
    std::vector<unsigned short> indices;
    indices.reserve(quadsPerDraw * 6);
    for (size_t quad = 0; quad < quadsPerDraw; ++quad) {
        for (const size_t k : {0, 1, 3, 1, 2, 3}) {
            indices.push_back(static_cast<unsigned short>(quad * 4 + k));
        }
    }
    return indices;
}

void QuadBatch::keepVisible(const Matrix& mvp, const std::vector<Vertex>& block) {
    // A copy of its own, which nothing written below can change, stays in registers.
    const Matrix m = mvp;
    kept.clear();
    for (size_t first = 0; first + 4 <= block.size(); first += 4) {
        unsigned outside = 0x3f;
        for (size_t k = first; k < first + 4; ++k) {
            outside &= outsideOf(m.transformPoint(block[k].position));
        }
        if (outside == 0) {
            kept.insert(kept.end(), block.begin() + first, block.begin() + first + 4);
        }
    }
}
