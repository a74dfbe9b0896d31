// The plane over the hidden sky: every line of sight of the view beneath it meets the drawn
// ground beyond the near plane and short of the far one. Uneven but gentle hills, so that some
// lines of sight reach the lowest ground only near the far plane; eyes from just above the
// ground, near which it is clipped away, to high over it; views that break symmetry.
#include "world/skycover.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const float kNear = 3.0f;
const float kFar = 300.0f;
const float kTanHalfHeight = 0.41421f; // 45 degrees high
const float kTanHalfWidth = kTanHalfHeight * 4.0f / 3.0f;

// The drawn mesh's height: each cell is two triangles split from (x, z) to (x + 1, z + 1).
float drawnHeight(const Terrain& t, Vector3 at)
{
    const float gx = at.x / t.cellSize + float(t.size) / 2.0f;
    const float gz = at.z / t.cellSize + float(t.size) / 2.0f;
    const int x = int(gx);
    const int z = int(gz);
    const float fx = gx - float(x);
    const float fz = gz - float(z);
    const float low = std::min(fx, fz);
    const float high = std::max(fx, fz);
    const float side = fx >= fz ? t.getHeight(x + 1, z) : t.getHeight(x, z + 1);
    return t.heightScale *
           (t.getHeight(x, z) * (1 - high) + side * (high - low) + t.getHeight(x + 1, z + 1) * low);
}

// The depth (distance along the view's axis) at which `sight`, whose depth per unit is 1, first
// goes under the drawn ground, marched in steps of a fiftieth; negative if not before kFar.
float depthOfMeeting(const Terrain& t, Vector3 eye, Vector3 sight)
{
    for (float depth = 0.0f; depth <= kFar; depth += 0.02f)
    {
        if ((eye + sight * depth).y <= drawnHeight(t, eye + sight * depth))
        {
            return depth;
        }
    }
    return -1.0f;
}
} // namespace

TEST(SkyCover, EveryLineOfSightUnderThePlaneMeetsTheGroundBetweenNearAndFar)
{
    Terrain terrain;
    terrain.size = 43; // wider than twice the far distance
    terrain.heightMap.resize(43 * 43);
    for (int i = 0; i < 43 * 43; ++i)
    {
        const float x = float(i % 43);
        const float z = float(i / 43);
        terrain.heightMap[size_t(i)] =
            0.35f + 0.05f * std::sin(0.61f * x + 0.3f) * std::cos(0.47f * z - 1.1f) +
            0.025f * std::sin(1.7f * float((i % 43) * (i / 43) % 11)) + 0.006f * (x - z);
    }
    const float nearReach = nearPlaneReach(kNear, kTanHalfWidth, kTanHalfHeight);
    int views = 0;
    int cut = 0;
    for (const Vector3 place : {Vector3(13.7f, 0, -41.3f), Vector3(-57.1f, 0, 23.9f)})
    {
        for (float lift : {2.5f, 11.0f, 63.0f})
        {
            const Vector3 eye(place.x, drawnHeight(terrain, place) + lift, place.z);
            for (float yaw : {0.3f, 2.3f, 4.4f})
            {
                for (float pitch : {-1.06f, -0.4f, -0.12f, 0.07f})
                {
                    const Vector3 ahead(-std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                                        -std::cos(yaw) * std::cos(pitch));
                    const Vector3 right = Vector3(std::cos(yaw), 0, -std::sin(yaw)) * kTanHalfWidth;
                    const Vector3 up = Vector3(std::sin(yaw) * std::sin(pitch), std::cos(pitch),
                                               std::cos(yaw) * std::sin(pitch)) *
                                       kTanHalfHeight;
                    const Vector3 corners[4] = {ahead - right - up, ahead + right - up,
                                                ahead - right + up, ahead + right + up};
                    ++views;
                    ViewSector sector;
                    GroundAround around;
                    Vector3 kept;
                    if (!viewSector(corners, sector) ||
                        !terrain.groundAround(eye, kFar, nearReach, around, &sector) ||
                        !planeOverHiddenSky(hiddenFallSine(eye.y, around, nearReach), sector, kept))
                    {
                        continue;
                    }
                    ++cut;
                    // Across the view, its edges and corners included.
                    for (int i = 0; i < 8 * 9; ++i)
                    {
                        const Vector3 sight = ahead + right * (float(i % 8) / 3.5f - 1.0f) +
                                              up * (float(i / 8) / 4.0f - 1.0f);
                        if (kept.x * sight.x + kept.y * sight.y + kept.z * sight.z < 0.0f)
                        {
                            EXPECT_GT(depthOfMeeting(terrain, eye, sight), kNear)
                                << "yaw " << yaw << " pitch " << pitch << " lift " << lift;
                        }
                    }
                }
            }
        }
    }
    // Many views can leave some sky out; the lowest eyes and the steepest look cannot.
    EXPECT_GT(cut, views / 3);
    EXPECT_LT(cut, views);
}

// A point is near the view's sector exactly when some point of the sector (the wedge from the
// eye, sampled finely here) lies within the margin of it.
TEST(SkyCover, NearSectorIsWithinTheMarginOfTheWedge)
{
    const float angle = 0.7f;
    const ViewSector sector{std::sin(angle), -std::cos(angle), std::cos(0.55f)};
    const float margin = 28.3f;
    int near = 0;
    for (int i = 0; i < 400; ++i)
    {
        const float x = float(i % 20) * 23.7f - 230.0f;
        const float z = float(i / 20) * 23.3f - 230.0f;
        float closest = std::hypot(x, z);
        for (int a = -200; a <= 200; ++a)
        {
            const float turn = angle + 0.55f * float(a) / 200.0f;
            const float dirX = std::sin(turn);
            const float dirZ = -std::cos(turn);
            const float along = std::max(0.0f, x * dirX + z * dirZ);
            closest = std::min(closest, std::hypot(x - along * dirX, z - along * dirZ));
        }
        if (std::fabs(closest - margin) > 0.5f)
        {
            EXPECT_EQ(nearSector(sector, x, z, margin), closest < margin) << x << ", " << z;
            near += closest < margin;
        }
    }
    EXPECT_GT(near, 40);
    EXPECT_LT(near, 360);
}
