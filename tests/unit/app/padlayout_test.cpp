// The pad's dead zone, its buttons' presses and its rows in the lists.
#include "app/padlayout.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(PadLayout, TheDeadZoneIsRoundAndTheLeanRisesFromItsEdgeToFullTilt)
{
    // At rest anywhere within the circle, the corners of its square included.
    for (float angle : {0.0f, 0.7f, 2.1f, 4.0f})
    {
        const StickReading inside = applyDeadZone(0.149f * std::cos(angle), 0.149f * std::sin(angle),
                                                  0.15f);
        EXPECT_EQ(inside.x, 0.0f);
        EXPECT_EQ(inside.y, 0.0f);
    }
    // 0.12 on each axis is 0.17 from the centre: past a round zone, though inside a square one.
    const StickReading diagonal = applyDeadZone(0.12f, 0.12f, 0.15f);
    EXPECT_GT(diagonal.x, 0.0f);
    EXPECT_FLOAT_EQ(diagonal.x, diagonal.y) << "the direction is kept";

    // Halfway from the edge to full tilt leans half, in the stick's own direction.
    const float lean = 0.15f + 0.85f * 0.5f;
    const StickReading half = applyDeadZone(-lean * 0.6f, lean * 0.8f, 0.15f);
    EXPECT_NEAR(std::hypot(half.x, half.y), 0.5f, 1e-6f);
    EXPECT_NEAR(half.x / half.y, -0.75f, 1e-6f);
    // Full tilt is 1, and a reading past it (a square stick's corner) no more.
    EXPECT_NEAR(applyDeadZone(0.0f, -1.0f, 0.15f).y, -1.0f, 1e-6f);
    const StickReading corner = applyDeadZone(1.0f, 1.0f, 0.15f);
    EXPECT_NEAR(std::hypot(corner.x, corner.y), 1.0f, 1e-6f);
}

TEST(PadLayout, AButtonActsOnceWhenItGoesDownAndAGonePadLetsGo)
{
    PadButtons buttons;
    KeyAction actions[kPadBindingCount];
    PadState pad;
    pad.connected = true;
    pad.buttons[int(PadButton::Y)] = true;
    pad.buttons[int(PadButton::A)] = true;
    ASSERT_EQ(buttons.pressedActions(pad, actions), 2);
    EXPECT_EQ(actions[0], KeyAction::Screenshot) << "in the layout's order";
    EXPECT_EQ(actions[1], KeyAction::Pause);
    EXPECT_EQ(buttons.pressedActions(pad, actions), 0) << "held, it does not act again";

    pad.buttons[int(PadButton::Y)] = false;
    pad.buttons[int(PadButton::Start)] = true;
    pad.buttons[int(PadButton::LeftStick)] = true; // no action of its own
    ASSERT_EQ(buttons.pressedActions(pad, actions), 1);
    EXPECT_EQ(actions[0], KeyAction::Help);

    EXPECT_EQ(buttons.pressedActions(PadState(), actions), 0) << "the pad pulled out";
    ASSERT_EQ(buttons.pressedActions(pad, actions), 2) << "plugged in again, held buttons act";
}

TEST(PadLayout, TheListsNameEveryButtonOfAnAction)
{
    char text[64];
    ASSERT_TRUE(formatPadInputs(KeyAction::Help, text, sizeof text));
    EXPECT_STREQ(text, "pad Start, Guide");
    ASSERT_TRUE(formatPadInputs(KeyAction::Pause, text, sizeof text));
    EXPECT_STREQ(text, "pad A");
    EXPECT_FALSE(formatPadInputs(KeyAction::Quit, text, sizeof text)) << "no button quits";
    EXPECT_STREQ(text, "");
}
