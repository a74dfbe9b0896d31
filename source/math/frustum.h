// The view frustum used for culling: a near plane behind the eye and the two side planes, with
// the far limit brought by each test. Rebuilt from the camera's pose on every camera step.
#pragma once

#include "math/vector.h"

class Frustum
{
public:
    float m_near = 0.0f;
    float m_nearWidth = 0.0f;
    Vector3 m_nearCentre;
    Vector3 m_rightNormal;
    Vector3 m_rightPoint;
    Vector3 m_leftNormal;
    Vector3 m_leftPoint;
    Vector3 m_nearNormal;
    Vector3 m_nearPoint;

    // fovY in degrees; farDist takes no part in culling (each test brings its own far limit).
    void setPerspective(float fovY, float aspect, float nearDist, float farDist);

    // `at` is a unit vector pointing from the view target back towards the eye (at yaw 0 and
    // pitch 0 the eye looks along -z and `at` is (0, 0, 1)); the planes only work with that sense.
    void setCamera(Vector3 position, Vector3 at, Vector3 up);

    // True when the sphere passes the near, right and left planes. maxDistance bounds each
    // plane distance without the radius, so it acts as the far limit.
    bool isSphereVisible(Vector3 centre, float radius, float maxDistance) const;
};
