// The whole park in one GL context: the scene built from the generated data, walked through the
// platform's test double, regenerated, and an animal looked at from a chosen pose.
#include "fakeplatform.h"
#include "glsupport.h"
#include "runningpark.h"
#include "scratchdirectory.h"
#include "testpaths.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace
{
std::vector<float> heightSamples(const Terrain& ground)
{
    std::vector<float> samples;
    for (float x = -2000.0f; x <= 2000.0f; x += 250.0f)
    {
        for (float z = -2000.0f; z <= 2000.0f; z += 250.0f)
        {
            samples.push_back(ground.groundHeight(x, z));
        }
    }
    return samples;
}

// The scene built in a scratch copy of the run folder (the terrain writes its colour map there),
// from one seed: a test that passes once passes every time.
class WholePark : public testing::Test
{
protected:
    void SetUp() override
    {
        m_directory.copyFromPark({"data", "textures", "terrainTexs"});
        m_running.build(20261208u);
        m_running.shell.setFramesPerSecond(kTargetFramesPerSecond);
    }

    // The frame's terrain alone, or with the animals after a tick of theirs, from the camera's
    // pose, without fog, lit like day; with a tree drawn before the animals (as the frame does)
    // when one is given.
    Pixels renderFromCamera(bool withDinosaurs, const Vector3* pTree = nullptr);

    ScratchDirectory m_directory{"quillmere-park"};
    FakeInput m_input;
    RunningPark m_running;
    Park& m_park = m_running.park;
    Camera& m_camera = m_running.park.camera();
    DinosaurSet& m_animals = m_running.park.animals();
    const Terrain& m_ground = m_running.park.ground();
};

// A sun high over the park, so that the animals stand out from the ground as by day (the sky,
// which would light the scene, is not drawn here).
void lightLikeDay()
{
    const GLfloat overhead[] = {0.3f, 1.0f, 0.2f, 0.0f};
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat ambient[] = {0.3f, 0.3f, 0.3f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, overhead);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
}

// Where a world point lands in the window under the current matrices.
void projectToWindow(const Vector3& point, double& x, double& y)
{
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double z = 0.0;
    gluProject(point.x, point.y, point.z, modelview, projection, viewport, &x, &y, &z);
}
} // namespace

Pixels WholePark::renderFromCamera(bool withDinosaurs, const Vector3* pTree)
{
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    lightLikeDay();
    const Vector3 eye = m_camera.m_position;
    m_camera.applyRotation();
    glTranslatef(-eye.x, -eye.y, -eye.z);
    m_camera.aimFrustum(frustum, eye);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glPushAttrib(GL_ENABLE_BIT);
    m_park.ground().draw(frustum);
    glPopAttrib();
    if (pTree)
    {
        glTranslatef(pTree->x, pTree->y, pTree->z);
        m_park.grove().drawTree();
        glTranslatef(-pTree->x, -pTree->y, -pTree->z);
    }
    if (withDinosaurs)
    {
        glColor3f(1.0f, 1.0f, 1.0f);
        glBindTexture(GL_TEXTURE_2D, 0);
        m_animals.tick(m_park.ground());
        m_animals.drawWithGl(frustum, 1.0f);
    }
    glFinish();
    return readBackBuffer();
}

TEST_F(WholePark, HeldLeftButtonWalksTheEyeForwardOverTheGround)
{
    m_camera.m_yaw = 0.0f; // looking down -z
    m_camera.m_pitch = 0.0f;
    for (int frame = 0; frame < 3; ++frame)
    {
        m_running.shell.display();
    }
    const Vector3 start = m_camera.m_position;

    m_input.leftHeld = true;
    for (int frame = 0; frame < 20; ++frame)
    {
        m_running.shell.display();
    }
    m_input.leftHeld = false;
    const Vector3 end = m_camera.m_position;

    EXPECT_LT(end.z, start.z - 20.0f) << "walked forward, along -z";
    EXPECT_NEAR(end.x, start.x, 0.5f) << "straight ahead";
    EXPECT_NEAR(end.y, m_ground.groundHeight(end.x, end.z) + 3.0f, 3.0f)
        << "the eye stays just above the ground";
}

