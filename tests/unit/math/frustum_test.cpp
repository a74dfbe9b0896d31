#include "math/frustum.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// The camera's convention: `at` points from the view target back towards the eye.
Frustum frustumLookingAlongMinusZ()
{
    Frustum frustum;
    frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
    frustum.setCamera(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(0, 1, 0));
    return frustum;
}
} // namespace

TEST(Frustum, NearWidthFollowsFieldOfViewAndAspect)
{
    const Frustum frustum = frustumLookingAlongMinusZ();
    EXPECT_NEAR(frustum.m_nearWidth, 3.314f, 0.001f);
    EXPECT_FLOAT_EQ(frustum.m_near, 3.0f);
}

TEST(Frustum, NearCentreLiesBehindTheEye)
{
    const Frustum frustum = frustumLookingAlongMinusZ();
    EXPECT_FLOAT_EQ(frustum.m_nearCentre.z, 3.0f);
}

TEST(Frustum, SpheresAheadAreVisibleAndBesideAreNot)
{
    const Frustum frustum = frustumLookingAlongMinusZ();
    EXPECT_TRUE(frustum.isSphereVisible(Vector3(0, 0, -10), 15.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(100, 0, -10), 15.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(-100, 0, -10), 15.0f, 500.0f));
}

TEST(Frustum, NearPlaneAcceptsBehindTheEyeByRadiusPlusNear)
{
    const Frustum frustum = frustumLookingAlongMinusZ();
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(0, 0, 30), 15.0f, 500.0f)); // d = -27
    EXPECT_TRUE(frustum.isSphereVisible(Vector3(0, 0, 15), 15.0f, 500.0f));  // d = -12
}

TEST(Frustum, FarLimitIsNotWidenedByTheRadius)
{
    const Frustum frustum = frustumLookingAlongMinusZ();
    EXPECT_TRUE(frustum.isSphereVisible(Vector3(0, 0, -497), 15.0f, 500.0f));  // d = 500
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(0, 0, -498), 15.0f, 500.0f)); // d = 501
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(0, 0, -499), 1000.0f, 500.0f));
}

TEST(Frustum, SphereOutsideASidePlaneByLessThanItsRadiusIsVisible)
{
    const Frustum frustum = frustumLookingAlongMinusZ();
    // The right edge of the view at depth 100 lies at x = 100 * tan(fovx / 2) ~ 55.2.
    const float halfWidthAt100 = 100.0f * (frustum.m_nearWidth / 2.0f) / 3.0f;
    EXPECT_TRUE(frustum.isSphereVisible(Vector3(halfWidthAt100 + 5.0f, 0, -100), 10.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(halfWidthAt100 + 20.0f, 0, -100), 10.0f, 500.0f));
    EXPECT_TRUE(frustum.isSphereVisible(Vector3(-halfWidthAt100 - 5.0f, 0, -100), 10.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(-halfWidthAt100 - 20.0f, 0, -100), 10.0f, 500.0f));
}

TEST(Frustum, FollowsATurnedCamera)
{
    Frustum frustum;
    frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
    // Yaw 90 degrees: the eye looks along +x, so `at` = (-cos 0 sin 90, 0, cos 0 cos 90) = (-1, 0,
    // 0).
    frustum.setCamera(Vector3(10, 0, 0), Vector3(-1, 0, 0), Vector3(0, 1, 0));
    EXPECT_TRUE(frustum.isSphereVisible(Vector3(60, 0, 0), 5.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(-60, 0, 0), 5.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(Vector3(20, 0, 200), 5.0f, 500.0f));
}

// At the widest field of view a user may choose, whatever lies inside the picture's edges passes
// the test and what lies well outside them does not: nothing pops in or out at the sides. The
// picture's edge is where the projection puts it: x = ±tan(fov / 2) × aspect × depth.
TEST(Frustum, AWideFieldOfViewKeepsEverythingThePictureShows)
{
    const float fieldOfView = 100.0f;
    const float aspect = 1920.0f / 1080.0f;
    const float halfHeight = std::tan(fieldOfView * 3.14159265f / 360.0f);
    for (float yaw : {0.0f, 37.3f, 213.9f})
    {
        Frustum frustum;
        frustum.setPerspective(fieldOfView, aspect, 3.0f, 600.0f);
        const float q = yaw * 3.14159265f / 180.0f;
        const Vector3 eye(12.5f, 8.0f, -31.0f);
        // The eye looks along (sin yaw, 0, -cos yaw); right of it is (cos yaw, 0, sin yaw).
        const Vector3 ahead(std::sin(q), 0.0f, -std::cos(q));
        const Vector3 right(std::cos(q), 0.0f, std::sin(q));
        frustum.setCamera(eye, ahead * -1.0f, Vector3(0.0f, 1.0f, 0.0f));
        for (float depth : {7.0f, 90.0f, 450.0f})
        {
            for (float side : {-1.0f, 1.0f})
            {
                for (float screenX : {0.97f, 1.3f})
                {
                    const float x = side * screenX * halfHeight * aspect * depth;
                    const Vector3 point = eye + ahead * depth + right * x;
                    const bool shown = screenX < 1.0f;
                    EXPECT_EQ(frustum.isSphereVisible(point, 0.5f, 2000.0f), shown)
                        << "yaw " << yaw << ", depth " << depth << ", side " << side
                        << ", at " << screenX << " of the half-width";
                }
            }
        }
    }
}
