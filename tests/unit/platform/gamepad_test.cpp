// Game pads read through SDL, driven by its virtual pads: plugged in and pulled out at any time,
// their sticks and buttons read as the standard layout has them.
#include "platform/gamepad.h"

#include "virtualpad.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace
{
struct Reading
{
    PadState state;
    PadNews news[kMostPadNews];
    int newsCount = 0;
};

// The readings of as many frames as it takes pads to be looked for once, the news of all of them
// together and the last state.
Reading read(Gamepads& pads)
{
    Reading reading;
    for (int i = 0; i < kReadsBetweenLooks; ++i)
    {
        PadNews news[kMostPadNews];
        int count = 0;
        reading.state = pads.read(news, count);
        for (int k = 0; k < count && reading.newsCount < kMostPadNews; ++k)
        {
            reading.news[reading.newsCount++] = news[k];
        }
    }
    return reading;
}
} // namespace

TEST(Gamepads, APadPluggedInAtAnyTimeIsReadAndOnePulledOutIsLetGo)
{
    Gamepads pads;
    std::string reason;
    ASSERT_TRUE(pads.start(reason)) << reason;
    Reading nothing = read(pads);
    EXPECT_FALSE(nothing.state.connected);
    EXPECT_EQ(nothing.newsCount, 0) << "without a pad nothing is said";

    VirtualPad first("Cretaceous Pad");
    ASSERT_TRUE(first.attached()) << SDL_GetError();
    first.setAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    first.setAxis(SDL_CONTROLLER_AXIS_LEFTY, -16384); // pushed away from the player: up
    first.setButton(SDL_CONTROLLER_BUTTON_Y, true);
    Reading plugged = read(pads);
    ASSERT_EQ(plugged.newsCount, 1);
    EXPECT_TRUE(plugged.news[0].connected);
    EXPECT_STREQ(plugged.news[0].name, "Cretaceous Pad");
    ASSERT_TRUE(plugged.state.connected);
    EXPECT_STREQ(pads.padName(), "Cretaceous Pad");
    EXPECT_FLOAT_EQ(plugged.state.rightX, 1.0f);
    EXPECT_NEAR(plugged.state.leftY, 0.5f, 1e-4f);
    EXPECT_TRUE(plugged.state.isDown(PadButton::Y));
    EXPECT_FALSE(plugged.state.isDown(PadButton::X));
    EXPECT_EQ(read(pads).newsCount, 0) << "said once";

    // A second pad waits until the first goes, then is the one read.
    VirtualPad second("Jurassic Pad");
    second.setButton(SDL_CONTROLLER_BUTTON_B, true);
    Reading another = read(pads);
    ASSERT_EQ(another.newsCount, 1);
    EXPECT_STREQ(another.news[0].name, "Jurassic Pad");
    EXPECT_TRUE(another.state.isDown(PadButton::Y)) << "still the first";
    first.pullOut();
    Reading pulled = read(pads);
    ASSERT_EQ(pulled.newsCount, 1);
    EXPECT_FALSE(pulled.news[0].connected);
    EXPECT_STREQ(pulled.news[0].name, "Cretaceous Pad");
    ASSERT_TRUE(pulled.state.connected);
    EXPECT_TRUE(pulled.state.isDown(PadButton::B));
    second.pullOut();
    Reading none = read(pads);
    ASSERT_EQ(none.newsCount, 1);
    EXPECT_FALSE(none.state.connected);
    EXPECT_STREQ(pads.padName(), "");
}

TEST(Gamepads, AMappingsFileThatIsNoneIsRefusedWithTheLibrarysReason)
{
    Gamepads pads;
    std::string reason;
    EXPECT_EQ(pads.addMappings("/nonexistent/gamecontrollerdb.txt", reason), 0)
        << "not started: nothing to add to";
    ASSERT_TRUE(pads.start(reason)) << reason;
    EXPECT_LT(pads.addMappings("/nonexistent/gamecontrollerdb.txt", reason), 0);
    EXPECT_FALSE(reason.empty());
}
