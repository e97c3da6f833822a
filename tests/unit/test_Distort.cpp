// The displacement field and the grid walk of the distortion effect, without a display: the
// clock is the test's, rand() is steered through srand.
#include "Distort.h"
#include "Hooks.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr float kClose = 1e-5f;

struct UV {
    float u;
    float v;
};

UV field(distortType type, int x, int y, float t) {
    UV out{};
    distortionField(type, x, y, t, &out.u, &out.v);
    return out;
}

struct Corner {
    int x;
    int y;
    float u;
    float v;
};

std::vector<Corner> walk(distortType type, int extent, int step) {
    std::vector<Corner> corners;
    walkDistortedGrid(type, extent, step, [&](int x, int y, float u, float v) {
        corners.push_back({x, y, u, v});
    });
    return corners;
}

// The seed under which the next rand() % 2 is bit; srand has been called with it on return.
unsigned seedForBit(int bit) {
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        if (std::rand() % 2 == bit) {
            std::srand(seed);
            return seed;
        }
    }
}

class DistortClock : public ::testing::Test {
protected:
    void SetUp() override {
        hooks::setTicks(0);
        hooks::resetCounts();
    }
    void TearDown() override {
        hooks::onTickRead(nullptr);
        hooks::useRealTicks();
    }
};

TEST(DistortField, IdentityForNoneAndForUnknownTypes) {
    for (distortType type : {DISTORT_NONE, static_cast<distortType>(6),
                             static_cast<distortType>(-1), static_cast<distortType>(1000)}) {
        for (float t : {0.0f, 1.0f, 12345.678f}) {
            SCOPED_TRACE(::testing::Message() << "type " << type << " t " << t);
            const UV centre = field(type, 32, 32, t);
            EXPECT_EQ(centre.u, 0.5f);
            EXPECT_EQ(centre.v, 0.5f);
            const UV right = field(type, 64, 32, t);
            EXPECT_EQ(right.u, 1.0f);
            EXPECT_EQ(right.v, 0.5f);
            const UV far = field(type, 256, 1, t);
            EXPECT_EQ(far.u, 4.0f);
            EXPECT_EQ(far.v, 1.0f / 64);
        }
    }
}

TEST(DistortField, OriginStaysAtZeroAtTimeZero) {
    for (distortType type :
         {DISTORT_NONE, DISTORT_RIPPLE, DISTORT_WAVE, DISTORT_FOLD, DISTORT_EXPONENTIAL}) {
        SCOPED_TRACE(::testing::Message() << "type " << type);
        const UV origin = field(type, 0, 0, 0.0f);
        EXPECT_NEAR(origin.u, 0.0f, kClose);
        EXPECT_NEAR(origin.v, 0.0f, kClose);
    }
}

TEST(DistortField, ShapesAtGridCentreAndTimeZero) {
    const UV ripple = field(DISTORT_RIPPLE, 32, 32, 0.0f);
    EXPECT_NEAR(ripple.u, 0.60335, kClose);
    EXPECT_NEAR(ripple.v, 0.60335, kClose);
    const UV wave = field(DISTORT_WAVE, 32, 32, 0.0f);
    EXPECT_NEAR(wave.u, 0.69129, kClose);
    EXPECT_NEAR(wave.v, 0.69129, kClose);
    const UV fold = field(DISTORT_FOLD, 32, 32, 0.0f);
    EXPECT_NEAR(fold.u, 0.0, kClose);
    EXPECT_NEAR(fold.v, 0.45465, kClose);
    const UV exponential = field(DISTORT_EXPONENTIAL, 32, 32, 0.0f);
    EXPECT_NEAR(exponential.u, 1.14368, kClose);
    EXPECT_NEAR(exponential.v, 1.14368, kClose);
}

TEST(DistortField, ShapesOffTheDiagonalAndAwayFromTimeZero) {
    // (16, 48) at t = 0.75 tells X from Y and every sign of t apart.
    const struct {
        distortType type;
        double u;
        double v;
    } cases[] = {{DISTORT_RIPPLE, 0.147180, 0.741543},
                 {DISTORT_WAVE, 0.393395, 0.783480},
                 {DISTORT_FOLD, -0.480805, 0.043348},
                 {DISTORT_EXPONENTIAL, 0.641413, -0.554394}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type);
        const UV uv = field(c.type, 16, 48, 0.75f);
        EXPECT_NEAR(uv.u, c.u, kClose);
        EXPECT_NEAR(uv.v, c.v, kClose);
    }
}

