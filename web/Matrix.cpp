#include "Matrix.h"

#include <cmath>

Matrix Matrix::identity() {
    return Matrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

Matrix Matrix::translation(float x, float y, float z) {
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

Matrix Matrix::scaling(float x, float y, float z) {
    Matrix m = identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    return m;
}

Matrix Matrix::rotation(float angle, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        return identity();
    }
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * static_cast<float>(M_PI / 180.0);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    const float k = 1.0f - c;
    return Matrix({x * x * k + c, y * x * k + z * s, x * z * k - y * s, 0, //
                   x * y * k - z * s, y * y * k + c, y * z * k + x * s, 0, //
                   x * z * k + y * s, y * z * k - x * s, z * z * k + c, 0, //
                   0, 0, 0, 1});
}

Matrix Matrix::ortho(double left, double right, double bottom, double top, double near,
                     double far) {
    Matrix m = identity();
    m[0] = static_cast<float>(2.0 / (right - left));
    m[5] = static_cast<float>(2.0 / (top - bottom));
    m[10] = static_cast<float>(-2.0 / (far - near));
    m[12] = static_cast<float>(-(right + left) / (right - left));
    m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
    m[14] = static_cast<float>(-(far + near) / (far - near));
    return m;
}

Matrix Matrix::perspective(double fovy, double aspect, double zNear, double zFar) {
    const double radians = fovy / 2 * M_PI / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) {
        return identity();
    }
    const double cotangent = std::cos(radians) / sine;
    Matrix m;
    m[0] = static_cast<float>(cotangent / aspect);
    m[5] = static_cast<float>(cotangent);
    m[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
    m[11] = -1.0f;
    m[14] = static_cast<float>(-2 * zNear * zFar / deltaZ);
    return m;
}

Matrix Matrix::operator*(const Matrix& other) const {
    Matrix r;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += elements[k * 4 + row] * other.elements[column * 4 + k];
            }
            r.elements[column * 4 + row] = sum;
        }
    }
    return r;
}

Matrix::Vector3 Matrix::transformNormal(const Vector3& n) const {
    const float* m = elements.data();
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    // The inverse is the transposed cofactor matrix over det, so its transpose times n is n's
    // dot product with each row of the cofactor matrix, over det.
    const float cofactors[3][3] = {{e * i - f * h, -(d * i - f * g), d * h - e * g},
                                   {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                                   {b * f - c * e, -(a * f - c * d), a * e - b * d}};
    Vector3 r;
    for (int row = 0; row < 3; ++row) {
        r[row] =
            (cofactors[row][0] * n[0] + cofactors[row][1] * n[1] + cofactors[row][2] * n[2]) / det;
    }
    return r;
}
