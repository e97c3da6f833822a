// The page's matrices against what OpenGL's and GLU's manual pages say they do: where the
// builders take points, the order a product applies them in, and the transform of normals.
#include "Matrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const float tolerance = 1e-5f;

void expectVector(const Matrix::Vector& actual, const Matrix::Vector& expected) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "coordinate " << i;
    }
}

// Clip coordinates over w: normalised device coordinates.
Matrix::Vector deviceOf(const Matrix& m, float x, float y, float z) {
    const Matrix::Vector clip = m.transform({x, y, z, 1});
    return {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3], 1};
}

Matrix sample(float seed) {
    Matrix m;
    for (int i = 0; i < 16; ++i) {
        m[i] = std::sin(seed * (i + 1)) * 3.0f;
    }
    return m;
}

} // namespace

TEST(Matrix, IsColumnMajorAsOpenGLStoresIt) {
    const Matrix t = Matrix::translation(4, 5, 6);
    EXPECT_EQ(t.at(0, 3), 4.0f);
    EXPECT_EQ(t.at(2, 3), 6.0f);
    EXPECT_EQ(t.data()[12], 4.0f);
    EXPECT_EQ(t.data()[14], 6.0f);
    EXPECT_EQ(t.at(3, 0), 0.0f);
}

TEST(Matrix, TransformIsMatrixTimesColumn) {
    // Rows (1 2 3 4), (5 6 7 8), (9 10 11 12), (13 14 15 16), stored by columns.
    const Matrix m({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16});
    expectVector(m.transform({1, 0, 0, 0}), {1, 5, 9, 13});
    expectVector(m.transform({1, 1, 1, 1}), {10, 26, 42, 58});
    expectVector(m.transform({1, -1, 2, 0}), {5, 13, 21, 29});
    expectVector(m.transformPoint(std::array<float, 3>{0, 0, 0}.data()), {4, 8, 12, 16});
}

TEST(Matrix, ProductAppliesTheRightFactorFirst) {
    // As glTranslate then glScale: the scale applies to the vertex first.
    const Matrix ts = Matrix::translation(1, 2, 3) * Matrix::scaling(2, 2, 2);
    expectVector(ts.transform({1, 1, 1, 1}), {3, 4, 5, 1});
    const Matrix st = Matrix::scaling(2, 2, 2) * Matrix::translation(1, 2, 3);
    expectVector(st.transform({1, 1, 1, 1}), {4, 6, 8, 1});
}

TEST(Matrix, ProductComposesTransforms) {
    const Matrix a = sample(0.7f);
    const Matrix b = sample(1.3f);
    const Matrix::Vector v{0.5f, -2.0f, 1.5f, 1.0f};
    const Matrix::Vector inner = b.transform(v);
    const Matrix::Vector composed = (a * b).transform(v);
    const Matrix::Vector stepwise = a.transform(inner);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(composed[i], stepwise[i], 1e-4f);
    }
    const Matrix same = Matrix::identity() * a;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(same[i], a[i]);
    }
}

TEST(Matrix, RotationTurnsCounterClockwiseAboutTheAxis) {
    expectVector(Matrix::rotation(90, 0, 0, 1).transform({1, 0, 0, 1}), {0, 1, 0, 1});
    expectVector(Matrix::rotation(90, 1, 0, 0).transform({0, 1, 0, 1}), {0, 0, 1, 1});
    expectVector(Matrix::rotation(90, 0, 1, 0).transform({0, 0, 1, 1}), {1, 0, 0, 1});
    // Half a turn about the diagonal swaps x and y; the axis' length does not matter.
    expectVector(Matrix::rotation(180, 3, 3, 0).transform({1, 0, 0, 0}), {0, 1, 0, 0});
    expectVector(Matrix::rotation(-90, 0, 0, 5).transform({1, 0, 0, 1}), {0, -1, 0, 1});
}

TEST(Matrix, RotationAboutNoAxisChangesNothing) {
    const Matrix r = Matrix::rotation(45, 0, 0, 0);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(r[i], Matrix::identity()[i]);
    }
}

