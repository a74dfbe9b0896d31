// Entry of the GL tests: one hidden-from-nobody 800 x 600 GLUT window under the test's private
// Xvfb, its context current for every test.
#include "glsupport.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    // Wholly on the screen: what the X server shows of it can then be read back.
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Quillmere tests");
    return RUN_ALL_TESTS();
}
