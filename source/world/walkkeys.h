// The keys that walk and turn the viewer beside the mouse: w / Up forward, s / Down backward,
// a / Left and d / Right turning. GLUT reports presses and releases; the camera asks every step
// which keys are held.
#pragma once

enum class WalkKey
{
    Forward,
    Backward,
    TurnLeft,
    TurnRight,
};
const int kWalkKeyCount = 4;

class WalkKeys
{
public:
    void press(WalkKey key) { m_held[int(key)] = true; }
    void release(WalkKey key) { m_held[int(key)] = false; }
    // Forgets every held key. Once the focus has left the window, the releases go to another
    // window and would never arrive here.
    void releaseAll();
    bool isHeld(WalkKey key) const { return m_held[int(key)]; }

private:
    bool m_held[kWalkKeyCount] = {};
};

// The walk key of a character key: w, s, a or d in either case, so that a key pressed before
// Shift or Caps Lock is still released. False for every other character.
bool walkKeyOfCharacter(unsigned char character, WalkKey& key);
