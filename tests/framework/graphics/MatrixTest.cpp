// The 3x3 matrix: products, point and vector transforms, and the order in
// which the left-multiplied transforms act.
#include "framework/graphics/Matrix3.h"

#include <gtest/gtest.h>

#include <cmath>

using Lumo::Matrix3;

namespace {

Matrix3 FromRows(const float (&rows)[3][3])
{
    Matrix3 m;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            m.m[r][c] = rows[r][c];
        }
    }
    return m;
}

void ExpectPoint(const Matrix3& m, float x, float y, float ex, float ey)
{
    const Matrix3::Vector2 p = m.TransformPoint(x, y);
    EXPECT_NEAR(p.mX, ex, 1e-5f);
    EXPECT_NEAR(p.mY, ey, 1e-5f);
}

} // namespace

TEST(MatrixTest, StartsAsIdentityAndLoadIdentityResets)
{
    Matrix3 m = FromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    Matrix3& same = m.LoadIdentity();
    EXPECT_EQ(&same, &m);
    const Matrix3 fresh;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f);
            EXPECT_EQ(fresh.m[r][c], r == c ? 1.0f : 0.0f);
        }
    }
}

TEST(MatrixTest, ProductIsThisTimesOther)
{
    const Matrix3 a = FromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    const Matrix3 b = FromRows({{9, 8, 7}, {6, 5, 4}, {3, 2, 1}});
    // r[i][j] = a[i][0] b[0][j] + a[i][1] b[1][j] + a[i][2] b[2][j]
    const float expected[3][3] = {{30, 24, 18}, {84, 69, 54}, {138, 114, 90}};
    const Matrix3 p = a * b;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(p.m[r][c], expected[r][c]) << r << "," << c;
        }
    }
    // b x a differs: row 0 = (9 + 32 + 49, 18 + 40 + 56, 27 + 48 + 63).
    const Matrix3 q = b * a;
    EXPECT_EQ(q.m[0][0], 90.0f);
    EXPECT_EQ(q.m[0][1], 114.0f);
    EXPECT_EQ(q.m[0][2], 138.0f);
}

TEST(MatrixTest, TransformPointIgnoresTheThirdRowAndTransformVectorUsesIt)
{
    const Matrix3 a = FromRows({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    ExpectPoint(a, 1, 1, 6, 15); // (1 + 2 + 3, 4 + 5 + 6)
    const Matrix3::Vector3 v = a.TransformVector(1, 2, 3);
    EXPECT_EQ(v.mX, 14.0f); // 1 + 4 + 9
    EXPECT_EQ(v.mY, 32.0f); // 4 + 10 + 18
    EXPECT_EQ(v.mZ, 50.0f); // 7 + 16 + 27
}

TEST(MatrixTest, TransformsActInTheOrderCalled)
{
    Matrix3 translate;
    translate.Translate(5, 7);
    ExpectPoint(translate, 1, 1, 6, 8);

    Matrix3 scaleThenMove;
    scaleThenMove.Scale(2, 3);
    scaleThenMove.Translate(5, 7);
    ExpectPoint(scaleThenMove, 1, 1, 7, 10);

    Matrix3 moveThenScale;
    moveThenScale.Translate(5, 7);
    moveThenScale.Scale(2, 3);
    ExpectPoint(moveThenScale, 1, 1, 12, 24);

    // Scale, rotate, translate: (1, 0) -> (2, 0) -> (0, -2) -> (10, 8).
    Matrix3 all;
    all.Scale(2, 1);
    all.RotateDegrees(90);
    all.Translate(10, 10);
    ExpectPoint(all, 1, 0, 10, 8);
}

TEST(MatrixTest, PositiveRotationTurnsCounterClockwiseOnScreen)
{
    Matrix3 m;
    m.RotateDegrees(90);
    EXPECT_NEAR(m.m[0][1], 1.0f, 1e-6f);
    EXPECT_NEAR(m.m[1][0], -1.0f, 1e-6f);
    EXPECT_NEAR(m.m[0][0], 0.0f, 1e-6f);
    EXPECT_NEAR(m.m[1][1], 0.0f, 1e-6f);
    ExpectPoint(m, 1, 0, 0, -1);

    Matrix3 r;
    r.RotateRadians(0.5f);
    Matrix3 d;
    d.RotateDegrees(0.5f / 0.017453292f);
    EXPECT_NEAR(r.m[0][1], d.m[0][1], 1e-6f);
    EXPECT_FLOAT_EQ(r.m[0][0], static_cast<float>(std::cos(0.5L)));
    EXPECT_FLOAT_EQ(r.m[0][1], static_cast<float>(std::sin(0.5L)));
}
