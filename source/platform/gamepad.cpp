// Game pads through SDL's game-controller input: its events for pads coming and going, the pad in
// use read once a displayed frame.
#include "platform/gamepad.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
const SDL_GameControllerButton kSdlButtons[kPadButtonCount] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_DPAD_UP,
    SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
};

const char* const kButtonNames[kPadButtonCount] = {
    "A",
    "B",
    "X",
    "Y",
    "Back",
    "Guide",
    "Start",
    "left shoulder",
    "right shoulder",
    "left stick button",
    "right stick button",
    "pad up",
    "pad down",
    "pad left",
    "pad right",
};

SDL_GameController* asPad(void* pad)
{
    return static_cast<SDL_GameController*>(pad);
}

float axis(SDL_GameController* pad, SDL_GameControllerAxis which)
{
    return std::clamp(float(SDL_GameControllerGetAxis(pad, which)) / 32767.0f, -1.0f, 1.0f);
}

void addNews(PadNews news[kMostPadNews], int& newsCount, bool connected, const char* name)
{
    if (newsCount >= kMostPadNews)
    {
        return;
    }
    PadNews& item = news[newsCount++];
    item.connected = connected;
    std::snprintf(item.name, sizeof item.name, "%s", name && *name ? name : "a game pad");
}
} // namespace

const char* padButtonName(PadButton button)
{
    return kButtonNames[int(button)];
}

Gamepads::~Gamepads()
{
    stop();
}

bool Gamepads::start(std::string& reason)
{
    if (m_started)
    {
        return true;
    }
    // The park has no SDL window: pads are read whichever window has the focus, and GLUT keeps
    // the process's signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // The kernel's own drivers read every common pad; SDL's raw HID readers (for the extras of
    // some, which the park does not use) would look the USB devices over at every reading. A
    // user's SDL_JOYSTICK_HIDAPI still wins.
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
    {
        reason = std::string("game pads cannot be read (") + SDL_GetError() + ")";
        return false;
    }
    // Only pads coming and going are news; the sticks and buttons are read as they stand, so
    // that their events need not be queued and thrown away every frame.
    for (Uint32 type : {SDL_JOYAXISMOTION, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_JOYBUTTONDOWN,
                        SDL_JOYBUTTONUP, SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONDOWN,
                        SDL_CONTROLLERBUTTONUP, SDL_CONTROLLERTOUCHPADDOWN,
                        SDL_CONTROLLERTOUCHPADMOTION, SDL_CONTROLLERTOUCHPADUP,
                        SDL_CONTROLLERSENSORUPDATE})
    {
        SDL_EventState(type, SDL_IGNORE);
    }
    m_started = true;
    return true;
}

int Gamepads::addMappings(const std::string& file, std::string& reason)
{
    const int added = m_started ? SDL_GameControllerAddMappingsFromFile(file.c_str()) : 0;
    if (added < 0)
    {
        reason = SDL_GetError();
    }
    return added;
}

void Gamepads::stop()
{
    if (!m_started)
    {
        return;
    }
    if (m_pPad)
    {
        SDL_GameControllerClose(asPad(m_pPad));
        m_pPad = nullptr;
        m_padInstance = -1;
    }
    for (KnownPad& known : m_known)
    {
        known = KnownPad();
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    // SDL opens a session bus connection of its own at start; only SDL_Quit gives it back.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
    {
        SDL_Quit();
    }
    m_started = false;
}

void Gamepads::padAdded(int deviceIndex, PadNews news[kMostPadNews], int& newsCount)
{
    const int32_t instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    const char* name = SDL_GameControllerNameForIndex(deviceIndex);
    for (KnownPad& known : m_known)
    {
        if (known.instance == instance)
        {
            return; // told already
        }
    }
    for (KnownPad& known : m_known)
    {
        if (known.instance < 0)
        {
            known.instance = instance;
            std::snprintf(known.name, sizeof known.name, "%s", name ? name : "");
            break;
        }
    }
    addNews(news, newsCount, true, name);
    openAPad();
}

void Gamepads::padRemoved(int32_t instance, PadNews news[kMostPadNews], int& newsCount)
{
    for (KnownPad& known : m_known)
    {
        if (known.instance == instance)
        {
            addNews(news, newsCount, false, known.name);
            known = KnownPad();
        }
    }
    if (instance == m_padInstance)
    {
        SDL_GameControllerClose(asPad(m_pPad));
        m_pPad = nullptr;
        m_padInstance = -1;
        openAPad();
    }
}

void Gamepads::openAPad()
{
    for (int index = 0; !m_pPad && index < SDL_NumJoysticks(); ++index)
    {
        if (SDL_IsGameController(index))
        {
            m_pPad = SDL_GameControllerOpen(index);
            m_padInstance = m_pPad ? SDL_JoystickGetDeviceInstanceID(index) : -1;
        }
    }
}

PadState Gamepads::read(PadNews news[kMostPadNews], int& newsCount)
{
    newsCount = 0;
    PadState state;
    if (!m_started)
    {
        return state;
    }
    if (!m_pPad && m_readsWithoutPad++ % kReadsBetweenLooks != 0)
    {
        return state;
    }
    // One update of the pads a reading, and of nothing else of SDL's; its news are taken from
    // the queue without pumping again, as a poll would for every event it takes.
    SDL_GameControllerUpdate();
    SDL_Event events[kMostPadNews];
    int count = 0;
    while ((count = SDL_PeepEvents(events, kMostPadNews, SDL_GETEVENT, SDL_CONTROLLERDEVICEADDED,
                                   SDL_CONTROLLERDEVICEREMOVED)) > 0)
    {
        for (int i = 0; i < count; ++i)
        {
            if (events[i].type == SDL_CONTROLLERDEVICEADDED)
            {
                padAdded(events[i].cdevice.which, news, newsCount);
            }
            else
            {
                padRemoved(events[i].cdevice.which, news, newsCount);
            }
        }
    }
    // The joysticks' own comings and goings, which the pads' events above repeat.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_GameController* pad = asPad(m_pPad);
    if (!pad)
    {
        return state;
    }
    m_readsWithoutPad = 0;
    state.connected = true;
    state.leftX = axis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    state.leftY = -axis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    state.rightX = axis(pad, SDL_CONTROLLER_AXIS_RIGHTX);
    state.rightY = -axis(pad, SDL_CONTROLLER_AXIS_RIGHTY);
    for (int i = 0; i < kPadButtonCount; ++i)
    {
        state.buttons[i] = SDL_GameControllerGetButton(pad, kSdlButtons[i]) != 0;
    }
    return state;
}

const char* Gamepads::padName() const
{
    const char* name = m_pPad ? SDL_GameControllerName(asPad(m_pPad)) : nullptr;
    return name ? name : "";
}
