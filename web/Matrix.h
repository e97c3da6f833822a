// The 4 x 4 matrices of OpenGL 1.1's model-view and projection stacks, and the arithmetic on
// them, in one place: the product, the one matrix-times-vector that lights, culls and places
// lights, the transform of normals, and the builders of glTranslate, glRotate, glScale,
// glOrtho and gluPerspective. No GL calls, so it is tested natively.
//
// Column-major, as OpenGL stores a matrix: element (row, column) is at column * 4 + row, and
// data() is what glUniformMatrix4fv takes untransposed. The builders follow the formulas of
// the OpenGL 1.1 and GLU manual pages; where GL would leave the matrix as it is (a rotation
// about a zero axis, a degenerate perspective) they give the identity, which multiplies to
// the same.
#pragma once

#include <array>

class Matrix {
public:
    using Vector = std::array<float, 4>;
    using Vector3 = std::array<float, 3>;

    // The zero matrix; see identity().
    Matrix() = default;
    explicit Matrix(const std::array<float, 16>& columnMajor) : elements(columnMajor) {}

    static Matrix identity();
    static Matrix translation(float x, float y, float z);
    static Matrix scaling(float x, float y, float z);
    // By angle degrees about the axis (x, y, z), counter-clockwise as seen looking from the
    // axis' tip towards the origin. The axis need not be of unit length.
    static Matrix rotation(float angle, float x, float y, float z);
    // As glOrtho: the box maps onto the cube from -1 to 1, near to -1 and far to 1.
    static Matrix ortho(double left, double right, double bottom, double top, double near,
                        double far);
    // As gluPerspective: fovy the vertical field of view in degrees, aspect width over height.
    static Matrix perspective(double fovy, double aspect, double zNear, double zFar);

    // this * other: other's transform first, as glMultMatrix makes the current matrix.
    Matrix operator*(const Matrix& other) const;
    // this * v, for a column vector v. Inline: culling and lighting run it for every corner.
    Vector transform(const Vector& v) const {
        const float* m = elements.data();
        Vector r;
        for (int row = 0; row < 4; ++row) {
            r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * v[3];
        }
        return r;
    }
    // A point (w = 1) through the matrix, all four coordinates.
    Vector transformPoint(const float p[3]) const { return transform({p[0], p[1], p[2], 1.0f}); }
    // A normal through the inverse transpose of the upper 3 x 3, as OpenGL carries normals into
    // eye coordinates; not normalised. A singular upper 3 x 3 gives infinities or NaNs.
    Vector3 transformNormal(const Vector3& n) const;

    float operator[](int i) const { return elements[i]; }
    float& operator[](int i) { return elements[i]; }
    float at(int row, int column) const { return elements[column * 4 + row]; }
    const float* data() const { return elements.data(); }

private:
    std::array<float, 16> elements{};
};
