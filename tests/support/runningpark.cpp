// The running park's window taken to full screen, as GLUT does it: from its loop.
#include "runningpark.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

namespace
{
void doNothing() {}
} // namespace

void RunningPark::goFullScreen()
{
    shell.setFullScreen(true);
    shell.registerCallbacks();
    glutDisplayFunc(doNothing);
    for (int i = 0; i < 5; ++i)
    {
        glutMainLoopEvent();
        XSync(glXGetCurrentDisplay(), False);
    }
    // The renderer takes the window's new size at a swap.
    shell.display();
}
