// Products and the left-multiplied transforms of the 3x3 matrix.
#include "framework/graphics/Matrix3.h"

#include <cmath>

namespace Lumo {

Matrix3::Matrix3()
{
    LoadIdentity();
}

Matrix3& Matrix3::LoadIdentity()
{
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            m[row][col] = row == col ? 1.0f : 0.0f;
        }
    }
    return *this;
}

Matrix3 Matrix3::operator*(const Matrix3& other) const
{
    Matrix3 result;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            float sum = m[row][0] * other.m[0][col];
            sum += m[row][1] * other.m[1][col];
            sum += m[row][2] * other.m[2][col];
            result.m[row][col] = sum;
        }
    }
    return result;
}

Matrix3::Vector2 Matrix3::TransformPoint(float x, float y) const
{
    Vector2 out;
    out.mX = m[0][0] * x + m[0][1] * y + m[0][2];
    out.mY = m[1][0] * x + m[1][1] * y + m[1][2];
    return out;
}

Matrix3::Vector3 Matrix3::TransformVector(float x, float y, float z) const
{
    Vector3 out;
    out.mX = m[0][0] * x + m[0][1] * y + m[0][2] * z;
    out.mY = m[1][0] * x + m[1][1] * y + m[1][2] * z;
    out.mZ = m[2][0] * x + m[2][1] * y + m[2][2] * z;
    return out;
}

void Matrix3::Translate(float tx, float ty)
{
    Matrix3 t;
    t.m[0][2] = tx;
    t.m[1][2] = ty;
    *this = t * *this;
}

void Matrix3::Scale(float sx, float sy)
{
    Matrix3 s;
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    *this = s * *this;
}

void Matrix3::RotateRadians(float angle)
{
    // Computed in extended precision, then stored as floats.
    const long double wide = static_cast<long double>(angle);
    const float c = static_cast<float>(std::cos(wide));
    const float s = static_cast<float>(std::sin(wide));
    Matrix3 r;
    r.m[0][0] = c;
    r.m[0][1] = s;
    r.m[1][0] = -s;
    r.m[1][1] = c;
    *this = r * *this;
}

void Matrix3::RotateDegrees(float degrees)
{
    RotateRadians(degrees * 0.017453292f);
}

} // namespace Lumo
