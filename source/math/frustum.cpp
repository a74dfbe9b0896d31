// Frustum planes from the projection and the camera pose, and the bounding-sphere test.
//
// The near centre lies behind the eye because `at` points back towards it; the side normals and
// the reversed subtraction in the test (plane point minus centre) are built to match. Changing
// any one of the three alone turns the culling around.
#include "math/frustum.h"

#include <cmath>

void Frustum::setPerspective(float fovY, float aspect, float nearDist, float /*farDist*/)
{
    m_near = nearDist;
    const double t = std::tan(fovY * 0.017453292519943295 / 2);
    const float nearHeight = float(2 * t * nearDist);
    m_nearWidth = nearHeight * aspect;
}

void Frustum::setCamera(Vector3 position, Vector3 at, Vector3 up)
{
    at.normalize();
    up.normalize();
    Vector3 r = at.cross(at, up);
    r.normalize();

    m_nearCentre = position + at * m_near;

    m_rightPoint = m_nearCentre + (r * m_nearWidth) / 2;
    Vector3 toRight = m_rightPoint - position;
    m_rightNormal = up.cross(up, toRight.normalize());

    m_leftPoint = m_nearCentre - (r * m_nearWidth) / 2;
    Vector3 toLeft = m_leftPoint - position;
    m_leftNormal = up.cross(toLeft.normalize(), up);

    m_nearPoint = m_nearCentre;
    m_nearNormal = at.normalize();
}

namespace
{
bool isWithinPlane(Vector3 point, Vector3 normal, Vector3 centre, float radius, float maxDistance)
{
    const Vector3 w = point - centre;
    const float d = normal.dot(normal, w) / normal.length();
    return !(d < -radius || d > maxDistance);
}
} // namespace

bool Frustum::isSphereVisible(Vector3 centre, float radius, float maxDistance) const
{
    return isWithinPlane(m_nearPoint, m_nearNormal, centre, radius, maxDistance) &&
           isWithinPlane(m_rightPoint, m_rightNormal, centre, radius, maxDistance) &&
           isWithinPlane(m_leftPoint, m_leftNormal, centre, radius, maxDistance);
}
