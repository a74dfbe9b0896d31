// The one value of π in the park, and the conversion every trigonometric call makes: angles are
// kept in degrees (see math/vector.h) and turned into radians at the point of use.
#pragma once

const float kPi = 3.14159265358979f;
const float kDegreesToRadians = kPi / 180.0f;

// degrees × π / 180, the product taken first.
inline float radians(float degrees)
{
    return degrees * kPi / 180.0f;
}
