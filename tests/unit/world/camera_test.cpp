// The eye as the park moves it: the input read once a displayed frame, then a world tick of two
// steps of motion.
#include "world/camera.h"

#include "fakeplatform.h"
#include "math/frustum.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct CameraFrame : testing::Test
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
    // A displayed frame a sixtieth of a second after the last, with one world tick.
    void frame() { frameOf(camera); }
    void frameOf(Camera& eye)
    {
        eye.readInput(1.0 / 60.0);
        eye.tick(terrain);
        eye.aimFrustum(frustum, eye.m_position);
    }
    float horizontalSpeed() const { return std::hypot(camera.m_velocity.x, camera.m_velocity.z); }
};
} // namespace

TEST_F(CameraFrame, HeldLeftButtonTendsToSpeedOverDampingAlongTheViewThenDecays)
{
    input.leftHeld = true;
    for (int i = 0; i < 300; ++i)
    {
        frame();
    }
    EXPECT_NEAR(horizontalSpeed(), 0.1f / 0.03f, 0.01f);
    // Yaw 0 looks along -z.
    EXPECT_LT(camera.m_position.z, -800.0f);
    EXPECT_NEAR(camera.m_position.x, 0.0f, 1.0f);
    EXPECT_EQ(camera.m_acceleration.z, 0.0f) << "the push is cleared at the end of every step";

    input.leftHeld = false;
    const float before = horizontalSpeed();
    frame();
    EXPECT_NEAR(horizontalSpeed(), before / (1.03f * 1.03f), 1e-4f) << "two steps of decay";
}

TEST_F(CameraFrame, BothButtonsPushBackwardAndHeadingTurnsThePush)
{
    input.leftHeld = true;
    input.rightHeld = true;
    frame();
    EXPECT_GT(camera.m_position.z, 0.0f);

    Camera turned;
    turned.m_yaw = 90.0f;
    input.rightHeld = false;
    frameOf(turned);
    // Turned right by a quarter, forward is +x.
    EXPECT_GT(turned.m_position.x, 0.09f);
    EXPECT_NEAR(turned.m_position.z, 0.0f, 1e-3f);
}

TEST_F(CameraFrame, MouseTurnsSevenPixelsADegreeAndCursorReturnsHome)
{
    frame();
    EXPECT_EQ(camera.m_yaw, 0.0f);
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.warpCount, 0) << "a cursor already at home is not moved";

    camera.m_yaw = 20.0f;
    input.cursorX = 470;
    frame();
    EXPECT_FLOAT_EQ(camera.m_yaw, 30.0f);
    EXPECT_EQ(input.warpCount, 1);
    EXPECT_EQ(input.cursorX, 400);
    EXPECT_EQ(input.cursorY, 300);
    EXPECT_EQ(camera.m_cursor.x, 470);

    camera.m_pitch = 85.0f;
    input.cursorY = 370;
    frame();
    EXPECT_EQ(camera.m_pitch, 90.0f) << "moving down looks down, up to straight down";
    camera.m_pitch = -85.0f;
    input.cursorY = 230;
    frame();
    EXPECT_EQ(camera.m_pitch, -90.0f);
}

// A quick flick of the mouse across north turns as far at 15 frames a second, whose frames each
// turn a lot, as at 60: the wrap keeps the rest of a frame's turn. The turning keys alike.
TEST_F(CameraFrame, ATurnAcrossNorthIsKeptWholeAtEveryFrameRate)
{
    for (int rate : {60, 15})
    {
        Camera byMouse;
        byMouse.m_holdingCursor = true;
        byMouse.m_yaw = 33.1f;
        // 240 degrees to the left in a second: 1680 pixels.
        for (int i = 0; i < rate; ++i)
        {
            input.cursorX = 400 - 1680 / rate;
            byMouse.readInput(1.0 / rate);
        }
        EXPECT_NEAR(byMouse.m_yaw, 153.1f, 1e-3f) << rate << " frames a second";

        Camera byKeys;
        byKeys.m_holdingCursor = true;
        byKeys.m_yaw = 350.3f;
        byKeys.m_walkKeys.press(WalkKey::TurnRight);
        for (int i = 0; i < rate / 3; ++i)
        {
            byKeys.readInput(1.0 / rate);
        }
        EXPECT_NEAR(byKeys.m_yaw, 20.3f, 1e-3f) << rate << " frames a second";
    }

    // The heading stays within a turn, ending on 0 or a full turn exactly where the turn does.
    camera.m_yaw = 1.0f;
    input.cursorX = 393;
    frame();
    EXPECT_EQ(camera.m_yaw, 0.0f);
    camera.m_yaw = 359.0f;
    input.cursorX = 407;
    frame();
    EXPECT_EQ(camera.m_yaw, 360.0f);
    camera.turn(-725.5f, 0.0f);
    EXPECT_NEAR(camera.m_yaw, 354.5f, 1e-3f);
}

