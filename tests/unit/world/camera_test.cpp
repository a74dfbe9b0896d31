#include "world/camera.h"

#include "fakeplatform.h"
#include "math/frustum.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct CameraStep : testing::Test
{
    FakeInput input;
    Terrain terrain; // no heights: the ground query answers 0
    Frustum frustum;
    Camera camera;

    void SetUp() override
    {
        frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
        camera.m_holdingCursor = true; // the window has had the focus for a while
    }
    void step() { camera.step(terrain, frustum); }
    float horizontalSpeed() const { return std::hypot(camera.m_velocity.x, camera.m_velocity.z); }
};
} // namespace

TEST_F(CameraStep, HeldLeftButtonTendsToSpeedOverDampingAlongTheViewThenDecays)
{
    input.leftHeld = true;
    for (int i = 0; i < 300; ++i)
    {
        step();
    }
    EXPECT_NEAR(horizontalSpeed(), 0.1f / 0.03f, 0.01f);
    // Yaw 0 looks along -z.
    EXPECT_LT(camera.m_position.z, -800.0f);
    EXPECT_NEAR(camera.m_position.x, 0.0f, 1.0f);
    EXPECT_EQ(camera.m_acceleration.z, 0.0f) << "the push is cleared at the end of every step";

    input.leftHeld = false;
    const float before = horizontalSpeed();
    step();
    EXPECT_NEAR(horizontalSpeed(), before / 1.03f, 1e-4f);
}

TEST_F(CameraStep, BothButtonsPushBackwardAndHeadingTurnsThePush)
{
    input.leftHeld = true;
    input.rightHeld = true;
    step();
    EXPECT_GT(camera.m_position.z, 0.0f);

    Camera turned;
    turned.m_yaw = 90.0f;
    input.rightHeld = false;
    turned.step(terrain, frustum);
    // Turned right by a quarter, forward is +x.
    EXPECT_GT(turned.m_position.x, 0.09f);
    EXPECT_NEAR(turned.m_position.z, 0.0f, 1e-3f);
}

TEST_F(CameraStep, MouseTurnsSevenPixelsADegreeAndCursorReturnsHome)
{
    step();
    EXPECT_EQ(camera.m_yaw, 0.0f);
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.warpCount, 0) << "a cursor already at home is not moved";

    camera.m_yaw = 20.0f;
    input.cursorX = 470;
    step();
    EXPECT_FLOAT_EQ(camera.m_yaw, 30.0f);
    EXPECT_EQ(input.warpCount, 1);
    EXPECT_EQ(input.cursorX, 400);
    EXPECT_EQ(input.cursorY, 300);
    EXPECT_EQ(camera.m_cursor.x, 470);

    camera.m_pitch = 85.0f;
    input.cursorY = 370;
    step();
    EXPECT_EQ(camera.m_pitch, 90.0f) << "moving down looks down, up to straight down";
    camera.m_pitch = -85.0f;
    input.cursorY = 230;
    step();
    EXPECT_EQ(camera.m_pitch, -90.0f);
}

TEST_F(CameraStep, YawWrapsCoarselyToExactlyAFullTurnOrZero)
{
    const struct
    {
        float yaw;
        int cursorX;
        float expected;
    } cases[] = {
        {0.5f, 393, 360.0f},   // -0.5
        {359.5f, 407, 0.0f},   // 360.5: the excess is dropped
        {359.0f, 407, 360.0f}, // exactly 360 stays
        {1.0f, 393, 0.0f},     // exactly 0 stays
    };
    for (const auto& c : cases)
    {
        camera.m_yaw = c.yaw;
        input.cursorX = c.cursorX;
        step();
        EXPECT_EQ(camera.m_yaw, c.expected) << "from " << c.yaw;
    }
}

