// The shell: globals in their construction order, the frame in its fixed order, and the keys.
#include "shell.h"

#include "random.h"
#include "screenshots.h"

#include <GL/glut.h>

#include <cstdlib>

// Static initialisation constructs these in this order; no constructor touches OpenGL.
Frustum g_frustum;
Vector3 g_treePositions[kTreeCount];
int g_fullScreen = 0;

namespace
{
const float kFieldOfView = 45.0f;
const float kNearDistance = 3.0f;
const float kFarDistance = 600.0f;

// +1 when the draw is even, -1 when odd.
float randomSign()
{
    return (nextRandom() % 2) == 0 ? 1.0f : -1.0f;
}
} // namespace

void setFixedGlState()
{
    const GLint fogMode[] = {GL_EXP, GL_EXP2, GL_LINEAR};
    const GLfloat fogColor[] = {0.0f, 0.2f, 1.0f, 1.0f};

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_COLOR_MATERIAL);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glFogi(GL_FOG_MODE, fogMode[2]);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.35f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 600.0f);
}

void setUpScene()
{
    createScreenshotDirectory();
}

void scatterTrees()
{
    for (Vector3& position : g_treePositions)
    {
        const int xMagnitude = nextRandom() % 500;
        position.x = float(xMagnitude) * randomSign();
        const int zMagnitude = nextRandom() % 500;
        position.z = float(zMagnitude) * randomSign();
    }
}

void reshape(int width, int height)
{
    if (height == 0)
    {
        height = 1;
    }
    const double aspect = double(width) / double(height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, aspect, kNearDistance, kFarDistance);
    g_frustum.setPerspective(kFieldOfView, float(aspect), kNearDistance, kFarDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();

    glFlush();
    glutSwapBuffers();
    glutPostRedisplay();
}

void regenerateScene()
{
    scatterTrees();
}

void keyboard(unsigned char key, int /*x*/, int /*y*/)
{
    switch (key)
    {
        case 27:
            std::exit(0);
        case 'f':
            if (g_fullScreen)
            {
                glutReshapeWindow(kWindowWidth, kWindowHeight);
                g_fullScreen = 0;
            }
            else
            {
                glutFullScreen();
                g_fullScreen = 1;
            }
            break;
        case 'p':
            takeScreenshot(kWindowWidth, kWindowHeight);
            break;
        case 'r':
            regenerateScene();
            break;
        default:
            break;
    }
}
