// What the game pad does in the park: the right stick looks, the left stick walks forward and
// back, and its buttons do the key table's actions (the layout below, the one place it is
// written); the radial dead zone every stick reading passes through; and which buttons went down
// since the frame before, so that a held button acts once.
#pragma once

#include "app/keytable.h"
#include "platform/gamepad.h"

struct PadBinding
{
    PadButton button;
    KeyAction action;
};
// Start or Guide the help panel, Y a screenshot, X a new park, B holds the time of day, Back
// mutes, A pauses the park.
const PadBinding kPadLayout[] = {
    {PadButton::Start, KeyAction::Help},        {PadButton::Guide, KeyAction::Help},
    {PadButton::Y, KeyAction::Screenshot},      {PadButton::X, KeyAction::NewPark},
    {PadButton::B, KeyAction::HoldTime},        {PadButton::Back, KeyAction::Mute},
    {PadButton::A, KeyAction::Pause},
};
const int kPadBindingCount = int(sizeof kPadLayout / sizeof kPadLayout[0]);

// How far a stick may lean and still count as at rest, as a share of full tilt.
const float kDefaultPadDeadZone = 0.15f;
// Degrees a second the view turns with the right stick at full tilt.
const float kDefaultPadLookSpeed = 120.0f;

// A stick's reading after the dead zone: each axis -1 ... 1.
struct StickReading
{
    float x = 0.0f;
    float y = 0.0f;
};
// Radial: at rest within `deadZone` of the centre whatever the direction; beyond, the lean rises
// from 0 at the zone's edge to 1 at full tilt, in the stick's own direction.
StickReading applyDeadZone(float x, float y, float deadZone);

// The inputs of the pad that do `action`, for the lists ("pad Y", "pad Start, Guide"); false with
// an empty text when no button does it.
bool formatPadInputs(KeyAction action, char* text, int capacity);

// The buttons' news, frame by frame.
class PadButtons
{
public:
    // The actions of the buttons that went down since the last reading, in the layout's order;
    // their count. A pad that is gone lets go of every button.
    int pressedActions(const PadState& pad, KeyAction actions[kPadBindingCount]);

private:
    bool m_wasDown[kPadButtonCount] = {};
};