TEST_F(CameraStep, WalkLimitStopsTheWholeStepWhenEitherAxisWouldReach1230)
{
    // A velocity that damps to exactly 5 in this step.
    const float push = 5.0f * 1.03f;
    ASSERT_EQ(push / 1.03f, 5.0f);

    camera.m_position.set(1224.9f, 0.0f, 0.0f);
    camera.m_velocity.set(push, 0.0f, 0.0f);
    step();
    EXPECT_FLOAT_EQ(camera.m_position.x, 1229.9f) << "1229 truncated is inside";

    camera.m_position.set(1225.0f, 0.0f, 100.0f);
    camera.m_velocity.set(push, 0.0f, push);
    step();
    EXPECT_EQ(camera.m_position.x, 1225.0f) << "1230.0 is outside";
    EXPECT_EQ(camera.m_position.z, 100.0f) << "neither axis moves";
    EXPECT_EQ(camera.m_velocity.x, 5.0f) << "the velocity stays and keeps decaying";

    camera.m_position.set(0.0f, 0.0f, -1225.5f);
    camera.m_velocity.set(push, 0.0f, -push);
    step();
    EXPECT_EQ(camera.m_position.x, 0.0f);
    EXPECT_EQ(camera.m_position.z, -1225.5f) << "-1230.5 is outside";
}

TEST_F(CameraStep, EyeRidesThreeAboveTheQueryWhereTheStepBegan)
{
    terrain.allocateArrays();
    for (int z = 0; z < 256; ++z)
    {
        for (int x = 0; x < 256; ++x)
        {
            terrain.setHeight(x, z, float(x) / 255.0f);
        }
    }
    camera.m_position.set(100.0f, 0.0f, 40.0f);
    camera.m_velocity.set(30.9f, 0.0f, 0.0f);
    const float groundAtStart = terrain.groundHeight(100.0f, 40.0f);
    step();
    EXPECT_FLOAT_EQ(camera.m_position.y, groundAtStart + 3.0f);
    EXPECT_GT(camera.m_position.x, 129.0f);
    EXPECT_LT(camera.m_position.y, terrain.groundHeight(camera.m_position.x, 40.0f) + 3.0f);

    camera.reset();
    EXPECT_EQ(camera.m_position.x, 0.0f);
    EXPECT_EQ(camera.m_position.y, 2.0f);
    EXPECT_EQ(camera.m_position.z, 0.0f);
    EXPECT_GT(camera.m_velocity.x, 0.0f) << "reset moves only the eye";
}

TEST_F(CameraStep, FrustumLooksWhereTheCameraLooks)
{
    const float degrees = 3.141592f / 180.0f;
    for (float yaw : {0.0f, 45.0f, 90.0f, 200.0f})
    {
        for (float pitch : {-60.0f, 0.0f, 30.0f})
        {
            camera.m_yaw = yaw;
            camera.m_pitch = pitch;
            const Vector3 at = camera.frustumAt();
            EXPECT_NEAR(at.x, -std::cos(pitch * degrees) * std::sin(yaw * degrees), 1e-5f);
            EXPECT_NEAR(at.y, std::sin(pitch * degrees), 1e-5f);
            EXPECT_NEAR(at.z, std::cos(pitch * degrees) * std::cos(yaw * degrees), 1e-5f);
        }
    }

    // After a step the frustum culls by the camera's pose: ahead is visible, behind is not.
    camera.m_yaw = 90.0f;
    camera.m_pitch = 0.0f;
    step();
    const Vector3 eye = camera.m_position;
    EXPECT_TRUE(frustum.isSphereVisible(eye + Vector3(100.0f, 0.0f, 0.0f), 5.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(eye + Vector3(-100.0f, 0.0f, 0.0f), 5.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(eye + Vector3(0.0f, 0.0f, -100.0f), 5.0f, 500.0f));
}

TEST_F(CameraStep, WithoutTheFocusTheMouseNeitherTurnsNorWalksButTheEyeStillRides)
{
    terrain.allocateArrays();
    for (int z = 0; z < 256; ++z)
    {
        for (int x = 0; x < 256; ++x)
        {
            terrain.setHeight(x, z, 0.37f);
        }
    }
    camera.m_yaw = 33.0f;
    camera.m_velocity.set(0.0f, 0.0f, -2.06f);
    input.focused = false;
    input.leftHeld = true;
    input.cursorX = 523;
    input.cursorY = 171;

    step();

    EXPECT_EQ(camera.m_yaw, 33.0f);
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.warpCount, 0) << "the pointer belongs to the focused window";
    EXPECT_EQ(input.cursorX, 523);
    EXPECT_FLOAT_EQ(camera.m_velocity.z, -2.0f) << "no push, the old motion only decays";
    EXPECT_FLOAT_EQ(camera.m_position.z, -2.0f);
    EXPECT_FLOAT_EQ(camera.m_position.y, terrain.groundHeight(0.0f, 0.0f) + 3.0f);
    EXPECT_FALSE(input.cursorHidden) << "the cursor is shown once the focus leaves";
    // Yaw 33 looks along (sin 33, 0, -cos 33).
    EXPECT_TRUE(
        frustum.isSphereVisible(camera.m_position + Vector3(54.0f, 0.0f, -84.0f), 5.0f, 500.0f))
        << "the frustum follows the eye";
    EXPECT_FALSE(
        frustum.isSphereVisible(camera.m_position + Vector3(-54.0f, 0.0f, 84.0f), 5.0f, 500.0f));
}

TEST_F(CameraStep, RegainedFocusTakesTheCursorBackWithoutATurn)
{
    input.focused = false;
    step();
    ASSERT_FALSE(input.cursorHidden);

    // The user clicks into the window far from its centre.
    input.focused = true;
    input.cursorX = 131;
    input.cursorY = 517;
    camera.m_yaw = 12.5f;
    step();
    EXPECT_EQ(camera.m_yaw, 12.5f);
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.cursorX, 400);
    EXPECT_EQ(input.cursorY, 300);
    EXPECT_TRUE(input.cursorHidden);

    // From then on the mouse turns the view again.
    input.cursorX = 414;
    step();
    EXPECT_FLOAT_EQ(camera.m_yaw, 14.5f);
}

