// The shell: globals in their construction order, the frame in its fixed order, and the keys.
#include "app/shell.h"

#include "app/helppanel.h"
#include "app/overlay.h"
#include "app/screenshots.h"
#include "app/soundscape.h"
#include "math/random.h"
#include "platform/framepacing.h"
#include "platform/platform.h"
#include "platform/tickclock.h"
#include "world/sky.h"
#include "world/trees.h"

#include <GL/glut.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

// Static initialisation constructs these in this order; no constructor touches OpenGL.
Terrain g_terrain;
DinosaurSet g_dinosaurs;
Frustum g_frustum;
PlantField g_plants;
Camera g_camera;
Vector3 g_treePositions[kTreeCount];
int g_fullScreen = 0;

namespace
{
const float kFieldOfView = 45.0f;
const float kNearDistance = 3.0f;
const float kFarDistance = 600.0f;
// Trees stand with their base this far below the ground query (which itself adds 7).
const float kTreeSink = 10.0f;
const float kTreeRadius = 15.0f;
const float kTreeDrawDistance = 500.0f;

FramePassHook g_pFramePassHook = nullptr;
void* g_pFramePassContext = nullptr;
bool g_screenshotRequested = false;
int g_framesLeft = 0; // frames until the program leaves; 0: no limit
bool g_screenshotOnLastFrame = false;
TickClock g_worldClock;
bool g_hasFrameTime = false;
int64_t g_lastFrameMicroseconds = 0;
int g_windowWidth = kWindowWidth;
int g_windowHeight = kWindowHeight;
bool g_helpShown = false;
StatusLine g_statusLine;
FrameRateMeter g_frameRate;
HelpPanelText g_helpPanelText;
bool g_followDisplayRate = false;

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

void generateLandscape()
{
    g_terrain.init();
    std::printf("seed %u\n", g_terrain.m_lastSeed);
    std::fflush(stdout);
}

void setUpScene()
{
    g_camera.reset();
    generateLandscape();
    g_plants.place(g_terrain);
    initSky();
    initTrees();
    createScreenshotDirectory();
    g_dinosaurs.setUp();
    g_dinosaurs.settle(g_terrain);
    g_camera.settle(g_terrain);
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

void registerCallbacks()
{
    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    glutKeyboardFunc(keyboard);
    glutIgnoreKeyRepeat(1);
    glutKeyboardUpFunc(keyboardUp);
    glutSpecialFunc(specialKey);
    glutSpecialUpFunc(specialKeyUp);
}

void reshape(int width, int height)
{
    if (height == 0)
    {
        height = 1;
    }
    const double aspect = double(width) / double(height);
    g_windowWidth = width;
    g_windowHeight = height;
    if (g_followDisplayRate)
    {
        // Full screen, or a window moved to another monitor, may meet another refresh rate.
        setTargetFramesPerSecond(paceForRefreshRate(displayRefreshRate()));
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, aspect, kNearDistance, kFarDistance);
    g_frustum.setPerspective(kFieldOfView, float(aspect), kNearDistance, kFarDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

namespace
{
struct VisibleTree
{
    Vector3 base;
    float squaredDistance;
    int index;

    // Nearest first; at one distance, in the order the trees were scattered.
    bool operator<(const VisibleTree& other) const
    {
        return squaredDistance < other.squaredDistance ||
               (squaredDistance == other.squaredDistance && index < other.index);
    }
};

// The trees that pass the frustum test, nearest first: a crown in front then hides the ones
// behind it from the depth test before their fragments are shaded.
void drawTrees(const Vector3& eye)
{
    std::array<VisibleTree, kTreeCount> visible;
    int count = 0;
    for (const Vector3& tree : g_treePositions)
    {
        const Vector3 base(tree.x, g_terrain.groundHeight(tree.x, tree.z) - kTreeSink, tree.z);
        if (g_frustum.isSphereVisible(base, kTreeRadius, kTreeDrawDistance))
        {
            const Vector3 offset = base - eye;
            visible[size_t(count)] = {base, offset.dot(offset, offset), count};
            ++count;
        }
    }
    // std::sort, not stable_sort: the latter takes a buffer from the heap every frame.
    std::sort(visible.begin(), visible.begin() + count);
    for (int i = 0; i < count; ++i)
    {
        const Vector3& base = visible[size_t(i)].base;
        glTranslatef(base.x, base.y, base.z);
        drawTree();
        glTranslatef(-base.x, -base.y, -base.z);
    }
}
} // namespace

void setFramePassHook(FramePassHook hook, void* pContext)
{
    g_pFramePassHook = hook;
    g_pFramePassContext = pContext;
}

namespace
{
void endPass(FramePass pass)
{
    if (g_pFramePassHook)
    {
        g_pFramePassHook(pass, g_pFramePassContext);
    }
}

// What drawing the sky leaves for the ground, which is now drawn before it: lighting on, no
// blending, and the clouds' colour as the current one (the ground's material follows it).
void leaveSkyState()
{
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

void takeRequestedScreenshot()
{
    if (!g_screenshotRequested)
    {
        return;
    }
    g_screenshotRequested = false;
    // The viewport is the window's current size, full screen or not.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const ScreenshotOutcome outcome = takeScreenshot(viewport[2], viewport[3]);
    if (outcome.saved)
    {
        announce("%s saved", outcome.name.c_str());
    }
    else
    {
        announce("%s not saved: %s", outcome.name.c_str(), outcome.reason.c_str());
    }
}
} // namespace

void tickWorld()
{
    g_camera.tick(g_terrain);
    tickSky();
    g_dinosaurs.tick(g_terrain);
}

void drawWorld(float fraction)
{
    const Vector3 eye = g_camera.shownPosition(fraction);
    g_camera.aimFrustum(g_frustum, eye);
    glLoadIdentity();
    g_camera.applyRotation();
    // The sky is centred on the eye: it is placed by the rotation alone.
    GLfloat skyRotation[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, skyRotation);

    // The lights and the fog follow the day before anything lit is drawn. The sky itself is
    // drawn once the ground, the trees and the animals are there, only where they left the
    // clear depth: no sky is shaded under them.
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    const DayCycle day = shownDay(fraction);
    showDayLights(day);
    clearToSky(day);
    leaveSkyState();

    glEnable(GL_DEPTH_TEST);
    glTranslatef(-eye.x, -eye.y, -eye.z);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_FOG);
    glPushAttrib(GL_ENABLE_BIT | GL_ACCUM_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g_terrain.draw(g_frustum);
    glPopAttrib();
    endPass(FramePass::Terrain);

    drawTrees(eye);
    endPass(FramePass::Trees);

    glColor3f(1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    g_dinosaurs.drawWithGl(g_frustum, fraction);
    endPass(FramePass::Dinosaurs);

    // Everything opaque is in place; the plants, blended with what lies behind them, come last.
    glPushMatrix();
    glLoadMatrixf(skyRotation);
    glDisable(GL_FOG);
    drawSkyBehindScene(day);
    glEnable(GL_FOG);
    glPopMatrix();
    endPass(FramePass::Sky);

    g_plants.draw(eye, g_frustum);
    endPass(FramePass::Plants);
}

void drawFrame()
{
    g_camera.readInput(1.0 / kTicksPerSecond);
    tickWorld();
    endPass(FramePass::Ticks);
    drawWorld(1.0f);
}

void setFrameLimit(int frames, bool screenshotOnLastFrame)
{
    g_framesLeft = frames > 0 ? frames : 0;
    g_screenshotOnLastFrame = screenshotOnLastFrame && g_framesLeft > 0;
}

namespace
{
// Real time since the frame before, for what turns by the second; no more than the most ticks
// a frame may run, so that a stalled frame does not spin the view.
double secondsSinceLastFrame(int64_t now)
{
    const double most = double(kMostTicksPerFrame) / kTicksPerSecond;
    const double seconds = g_hasFrameTime ? double(now - g_lastFrameMicroseconds) / 1e6 : 0.0;
    g_hasFrameTime = true;
    g_lastFrameMicroseconds = now;
    return seconds < 0.0 ? 0.0 : seconds < most ? seconds : most;
}
} // namespace

void runFrame()
{
    const int64_t now = clockMicroseconds();
    const double seconds = secondsSinceLastFrame(now);
    g_camera.readInput(seconds);
    const int ticks = g_worldClock.advanceTo(now);
    for (int i = 0; i < ticks; ++i)
    {
        tickWorld();
    }
    endPass(FramePass::Ticks);
    // The ears are where the eye is, every frame shown; the sounds follow the ticks' news.
    updateSoundscape(g_dinosaurs, g_dayCycle, g_camera, float(seconds));
    drawWorld(g_worldClock.fraction());
}

int64_t worldTicksRun()
{
    return g_worldClock.ticksRun();
}

float worldTickFraction()
{
    return g_worldClock.fraction();
}

void restartWorldClock()
{
    g_worldClock = TickClock();
    g_hasFrameTime = false;
}

void followDisplayRefreshRate()
{
    g_followDisplayRate = true;
    setTargetFramesPerSecond(paceForRefreshRate(displayRefreshRate()));
}

void toggleHelpPanel()
{
    g_helpShown = !g_helpShown;
}

bool isHelpPanelShown()
{
    return g_helpShown;
}

void announce(const char* format, ...)
{
    char text[160];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    g_statusLine.show(clockMicroseconds(), "%s", text);
}

const char* statusLineText()
{
    return g_statusLine.text();
}

float statusLineOpacity()
{
    return g_statusLine.opacityAt(clockMicroseconds());
}

void drawOverlay()
{
    const int64_t now = clockMicroseconds();
    g_frameRate.frameShown(now);
    if (g_helpShown)
    {
        PanelFacts facts;
        facts.seed = g_terrain.m_lastSeed;
        facts.framesPerSecond = g_frameRate.framesPerSecond();
        facts.clockHours = clockHoursOfSunAngle(g_dayCycle.m_sunAngle);
        facts.dayHeld = g_dayClock.isHeld();
        facts.soundState = soundscapeState();
        composeHelpPanel(facts, g_helpPanelText);
        drawHelpPanel(g_helpPanelText, g_windowWidth, g_windowHeight);
    }
    drawStatusLine(g_statusLine.text(), g_statusLine.opacityAt(now), g_windowWidth, g_windowHeight);
}

void display()
{
    const bool lastFrame = g_framesLeft > 0 && --g_framesLeft == 0;
    if (lastFrame && g_screenshotOnLastFrame)
    {
        requestScreenshot();
    }
    runFrame();
    glFlush();
    // Before the swap: afterwards the back buffer holds nothing defined. Before the overlay: a
    // screenshot is of the park, not of the panel or the line.
    takeRequestedScreenshot();
    drawOverlay();
    paceFrame();
    glutSwapBuffers();
    if (lastFrame)
    {
        std::exit(0);
    }
    glutPostRedisplay();
}

void requestScreenshot()
{
    g_screenshotRequested = true;
}

void regenerateScene()
{
    g_camera.reset();
    generateLandscape();
    g_plants.place(g_terrain);
    g_dinosaurs.setUp();
    g_dinosaurs.settle(g_terrain);
    g_camera.settle(g_terrain);
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
            requestScreenshot();
            break;
        case 'r':
            regenerateScene();
            announce("park %u \xe2\x80\x94 quillmere --seed %u makes it again",
                     g_terrain.m_lastSeed, g_terrain.m_lastSeed);
            break;
        case 't':
            toggleTimeOfDay();
            break;
        case 'h':
            toggleHelpPanel();
            break;
        case 'm':
            toggleMute();
            announce("sound: %s", soundscapeState());
            break;
        default:
        {
            WalkKey walkKey = WalkKey::Forward;
            if (walkKeyOfCharacter(key, walkKey))
            {
                g_camera.m_walkKeys.press(walkKey);
            }
            break;
        }
    }
}

void keyboardUp(unsigned char key, int /*x*/, int /*y*/)
{
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfCharacter(key, walkKey))
    {
        g_camera.m_walkKeys.release(walkKey);
    }
}

namespace
{
bool walkKeyOfSpecialKey(int key, WalkKey& walkKey)
{
    switch (key)
    {
        case GLUT_KEY_UP:
            walkKey = WalkKey::Forward;
            return true;
        case GLUT_KEY_DOWN:
            walkKey = WalkKey::Backward;
            return true;
        case GLUT_KEY_LEFT:
            walkKey = WalkKey::TurnLeft;
            return true;
        case GLUT_KEY_RIGHT:
            walkKey = WalkKey::TurnRight;
            return true;
        default:
            return false;
    }
}
} // namespace

void toggleTimeOfDay()
{
    g_dayClock.setHeld(!g_dayClock.isHeld());
    char clock[8];
    formatClockTime(clockHoursOfSunAngle(g_dayCycle.m_sunAngle), clock, sizeof clock);
    if (g_dayClock.isHeld())
    {
        announce("time of day held at %s (t lets it go on)", clock);
    }
    else
    {
        announce("the day goes on from %s", clock);
    }
}

void specialKey(int key, int /*x*/, int /*y*/)
{
    if (key == GLUT_KEY_F1)
    {
        toggleHelpPanel();
        return;
    }
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfSpecialKey(key, walkKey))
    {
        g_camera.m_walkKeys.press(walkKey);
    }
}

void specialKeyUp(int key, int /*x*/, int /*y*/)
{
    WalkKey walkKey = WalkKey::Forward;
    if (walkKeyOfSpecialKey(key, walkKey))
    {
        g_camera.m_walkKeys.release(walkKey);
    }
}
