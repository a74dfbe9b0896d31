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
