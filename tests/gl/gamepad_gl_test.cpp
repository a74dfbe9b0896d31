// The game pad in the running park: a stick held for two seconds turns and walks alike at any
// frame rate, and pads plugged in and pulled out mid-run are said and let go.
#include "fakeplatform.h"
#include "glsupport.h"
#include "runningpark.h"
#include "scratchdirectory.h"
#include "virtualpad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace
{
const unsigned kSeed = 27183u;

class PadInThePark : public testing::Test
{
protected:
    void SetUp() override
    {
        m_directory.copyFromPark({"data", "textures", "terrainTexs"});
        m_running.build(kSeed);
        m_running.shell.reshape(160, 120); // the world, not the drawing, is under test
        m_running.shell.startGamepads("");
    }

    // Frames at `rate` a second on the test clock for `seconds`, after a first frame that
    // starts the world's clock.
    void displayFor(int rate, double seconds)
    {
        const int64_t start = m_clock.counter;
        m_running.shell.display();
        const int64_t frames = int64_t(std::lround(seconds * rate));
        for (int64_t frame = 1; frame <= frames; ++frame)
        {
            m_clock.counter = start + frame * FakeClock::kFrequency / rate;
            m_running.shell.display();
        }
    }

    ScratchDirectory m_directory{"quillmere-pad"};
    FakeInput m_input;
    FakeClock m_clock;
    RunningPark m_running;
    Park& m_park = m_running.park;
};
} // namespace

TEST_F(PadInThePark, AStickHeldForTwoSecondsTurnsAndWalksAlikeAtEveryFrameRate)
{
    float firstYaw = 0.0f;
    Vector3 firstPosition;
    for (int rate : {60, 24, 144})
    {
        m_park.camera() = Camera();
        m_park.build(kSeed);
        m_park.restartClock();
        m_park.camera().m_yaw = 10.0f;
        VirtualPad pad("Test pad");
        ASSERT_TRUE(pad.attached());
        pad.setAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767); // full tilt right: 120 degrees a second
        pad.setAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768); // full tilt forward
        displayFor(rate, 2.0);
        const Camera& camera = m_park.camera();
        std::printf("%3d frames a second: yaw %.4f, eye at (%.3f, %.3f), %lld ticks\n", rate,
                    double(camera.m_yaw), double(camera.m_position.x), double(camera.m_position.z),
                    (long long)m_park.ticksRun());
        EXPECT_EQ(m_park.ticksRun(), 120) << rate;
        EXPECT_NEAR(camera.m_yaw, 250.0f, 1e-3f) << rate << ": two seconds at 120 a second";
        if (rate == 60)
        {
            firstYaw = camera.m_yaw;
            firstPosition = camera.m_position;
            EXPECT_GT(std::hypot(camera.m_position.x, camera.m_position.z), 50.0f) << "it walked";
            continue;
        }
        // Each tick walks along the heading of its own moment: the same path at any rate.
        EXPECT_NEAR(camera.m_yaw, firstYaw, 1e-3f) << rate;
        EXPECT_NEAR(camera.m_position.x, firstPosition.x, 0.01f) << rate;
        EXPECT_NEAR(camera.m_position.z, firstPosition.z, 0.01f) << rate;
    }
}

TEST_F(PadInThePark, PadsPluggedInAndPulledOutMidRunAreSaidAndTheirButtonsAct)
{
    testing::internal::CaptureStderr();
    displayFor(60, 0.5);
    EXPECT_STREQ(m_running.shell.newsText(), "") << "no pad: nothing said";
    {
        VirtualPad pad("Cretaceous Pad");
        displayFor(60, 0.2); // pads are looked for six times a second
        EXPECT_STREQ(m_running.shell.newsText(), "gamepad: Cretaceous Pad connected");
        EXPECT_STREQ(m_running.shell.gamepadName(), "Cretaceous Pad");

        pad.setButton(SDL_CONTROLLER_BUTTON_A, true);
        displayFor(60, 0.2);
        EXPECT_TRUE(m_park.isPaused()) << "A pauses, once however long it is held";
        pad.setButton(SDL_CONTROLLER_BUTTON_A, false);
        pad.setButton(SDL_CONTROLLER_BUTTON_START, true);
        displayFor(60, 0.1);
        EXPECT_TRUE(m_running.shell.isHelpPanelShown());
        EXPECT_TRUE(m_park.isPaused());
    }
    displayFor(60, 0.1); // the pad in use is read every frame
    EXPECT_STREQ(m_running.shell.newsText(), "gamepad: Cretaceous Pad removed");
    EXPECT_STREQ(m_running.shell.gamepadName(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing on stderr";
}
