// Which quads the page draws and how: those that can be seen, through an index pattern and in
// parts that never reach 16-bit index 65535, which WebGL 2 reads as a primitive restart.
#include "QuadBatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A square quad of side 2 centred on (x, y) at depth z, its corners marked by colour.
void addQuad(std::vector<Vertex>& block, float x, float y, float z, unsigned char mark) {
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corners) {
        block.push_back(Vertex{{x + c[0], y + c[1], z}, {0, 0}, {mark, 0, 0, 255}});
    }
}

std::vector<unsigned char> marksOf(const std::vector<Vertex>& block) {
    std::vector<unsigned char> marks;
    for (size_t i = 0; i < block.size(); i += 4) {
        marks.push_back(block[i].colour[0]);
    }
    return marks;
}

} // namespace

TEST(QuadBatch, PatternSplitsEachQuadAlongItsOneThreeDiagonal) {
    const std::vector<unsigned short> pattern = QuadBatch::indexPattern();
    ASSERT_EQ(pattern.size(), QuadBatch::quadsPerDraw * 6);
    const std::vector<unsigned short> first(pattern.begin(), pattern.begin() + 6);
    EXPECT_EQ(first, (std::vector<unsigned short>{0, 1, 3, 1, 2, 3}));
    const size_t last = QuadBatch::quadsPerDraw - 1;
    for (size_t k = 0; k < 6; ++k) {
        EXPECT_GE(pattern[last * 6 + k], last * 4);
        EXPECT_LE(pattern[last * 6 + k], last * 4 + 3);
    }
}

TEST(QuadBatch, PatternNeverReachesTheRestartIndex) {
    const std::vector<unsigned short> pattern = QuadBatch::indexPattern();
    EXPECT_EQ(std::count(pattern.begin(), pattern.end(), 65535), 0);
    EXPECT_LT(*std::max_element(pattern.begin(), pattern.end()), 65535);
}

TEST(QuadBatch, PartsCoverTheBlockInOrderWithinThePattern) {
    for (const size_t quads :
         {size_t{1}, QuadBatch::quadsPerDraw, QuadBatch::quadsPerDraw + 1, size_t{40000}}) {
        size_t next = 0;
        QuadBatch::forEachPart(quads, [&](size_t first, size_t count) {
            EXPECT_EQ(first, next);
            EXPECT_GT(count, 0u);
            EXPECT_LE(count, QuadBatch::quadsPerDraw);
            // The part's highest index, its last quad's last corner, is short of 65535.
            EXPECT_LT(count * 4 - 1, 65535u);
            next = first + count;
        });
        EXPECT_EQ(next, quads);
    }
    int parts = 0;
    QuadBatch::forEachPart(40000, [&](size_t, size_t) { ++parts; });
    EXPECT_EQ(parts, 3);
    QuadBatch::forEachPart(0, [&](size_t, size_t) { ADD_FAILURE() << "a part of nothing"; });
}

TEST(QuadBatch, KeepsTheQuadsInTheViewInOrder) {
    std::vector<Vertex> block;
    addQuad(block, 0, 0, 0, 1);    // in the middle
    addQuad(block, 5, 0, 0, 2);    // wholly right of x = 1
    addQuad(block, 1.5f, 0, 0, 3); // across x = 1
    addQuad(block, 0, -5, 0, 4);   // wholly below
    addQuad(block, 0, 0, 3, 5);    // beyond the far plane
    addQuad(block, -0.5f, 0.5f, 0, 6);
    QuadBatch batch;
    batch.keepVisible(Matrix::identity(), block);
    EXPECT_EQ(marksOf(batch.visible()), (std::vector<unsigned char>{1, 3, 6}));
    ASSERT_EQ(batch.visible().size(), 12u);
    EXPECT_EQ(batch.visible()[8].position[0], block[20].position[0]);
}

TEST(QuadBatch, KeepsAQuadWhoseCornersAreOutsideOnDifferentSides) {
    // Bigger than the view on every side: each corner is out, but not beyond one plane.
    std::vector<Vertex> block;
    for (const auto& c : {std::array<float, 2>{-3, -3}, {3, -3}, {3, 3}, {-3, 3}}) {
        block.push_back(Vertex{{c[0], c[1], 0}, {0, 0}, {9, 0, 0, 255}});
    }
    QuadBatch batch;
    batch.keepVisible(Matrix::identity(), block);
    EXPECT_EQ(batch.visible().size(), 4u);
}

TEST(QuadBatch, CullsThroughTheMatrixGiven) {
    std::vector<Vertex> block;
    addQuad(block, 0, 0, 0, 1);
    QuadBatch batch;
    // Moved 10 to the right, it leaves the view; seen through a perspective from 5 back, it
    // is in it; behind the eye (z > 0 in eye coordinates), it is not.
    batch.keepVisible(Matrix::translation(10, 0, 0), block);
    EXPECT_TRUE(batch.visible().empty());
    const Matrix perspective = Matrix::perspective(60, 1, 1, 100);
    batch.keepVisible(perspective * Matrix::translation(0, 0, -5), block);
    EXPECT_EQ(batch.visible().size(), 4u);
    batch.keepVisible(perspective * Matrix::translation(0, 0, 5), block);
    EXPECT_TRUE(batch.visible().empty());
}

TEST(QuadBatch, IgnoresAnIncompleteLastQuad) {
    std::vector<Vertex> block;
    addQuad(block, 0, 0, 0, 1);
    block.push_back(block[0]);
    block.push_back(block[1]);
    QuadBatch batch;
    batch.keepVisible(Matrix::identity(), block);
    EXPECT_EQ(batch.visible().size(), 4u);
}
