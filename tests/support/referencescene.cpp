// The reference frames: a fresh park per frame (terrain, plants, animals, trees from the seed),
// the day cycle run up to the wanted sun angle, the camera put at its pose, one whole frame.
#include "referencescene.h"

#include "app/park.h"
#include "fakeplatform.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

namespace
{
const float kDegrees = 180.0f / 3.14159265f;

// The day from its start (dawn) into the next day's morning and on, frame by frame, to one frame
// before `sunAngle`; the frame drawn next moves the sun onto it. The lights are switched on and
// off as the sky's frames would switch them.
void runDayTo(Sky& sky, float sunAngle)
{
    sky.restartDay();
    DayCycle& day = sky.day();
    const float before = sunAngle - day.m_dayRate;
    bool nextDay = false;
    while (!nextDay || day.m_sunAngle + day.m_dayRate <= before)
    {
        const float previous = day.m_sunAngle;
        day.advanceFrame();
        nextDay = nextDay || day.m_sunAngle < previous;
    }
    day.m_sunAngle = before;
}

// Turns the camera towards a world point from where it stands (yaw 0 looks along -z, 90 along
// +x; positive pitch looks down).
void lookAt(Camera& camera, float x, float y, float z)
{
    const Vector3 eye = camera.m_position;
    const float dx = x - eye.x;
    const float dz = z - eye.z;
    camera.m_yaw = std::atan2(dx, -dz) * kDegrees;
    if (camera.m_yaw < 0.0f)
    {
        camera.m_yaw += 360.0f;
    }
    camera.m_pitch = std::atan2(eye.y - y, std::hypot(dx, dz)) * kDegrees;
}

// Where the eye stands after the frame's ground following at (x, z).
void standAt(Park& park, float x, float z)
{
    park.camera().m_position.set(x, park.ground().groundHeight(x, z) + 3.0f, z);
}

// The first cluster of brush (ten plants from every tenth index from 530 on, running towards
// +x) that starts where a walker can stand.
int walkableBrushCluster(const PlantField& plants)
{
    for (int first = 530; first < 2530; first += 10)
    {
        const Vector3& plant = plants.m_positions[first];
        if (std::fabs(plant.x) < 1100.0f && std::fabs(plant.z) < 1100.0f)
        {
            return first;
        }
    }
    return 530;
}

void placeCamera(Park& park, int pose)
{
    Camera& camera = park.camera();
    const Terrain& ground = park.ground();
    switch (pose)
    {
        case 0:
            standAt(park, 0.0f, 0.0f);
            camera.m_yaw = 23.7f;
            camera.m_pitch = -4.3f;
            break;
        case 1:
        {
            const Vector3 tree = park.grove().places()[0];
            standAt(park, tree.x + 17.0f, tree.z + 95.0f);
            lookAt(camera, tree.x, ground.groundHeight(tree.x, tree.z) + 25.0f, tree.z);
            break;
        }
        case 3:
        {
            const Vector3 plant = park.plants().m_positions[walkableBrushCluster(park.plants())];
            standAt(park, plant.x + 20.0f, plant.z + 34.0f);
            lookAt(camera, plant.x + 20.0f, ground.groundHeight(plant.x, plant.z) - 4.0f, plant.z);
            break;
        }
        default:
        {
            const Vector3 animal = park.animals().m_triceratops[0].m_position;
            standAt(park, animal.x + 113.0f, animal.z + 41.0f);
            lookAt(camera, animal.x, ground.groundHeight(animal.x, animal.z) + 5.0f, animal.z);
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
// The park of the seed, in the order of start-up, seen by a camera fresh from start-up, and its
// frame of one tick.
void drawFrameOfPark(Park& park, unsigned seed, int pose, float sunAngle)
{
    FakeClock clock; // the animals' skeletons read it
    park.camera() = Camera();
    park.build(seed);
    park.resize(800, 600);
    clock.advanceMilliseconds(437.0); // a pose part way into every clip
    runDayTo(park.sky(), sunAngle);
    placeCamera(park, pose);
    park.drawFrame();
}
} // namespace

Pixels renderReferenceFrame(unsigned seed, int pose, float sunAngle, bool skyLayersApart)
{
    FakeInput input; // focused, the cursor resting at the window's centre
    Park park;
    park.sky().setLayersApart(skyLayersApart);
    // A park's first frame starts from the fixed state alone; every later one from what the
    // frame before left behind (face culling, for one, which the plants switch off): the
    // picture is of a later one.
    drawFrameOfPark(park, seed, pose, sunAngle);
    drawFrameOfPark(park, seed, pose, sunAngle);
    glFinish();
    return readBackBuffer();
}
