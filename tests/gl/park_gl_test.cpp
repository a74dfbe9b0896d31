// The whole park in one GL context: the scene built from the generated data, walked through the
// platform's test double, regenerated, and an animal looked at from a chosen pose.
#include "fakeplatform.h"
#include "glsupport.h"
#include "shell.h"
#include "testpaths.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

std::vector<float> heightSamples()
{
    std::vector<float> samples;
    for (float x = -2000.0f; x <= 2000.0f; x += 250.0f)
    {
        for (float z = -2000.0f; z <= 2000.0f; z += 250.0f)
        {
            samples.push_back(g_terrain.groundHeight(x, z));
        }
    }
    return samples;
}

// The scene built in a scratch copy of the run folder (the terrain writes its colour map there).
class Park : public testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillmere-park-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_directory = pattern;
        const std::string copy = "cp -r '" + parkPath("data") + "' '" + parkPath("textures") +
                                 "' '" + parkPath("terrainTexs") + "' '" + m_directory + "'";
        ASSERT_EQ(std::system(copy.c_str()), 0);
        ASSERT_NE(getcwd(m_previous, sizeof m_previous), nullptr);
        ASSERT_EQ(chdir(m_directory.c_str()), 0);
        setFixedGlState();
        setUpScene();
        reshape(800, 600);
    }

    void TearDown() override
    {
        if (m_previous[0] != '\0')
        {
            EXPECT_EQ(chdir(m_previous), 0);
        }
        std::system(("rm -rf '" + m_directory + "'").c_str());
    }

    FakeInput m_input;

private:
    std::string m_directory;
    char m_previous[4096] = {};
};

// The terrain alone, or with the animals, from the camera's pose, without fog.
Pixels renderFromCamera(bool withDinosaurs)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    g_camera.applyRotation();
    g_camera.applyTranslation();
    g_frustum.setCamera(g_camera.m_position, g_camera.frustumAt(), Vector3(0.0f, 1.0f, 0.0f));
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glPushAttrib(GL_ENABLE_BIT);
    g_terrain.draw(g_frustum);
    glPopAttrib();
    if (withDinosaurs)
    {
        glColor3f(1.0f, 1.0f, 1.0f);
        glBindTexture(GL_TEXTURE_2D, 0);
        g_dinosaurs.updateAndDraw(g_terrain, g_frustum);
    }
    glFinish();
    return readBackBuffer();
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

TEST_F(Park, HeldLeftButtonWalksTheEyeForwardOverTheGround)
{
    g_camera.m_yaw = 0.0f; // looking down -z
    g_camera.m_pitch = 0.0f;
    for (int frame = 0; frame < 3; ++frame)
    {
        display();
    }
    const Vector3 start = g_camera.m_position;
    const Pixels before = readBackBuffer();

    m_input.leftHeld = true;
    for (int frame = 0; frame < 20; ++frame)
    {
        display();
    }
    m_input.leftHeld = false;
    const Vector3 end = g_camera.m_position;

    EXPECT_LT(end.z, start.z - 20.0f) << "walked forward, along -z";
    EXPECT_NEAR(end.x, start.x, 0.5f) << "straight ahead";
    EXPECT_NEAR(end.y, g_terrain.groundHeight(end.x, end.z) + 3.0f, 3.0f)
        << "the eye stays just above the ground";
    EXPECT_GT(before.contrast(), 2.0) << "the first frame shows a scene";
    EXPECT_GT(readBackBuffer().differingFraction(before, 8), 0.2);
}

TEST_F(Park, RKeyMakesANewLandscapeAndPutsTheEyeBackAtTheCentre)
{
    const std::vector<float> heights = heightSamples();
    const std::vector<char> colourMap = fileBytes("terrainTexs/finalMapTexture.bmp");
    ASSERT_FALSE(colourMap.empty());
    g_camera.m_position.set(300.0f, 40.0f, -200.0f);

    keyboard('r', 0, 0);

    EXPECT_EQ(g_camera.m_position.x, 0.0f);
    EXPECT_EQ(g_camera.m_position.z, 0.0f);
    EXPECT_NE(heightSamples(), heights) << "the same landscape again, even within one second";
    EXPECT_NE(fileBytes("terrainTexs/finalMapTexture.bmp"), colourMap)
        << "the saved colour map must follow the new ground";
    display();
    EXPECT_GT(readBackBuffer().contrast(), 2.0);
}

// A triceratops seen from 45 units away, slightly above: the frame with the animals differs from
// the same frame without them around the animal, and the drawing reaches down to the ground
// under it, no further.
TEST_F(Park, TriceratopsInViewIsDrawnStandingOnTheGround)
{
    Triceratops& animal = g_dinosaurs.m_triceratops[0];
    const float x = animal.m_position.x;
    const float z = animal.m_position.z;
    const float ground = g_terrain.groundHeight(x, z) - 7.0f; // the drawn surface
    const float distance = 45.0f;
    const float eyeHeight =
        std::max(ground, g_terrain.groundHeight(x, z + distance) - 7.0f) + 12.0f;
    g_camera.m_position.set(x, eyeHeight, z + distance);
    g_camera.m_yaw = 0.0f;
    g_camera.m_pitch = float(std::atan2(eyeHeight - (ground + 4.0f), distance) * 180.0 / M_PI);
    // Broadside on, alone in view: every other walker goes behind the eye, where it is culled.
    animal.m_heading = animal.m_targetHeading = 0.0f;
    const Vector3 behind(x, 0.0f, z + distance + 300.0f);
    for (int i = 1; i < g_dinosaurs.m_numTriceratops; ++i)
    {
        g_dinosaurs.m_triceratops[i].m_position = behind;
    }
    for (Stegoceras& member : g_dinosaurs.m_stegoceras)
    {
        member.m_position = behind;
    }
    g_dinosaurs.m_tyrannosaur.m_position = behind;

    const Pixels without = renderFromCamera(false);
    const Pixels with = renderFromCamera(true);
    savePixelsPng(with, "/tmp/quillmere-triceratops.png");

    double footX = 0.0;
    double footY = 0.0;
    projectToWindow(Vector3(x, ground, z), footX, footY);
    ASSERT_GT(footX, 100.0);
    ASSERT_LT(footX, 700.0);
    ASSERT_GT(footY, 50.0);
    ASSERT_LT(footY, 550.0);

    int changed = 0;
    int lowestChangedRow = 600;
    for (int row = 0; row < 600; ++row)
    {
        for (int column = std::max(0, int(footX) - 150); column < std::min(800, int(footX) + 150);
             ++column)
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
    EXPECT_GT(changed, 2000) << "the triceratops covers a good patch of the frame";
    // Seen broadside, the feet stand within half the body's width of its centre line, so the
    // lowest drawn row lies between the ground 8 units nearer the eye and 8 units farther.
    double nearX = 0.0, nearY = 0.0, farX = 0.0, farY = 0.0;
    projectToWindow(Vector3(x, g_terrain.groundHeight(x, z + 8.0f) - 7.0f, z + 8.0f), nearX, nearY);
    projectToWindow(Vector3(x, g_terrain.groundHeight(x, z - 8.0f) - 7.0f, z - 8.0f), farX, farY);
    // The body does not tilt with a slope, so allow about a unit (15 pixels here) either way.
    EXPECT_GE(lowestChangedRow, std::min(nearY, farY) - 15.0) << "the animal sinks into the ground";
    EXPECT_LE(lowestChangedRow, std::max(nearY, farY) + 15.0) << "the animal floats above it";
    EXPECT_EQ(animal.m_position.y, g_terrain.groundHeight(x, z) - 2.0f)
        << "placed on the ground query";
}
