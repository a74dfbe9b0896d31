// Which walking keys are held, as the key callbacks report them.
#include "world/walkkeys.h"

void WalkKeys::releaseAll()
{
    for (bool& held : m_held)
    {
        held = false;
    }
}

bool walkKeyOfCharacter(unsigned char character, WalkKey& key)
{
    switch (character)
    {
        case 'w':
        case 'W':
            key = WalkKey::Forward;
            return true;
        case 's':
        case 'S':
            key = WalkKey::Backward;
            return true;
        case 'a':
        case 'A':
            key = WalkKey::TurnLeft;
            return true;
        case 'd':
        case 'D':
            key = WalkKey::TurnRight;
            return true;
        default:
            return false;
    }
}
