// The 3x3 float matrix that carries the 2-D transforms of image drawing. It
// acts on column vectors (x, y, 1); the third column holds the translation.
#pragma once

namespace Lumo {

class Matrix3 {
public:
    struct Vector2 {
        float mX;
        float mY;
    };
    struct Vector3 {
        float mX;
        float mY;
        float mZ;
    };

    // The identity.
    Matrix3();
    Matrix3(const Matrix3&) = default;
    Matrix3& operator=(const Matrix3&) = default;

    Matrix3& LoadIdentity();

    // this x other, each entry summed in single precision in column order.
    Matrix3 operator*(const Matrix3& other) const;

    // (m00 x + m01 y + m02, m10 x + m11 y + m12); the third row is not used.
    Vector2 TransformPoint(float x, float y) const;
    // The full product with (x, y, z).
    Vector3 TransformVector(float x, float y, float z) const;

    // Each of these multiplies its own matrix on the left, so it acts after
    // everything already in the matrix.
    void Translate(float tx, float ty);
    void Scale(float sx, float sy);
    // A positive angle turns counter-clockwise on a screen whose y grows down.
    void RotateRadians(float angle);
    void RotateDegrees(float degrees);

    // m[row][column].
    float m[3][3];
};

} // namespace Lumo
