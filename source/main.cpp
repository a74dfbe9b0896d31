// Quillmere: a first-person walk through a generated prehistoric park. Opens the window, builds
// the scene once and hands the thread to GLUT for good.
#include "framepacing.h"
#include "platform.h"
#include "shell.h"

#include <GL/glut.h>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutCreateWindow("Quillmere");

    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);

    // Where the driver can wait for the screen's retrace, frames are not drawn only to be thrown
    // away; the pacer holds the rate on screens faster than its target.
    if (targetFramesPerSecond() > 0)
    {
        requestSwapInterval(1);
    }
    setFixedGlState();
    setUpScene();
    scatterTrees();
    glutMainLoop();
    return 0;
}