TEST_F(CameraFrame, WalkLimitStopsTheWholeStepWhenEitherAxisWouldReach1230)
{
    // A velocity that damps to exactly 5 in this step.
    const float push = 5.0f * 1.03f;
    ASSERT_EQ(push / 1.03f, 5.0f);

    camera.m_position.set(1224.9f, 0.0f, 0.0f);
    camera.m_velocity.set(push, 0.0f, 0.0f);
    camera.moveOneStep(terrain);
    EXPECT_FLOAT_EQ(camera.m_position.x, 1229.9f) << "1229 truncated is inside";

    camera.m_position.set(1225.0f, 0.0f, 100.0f);
    camera.m_velocity.set(push, 0.0f, push);
    camera.moveOneStep(terrain);
    EXPECT_EQ(camera.m_position.x, 1225.0f) << "1230.0 is outside";
    EXPECT_EQ(camera.m_position.z, 100.0f) << "neither axis moves";
    EXPECT_EQ(camera.m_velocity.x, 5.0f) << "the velocity stays and keeps decaying";

    camera.m_position.set(0.0f, 0.0f, -1225.5f);
    camera.m_velocity.set(push, 0.0f, -push);
    camera.moveOneStep(terrain);
    EXPECT_EQ(camera.m_position.x, 0.0f);
    EXPECT_EQ(camera.m_position.z, -1225.5f) << "-1230.5 is outside";
}

TEST_F(CameraFrame, EyeRidesThreeAboveTheQueryWhereTheStepBegan)
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
    camera.moveOneStep(terrain);
    EXPECT_FLOAT_EQ(camera.m_position.y, groundAtStart + 3.0f);
    EXPECT_GT(camera.m_position.x, 129.0f);
    EXPECT_LT(camera.m_position.y, terrain.groundHeight(camera.m_position.x, 40.0f) + 3.0f);

    camera.reset();
    EXPECT_EQ(camera.m_position.x, 0.0f);
    EXPECT_EQ(camera.m_position.y, 2.0f);
    EXPECT_EQ(camera.m_position.z, 0.0f);
    EXPECT_GT(camera.m_velocity.x, 0.0f) << "reset moves only the eye";
}

TEST_F(CameraFrame, FrustumLooksWhereTheCameraLooks)
{
    const float degrees = 3.14159265f / 180.0f;
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

    // After a frame the frustum culls by the camera's pose: ahead is visible, behind is not.
    camera.m_yaw = 90.0f;
    camera.m_pitch = 0.0f;
    frame();
    const Vector3 eye = camera.m_position;
    EXPECT_TRUE(frustum.isSphereVisible(eye + Vector3(100.0f, 0.0f, 0.0f), 5.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(eye + Vector3(-100.0f, 0.0f, 0.0f), 5.0f, 500.0f));
    EXPECT_FALSE(frustum.isSphereVisible(eye + Vector3(0.0f, 0.0f, -100.0f), 5.0f, 500.0f));
}

TEST_F(CameraFrame, WithoutTheFocusTheMouseNeitherTurnsNorWalksButTheEyeStillRides)
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

    frame();

    EXPECT_EQ(camera.m_yaw, 33.0f);
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.warpCount, 0) << "the pointer belongs to the focused window";
    EXPECT_EQ(input.cursorX, 523);
    EXPECT_FLOAT_EQ(camera.m_velocity.z, -2.0f / 1.03f) << "no push, the old motion only decays";
    EXPECT_FLOAT_EQ(camera.m_position.z, -2.0f - 2.0f / 1.03f);
    EXPECT_FLOAT_EQ(camera.m_position.y, terrain.groundHeight(0.0f, 0.0f) + 3.0f);
    EXPECT_FALSE(input.cursorHidden) << "the cursor is shown once the focus leaves";
    // Yaw 33 looks along (sin 33, 0, -cos 33).
    EXPECT_TRUE(
        frustum.isSphereVisible(camera.m_position + Vector3(54.0f, 0.0f, -84.0f), 5.0f, 500.0f))
        << "the frustum follows the eye";
    EXPECT_FALSE(
        frustum.isSphereVisible(camera.m_position + Vector3(-54.0f, 0.0f, 84.0f), 5.0f, 500.0f));
}

TEST_F(CameraFrame, RegainedFocusTakesTheCursorBackWithoutATurn)
{
    input.focused = false;
    frame();
    ASSERT_FALSE(input.cursorHidden);

    // The user clicks into the window far from its centre.
    input.focused = true;
    input.cursorX = 131;
    input.cursorY = 517;
    camera.m_yaw = 12.5f;
    frame();
    EXPECT_EQ(camera.m_yaw, 12.5f);
    EXPECT_EQ(camera.m_pitch, 0.0f);
    EXPECT_EQ(input.cursorX, 400);
    EXPECT_EQ(input.cursorY, 300);
    EXPECT_TRUE(input.cursorHidden);

    // From then on the mouse turns the view again.
    input.cursorX = 414;
    frame();
    EXPECT_FLOAT_EQ(camera.m_yaw, 14.5f);
}

