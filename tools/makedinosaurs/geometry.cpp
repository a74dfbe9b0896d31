// Rotation matrices for the generator's own posing.
#include "geometry.h"

Rot eulerXYZ(const Vec& angles)
{
    const double cr = std::cos(angles.x), sr = std::sin(angles.x);
    const double cp = std::cos(angles.y), sp = std::sin(angles.y);
    const double cy = std::cos(angles.z), sy = std::sin(angles.z);
    Rot r;
    r.m[0][0] = cp * cy;
    r.m[1][0] = cp * sy;
    r.m[2][0] = -sp;
    r.m[0][1] = sr * sp * cy - cr * sy;
    r.m[1][1] = sr * sp * sy + cr * cy;
    r.m[2][1] = sr * cp;
    r.m[0][2] = cr * sp * cy + sr * sy;
    r.m[1][2] = cr * sp * sy - sr * cy;
    r.m[2][2] = cr * cp;
    return r;
}

Rot axisAngle(const Vec& axis, double angle)
{
    const Vec a = normalized(axis);
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    Rot r;
    r.m[0][0] = t * a.x * a.x + c;
    r.m[0][1] = t * a.x * a.y - s * a.z;
    r.m[0][2] = t * a.x * a.z + s * a.y;
    r.m[1][0] = t * a.x * a.y + s * a.z;
    r.m[1][1] = t * a.y * a.y + c;
    r.m[1][2] = t * a.y * a.z - s * a.x;
    r.m[2][0] = t * a.x * a.z - s * a.y;
    r.m[2][1] = t * a.y * a.z + s * a.x;
    r.m[2][2] = t * a.z * a.z + c;
    return r;
}
