// The actions' facts, today's keys, the keys' names and the lookups of a pressed key.
#include "app/keytable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <utility>

namespace
{
const unsigned char kEscape = 27;
const unsigned char kSpace = 32;
const unsigned char kTab = 9;

// In the order of KeyAction.
const KeyActionFacts kActionFacts[] = {
    {"forward", "walk forward while held", MouseButton::Left, true},
    {"back", "walk backward while held", MouseButton::Right, true},
    {"left", "turn left while held", MouseButton::None, true},
    {"right", "turn right while held", MouseButton::None, true},
    {"fullscreen", "full screen on and off", MouseButton::None, false},
    {"screenshot", "save a screenshot, without the help panel", MouseButton::None, false},
    {"new-park", "make a new park", MouseButton::None, false},
    {"hold-time", "hold the time of day, and let it go on again", MouseButton::None, false},
    {"mute", "sound off and on", MouseButton::None, false},
    {"captions", "captions of the sounds on and off", MouseButton::None, false},
    {"help", "show and hide the help panel", MouseButton::None, false},
    {"pause", "pause the park, and let it go on again", MouseButton::None, false},
    {"quit", "quit", MouseButton::None, false},
};
static_assert(sizeof kActionFacts / sizeof kActionFacts[0] == kKeyActionCount,
              "every action has its facts");

// In the order of SpecialKey.
const char* const kSpecialKeyNames[] = {"",   "Up", "Down", "Left", "Right", "F1",
                                        "F2", "F3", "F4",   "F5",   "F6",    "F7",
                                        "F8", "F9", "F10",  "F11",  "F12"};
static_assert(sizeof kSpecialKeyNames / sizeof kSpecialKeyNames[0] == int(SpecialKey::F12) + 1,
              "every special key has its name");

KeyTable makeDefaultKeyTable()
{
    KeyTable table;
    table.bind(KeyAction::Forward, {Key::ofCharacter('w'), Key::ofSpecial(SpecialKey::Up)});
    table.bind(KeyAction::Back, {Key::ofCharacter('s'), Key::ofSpecial(SpecialKey::Down)});
    table.bind(KeyAction::TurnLeft, {Key::ofCharacter('a'), Key::ofSpecial(SpecialKey::Left)});
    table.bind(KeyAction::TurnRight, {Key::ofCharacter('d'), Key::ofSpecial(SpecialKey::Right)});
    table.bind(KeyAction::FullScreen, {Key::ofCharacter('f')});
    table.bind(KeyAction::Screenshot, {Key::ofCharacter('p')});
    table.bind(KeyAction::NewPark, {Key::ofCharacter('r')});
    table.bind(KeyAction::HoldTime, {Key::ofCharacter('t')});
    table.bind(KeyAction::Mute, {Key::ofCharacter('m')});
    table.bind(KeyAction::Captions, {Key::ofCharacter('c')});
    table.bind(KeyAction::Help, {Key::ofSpecial(SpecialKey::F1), Key::ofCharacter('h')});
    table.bind(KeyAction::Pause, {Key::ofCharacter(kSpace)});
    table.bind(KeyAction::Quit, {Key::ofCharacter(kEscape)});
    return table;
}

// The word for a character key that shows nothing, or null.
const char* namedCharacterWord(unsigned char character)
{
    switch (character)
    {
        case kEscape:
            return "Esc";
        case kSpace:
            return "Space";
        case kTab:
            return "Tab";
        default:
            return nullptr;
    }
}

// Appends ", part" (or part alone at the start) to text, cut to capacity.
void appendListItem(char* text, int capacity, const char* part)
{
    const size_t used = std::strlen(text);
    if (used + 1 >= size_t(capacity))
    {
        return;
    }
    std::snprintf(text + used, size_t(capacity) - used, "%s%s", used > 0 ? ", " : "", part);
}
} // namespace

Key Key::ofCharacter(unsigned char character)
{
    Key key;
    key.character = (unsigned char)std::tolower(character);
    return key;
}

Key Key::ofSpecial(SpecialKey special)
{
    Key key;
    key.special = special;
    return key;
}

bool operator==(Key a, Key b)
{
    return a.character == b.character && a.special == b.special;
}

