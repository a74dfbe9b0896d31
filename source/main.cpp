// Quillmere: a first-person walk through a generated prehistoric park. Opens the window, builds
// the scene once and hands the thread to GLUT for good.
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

    setFixedGlState();
    setUpScene();
    scatterTrees();
    glutMainLoop();
    return 0;
}
