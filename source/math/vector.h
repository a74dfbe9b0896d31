// The one vector type of the park: positions, directions, normals and plane data.
//
// Conventions used throughout the code:
//   - y is up; the ground lies in the x-z plane; one world unit is one unit of the terrain grid
//     scale (the ground spans -2560 .. +2540 on x and z, heights 0 .. 200).
//   - Matrices are 16 floats stored column by column as OpenGL stores them; m[12], m[13], m[14]
//     hold the translation and the element in row r, column c is m[4c + r].
//   - Angles handed to OpenGL (glRotatef, headings, the camera) are in degrees; the trigonometry
//     of the callers takes radians converted at the point of use.
//   - Front faces wind counter-clockwise, as OpenGL's default.
//   - Everything is single precision except where a product is accumulated in double.
#pragma once

#include <cmath>

// Every operation is defined here, inline: the ground's normals and the skinned animals use them
// per vertex, and a call per operation costs more than the arithmetic.
class Vector3
{
public:
    float x;
    float y;
    float z;
    float w; // 1 after default construction and in every operator result; read only by transform

    Vector3() : x(0.0f), y(0.0f), z(0.0f), w(1.0f) {}
    explicit Vector3(const float* xyz) : x(xyz[0]), y(xyz[1]), z(xyz[2]), w(1.0f) {}
    // w is left as 1 as well: nothing reads it, but an indeterminate value helps nobody.
    Vector3(float xValue, float yValue, float zValue) : x(xValue), y(yValue), z(zValue), w(1.0f) {}

    Vector3& set(float xValue, float yValue, float zValue)
    {
        x = xValue;
        y = yValue;
        z = zValue;
        return *this;
    }

    // 0, 1, 2 name x, y, z; anything else names w.
    float& operator[](int i) { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }
    const float& operator[](int i) const { return i == 0 ? x : i == 1 ? y : i == 2 ? z : w; }

    Vector3 operator+(Vector3 b) const { return Vector3(x + b.x, y + b.y, z + b.z); }
    Vector3 operator-(Vector3 b) const { return Vector3(x - b.x, y - b.y, z - b.z); }
    Vector3 operator*(float s) const { return Vector3(x * s, y * s, z * s); }
    Vector3 operator/(float s) const { return Vector3(x / s, y / s, z / s); }
    Vector3& operator+=(Vector3 b)
    {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }
    Vector3& operator/=(float s)
    {
        x /= s;
        y /= s;
        z /= s;
        return *this;
    }

    float length() const { return std::sqrt(x * x + y * y + z * z); }
    // Divides by the length in place; a zero vector becomes non-numbers.
    Vector3& normalize()
    {
        const float l = length();
        x /= l;
        y /= l;
        z /= l;
        return *this;
    }

    // a x b and a . b; the object's own value takes no part.
    Vector3 cross(Vector3 a, Vector3 b) const
    {
        return Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    }
    float dot(Vector3 a, Vector3 b) const { return a.x * b.x + a.y * b.y + a.z * b.z; }

    // In place: this = matrix * (x, y, z, 1), w included. `matrix` is column-major. The sums
    // are formed in double precision; every component from the old values.
    Vector3& transform(const float* m)
    {
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
    // In place: the rotation/scale part only; w becomes 1.
    Vector3& rotate(const float* m)
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
};

// The value `t` of the way from a to b. Exactly a at t = 0 and exactly b at t = 1 (what is drawn
// at the end of a step is then the step's own result), and exactly a all along when a equals b
// (a thing at rest is drawn at rest, not an ulp to and fro from frame to frame); a single
// a + (b - a) * t or a (1 - t) + b t is not all three.
inline float lerp(float a, float b, float t)
{
    return t < 0.5f ? a + (b - a) * t : b - (b - a) * (1.0f - t);
}

inline Vector3 lerp(const Vector3& a, const Vector3& b, float t)
{
    return Vector3(lerp(a.x, b.x, t), lerp(a.y, b.y, t), lerp(a.z, b.z, t));
}