TEST(DistortField, TimeMovesTheShapes) {
    // At t = 1 the ripple's and the wave's offsets have turned with the time.
    const UV ripple = field(DISTORT_RIPPLE, 32, 32, 1.0f);
    EXPECT_NEAR(ripple.u, 0.5 + 0.25 * std::sin(2.0) * std::sin(4.0) / 2, kClose);
    EXPECT_NEAR(ripple.v, 0.5, kClose); // sin(X - t) = 0
    const UV wave = field(DISTORT_WAVE, 32, 32, 1.0f);
    EXPECT_NEAR(wave.u, 0.5, kClose); // sin(Y - t) = 0
    EXPECT_NEAR(wave.v, 0.5 + std::sin(1.0) * std::cos(1.0) * std::sin(2.0) / 2, kClose);
}

TEST(DistortField, ExponentialLeavesTheTextureFarBehind) {
    const UV uv = field(DISTORT_EXPONENTIAL, 64, 32, 1.0f);
    EXPECT_NEAR(uv.u, 3.35942, kClose);
    EXPECT_NEAR(uv.v, 1.14368, kClose);
    // About 1490 at the far edge of a 256-wide grid.
    const UV edge = field(DISTORT_EXPONENTIAL, 256, 256, static_cast<float>(M_PI / 2 - 8));
    EXPECT_NEAR(edge.u, std::exp(8.0) / 2, 0.01);
}

TEST(DistortField, SumsWithTimeKeepTheGridFractionAtALateClock) {
    // At t = 2^20 s a float sum Y + t would drop Y = 1/32 altogether, and rows 0 and 1 would
    // get the same offset.
    const float late = 1048576.0f;
    EXPECT_NEAR(field(DISTORT_RIPPLE, 32, 1, late).u, 0.5763175, kClose);
    EXPECT_NEAR(field(DISTORT_RIPPLE, 32, 0, late).u, 0.5709075, kClose);
}

TEST(DistortField, RippleAndWaveStayWithinTheirReach) {
    // Largest distance from the identity over a sweep of points and times.
    double reach[2] = {0, 0};
    const distortType types[2] = {DISTORT_RIPPLE, DISTORT_WAVE};
    for (int k = 0; k < 2; ++k) {
        for (float t : {0.0f, 0.3f, 1.7f, 29.9f, 3600.5f}) {
            for (int x = 0; x <= 260; x += 2) {
                for (int y = 0; y <= 260; y += 2) {
                    const UV uv = field(types[k], x, y, t);
                    reach[k] = std::max(reach[k], std::fabs(uv.u - x / 64.0));
                    reach[k] = std::max(reach[k], std::fabs(uv.v - y / 64.0));
                }
            }
        }
    }
    EXPECT_LE(reach[0], 0.125 + 1e-6);
    EXPECT_LE(reach[1], 0.25 + 1e-6);
    // Both come close to their bound, so the offsets are really there.
    EXPECT_GT(reach[0], 0.12);
    EXPECT_GT(reach[1], 0.24);
}

TEST(DistortField, FoldStaysWithinTheUnitRange) {
    float lowest = 0, highest = 0;
    for (float t : {0.0f, 0.5f, 2.0f, 17.25f, 1000.125f}) {
        for (int x = 0; x <= 264; x += 2) {
            for (int y = 0; y <= 264; y += 2) {
                const UV uv = field(DISTORT_FOLD, x, y, t);
                lowest = std::min({lowest, uv.u, uv.v});
                highest = std::max({highest, uv.u, uv.v});
            }
        }
    }
    EXPECT_GE(lowest, -1.0f);
    EXPECT_LE(highest, 1.0f);
    EXPECT_LT(lowest, -0.9f);
    EXPECT_GT(highest, 0.9f);
}

TEST_F(DistortClock, JitterWithBitZeroShiftsByTheRowOnly) {
    hooks::setTicks(7777);
    seedForBit(0);
    const UV uv = field(DISTORT_JITTER, 32, 32, 123.0f);
    EXPECT_NEAR(uv.u, 0.92074, kClose);
    EXPECT_EQ(uv.v, 0.5f);
}

TEST_F(DistortClock, JitterWithBitOneFollowsWholeSecondsOfTheTickCount) {
    // The argument t plays no part; the phase is sin of the tick count's whole seconds.
    const struct {
        Uint32 ticks;
        double u;
    } cases[] = {{999, 0.92074}, {1000, 0.981795}, {1999, 0.981795}, {2000, 0.971627}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "ticks " << c.ticks);
        hooks::setTicks(c.ticks);
        seedForBit(1);
        const UV uv = field(DISTORT_JITTER, 32, 32, 0.0f);
        EXPECT_NEAR(uv.u, c.u, kClose);
        EXPECT_EQ(uv.v, 0.5f);
    }
}

TEST_F(DistortClock, JitterDrawsOneRandomNumberPerEvaluation) {
    std::srand(99);
    std::vector<int> bits;
    for (int i = 0; i < 64; ++i) {
        bits.push_back(std::rand() % 2);
    }
    hooks::setTicks(1000);
    std::srand(99);
    for (int i = 0; i < 64; ++i) {
        const UV uv = field(DISTORT_JITTER, 32, 32, 0.0f);
        EXPECT_NEAR(uv.u, bits[i] ? 0.981795 : 0.920735, kClose) << "evaluation " << i;
    }
}

