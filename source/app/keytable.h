// Which keys do what: the park's actions, what each is called and does, the mouse button that
// does it too, and the keys bound to it. One table answers the shell's key callbacks and writes
// every list of the keys the user reads (the help panel, --help; the README and the manual page
// are held to it by a test), so a key changes in one place. The bindings are data: today's keys
// are the defaults, and a table of the user's own can take their place. Nothing here knows GLUT:
// the shell turns its key codes into Key values.
#pragma once

#include "world/walkkeys.h"

#include <cstdint>
#include <string>
#include <vector>

// Held actions last while a key is down; the others happen once when it is pressed.
enum class KeyAction
{
    Forward,
    Back,
    TurnLeft,
    TurnRight,
    FullScreen,
    Screenshot,
    NewPark,
    HoldTime,
    Mute,
    Captions,
    Help,
    Pause,
    Quit,
};
const int kKeyActionCount = 13;

enum class MouseButton
{
    None,
    Left,
    Right,
};

// The keys that send no character.
enum class SpecialKey : uint8_t
{
    None,
    Up,
    Down,
    Left,
    Right,
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
};

// A key as the table knows it: a character (Esc, Space and Tab are 27, 32 and 9) or a special
// key. Letters are kept in lower case.
struct Key
{
    unsigned char character = 0; // 0 for a special key
    SpecialKey special = SpecialKey::None;

    // The key of a character; a letter in either case gives the same key.
    static Key ofCharacter(unsigned char character);
    static Key ofSpecial(SpecialKey special);
};

bool operator==(Key a, Key b);

// A key's name as the lists show it: "w", "7", "Up", "F1", "Esc", "Space", "Tab".
struct KeyName
{
    char text[8] = {};
};
KeyName keyName(Key key);

// What never changes about an action, whatever keys it has.
struct KeyActionFacts
{
    const char* settingsName; // "forward", "new-park": the setting is "key-" and this
    const char* description;  // one short text for every list of the keys
    MouseButton button;       // the mouse button that does it too
    bool held;                // lasts while held rather than happening once
};
const KeyActionFacts& keyActionFacts(KeyAction action);

// The walking key a held action presses: walking forward or back, turning left or right. False
// for every action that happens once.
bool walkKeyOfAction(KeyAction action, WalkKey& walkKey);

// "left button", "right button"; "" for none.
const char* mouseButtonName(MouseButton button);

// The row every list of the keys starts with: moving the mouse is no key and cannot be rebound.
const char kMouseInputName[] = "mouse";
const char kMouseDescription[] = "turn the view";

// The keys bound to each action. One key may do one action; the first binding of a key wins.
class KeyTable
{
public:
    // The keys that do action, in the order the lists name them.
    const std::vector<Key>& keysOf(KeyAction action) const { return m_keys[int(action)]; }
    // Replaces the keys of action; an empty list leaves it to its mouse button, if any.
    void bind(KeyAction action, std::vector<Key> keys);

    // The action of a pressed character, a letter in either case: a key pressed before Shift or
    // Caps Lock must still be released. False when no action has it.
    bool actionOfCharacter(unsigned char character, KeyAction& action) const;
    // The action of a special key; false when no action has it.
    bool actionOfSpecialKey(SpecialKey special, KeyAction& action) const;
    // The action bound to `key`; false when none is.
    bool actionOfKey(Key key, KeyAction& action) const;
    // Takes `key` from whichever action has it.
    void unbindKey(Key key);

private:
    std::vector<Key> m_keys[kKeyActionCount];
};

// Today's keys: w / Up forward, s / Down back, a / Left and d / Right turning, f full screen,
// p screenshot, r new park, t hold the time, m mute, c captions, F1 / h help, Space pause, Esc
// quit.
const KeyTable& defaultKeyTable();

// The key a user names in a settings line: a letter (either case) or a digit, Up, Down, Left,
// Right, F1 ... F12, Space, Tab or Esc (the names in either case). False for anything else.
bool keyOfName(const std::string& name, Key& key);

// The first cell of an action's row in the lists: its mouse button, then its keys
// ("left button, w, Up"), cut to capacity. False, with an empty text, when nothing does the
// action, which is then left out of the lists.
bool formatActionInputs(const KeyTable& keys, KeyAction action, char* text, int capacity);
