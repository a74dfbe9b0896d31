// The skeleton's matrix operations, with products in double so that a chain of joints loses no
// more than one rounding a matrix.
#include "math/matrix4.h"

#include <cmath>
#include <cstring>

void Matrix4::identity()
{
    for (int i = 0; i < 16; ++i)
    {
        m[i] = 0.0f;
    }
    m[0] = m[5] = m[10] = m[15] = 1.0f;
}

void Matrix4::assign(const Matrix4& other)
{
    std::memcpy(m, other.m, sizeof m);
}

void Matrix4::multiplyAffine(const Matrix4& b)
{
    Matrix4 newMatrix;
    for (int c = 0; c < 3; ++c)
    {
        for (int r = 0; r < 3; ++r)
        {
            double sum = 0.0;
            for (int k = 0; k < 3; ++k)
            {
                sum += double(m[4 * k + r]) * double(b.m[4 * c + k]);
            }
            newMatrix.m[4 * c + r] = float(sum);
        }
    }
    for (int r = 0; r < 3; ++r)
    {
        double sum = m[12 + r];
        for (int k = 0; k < 3; ++k)
        {
            sum += double(m[4 * k + r]) * double(b.m[12 + k]);
        }
        newMatrix.m[12 + r] = float(sum);
    }
    newMatrix.m[3] = newMatrix.m[7] = newMatrix.m[11] = 0.0f;
    newMatrix.m[15] = 1.0f;
    assign(newMatrix);
}

void Matrix4::setTranslation(const float* v)
{
    m[12] = v[0];
    m[13] = v[1];
    m[14] = v[2];
}

void Matrix4::setRotationXYZ(const float* angles)
{
    const double cr = std::cos(angles[0]);
    const double sr = std::sin(angles[0]);
    const double cp = std::cos(angles[1]);
    const double sp = std::sin(angles[1]);
    const double cy = std::cos(angles[2]);
    const double sy = std::sin(angles[2]);

    m[0] = float(cp * cy);
    m[1] = float(cp * sy);
    m[2] = float(-sp);
    m[4] = float(sr * sp * cy - cr * sy);
    m[5] = float(sr * sp * sy + cr * cy);
    m[6] = float(sr * cp);
    m[8] = float(cr * sp * cy + sr * sy);
    m[9] = float(cr * sp * sy - sr * cy);
    m[10] = float(cr * cp);
}

void Matrix4::untranslate(float* v) const
{
    v[0] -= m[12];
    v[1] -= m[13];
    v[2] -= m[14];
}

void Matrix4::unrotate(float* v) const
{
    const double x = v[0];
    const double y = v[1];
    const double z = v[2];
    v[0] = float(x * m[0] + y * m[1] + z * m[2]);
    v[1] = float(x * m[4] + y * m[5] + z * m[6]);
    v[2] = float(x * m[8] + y * m[9] + z * m[10]);
}
