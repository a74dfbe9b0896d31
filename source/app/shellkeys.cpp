// The shell's keys and pad: GLUT's key codes and the pad's buttons turned into the key table's
// actions, and what each action does.
#include "app/shell.h"

#include "app/park.h"
#include "app/soundscape.h"

#include <GL/glut.h>

#include <string>

namespace
{
SpecialKey specialKeyOfGlut(int key)
{
    switch (key)
    {
        case GLUT_KEY_UP:
            return SpecialKey::Up;
        case GLUT_KEY_DOWN:
            return SpecialKey::Down;
        case GLUT_KEY_LEFT:
            return SpecialKey::Left;
        case GLUT_KEY_RIGHT:
            return SpecialKey::Right;
        default:
            // GLUT numbers F1 ... F12 from 1 in order, as the table does from F1.
            if (key >= GLUT_KEY_F1 && key <= GLUT_KEY_F12)
            {
                return SpecialKey(int(SpecialKey::F1) + key - GLUT_KEY_F1);
            }
            return SpecialKey::None;
    }
}
} // namespace

void Shell::readGamepad()
{
    PadReading reading;
    m_pad.read(m_park.camera(), reading);
    for (int i = 0; i < reading.newsCount; ++i)
    {
        const PadNews& news = reading.news[i];
        announce("gamepad: %s %s", news.name, news.connected ? "connected" : "removed");
    }
    // Its buttons, like the keys, act only while the window has the focus.
    for (int i = 0; i < reading.actionCount && m_park.camera().m_holdingCursor; ++i)
    {
        perform(reading.actions[i]);
    }
}

void Shell::toggleTimeOfDay()
{
    m_park.holdDay(!m_park.isDayHeld());
    char clock[8];
    formatClockTime(m_park.clockHours(), clock, sizeof clock);
    if (m_park.isDayHeld())
    {
        announce("time of day held at %s%s", clock,
                 keyHint(KeyAction::HoldTime, "lets it go on").c_str());
    }
    else
    {
        announce("the day goes on from %s", clock);
    }
}

void Shell::togglePause()
{
    const bool paused = !m_park.isPaused();
    m_park.pause(paused);
    m_sound.setPaused(paused);
    if (paused)
    {
        announce("the park is paused%s", keyHint(KeyAction::Pause, "lets it go on").c_str());
    }
    else
    {
        announce("the park goes on");
    }
}

void Shell::toggleCaptions()
{
    setCaptions(!m_captionsShown);
    announce("captions %s", m_captionsShown ? "on" : "off");
}

std::string Shell::keyHint(KeyAction action, const char* words) const
{
    const std::vector<Key>& keys = m_keys.keysOf(action);
    return keys.empty() ? std::string()
                        : std::string(" (") + keyName(keys.front()).text + " " + words + ")";
}

void Shell::toggleMute()
{
    m_sound.toggleMute();
    announce("sound: %s", m_sound.state());
}

void Shell::perform(KeyAction action)
{
    switch (action)
    {
        case KeyAction::Quit:
            leave(0);
        case KeyAction::FullScreen:
            setFullScreen(!m_fullScreen);
            break;
        case KeyAction::Screenshot:
            requestScreenshot();
            break;
        case KeyAction::NewPark:
            makePark();
            announce("park %u \xe2\x80\x94 quillmere --seed %u makes it again", m_park.seed(),
                     m_park.seed());
            break;
        case KeyAction::HoldTime:
            toggleTimeOfDay();
            break;
        case KeyAction::Help:
            toggleHelpPanel();
            break;
        case KeyAction::Mute:
            toggleMute();
            break;
        case KeyAction::Pause:
            togglePause();
            break;
        case KeyAction::Captions:
            toggleCaptions();
            break;
        default:
            break;
    }
}

void Shell::keyDown(KeyAction action)
{
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfAction(action, walkKey))
    {
        m_park.camera().m_walkKeys.press(walkKey);
    }
    else
    {
        perform(action);
    }
}

void Shell::keyUp(KeyAction action)
{
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfAction(action, walkKey))
    {
        m_park.camera().m_walkKeys.release(walkKey);
    }
}

void Shell::keyboard(unsigned char key)
{
    KeyAction action = KeyAction::Quit;
    // Held keys in either case, so that Shift or Caps Lock pressed meanwhile does not leave one
    // held for good; what happens once happens for the key as bound, not for its capital.
    const bool capital = key >= 'A' && key <= 'Z';
    if (m_keys.actionOfCharacter(key, action) && (!capital || keyActionFacts(action).held))
    {
        keyDown(action);
    }
}

void Shell::keyboardUp(unsigned char key)
{
    KeyAction action = KeyAction::Quit;
    if (m_keys.actionOfCharacter(key, action))
    {
        keyUp(action);
    }
}

void Shell::specialKey(int key)
{
    KeyAction action = KeyAction::Quit;
    if (m_keys.actionOfSpecialKey(specialKeyOfGlut(key), action))
    {
        keyDown(action);
    }
}

void Shell::specialKeyUp(int key)
{
    KeyAction action = KeyAction::Quit;
    if (m_keys.actionOfSpecialKey(specialKeyOfGlut(key), action))
    {
        keyUp(action);
    }
}
