#include "math/vector.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Vector, DefaultIsOriginWithUnitW)
{
    const Vector3 v;
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
    EXPECT_EQ(v.w, 1.0f);
}

TEST(Vector, OperatorsActOnXyzAndResetW)
{
    Vector3 a(1, 2, 3);
    Vector3 b(4, 5, 6);
    a.w = 7.0f;
    b.w = -3.0f;
    const Vector3 sum = a + b;
    EXPECT_EQ(sum.x, 5.0f);
    EXPECT_EQ(sum.y, 7.0f);
    EXPECT_EQ(sum.z, 9.0f);
    EXPECT_EQ(sum.w, 1.0f);
    const Vector3 difference = b - a;
    EXPECT_EQ(difference.x, 3.0f);
    EXPECT_EQ(difference.w, 1.0f);
    EXPECT_EQ((a * 2.0f).z, 6.0f);
    EXPECT_EQ((b / 2.0f).y, 2.5f);

    Vector3 c(1, 1, 1);
    c += Vector3(1, 2, 3);
    c /= 2.0f;
    EXPECT_EQ(c.x, 1.0f);
    EXPECT_EQ(c.y, 1.5f);
    EXPECT_EQ(c.z, 2.0f);
    EXPECT_EQ(c[0], 1.0f);
    c[2] = 9.0f;
    EXPECT_EQ(c.z, 9.0f);
}

TEST(Vector, NormalizeGivesUnitLengthAndZeroGivesNonNumbers)
{
    Vector3 v(3, 4, 0);
    EXPECT_FLOAT_EQ(v.length(), 5.0f);
    v.normalize();
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    EXPECT_EQ(v.z, 0.0f);

    Vector3 zero;
    zero.normalize();
    EXPECT_TRUE(std::isnan(zero.x));
    EXPECT_TRUE(std::isnan(zero.y));
    EXPECT_TRUE(std::isnan(zero.z));
}

TEST(Vector, CrossAndDotIgnoreTheObject)
{
    const Vector3 any(100, 200, 300);
    const Vector3 z = any.cross(Vector3(1, 0, 0), Vector3(0, 1, 0));
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    const Vector3 minusX = any.cross(Vector3(0, 0, 1), Vector3(0, 1, 0));
    EXPECT_EQ(minusX.x, -1.0f);
    EXPECT_EQ(minusX.y, 0.0f);
    EXPECT_EQ(minusX.z, 0.0f);
    EXPECT_EQ(any.dot(Vector3(1, 2, 3), Vector3(4, -5, 6)), 12.0f);
}

TEST(Vector, TransformTranslatesAndRotateDoesNot)
{
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
    Vector3 moved(1, 2, 3);
    moved.w = 0.0f;
    moved.transform(matrix);
    EXPECT_EQ(moved.x, 6.0f);
    EXPECT_EQ(moved.y, 8.0f);
    EXPECT_EQ(moved.z, 10.0f);
    EXPECT_EQ(moved.w, 1.0f);

    Vector3 turned(1, 2, 3);
    turned.rotate(matrix);
    EXPECT_EQ(turned.x, 1.0f);
    EXPECT_EQ(turned.y, 2.0f);
    EXPECT_EQ(turned.z, 3.0f);
}

TEST(Vector, ProductsUseOldComponentsAndColumnMajorOrder)
{
    // A quarter turn about z: x' = -y, y' = x. Column-major: m[1] = sin, m[4] = -sin.
    const float quarterTurn[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    Vector3 v(1, 2, 3);
    v.rotate(quarterTurn);
    EXPECT_EQ(v.x, -2.0f);
    EXPECT_EQ(v.y, 1.0f);
    EXPECT_EQ(v.z, 3.0f);
}
