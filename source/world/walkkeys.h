// The keys that walk and turn the viewer beside the mouse, whichever keys the user gave them:
// the shell reports their presses and releases, and the camera asks every frame and tick which
// are held.
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