TEST_F(CameraFrame, CursorIsHeldAtTheCentreOfTheWindowWhereverItStands)
{
    // An 800 x 600 window placed at (900, 400) on a 1920 x 1080 screen.
    input.centreX = 1300;
    input.centreY = 700;
    input.cursorX = 1370;
    input.cursorY = 686;
    camera.m_yaw = 100.0f;
    camera.m_pitch = 10.0f;
    frame();
    EXPECT_FLOAT_EQ(camera.m_yaw, 110.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 8.0f);
    EXPECT_EQ(input.cursorX, 1300);
    EXPECT_EQ(input.cursorY, 700);

    const int warps = input.warpCount;
    frame();
    EXPECT_EQ(input.warpCount, warps) << "at the centre nothing turns and nothing is warped";
    EXPECT_FLOAT_EQ(camera.m_yaw, 110.0f);
}

// Every reading is a round trip to the X server: a frame makes one, however much it learns.
TEST_F(CameraFrame, AFrameReadsThePointerOnce)
{
    input.cursorX = 455;
    input.leftHeld = true;
    frame();
    EXPECT_EQ(input.readCount, 1);
    EXPECT_EQ(input.warpCount, 1);
    EXPECT_GT(camera.m_yaw, 7.0f);
    EXPECT_LT(camera.m_position.z, 0.0f);
}

TEST_F(CameraFrame, FailedCursorReadTurnsNothingAndWarpsNothing)
{
    camera.m_yaw = 47.0f;
    camera.m_pitch = -3.0f;
    input.cursorX = 0; // what a failed read used to be taken for
    input.cursorY = 0;
    input.cursorReadFails = true;
    frame();
    EXPECT_EQ(camera.m_yaw, 47.0f);
    EXPECT_EQ(camera.m_pitch, -3.0f);
    EXPECT_EQ(input.warpCount, 0);
}

TEST_F(CameraFrame, WalkingKeysPushExactlyAsTheButtonsDo)
{
    Camera byButton;
    byButton.m_yaw = camera.m_yaw = 35.0f;
    byButton.m_holdingCursor = true;

    camera.m_walkKeys.press(WalkKey::Forward);
    input.leftHeld = true;
    frameOf(byButton);
    input.leftHeld = false;
    frame();
    EXPECT_EQ(camera.m_position.x, byButton.m_position.x);
    EXPECT_EQ(camera.m_position.z, byButton.m_position.z);
    EXPECT_LT(camera.m_position.z, 0.0f);

    // Backward wins over forward, whichever of key or button gives it.
    input.leftHeld = true;
    camera.m_walkKeys.press(WalkKey::Backward);
    for (int i = 0; i < 50; ++i)
    {
        frame();
    }
    EXPECT_GT(camera.m_position.z, 0.0f);

    camera.m_walkKeys.release(WalkKey::Backward);
    camera.m_walkKeys.release(WalkKey::Forward);
    input.leftHeld = false;
    frame();
    EXPECT_EQ(camera.m_acceleration.z, 0.0f);
    const float before = horizontalSpeed();
    frame();
    EXPECT_NEAR(horizontalSpeed(), before / (1.03f * 1.03f), 1e-4f) << "released keys push no more";
}

TEST_F(CameraFrame, KeysHeldWhenTheFocusLeavesAreForgotten)
{
    camera.m_walkKeys.press(WalkKey::Forward);
    camera.m_walkKeys.press(WalkKey::TurnLeft);
    frame();
    input.focused = false; // the releases now go to another window
    frame();
    input.focused = true;
    const float yaw = camera.m_yaw;
    const float speed = horizontalSpeed();
    frame();
    EXPECT_EQ(camera.m_yaw, yaw);
    EXPECT_NEAR(horizontalSpeed(), speed / (1.03f * 1.03f), 1e-5f)
        << "no push after the focus came back";
}

// A world tick moves the eye by two steps of motion, each pushed by what the frame read, and the
// eye is drawn between where the tick began and where it ended.
TEST_F(CameraFrame, ATickIsTwoStepsOfMotionDrawnBetweenItsEnds)
{
    Camera stepped = camera;
    camera.m_yaw = stepped.m_yaw = 31.0f;
    input.leftHeld = true;
    for (int tick = 0; tick < 7; ++tick)
    {
        const Vector3 before = camera.m_position;
        camera.readInput(1.0 / 60.0);
        camera.tick(terrain);
        for (int step = 0; step < 2; ++step)
        {
            stepped.push(true, false);
            stepped.moveOneStep(terrain);
        }
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

TEST_F(CameraFrame, TurningKeysTurnAQuarterTurnASecondAtAnyFrameRate)
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

TEST_F(CameraFrame, MouseSpeedSetsPixelsADegreeAndInvertingTurnsThePitchOver)
{
    camera.m_pixelsPerDegree = 5.0f;
    camera.m_invertMouse = true;
    input.cursorX = 400 + 37;
    input.cursorY = 300 - 23;
    camera.readInput(0.0);
    EXPECT_FLOAT_EQ(camera.m_yaw, 37.0f / 5.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 23.0f / 5.0f) << "the mouse moved up: the view looks down";
}
