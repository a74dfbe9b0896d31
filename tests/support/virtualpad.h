// A game pad that is not there: SDL's virtual joystick of the standard layout, attached while the
// object lives, its sticks and buttons set by the test. Needs SDL's game-controller input started
// (Gamepads::start).
#pragma once

#include <SDL2/SDL.h>

class VirtualPad
{
public:
    explicit VirtualPad(const char* name)
    {
        SDL_VirtualJoystickDesc description;
        SDL_zero(description);
        description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        description.naxes = SDL_CONTROLLER_AXIS_MAX;
        description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        description.name = name;
        m_index = SDL_JoystickAttachVirtualEx(&description);
        m_joystick = m_index >= 0 ? SDL_JoystickOpen(m_index) : nullptr;
    }
    ~VirtualPad() { pullOut(); }

    bool attached() const { return m_joystick != nullptr; }
    void pullOut()
    {
        if (m_joystick)
        {
            const SDL_JoystickID instance = SDL_JoystickInstanceID(m_joystick);
            SDL_JoystickClose(m_joystick);
            m_joystick = nullptr;
            for (int index = 0; index < SDL_NumJoysticks(); ++index)
            {
                if (SDL_JoystickGetDeviceInstanceID(index) == instance)
                {
                    SDL_JoystickDetachVirtual(index);
                }
            }
        }
    }
    void setAxis(SDL_GameControllerAxis axis, Sint16 value)
    {
        SDL_JoystickSetVirtualAxis(m_joystick, axis, value);
    }
    void setButton(SDL_GameControllerButton button, bool down)
    {
        SDL_JoystickSetVirtualButton(m_joystick, button, down ? 1 : 0);
    }

private:
    int m_index = -1;
    SDL_Joystick* m_joystick = nullptr;
};
