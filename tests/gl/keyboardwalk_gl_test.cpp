// Walking by keyboard through the shell's key callbacks, as GLUT calls them, over the whole park.
#include "fakeplatform.h"
#include "framepacing.h"
#include "scratchdirectory.h"
#include "shell.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

namespace
{
void runFrames(int count)
{
    for (int frame = 0; frame < count; ++frame)
    {
        display();
    }
}
} // namespace

TEST(KeyboardWalk, HeldKeysWalkAndTurnUntilReleasedAndCommandKeysStayAsTheyWere)
{
    ScratchDirectory directory("quillmere-keys");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    setTargetFramesPerSecond(0);
    setFixedGlState();
    setUpScene();
    scatterTrees();
    reshape(800, 600);
    g_camera.m_yaw = 0.0f; // looking down -z
    runFrames(2);

    Vector3 start = g_camera.m_position;
    keyboard('w', 0, 0);
    runFrames(10);
    keyboardUp('w', 0, 0);
    EXPECT_LT(g_camera.m_position.z, start.z - 5.0f) << "w walks forward";
    EXPECT_NEAR(g_camera.m_position.x, start.x, 0.5f);
    const float speed = -g_camera.m_velocity.z;
    runFrames(1);
    EXPECT_NEAR(-g_camera.m_velocity.z, speed / (1.03f * 1.03f), 1e-4f)
        << "released, the walk only coasts";

    g_camera.m_velocity.set(0.0f, 0.0f, 0.0f);
    start = g_camera.m_position;
    specialKey(GLUT_KEY_DOWN, 0, 0);
    runFrames(10);
    specialKeyUp(GLUT_KEY_DOWN, 0, 0);
    EXPECT_GT(g_camera.m_position.z, start.z + 5.0f) << "Down walks backward";

    const float yaw = g_camera.m_yaw;
    specialKey(GLUT_KEY_RIGHT, 0, 0);
    runFrames(10);
    EXPECT_FLOAT_EQ(g_camera.m_yaw, yaw + 15.0f) << "Right turns 0.75 degrees a step, two a frame";
    specialKeyUp(GLUT_KEY_RIGHT, 0, 0);
    keyboard('a', 0, 0);
    runFrames(10);
    EXPECT_FLOAT_EQ(g_camera.m_yaw, yaw) << "a turns back as steadily";
    // Shift pressed while the key was down: the release comes as an upper-case letter.
    keyboardUp('A', 0, 0);
    runFrames(2);
    EXPECT_FLOAT_EQ(g_camera.m_yaw, yaw) << "released";

    // The command keys keep their meaning; full screen is left alone here.
    testing::internal::CaptureStdout();
    keyboard('r', 0, 0);
    EXPECT_EQ(g_camera.m_position.x, 0.0f);
    EXPECT_EQ(g_camera.m_position.z, 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("seed ", 0), 0u);
}