TEST_F(CameraStep, CursorIsHeldAtTheCentreOfTheWindowWhereverItStands)
{
    // An 800 x 600 window placed at (900, 400) on a 1920 x 1080 screen.
    input.centreX = 1300;
    input.centreY = 700;
    input.cursorX = 1370;
    input.cursorY = 686;
    camera.m_yaw = 100.0f;
    camera.m_pitch = 10.0f;
    step();
    EXPECT_FLOAT_EQ(camera.m_yaw, 110.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 8.0f);
    EXPECT_EQ(input.cursorX, 1300);
    EXPECT_EQ(input.cursorY, 700);

    const int warps = input.warpCount;
    step();
    EXPECT_EQ(input.warpCount, warps) << "at the centre nothing turns and nothing is warped";
    EXPECT_FLOAT_EQ(camera.m_yaw, 110.0f);
}

// Every reading is a round trip to the X server: a step makes one, however much it learns.
TEST_F(CameraStep, AStepReadsThePointerOnce)
{
    input.cursorX = 455;
    input.leftHeld = true;
    step();
    EXPECT_EQ(input.readCount, 1);
    EXPECT_EQ(input.warpCount, 1);
    EXPECT_GT(camera.m_yaw, 7.0f);
    EXPECT_LT(camera.m_position.z, 0.0f);
}

TEST_F(CameraStep, FailedCursorReadTurnsNothingAndWarpsNothing)
{
    camera.m_yaw = 47.0f;
    camera.m_pitch = -3.0f;
    input.cursorX = 0; // what a failed read used to be taken for
    input.cursorY = 0;
    input.cursorReadFails = true;
    step();
    EXPECT_EQ(camera.m_yaw, 47.0f);
    EXPECT_EQ(camera.m_pitch, -3.0f);
    EXPECT_EQ(input.warpCount, 0);
}

TEST_F(CameraStep, WalkingKeysPushExactlyAsTheButtonsDo)
{
    Camera byButton;
    byButton.m_yaw = camera.m_yaw = 35.0f;
    byButton.m_holdingCursor = true;

    camera.m_walkKeys.press(WalkKey::Forward);
    input.leftHeld = true;
    byButton.step(terrain, frustum);
    input.leftHeld = false;
    step();
    EXPECT_EQ(camera.m_position.x, byButton.m_position.x);
    EXPECT_EQ(camera.m_position.z, byButton.m_position.z);
    EXPECT_LT(camera.m_position.z, 0.0f);

    // Backward wins over forward, whichever of key or button gives it.
    input.leftHeld = true;
    camera.m_walkKeys.press(WalkKey::Backward);
    for (int i = 0; i < 50; ++i)
    {
        step();
    }
    EXPECT_GT(camera.m_position.z, 0.0f);

    camera.m_walkKeys.release(WalkKey::Backward);
    camera.m_walkKeys.release(WalkKey::Forward);
    input.leftHeld = false;
    step();
    EXPECT_EQ(camera.m_acceleration.z, 0.0f);
    const float before = horizontalSpeed();
    step();
    EXPECT_NEAR(horizontalSpeed(), before / 1.03f, 1e-4f) << "released keys push no more";
}

