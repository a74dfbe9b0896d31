// The park, its sound and its shell put together as main puts them, for tests that run the
// program's own frame: a test drives the shell's display() and keys, or the park's ticks, and
// reads the parts. The sound is never started: the frame then makes no sound call.
#pragma once

#include "app/park.h"
#include "app/shell.h"
#include "app/soundscape.h"

struct RunningPark
{
    Park park;
    Soundscape sound;
    Shell shell{park, sound};

    // The park of `seed` in an 800 x 600 view, its frames unpaced (the test's clock sets the
    // pace). Needs the GL context and the park's data in the working directory.
    void build(unsigned seed)
    {
        shell.setFramesPerSecond(0);
        park.startSeedsAt(seed);
        park.regenerate();
        shell.reshape(800, 600);
    }

    // Full screen, the shell told the window's new size and one frame drawn at it (the
    // renderer takes a new size at a swap).
    void goFullScreen();
};