TEST(Matrix, OrthoMapsTheBoxOntoTheCube) {
    const Matrix m = Matrix::ortho(-2, 6, -1, 3, 1, 11);
    // Near is at z = -near in eye coordinates and goes to -1; far to 1.
    expectVector(deviceOf(m, -2, -1, -1), {-1, -1, -1, 1});
    expectVector(deviceOf(m, 6, 3, -11), {1, 1, 1, 1});
    expectVector(deviceOf(m, 2, 1, -6), {0, 0, 0, 1});
    // The demo's 2-D overlay: y down from the top-left corner.
    const Matrix screen = Matrix::ortho(0, 640, 480, 0, -1, 1);
    expectVector(deviceOf(screen, 0, 0, 0), {-1, 1, 0, 1});
    expectVector(deviceOf(screen, 640, 480, 0), {1, -1, 0, 1});
}

TEST(Matrix, PerspectiveHasGluPerspectivesElements) {
    // fovy 90: cot(45) = 1; aspect 2, near 1, far 3.
    const Matrix m = Matrix::perspective(90, 2, 1, 3);
    EXPECT_NEAR(m.at(0, 0), 0.5f, tolerance);
    EXPECT_NEAR(m.at(1, 1), 1.0f, tolerance);
    EXPECT_NEAR(m.at(2, 2), -2.0f, tolerance); // (far + near) / (near - far)
    EXPECT_NEAR(m.at(2, 3), -3.0f, tolerance); // 2 far near / (near - far)
    EXPECT_EQ(m.at(3, 2), -1.0f);
    EXPECT_EQ(m.at(3, 3), 0.0f);
    EXPECT_EQ(m.at(0, 1), 0.0f);
}

TEST(Matrix, PerspectiveMapsTheFrustumOntoTheCube) {
    const double near = 0.5, far = 100;
    const Matrix m = Matrix::perspective(60, 4.0 / 3.0, near, far);
    const float top = static_cast<float>(2 * std::tan(M_PI / 6)); // at distance 2
    const float right = top * 4.0f / 3.0f;
    expectVector(deviceOf(m, right, top, -2), {1, 1, deviceOf(m, 0, 0, -2)[2], 1});
    EXPECT_NEAR(deviceOf(m, 0, 0, -near)[2], -1.0f, tolerance);
    EXPECT_NEAR(deviceOf(m, 0, 0, -far)[2], 1.0f, 1e-4f);
}

TEST(Matrix, DegeneratePerspectiveChangesNothing) {
    for (const Matrix& m : {Matrix::perspective(60, 1, 2, 2), Matrix::perspective(0, 1, 1, 10),
                            Matrix::perspective(60, 0, 1, 10)}) {
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(m[i], Matrix::identity()[i]);
        }
    }
}

TEST(Matrix, NormalsStayPerpendicularToTheSurface) {
    // The plane x + y = 0 under a stretch along x: its tangent (1, -1, 0) becomes (2, -1, 0),
    // and its normal must stay perpendicular to that, which (2, 1, 0) would not.
    const Matrix m = Matrix::translation(5, 6, 7) * Matrix::scaling(2, 1, 1);
    const Matrix::Vector3 n = m.transformNormal({1, 1, 0});
    const Matrix::Vector tangent = m.transform({1, -1, 0, 0});
    EXPECT_NEAR(n[0] * tangent[0] + n[1] * tangent[1] + n[2] * tangent[2], 0.0f, tolerance);
    EXPECT_NEAR(n[0], 0.5f, tolerance);
    EXPECT_NEAR(n[1], 1.0f, tolerance);
    // A rotation turns a normal as it turns any direction.
    const Matrix::Vector3 turned = Matrix::rotation(90, 1, 0, 0).transformNormal({0, 0, 1});
    EXPECT_NEAR(turned[0], 0.0f, tolerance);
    EXPECT_NEAR(turned[1], -1.0f, tolerance);
    EXPECT_NEAR(turned[2], 0.0f, tolerance);
}
