// Vector3 arithmetic and the two products with a column-major 4 x 4 matrix.
#include "vector.h"

#include <cmath>

Vector3& Vector3::set(float xValue, float yValue, float zValue)
{
    x = xValue;
    y = yValue;
    z = zValue;
    return *this;
}

Vector3& Vector3::operator+=(Vector3 b)
{
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
}

Vector3& Vector3::operator/=(float s)
{
    x /= s;
    y /= s;
    z /= s;
    return *this;
}

float Vector3::length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

Vector3& Vector3::normalize()
{
    const float l = length();
    x /= l;
    y /= l;
    z /= l;
    return *this;
}

Vector3 Vector3::cross(Vector3 a, Vector3 b) const
{
    return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

float Vector3::dot(Vector3 a, Vector3 b) const
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vector3& Vector3::transform(const float* m)
{
    // Every component is computed from the old values before any is stored.
    const double vector[4] = {
        double(x) * m[0] + double(y) * m[4] + double(z) * m[8] + m[12],
        double(x) * m[1] + double(y) * m[5] + double(z) * m[9] + m[13],
        double(x) * m[2] + double(y) * m[6] + double(z) * m[10] + m[14],
        double(x) * m[3] + double(y) * m[7] + double(z) * m[11] + m[15],
    };
    x = float(vector[0]);
    y = float(vector[1]);
    z = float(vector[2]);
    w = float(vector[3]);
    return *this;
}

Vector3& Vector3::rotate(const float* m)
{
    const double vector[3] = {
        double(x) * m[0] + double(y) * m[4] + double(z) * m[8],
        double(x) * m[1] + double(y) * m[5] + double(z) * m[9],
        double(x) * m[2] + double(y) * m[6] + double(z) * m[10],
    };
    x = float(vector[0]);
    y = float(vector[1]);
    z = float(vector[2]);
    w = 1.0f;
    return *this;
}
