// The reference frames: a fresh park per frame (terrain, plants, animals, trees from the seed),
// the day cycle run up to the wanted sun angle, the camera put at its pose, one whole frame.
#include "referencescene.h"

#include "app/shell.h"
#include "fakeplatform.h"
#include "platform/framepacing.h"
#include "world/sky.h"
#include "world/terrain.h"
#include "world/trees.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

namespace
{
const float kDegrees = 180.0f / 3.14159265f;

// True the first time, when it has set up what lives for the whole process.
bool setUpOnce()
{
    static bool done = false;
    if (done)
    {
        return false;
    }
    setFixedGlState();
    reshape(800, 600);
    initSky();
    initTrees();
    done = true;
    return true;
}

// A new park from the seed, in the order of start-up, seen by a camera fresh from start-up.
void buildPark(unsigned seed)
{
    g_camera = Camera();
    g_terrain.startSeedsAt(seed);
    regenerateScene();
}

// The day from its start (dawn) into the next day's morning and on, frame by frame, to one frame
// before `sunAngle`; the frame drawn next moves the sun onto it. The lights are switched on and
// off as the sky's frames would switch them.
void runDayTo(float sunAngle)
{
    g_dayCycle = DayCycle();
    initSkyLights();
    const float before = sunAngle - g_dayCycle.m_dayRate;
    bool nextDay = false;
    while (!nextDay || g_dayCycle.m_sunAngle + g_dayCycle.m_dayRate <= before)
    {
        const float previous = g_dayCycle.m_sunAngle;
        updateSkyLights(g_dayCycle.advanceFrame());
        nextDay = nextDay || g_dayCycle.m_sunAngle < previous;
    }
    g_dayCycle.m_sunAngle = before;
}

// Turns the camera towards a world point from where it stands (yaw 0 looks along -z, 90 along
// +x; positive pitch looks down).
void lookAt(float x, float y, float z)
{
    const Vector3 eye = g_camera.m_position;
    const float dx = x - eye.x;
    const float dz = z - eye.z;
    g_camera.m_yaw = std::atan2(dx, -dz) * kDegrees;
    if (g_camera.m_yaw < 0.0f)
    {
        g_camera.m_yaw += 360.0f;
    }
    g_camera.m_pitch = std::atan2(eye.y - y, std::hypot(dx, dz)) * kDegrees;
}

// Where the eye stands after the frame's ground following at (x, z).
void standAt(float x, float z)
{
    g_camera.m_position.set(x, g_terrain.groundHeight(x, z) + 3.0f, z);
}

// The first cluster of brush (ten plants from every tenth index from 530 on, running towards
// +x) that starts where a walker can stand.
int walkableBrushCluster()
{
    for (int first = 530; first < 2530; first += 10)
    {
        const Vector3& plant = g_plants.m_positions[first];
        if (std::fabs(plant.x) < 1100.0f && std::fabs(plant.z) < 1100.0f)
        {
            return first;
        }
    }
    return 530;
}

void placeCamera(int pose)
{
    switch (pose)
    {
        case 0:
            standAt(0.0f, 0.0f);
            g_camera.m_yaw = 23.7f;
            g_camera.m_pitch = -4.3f;
            break;
        case 1:
        {
            const Vector3 tree = g_treePositions[0];
            standAt(tree.x + 17.0f, tree.z + 95.0f);
            lookAt(tree.x, g_terrain.groundHeight(tree.x, tree.z) + 25.0f, tree.z);
            break;
        }
        case 3:
        {
            const Vector3 plant = g_plants.m_positions[walkableBrushCluster()];
            standAt(plant.x + 20.0f, plant.z + 34.0f);
            lookAt(plant.x + 20.0f, g_terrain.groundHeight(plant.x, plant.z) - 4.0f, plant.z);
            break;
        }
        default:
        {
            const Vector3 animal = g_dinosaurs.m_triceratops[0].m_position;
            standAt(animal.x + 113.0f, animal.z + 41.0f);
            lookAt(animal.x, g_terrain.groundHeight(animal.x, animal.z) + 5.0f, animal.z);
            break;
        }
    }
}
} // namespace

std::string referencePictureName(unsigned seed, int pose, float sunAngle)
{
    char name[64];
    std::snprintf(name, sizeof name, "seed%u-pose%d-sun%.1f.png", seed, pose, double(sunAngle));
    return name;
}

std::string referencePicturePath(unsigned seed, int pose, float sunAngle)
{
    return std::string(QUILLMERE_SOURCE_DIR) + "/tests/reference/" +
           referencePictureName(seed, pose, sunAngle);
}

namespace
{
void drawFrameOfPark(unsigned seed, int pose, float sunAngle)
{
    FakeClock clock; // the animals' skeletons read it
    buildPark(seed);
    clock.advanceMilliseconds(437.0); // a pose part way into every clip
    runDayTo(sunAngle);
    placeCamera(pose);
    drawFrame();
}
} // namespace

Pixels renderReferenceFrame(unsigned seed, int pose, float sunAngle)
{
    FakeInput input; // focused, the cursor resting at the window's centre
    const int pace = targetFramesPerSecond();
    setTargetFramesPerSecond(0);
    if (setUpOnce())
    {
        // The first frame of a process starts from the fixed state alone; every later one from
        // what the frame before left behind (face culling, for one, which the plants switch off).
        drawFrameOfPark(seed, pose, sunAngle);
    }
    drawFrameOfPark(seed, pose, sunAngle);
    glFinish();
    setTargetFramesPerSecond(pace);
    return readBackBuffer();
}
