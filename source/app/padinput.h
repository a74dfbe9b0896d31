// The game pad as the park's input: started with the user's mappings, and read once a displayed
// frame into the camera's sticks, the actions of the buttons just pressed, and the news of pads
// coming and going.
#pragma once

#include "app/padlayout.h"
#include "platform/gamepad.h"

#include <string>

class Camera;

// What one reading brought besides the sticks.
struct PadReading
{
    KeyAction actions[kPadBindingCount] = {};
    int actionCount = 0;
    PadNews news[kMostPadNews];
    int newsCount = 0;
};

class PadInput
{
public:
    // Reads pads from now on, with the mappings of `mappingsFile` when it is a file; a problem is
    // said in one line and the park goes on (without pads when SDL cannot read them).
    void start(const std::string& mappingsFile);
    // Once a displayed frame: the sticks, past the dead zone, into the camera; the buttons
    // pressed since the last reading and the pads' news into `reading`. Nothing before start.
    void read(Camera& camera, PadReading& reading);
    // Lets the pads go; the park leaves by exit(), which runs no destructor of the shell's.
    void stop() { m_gamepads.stop(); }
    // The pad in use; "" without one.
    const char* padName() const { return m_gamepads.padName(); }

private:
    Gamepads m_gamepads;
    PadButtons m_buttons;
};