TEST_F(WholePark, RKeyMakesANewLandscapeAndPutsTheEyeBackAtTheCentre)
{
    const std::vector<float> heights = heightSamples(m_ground);
    const std::vector<char> colourMap = fileBytes("terrainTexs/finalMapTexture.bmp");
    ASSERT_FALSE(colourMap.empty());
    m_camera.m_position.set(300.0f, 40.0f, -200.0f);

    m_running.shell.keyboard('r');

    EXPECT_EQ(m_camera.m_position.x, 0.0f);
    EXPECT_EQ(m_camera.m_position.z, 0.0f);
    EXPECT_NE(heightSamples(m_ground), heights)
        << "the same landscape again, even within one second";
    EXPECT_NE(fileBytes("terrainTexs/finalMapTexture.bmp"), colourMap)
        << "the saved colour map must follow the new ground";
}

namespace
{
enum class Species
{
    Triceratops,
    Stegoceras,
    Tyrannosaur,
    Pterosaur
};

struct Subject
{
    const char* name;
    Species species;
    float distance;       // of the eye from the animal
    float heightAboveEye; // of the eye over the ground under a walker (a flier: over the flier)
    float halfLength;     // of the walker's body at rest, along its heading
    float halfWidth;
};

std::ostream& operator<<(std::ostream& out, const Subject& subject)
{
    return out << subject.name;
}

Vector3& positionOf(DinosaurSet& animals, Species species)
{
    switch (species)
    {
        case Species::Triceratops:
            return animals.m_triceratops[0].m_position;
        case Species::Stegoceras:
            return animals.m_stegoceras[0].m_position;
        case Species::Tyrannosaur:
            return animals.m_tyrannosaur.m_position;
        case Species::Pterosaur:
            break;
    }
    return animals.m_pterosaurs[0].m_position;
}

// Turns the animal broadside to an eye on its +z side.
void faceAlongX(DinosaurSet& animals, Species species)
{
    switch (species)
    {
        case Species::Triceratops:
            animals.m_triceratops[0].m_heading = 0.0f;
            animals.m_triceratops[0].m_targetHeading = 0.0f;
            break;
        case Species::Stegoceras:
            animals.m_stegoceras[0].m_heading = 0.0f;
            animals.m_stegoceras[0].m_targetHeading = 0.0f;
            break;
        case Species::Tyrannosaur:
            animals.m_tyrannosaur.m_heading = 0.0f;
            animals.m_tyrannosaur.m_targetHeading = 0.0f;
            break;
        case Species::Pterosaur:
            animals.m_pterosaurs[0].m_heading = 0.0f;
            animals.m_pterosaurs[0].m_targetHeading = 0.0f;
            break;
    }
}

// Every animal but those kept goes behind the eye, where it is culled.
void leaveAlone(DinosaurSet& animals, std::initializer_list<const Vector3*> kept,
                const Vector3& behind)
{
    auto moveAway = [&](Vector3& position)
    {
        if (std::find(kept.begin(), kept.end(), &position) == kept.end())
        {
            position = behind;
        }
    };
    for (Triceratops& animal : animals.m_triceratops)
    {
        moveAway(animal.m_position);
    }
    for (Stegoceras& animal : animals.m_stegoceras)
    {
        moveAway(animal.m_position);
    }
    for (Pterosaur& animal : animals.m_pterosaurs)
    {
        moveAway(animal.m_position);
    }
    moveAway(animals.m_tyrannosaur.m_position);
}

// Saves a picture when QUILLMERE_SHOTS names a directory (for looking at what was drawn).
void keepPicture(const Pixels& pixels, const std::string& name)
{
    if (const char* directory = std::getenv("QUILLMERE_SHOTS"))
    {
        savePixelsPng(pixels, std::string(directory) + "/" + name + ".png");
    }
}

class AnimalInView : public WholePark, public testing::WithParamInterface<Subject>
{
};
} // namespace

