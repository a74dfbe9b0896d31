// Game pads, through SDL's game-controller input and nothing else of SDL (GLUT keeps the window):
// pads plugged in or pulled out at any time, each read as the same standard layout of sticks and
// buttons, whatever its maker, by SDL's mappings and the user's own. The park reads the first pad
// connected; without one, a reading costs a few microseconds and says nothing.
#pragma once

#include <cstdint>
#include <string>

// The buttons of the standard layout, by their place on the pad (A the lowest of the four on the
// right, Y the highest).
enum class PadButton
{
    A,
    B,
    X,
    Y,
    Back,
    Guide,
    Start,
    LeftShoulder,
    RightShoulder,
    LeftStick,
    RightStick,
    DPadUp,
    DPadDown,
    DPadLeft,
    DPadRight,
};
const int kPadButtonCount = 15;

// The name a button goes by in the lists of the park's inputs: "A", "Start", "left shoulder".
const char* padButtonName(PadButton button);

// One reading of the pad in use.
struct PadState
{
    bool connected = false;
    // The sticks, each axis -1 ... 1: x to the right, y away from the player (up).
    float leftX = 0.0f;
    float leftY = 0.0f;
    float rightX = 0.0f;
    float rightY = 0.0f;
    bool buttons[kPadButtonCount] = {};

    bool isDown(PadButton button) const { return buttons[int(button)]; }
};

// A pad connected or removed since the reading before.
struct PadNews
{
    bool connected = false;
    char name[64] = {};
};
const int kMostPadNews = 4;
// Six looks a second at sixty frames a second: a pad plugged in shows within a sixth of a second.
const int kReadsBetweenLooks = 10;

class Gamepads
{
public:
    Gamepads() = default;
    ~Gamepads();
    Gamepads(const Gamepads&) = delete;
    Gamepads& operator=(const Gamepads&) = delete;

    // Starts SDL's game-controller input (no window, no signal handlers of SDL's own; SDL reads
    // the user's SDL_GAMECONTROLLERCONFIG itself). False, with the reason in one line, when SDL
    // cannot start: no pad is read then.
    bool start(std::string& reason);
    bool isStarted() const { return m_started; }
    // Adds the mappings of a file in the community database's format (a pad's GUID, name and
    // layout a line): how many it added, or -1 with the reason when the file cannot be read.
    int addMappings(const std::string& file, std::string& reason);
    // Once a displayed frame: the pads connected or removed since the last reading (at most
    // kMostPadNews, into `news`, their count returned in `newsCount`), then the state of the pad
    // in use: the first connected, or the next one when it goes. Without a pad in use, pads are
    // looked for at every kReadsBetweenLooks-th reading only (a frame without a pad then costs
    // next to nothing); with one, at every reading. Allocates nothing.
    PadState read(PadNews news[kMostPadNews], int& newsCount);
    // The name of the pad in use, or "" without one.
    const char* padName() const;
    void stop();

private:
    struct KnownPad
    {
        int32_t instance = -1;
        char name[64] = {};
    };

    void padAdded(int deviceIndex, PadNews news[kMostPadNews], int& newsCount);
    void padRemoved(int32_t instance, PadNews news[kMostPadNews], int& newsCount);
    // Opens the first pad connected, when none is in use.
    void openAPad();

    bool m_started = false;
    int m_readsWithoutPad = 0;
    void* m_pPad = nullptr; // the SDL_GameController in use
    int32_t m_padInstance = -1;
    // The pads connected now, so that one pulled out can be named.
    KnownPad m_known[8];
};
