// Which walking keys are held, as the key callbacks report them.
#include "world/walkkeys.h"

void WalkKeys::releaseAll()
{
    for (bool& held : m_held)
    {
        held = false;
    }
}
