// The sky below the ground's sure horizon.
#include "world/skycover.h"

#include <algorithm>
#include <cmath>

namespace
{
// A line of sight must meet the lowest ground this much short of the reach, so that rounding
// at the far plane never uncovers a pixel.
const float kReachShare = 0.95f;
// Views whose corners turn nearer than this (a cosine) to square off their middle's heading,
// or lie this near the vertical, are not cut: the plane would keep almost nothing.
const float kLeastCosine = 0.05f;
} // namespace

float hiddenFallSine(float eyeHeight, const GroundAround& ground, float nearReach)
{
    // Nearer than the near reach the ground may be clipped away: a line of sight falls no more
    // than the distance it goes, so above ground higher by the near reach it meets none there.
    if (eyeHeight - ground.highestNear <= nearReach || ground.reach <= nearReach)
    {
        return 0.0f;
    }
    // A line of sight falling at least this steeply reaches the lowest ground within the reach,
    // after crossing the ground's surface: the eye is above it.
    const float sine = (eyeHeight - ground.lowest) / (kReachShare * ground.reach);
    return sine > 0.0f && sine < 1.0f ? sine : 0.0f;
}

bool viewSector(const Vector3 corners[4], ViewSector& sector)
{
    Vector3 middle;
    for (int i = 0; i < 4; ++i)
    {
        middle = middle + corners[i];
    }
    const float middleAcross = std::hypot(middle.x, middle.z);
    if (middleAcross <= kLeastCosine * middle.length())
    {
        return false;
    }
    const float headingX = middle.x / middleAcross;
    const float headingZ = middle.z / middleAcross;
    // Every line of sight of the view turns from the heading by no more than one of the corners
    // does: the view is the corners' sums, and so are their shadows on the ground.
    float leastCosine = 1.0f;
    for (int i = 0; i < 4; ++i)
    {
        const Vector3& corner = corners[i];
        const float across = std::hypot(corner.x, corner.z);
        if (across <= kLeastCosine * corner.length())
        {
            return false;
        }
        leastCosine = std::min(leastCosine, (corner.x * headingX + corner.z * headingZ) / across);
    }
    if (leastCosine <= kLeastCosine)
    {
        return false;
    }
    sector = {headingX, headingZ, leastCosine};
    return true;
}

bool nearSector(const ViewSector& sector, float offsetX, float offsetZ, float margin)
{
    const float distance = std::hypot(offsetX, offsetZ);
    if (distance <= margin ||
        offsetX * sector.headingX + offsetZ * sector.headingZ >= distance * sector.cosHalfAngle)
    {
        return true;
    }
    // Else within the margin of one of the sector's two edges.
    const float sinHalfAngle =
        std::sqrt(std::max(0.0f, 1.0f - sector.cosHalfAngle * sector.cosHalfAngle));
    for (float side : {-1.0f, 1.0f})
    {
        const float edgeX =
            sector.headingX * sector.cosHalfAngle - side * sector.headingZ * sinHalfAngle;
        const float edgeZ =
            sector.headingZ * sector.cosHalfAngle + side * sector.headingX * sinHalfAngle;
        if (offsetX * edgeX + offsetZ * edgeZ >= 0.0f &&
            std::fabs(offsetX * edgeZ - offsetZ * edgeX) <= margin)
        {
            return true;
        }
    }
    return false;
}

bool planeOverHiddenSky(float fallSine, const ViewSector& sector, Vector3& keptSide)
{
    if (!(fallSine > 0.0f && fallSine < 1.0f) || sector.cosHalfAngle <= kLeastCosine)
    {
        return false;
    }
    // A line of sight turned by an angle a from the heading and falling by f lies under the
    // plane tilted by b towards the heading when tan f > tan b cos a; with tan b cos a at least
    // tan of the hidden fall for every such a, whatever lies under the plane falls enough.
    const float tanFall = fallSine / std::sqrt(1.0f - fallSine * fallSine);
    const float tanTilt = tanFall / sector.cosHalfAngle;
    keptSide = Vector3(tanTilt * sector.headingX, 1.0f, tanTilt * sector.headingZ);
    return true;
}

float nearPlaneReach(float nearDistance, float tanHalfWidth, float tanHalfHeight)
{
    return nearDistance *
           std::sqrt(1.0f + tanHalfWidth * tanHalfWidth + tanHalfHeight * tanHalfHeight);
}