// An animal seen broadside and alone: the frame with the animals differs from the same frame
// without them around the animal; a walker's drawing reaches down to the ground under it, no
// further, and a pterosaur's stays well above it.
TEST_P(AnimalInView, IsDrawnWhereItStands)
{
    const Subject& subject = GetParam();
    Vector3& position = positionOf(m_animals, subject.species);
    const float x = position.x;
    const float z = position.z;
    const float ground = m_ground.groundHeight(x, z) - 7.0f; // the drawn surface
    const bool walks = subject.species != Species::Pterosaur;
    // Pterosaurs fly 73 units over the ground query, which is 7 over the surface.
    const float centre = walks ? ground + 4.0f : ground + 80.0f;
    const float eyeGround = m_ground.groundHeight(x, z + subject.distance) - 7.0f;
    const float eyeHeight = std::max(eyeGround, walks ? ground : centre) + subject.heightAboveEye;
    m_camera.m_position.set(x, eyeHeight, z + subject.distance);
    m_camera.m_yaw = 0.0f;
    m_camera.m_pitch = float(std::atan2(eyeHeight - centre, subject.distance) * 180.0 / M_PI);
    faceAlongX(m_animals, subject.species);
    leaveAlone(m_animals, {&position}, Vector3(x, 0.0f, z + subject.distance + 300.0f));

    const Pixels without = renderFromCamera(false);
    const Pixels with = renderFromCamera(true);
    keepPicture(with, subject.name);

    double centreX = 0.0;
    double centreY = 0.0;
    projectToWindow(Vector3(x, walks ? ground : centre, z), centreX, centreY);
    ASSERT_GT(centreX, 100.0);
    ASSERT_LT(centreX, 700.0);
    ASSERT_GT(centreY, 50.0);
    ASSERT_LT(centreY, 550.0);

    int changed = 0;
    int lowestChangedRow = 600;
    for (int row = 0; row < 600; ++row)
    {
        for (int column = std::max(0, int(centreX) - 200);
             column < std::min(800, int(centreX) + 200); ++column)
        {
            const unsigned char* a = with.at(column, row);
            const unsigned char* b = without.at(column, row);
            if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 24)
            {
                ++changed;
                lowestChangedRow = std::min(lowestChangedRow, row);
            }
        }
    }
    EXPECT_GT(changed, 1500) << "the animal covers a good patch of the frame";
    if (!walks)
    {
        double groundX = 0.0, groundY = 0.0;
        projectToWindow(Vector3(x, ground, z), groundX, groundY);
        EXPECT_GT(lowestChangedRow, groundY + 100.0) << "the pterosaur flies high over the ground";
        return;
    }
    // The feet stand on the level of the drawn ground under the centre (the body does not tilt
    // with a slope), somewhere in the rectangle the body covers. Seen from above, the lowest
    // drawn row lies within the rows that rectangle spans, give or take a unit (15 pixels).
    double lowestFootRow = 600.0;
    double highestFootRow = 0.0;
    for (float dx : {-subject.halfLength, subject.halfLength})
    {
        for (float dz : {-subject.halfWidth, subject.halfWidth})
        {
            double column = 0.0, row = 0.0;
            projectToWindow(Vector3(x + dx, ground, z + dz), column, row);
            lowestFootRow = std::min(lowestFootRow, row);
            highestFootRow = std::max(highestFootRow, row);
        }
    }
    EXPECT_GE(lowestChangedRow, lowestFootRow - 15.0) << "the animal sinks into the ground";
    EXPECT_LE(lowestChangedRow, highestFootRow + 15.0) << "the animal floats above it";
}