TEST_F(CameraStep, TurningKeysTurnSteadilyEveryStepAndWrapAsTheMouseDoes)
{
    camera.m_yaw = 10.0f;
    camera.m_walkKeys.press(WalkKey::TurnRight);
    for (int i = 0; i < 40; ++i)
    {
        step();
    }
    EXPECT_FLOAT_EQ(camera.m_yaw, 40.0f) << "0.75 degrees a step";
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.warpCount, 0) << "the keys leave the cursor alone";

    camera.m_walkKeys.press(WalkKey::TurnLeft);
    step();
    EXPECT_FLOAT_EQ(camera.m_yaw, 40.0f) << "both held cancel";

    camera.m_walkKeys.release(WalkKey::TurnRight);
    camera.m_yaw = 0.5f;
    step();
    EXPECT_EQ(camera.m_yaw, 360.0f) << "below 0 becomes a full turn, as with the mouse";
}

TEST_F(CameraStep, KeysHeldWhenTheFocusLeavesAreForgotten)
{
    camera.m_walkKeys.press(WalkKey::Forward);
    camera.m_walkKeys.press(WalkKey::TurnLeft);
    step();
    input.focused = false; // the releases now go to another window
    step();
    input.focused = true;
    const float yaw = camera.m_yaw;
    const float speed = horizontalSpeed();
    step();
    EXPECT_EQ(camera.m_yaw, yaw);
    EXPECT_NEAR(horizontalSpeed(), speed / 1.03f, 1e-5f) << "no push after the focus came back";
}

// A world tick moves the eye by exactly two of the older steps, and the eye is drawn between
// where the tick began and where it ended.
TEST_F(CameraStep, ATickIsTwoStepsOfMotionDrawnBetweenItsEnds)
{
    Camera stepped = camera;
    camera.m_yaw = stepped.m_yaw = 31.0f;
    input.leftHeld = true;
    for (int tick = 0; tick < 7; ++tick)
    {
        const Vector3 before = camera.m_position;
        camera.readInput(1.0 / 60.0);
        camera.tick(terrain);
        stepped.step(terrain, frustum);
        stepped.step(terrain, frustum);
        ASSERT_EQ(camera.m_position.x, stepped.m_position.x) << tick;
        ASSERT_EQ(camera.m_position.z, stepped.m_position.z) << tick;
        ASSERT_EQ(camera.m_velocity.z, stepped.m_velocity.z) << tick;
        EXPECT_EQ(camera.shownPosition(0.0f).x, before.x);
        EXPECT_EQ(camera.shownPosition(1.0f).z, camera.m_position.z);
        EXPECT_FLOAT_EQ(camera.shownPosition(0.25f).z,
                        before.z + (camera.m_position.z - before.z) * 0.25f);
    }
    input.focused = false;
    camera.readInput(1.0 / 60.0);
    const float speed = horizontalSpeed();
    camera.tick(terrain);
    EXPECT_NEAR(horizontalSpeed(), speed / (1.03f * 1.03f), 1e-5f) << "unfocused, it coasts";
}

TEST_F(CameraStep, TurningKeysTurnAQuarterTurnASecondAtAnyFrameRate)
{
    camera.m_yaw = 100.0f;
    camera.m_walkKeys.press(WalkKey::TurnRight);
    for (int frame = 0; frame < 144; ++frame)
    {
        camera.readInput(1.0 / 144.0);
    }
    EXPECT_NEAR(camera.m_yaw, 190.0f, 1e-3f);
    camera.m_walkKeys.press(WalkKey::TurnLeft);
    camera.readInput(0.5);
    EXPECT_NEAR(camera.m_yaw, 190.0f, 1e-3f) << "both held cancel";
    camera.m_walkKeys.release(WalkKey::TurnRight);
    camera.readInput(0.5);
    EXPECT_NEAR(camera.m_yaw, 145.0f, 1e-3f);
}

TEST_F(CameraStep, MouseSpeedSetsPixelsADegreeAndInvertingTurnsThePitchOver)
{
    camera.m_pixelsPerDegree = 5.0f;
    camera.m_invertMouse = true;
    input.cursorX = 400 + 37;
    input.cursorY = 300 - 23;
    camera.readInput(0.0);
    EXPECT_FLOAT_EQ(camera.m_yaw, 37.0f / 5.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 23.0f / 5.0f) << "the mouse moved up: the view looks down";
}