KeyName keyName(Key key)
{
    KeyName name;
    const char* word = namedCharacterWord(key.character);
    if (key.special != SpecialKey::None)
    {
        std::snprintf(name.text, sizeof name.text, "%s", kSpecialKeyNames[int(key.special)]);
    }
    else if (word)
    {
        std::snprintf(name.text, sizeof name.text, "%s", word);
    }
    else if (std::isgraph(key.character))
    {
        name.text[0] = char(key.character);
    }
    else
    {
        // Never among the keys a user may name; a number still tells one from another.
        std::snprintf(name.text, sizeof name.text, "#%d", int(key.character));
    }
    return name;
}

const KeyActionFacts& keyActionFacts(KeyAction action)
{
    return kActionFacts[int(action)];
}

const char* mouseButtonName(MouseButton button)
{
    switch (button)
    {
        case MouseButton::Left:
            return "left button";
        case MouseButton::Right:
            return "right button";
        default:
            return "";
    }
}

void KeyTable::bind(KeyAction action, std::vector<Key> keys)
{
    // A letter built without ofCharacter could be in upper case and would then never be found.
    for (Key& key : keys)
    {
        key.character = (unsigned char)std::tolower(key.character);
    }
    m_keys[int(action)] = std::move(keys);
}

bool KeyTable::actionOfCharacter(unsigned char character, KeyAction& action) const
{
    return character != 0 && actionOfKey(Key::ofCharacter(character), action);
}

bool KeyTable::actionOfSpecialKey(SpecialKey special, KeyAction& action) const
{
    return special != SpecialKey::None && actionOfKey(Key::ofSpecial(special), action);
}

void KeyTable::unbindKey(Key key)
{
    for (std::vector<Key>& keys : m_keys)
    {
        keys.erase(std::remove(keys.begin(), keys.end(), key), keys.end());
    }
}

bool KeyTable::actionOfKey(Key key, KeyAction& action) const
{
    for (int index = 0; index < kKeyActionCount; ++index)
    {
        for (const Key& bound : m_keys[index])
        {
            if (bound == key)
            {
                action = KeyAction(index);
                return true;
            }
        }
    }
    return false;
}

bool keyOfName(const std::string& name, Key& key)
{
    if (name.size() == 1 && std::isalnum((unsigned char)name[0]))
    {
        key = Key::ofCharacter((unsigned char)name[0]);
        return true;
    }
    auto same = [&name](const char* word) { return strcasecmp(name.c_str(), word) == 0; };
    for (unsigned char character : {kEscape, kSpace, kTab})
    {
        if (same(namedCharacterWord(character)))
        {
            key = Key::ofCharacter(character);
            return true;
        }
    }
    for (int special = int(SpecialKey::Up); special <= int(SpecialKey::F12); ++special)
    {
        if (same(kSpecialKeyNames[special]))
        {
            key = Key::ofSpecial(SpecialKey(special));
            return true;
        }
    }
    return false;
}

const KeyTable& defaultKeyTable()
{
    static const KeyTable table = makeDefaultKeyTable();
    return table;
}

bool formatActionInputs(const KeyTable& keys, KeyAction action, char* text, int capacity)
{
    if (capacity <= 0)
    {
        return false;
    }
    text[0] = '\0';
    const MouseButton button = keyActionFacts(action).button;
    if (button != MouseButton::None)
    {
        appendListItem(text, capacity, mouseButtonName(button));
    }
    for (const Key& key : keys.keysOf(action))
    {
        appendListItem(text, capacity, keyName(key).text);
    }
    return button != MouseButton::None || !keys.keysOf(action).empty();
}

bool walkKeyOfAction(KeyAction action, WalkKey& walkKey)
{
    switch (action)
    {
        case KeyAction::Forward:
            walkKey = WalkKey::Forward;
            return true;
        case KeyAction::Back:
            walkKey = WalkKey::Backward;
            return true;
        case KeyAction::TurnLeft:
            walkKey = WalkKey::TurnLeft;
            return true;
        case KeyAction::TurnRight:
            walkKey = WalkKey::TurnRight;
            return true;
        default:
            return false;
    }
}