INSTANTIATE_TEST_SUITE_P(
    Species, AnimalInView,
    testing::Values(Subject{"triceratops", Species::Triceratops, 45.0f, 25.0f, 17.5f, 7.0f},
                    Subject{"stegoceras", Species::Stegoceras, 40.0f, 20.0f, 13.0f, 3.0f},
                    Subject{"tyrannosaur", Species::Tyrannosaur, 70.0f, 30.0f, 18.5f, 5.0f},
                    Subject{"pterosaur", Species::Pterosaur, 80.0f, 0.0f, 0.0f, 0.0f}),
    [](const testing::TestParamInfo<Subject>& info) { return std::string(info.param.name); });

namespace
{
// Largest planar distance between two members of the herd.
float herdSpread(const DinosaurSet& animals)
{
    float spread = 0.0f;
    for (const Stegoceras& a : animals.m_stegoceras)
    {
        for (const Stegoceras& b : animals.m_stegoceras)
        {
            spread = std::max(spread, planarDistance(a.m_position.x, a.m_position.z, b.m_position.x,
                                                     b.m_position.z));
        }
    }
    return spread;
}
} // namespace

// The herd walks behind its leader until the tyrannosaur comes within 50 units; then the four
// run off on four courses, each still drawn on the ground.
TEST_F(WholePark, HerdFollowsItsLeaderAndScattersFromTheTyrannosaur)
{
    DinosaurSet& set = m_animals;
    Vector3& leader = set.m_stegoceras[0].m_position;
    // The herd keeps walking and the tyrannosaur keeps eating for the whole test.
    set.m_switchInterval = 1000000;
    set.m_stegocerasMode = 0;
    set.m_tyrannosaurMode = 1;
    set.m_tyrannosaur.m_position.set(leader.x + 200.0f, 0.0f, leader.z);
    std::initializer_list<const Vector3*> kept = {
        &set.m_stegoceras[0].m_position, &set.m_stegoceras[1].m_position,
        &set.m_stegoceras[2].m_position, &set.m_stegoceras[3].m_position,
        &set.m_tyrannosaur.m_position};
    leaveAlone(m_animals, kept, Vector3(leader.x, 0.0f, leader.z + 2000.0f));

    // High above the herd's middle, looking down on it.
    const Vector3 middle = (set.m_stegoceras[0].m_position + set.m_stegoceras[3].m_position) * 0.5f;
    m_camera.m_position.set(middle.x, m_ground.groundHeight(middle.x, middle.z) + 220.0f,
                            middle.z + 160.0f);
    m_camera.m_yaw = 0.0f;
    m_camera.m_pitch = 54.0f;

    for (int frame = 0; frame < 5; ++frame)
    {
        renderFromCamera(true);
    }
    keepPicture(renderFromCamera(true), "herd-calm");
    EXPECT_EQ(set.m_herdStartled, 0);
    for (const Stegoceras& member : set.m_stegoceras)
    {
        EXPECT_EQ(member.m_targetHeading, set.m_stegoceras[0].m_targetHeading)
            << "calm followers keep to the leader's course";
    }
    const float calmSpread = herdSpread(m_animals);

    set.m_tyrannosaur.m_position.set(leader.x + 30.0f, 0.0f, leader.z);
    const Pixels without = renderFromCamera(false);
    const Pixels with = renderFromCamera(true);
    EXPECT_GT(with.differingFraction(without, 24), 0.001) << "the herd and the tyrannosaur show";
    EXPECT_EQ(set.m_herdStartled, 1);
    for (int frame = 0; frame < 40; ++frame)
    {
        renderFromCamera(true);
        if (frame == 25)
        {
            keepPicture(readBackBuffer(), "herd-scattering");
        }
    }
    EXPECT_GT(herdSpread(m_animals), calmSpread + 100.0f) << "the four run apart";
    for (const Stegoceras& member : set.m_stegoceras)
    {
        EXPECT_EQ(member.m_speed, 7.1f);
        EXPECT_NEAR(member.m_position.y,
                    m_ground.groundHeight(member.m_position.x, member.m_position.z) + 6.0f, 15.0f)
            << "placed on the ground as it runs (one frame's step behind)";
    }
}

