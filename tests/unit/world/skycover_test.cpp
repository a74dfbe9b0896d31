// The plane over the hidden sky: every line of sight of the view beneath it meets the drawn
// ground, beyond the near plane and short of the far one, on hilly ground at views that break
// symmetry.
#include "world/skycover.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const float kNear = 3.0f;
const float kFar = 300.0f;
const float kTanHalfHeight = std::tan(22.5f * 3.14159265f / 180.0f);
const float kTanHalfWidth = kTanHalfHeight * 4.0f / 3.0f;

// Steep, uneven hills on a ground of odd size, wider than twice the far distance.
void makeHills(Terrain& terrain)
{
    terrain.size = 43;
    terrain.heightMap.assign(size_t(terrain.size * terrain.size), 0.0f);
    for (int z = 0; z < terrain.size; ++z)
    {
        for (int x = 0; x < terrain.size; ++x)
        {
            terrain.setHeight(x, z,
                              0.35f + 0.2f * std::sin(0.61f * float(x) + 0.3f) *
                                          std::cos(0.47f * float(z) - 1.1f) +
                                  0.1f * std::sin(1.7f * float(x * z % 11)));
        }
    }
}

// The drawn mesh's height: each cell is two triangles split from (x, z) to (x + 1, z + 1).
float drawnHeight(const Terrain& t, float worldX, float worldZ)
{
    const float half = float(t.size) * t.cellSize / 2.0f;
    const float gx = (worldX + half) / t.cellSize;
    const float gz = (worldZ + half) / t.cellSize;
    const int x = int(gx);
    const int z = int(gz);
    const float fx = gx - float(x);
    const float fz = gz - float(z);
    const float corner = fx >= fz ? t.getHeight(x + 1, z) : t.getHeight(x, z + 1);
    const float h = fx >= fz ? t.getHeight(x, z) * (1 - fx) + corner * (fx - fz) +
                                   t.getHeight(x + 1, z + 1) * fz
                             : t.getHeight(x, z) * (1 - fz) + corner * (fz - fx) +
                                   t.getHeight(x + 1, z + 1) * fx;
    return h * t.heightScale;
}

// The distance along `sight` (of unit length) at which it first goes under the drawn ground,
// marched in steps of a twentieth of a unit; a negative number if not within `limit`.
float firstMeeting(const Terrain& t, Vector3 eye, Vector3 sight, float limit)
{
    for (float distance = 0.0f; distance <= limit; distance += 0.05f)
    {
        const Vector3 at = eye + sight * distance;
        if (at.y <= drawnHeight(t, at.x, at.z))
        {
            return distance;
        }
    }
    return -1.0f;
}
} // namespace

TEST(SkyCover, EveryLineOfSightUnderThePlaneMeetsTheGroundBetweenNearAndFar)
{
    Terrain terrain;
    makeHills(terrain);
    const float nearReach = nearPlaneReach(kNear, kTanHalfWidth, kTanHalfHeight);
    int views = 0;
    int cut = 0;
    for (const Vector3 place : {Vector3(13.7f, 0, -41.3f), Vector3(-57.1f, 0, 23.9f)})
    {
        for (float lift : {4.0f, 11.0f, 63.0f})
        {
            const Vector3 eye(place.x, drawnHeight(terrain, place.x, place.z) + lift, place.z);
            for (float yaw : {17.0f, 133.0f, 251.0f})
            {
                for (float pitch : {-61.0f, -23.0f, -7.0f, 4.0f})
                {
                    const float y = yaw * 3.14159265f / 180.0f;
                    const float p = pitch * 3.14159265f / 180.0f;
                    const Vector3 ahead(-std::sin(y) * std::cos(p), std::sin(p),
                                        -std::cos(y) * std::cos(p));
                    const Vector3 right(std::cos(y), 0.0f, -std::sin(y));
                    const Vector3 up(std::sin(y) * std::sin(p), std::cos(p),
                                     std::cos(y) * std::sin(p));
                    Vector3 corners[4];
                    for (int i = 0; i < 4; ++i)
                    {
                        corners[i] = ahead + right * ((i & 1) ? kTanHalfWidth : -kTanHalfWidth) +
                                     up * ((i & 2) ? kTanHalfHeight : -kTanHalfHeight);
                    }
                    ++views;
                    GroundAround around;
                    Vector3 kept;
                    if (!terrain.groundAround(eye, kFar, nearReach, around) ||
                        !planeOverHiddenSky(hiddenFallSine(eye.y, around, nearReach), corners,
                                            kept))
                    {
                        continue;
                    }
                    ++cut;
                    for (float u = 0.0f; u <= 1.0f; u += 1.0f / 7.0f)
                    {
                        for (float v = 0.0f; v <= 1.0f; v += 1.0f / 9.0f)
                        {
                            Vector3 sight = ahead + right * ((2 * u - 1) * kTanHalfWidth) +
                                            up * ((2 * v - 1) * kTanHalfHeight);
                            if (kept.x * sight.x + kept.y * sight.y + kept.z * sight.z >= 0.0f)
                            {
                                continue;
                            }
                            const float depthPerDistance = 1.0f / sight.length();
                            sight = sight * depthPerDistance;
                            const float met = firstMeeting(terrain, eye, sight, kFar);
                            EXPECT_GT(met * depthPerDistance, kNear)
                                << "yaw " << yaw << " pitch " << pitch << " lift " << lift;
                            EXPECT_LT(met * depthPerDistance, kFar);
                        }
                    }
                }
            }
        }
    }
    // Most views can leave some sky out; the lowest eyes and the steepest look cannot.
    EXPECT_GT(cut, views / 2);
    EXPECT_LT(cut, views);
}
