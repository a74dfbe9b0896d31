// The pad's layout, its dead zone and its buttons' presses.
#include "app/padlayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

StickReading applyDeadZone(float x, float y, float deadZone)
{
    StickReading reading;
    const float lean = std::hypot(x, y);
    if (!(lean > deadZone) || deadZone >= 1.0f)
    {
        return reading;
    }
    const float scaled = std::min((lean - deadZone) / (1.0f - deadZone), 1.0f);
    reading.x = x / lean * scaled;
    reading.y = y / lean * scaled;
    return reading;
}

bool formatPadInputs(KeyAction action, char* text, int capacity)
{
    int length = 0;
    text[0] = '\0';
    for (const PadBinding& binding : kPadLayout)
    {
        if (binding.action == action && length < capacity)
        {
            length += std::snprintf(text + length, size_t(capacity - length), "%s%s",
                                    length == 0 ? "pad " : ", ", padButtonName(binding.button));
        }
    }
    return length > 0;
}

int PadButtons::pressedActions(const PadState& pad, KeyAction actions[kPadBindingCount])
{
    int count = 0;
    for (const PadBinding& binding : kPadLayout)
    {
        const int button = int(binding.button);
        if (pad.buttons[button] && !m_wasDown[button])
        {
            actions[count++] = binding.action;
        }
    }
    std::copy(std::begin(pad.buttons), std::end(pad.buttons), std::begin(m_wasDown));
    return count;
}