TEST_F(DistortClock, JitterMovesOnlyUAndByAtMostHalf) {
    hooks::setTicks(4321);
    for (int x = 0; x <= 256; x += 4) {
        for (int y = 0; y <= 256; y += 4) {
            const UV uv = field(DISTORT_JITTER, x, y, 0.0f);
            EXPECT_LE(std::fabs(uv.u - x / 64.0), 0.5 + 1e-6);
            EXPECT_EQ(uv.v, y / 64.0f);
        }
    }
}

TEST_F(DistortClock, QuadCountsFollowExtentAndStep) {
    const struct {
        int extent;
        int step;
        size_t quads;
    } cases[] = {{256, 4, 4096}, {256, 8, 1024}, {0, 8, 0}, {-4, 4, 0}, {1, 4, 1},
                 {4, 4, 1},      {5, 4, 4},      {8, 4, 4}, {9, 4, 9},  {10, 4, 9}};
    for (const auto& c : cases) {
        EXPECT_EQ(walk(DISTORT_NONE, c.extent, c.step).size(), 4 * c.quads)
            << "extent " << c.extent << " step " << c.step;
    }
}

TEST_F(DistortClock, CornersGoRoundEachQuadColumnsOuterRowsInner) {
    const std::vector<Corner> corners = walk(DISTORT_NONE, 256, 4);
    ASSERT_EQ(corners.size(), 4u * 4096);
    const int expected[][2] = {
        {0, 0}, {0, 4}, {4, 4}, {4, 0}, // first quad
        {0, 4}, {0, 8}, {4, 8}, {4, 4}, // the next one up the same column
    };
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(corners[i].x, expected[i][0]) << "corner " << i;
        EXPECT_EQ(corners[i].y, expected[i][1]) << "corner " << i;
    }
    // Quad 64 opens the second column.
    EXPECT_EQ(corners[4 * 64].x, 4);
    EXPECT_EQ(corners[4 * 64].y, 0);
    // The last quad and its far corner.
    const Corner* last = &corners[corners.size() - 4];
    const int lastQuad[][2] = {{252, 252}, {252, 256}, {256, 256}, {256, 252}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(last[i].x, lastQuad[i][0]);
        EXPECT_EQ(last[i].y, lastQuad[i][1]);
    }
}

TEST_F(DistortClock, LastQuadsReachPastAnExtentTheStepDoesNotDivide) {
    const std::vector<Corner> corners = walk(DISTORT_NONE, 10, 4);
    ASSERT_EQ(corners.size(), 4u * 9);
    EXPECT_EQ(corners.back().x, 12);
    EXPECT_EQ(corners.back().y, 8);
    EXPECT_EQ(corners[corners.size() - 2].x, 12);
    EXPECT_EQ(corners[corners.size() - 2].y, 12);
}

TEST_F(DistortClock, EveryCornerReadsTheClockOnce) {
    walk(DISTORT_RIPPLE, 256, 4);
    EXPECT_EQ(hooks::tickReads(), 4u * 4096);
    hooks::resetCounts();
    walk(DISTORT_FOLD, 256, 8);
    EXPECT_EQ(hooks::tickReads(), 4u * 1024);
    hooks::resetCounts();
    walk(DISTORT_FOLD, 0, 8);
    EXPECT_EQ(hooks::tickReads(), 0u);
    // The jitter reads the counter once more inside the field.
    hooks::resetCounts();
    walk(DISTORT_JITTER, 16, 8);
    EXPECT_EQ(hooks::tickReads(), 2u * 4 * 4);
}

TEST_F(DistortClock, EachCornerIsEvaluatedAtTheTimeItReads) {
    // The clock moves on by a millisecond after every read, so no two corners share a time,
    // not even the two evaluations of a corner that neighbouring quads share.
    hooks::setTicks(50000);
    hooks::onTickRead([](Uint32) { hooks::advanceTicks(1); });
    const std::vector<Corner> corners = walk(DISTORT_RIPPLE, 16, 8);
    hooks::onTickRead(nullptr);
    ASSERT_EQ(corners.size(), 16u);
    for (size_t i = 0; i < corners.size(); ++i) {
        const float t = static_cast<float>((50000 + i) / 1000.0);
        const UV expected = field(DISTORT_RIPPLE, corners[i].x, corners[i].y, t);
        EXPECT_EQ(corners[i].u, expected.u) << "corner " << i;
        EXPECT_EQ(corners[i].v, expected.v) << "corner " << i;
    }
    // Corner (0, 8) closes quad 0 and opens quad 1, a few milliseconds apart.
    ASSERT_EQ(corners[1].y, 8);
    ASSERT_EQ(corners[4].y, 8);
    EXPECT_NE(corners[1].v, corners[4].v);
}

} // namespace
