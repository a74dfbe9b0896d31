// Double-precision vectors and rotations for building and posing the generated models. The
// rotation convention matches the park's skeleton: Euler angles X, Y, Z in radians, composed as
// Rz * Ry * Rx (a point turns about X first).
#pragma once

#include <cmath>

const double kPi = 3.14159265358979323846;

struct Vec
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    Vec() = default;
    Vec(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}

    Vec operator+(const Vec& b) const { return Vec(x + b.x, y + b.y, z + b.z); }
    Vec operator-(const Vec& b) const { return Vec(x - b.x, y - b.y, z - b.z); }
    Vec operator-() const { return Vec(-x, -y, -z); }
    Vec operator*(double s) const { return Vec(x * s, y * s, z * s); }
    Vec operator/(double s) const { return Vec(x / s, y / s, z / s); }
    Vec& operator+=(const Vec& b)
    {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
};

inline double dot(const Vec& a, const Vec& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec cross(const Vec& a, const Vec& b)
{
    return Vec(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline double length(const Vec& a)
{
    return std::sqrt(dot(a, a));
}
// A zero vector stays zero.
inline Vec normalized(const Vec& a)
{
    const double l = length(a);
    return l > 0.0 ? a / l : a;
}
inline Vec lerp(const Vec& a, const Vec& b, double u)
{
    return a + (b - a) * u;
}
inline double lerp(double a, double b, double u)
{
    return a + (b - a) * u;
}
inline double clamp01(double u)
{
    return u < 0.0 ? 0.0 : (u > 1.0 ? 1.0 : u);
}
// 0 at u <= 0, 1 at u >= 1, with zero slope at both ends.
inline double smoothstep(double u)
{
    u = clamp01(u);
    return u * u * (3.0 - 2.0 * u);
}
inline double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

// A 3 x 3 rotation, row-major: m[r][c].
struct Rot
{
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    Vec operator*(const Vec& v) const
    {
        return Vec(m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
                   m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                   m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z);
    }
    Rot operator*(const Rot& b) const
    {
        Rot r;
        for (int i = 0; i < 3; ++i)
        {
            for (int j = 0; j < 3; ++j)
            {
                r.m[i][j] = m[i][0] * b.m[0][j] + m[i][1] * b.m[1][j] + m[i][2] * b.m[2][j];
            }
        }
        return r;
    }
};

// Rz(e.z) * Ry(e.y) * Rx(e.x).
Rot eulerXYZ(const Vec& angles);
// Rotation by `angle` radians about a unit axis (right-handed).
Rot axisAngle(const Vec& axis, double angle);