// Whether a tree was drawn before the animals in a frame must not change how bright they are.
TEST_F(WholePark, TriceratopsIsAsBrightWithATreeDrawnBeforeItAsWithout)
{
    Triceratops& animal = m_animals.m_triceratops[0];
    const float x = animal.m_position.x;
    const float z = animal.m_position.z;
    const float ground = m_ground.groundHeight(x, z) - 7.0f;
    const float eye = std::max(ground, m_ground.groundHeight(x, z + 45.0f) - 7.0f) + 25.0f;
    m_camera.m_position.set(x, eye, z + 45.0f);
    m_camera.m_yaw = 0.0f;
    m_camera.m_pitch = float(std::atan2(eye - ground - 4.0f, 45.0f) * 180.0 / M_PI);
    faceAlongX(m_animals, Species::Triceratops);
    leaveAlone(m_animals, {&animal.m_position}, Vector3(x, 0.0f, z + 400.0f));
    m_animals.m_switchInterval = 1000000;
    const Triceratops start = animal;
    // Behind the eye: drawn, with all the state changes of its list, but culled by the clip.
    const Vector3 tree(x, ground - 10.0f, z + 120.0f);

    const Pixels groundOnly = renderFromCamera(false);
    const Pixels alone = renderFromCamera(true);
    animal = start;
    const Pixels afterTree = renderFromCamera(true, &tree);
    keepPicture(alone, "triceratops-without-tree");
    keepPicture(afterTree, "triceratops-after-tree");

    // Over the pixels the animal covers in both frames (its legs move between them).
    auto differs = [](const unsigned char* a, const unsigned char* b)
    { return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 24; };
    double sumAlone = 0.0;
    double sumAfterTree = 0.0;
    int count = 0;
    for (int row = 0; row < 600; ++row)
    {
        for (int column = 0; column < 800; ++column)
        {
            const unsigned char* a = alone.at(column, row);
            const unsigned char* c = afterTree.at(column, row);
            const unsigned char* g = groundOnly.at(column, row);
            if (differs(a, g) && differs(c, g))
            {
                sumAlone += a[0] + a[1] + a[2];
                sumAfterTree += c[0] + c[1] + c[2];
                ++count;
            }
        }
    }
    ASSERT_GT(count, 1500) << "the animal covers a good patch of the frame";
    const double meanAlone = sumAlone / (3.0 * count);
    const double meanAfterTree = sumAfterTree / (3.0 * count);
    std::printf("mean channel over the triceratops: %.1f alone, %.1f after a tree\n", meanAlone,
                meanAfterTree);
    EXPECT_NEAR(meanAlone, meanAfterTree, 0.05 * meanAfterTree)
        << "mean channel over the animal: " << meanAlone << " alone, " << meanAfterTree
        << " after a tree";
}

// At a thousand frames a second of work, the frame waits for its slot on the platform clock;
// switched off, it never waits.
TEST_F(WholePark, DisplayIsPacedByThePlatformClock)
{
    FakeClock clock;
    for (int rate : {60, 0})
    {
        m_running.shell.setFramesPerSecond(rate);
        const int64_t start = clock.counter;
        for (int frame = 0; frame < 13; ++frame)
        {
            clock.advanceMilliseconds(1.0);
            m_running.shell.display();
        }
        const double seconds = double(clock.counter - start) / double(FakeClock::kFrequency);
        if (rate == 60)
        {
            EXPECT_GE(seconds, 12.0 / 60.0) << "13 frames span at least 12 slots";
            EXPECT_LT(seconds, 13.0 / 60.0);
        }
        else
        {
            EXPECT_DOUBLE_EQ(seconds, 0.013);
        }
    }
}
