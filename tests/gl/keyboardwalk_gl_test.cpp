// Walking by keyboard: the shell's key callbacks as GLUT calls them, over the whole park, and
// keys pressed on the X server reaching them through GLUT.
// Google Test before X11, whose macros (None, Bool) would otherwise rename its types.
#include <gtest/gtest.h>

#include "app/shell.h"
#include "fakeplatform.h"
#include "math/frustum.h"
#include "platform/framepacing.h"
#include "scratchdirectory.h"
#include "world/terrain.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace
{
// Displayed frames a sixtieth of a second apart on the test clock: one world tick each, after
// the first frame, which starts the world's clock.
void runFrames(FakeClock& clock, int count)
{
    static int64_t framesShown = 0;
    static const int64_t start = clock.counter;
    for (int frame = 0; frame < count; ++frame)
    {
        ++framesShown;
        clock.counter = start + framesShown * FakeClock::kFrequency / 60;
        display();
    }
}

Display* xDisplay()
{
    return glXGetCurrentDisplay();
}

void doNothing() {}

// Lets the server deliver what was sent and GLUT hand it to the callbacks.
void deliverEvents()
{
    for (int i = 0; i < 5; ++i)
    {
        XSync(xDisplay(), False);
        glutMainLoopEvent();
    }
}

void pressKey(KeySym key, bool down)
{
    XTestFakeKeyEvent(xDisplay(), XKeysymToKeycode(xDisplay(), key), down ? True : False,
                      CurrentTime);
    deliverEvents();
}

void focus(Window window)
{
    XSetInputFocus(xDisplay(), window, RevertToPointerRoot, CurrentTime);
    deliverEvents();
}
} // namespace

TEST(KeyboardWalk, HeldKeysWalkAndTurnUntilReleasedAndCommandKeysStayAsTheyWere)
{
    ScratchDirectory directory("quillmere-keys");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock;
    setTargetFramesPerSecond(0);
    setFixedGlState();
    setUpScene();
    scatterTrees();
    reshape(800, 600);
    g_camera.m_yaw = 0.0f; // looking down -z
    runFrames(clock, 2);

    Vector3 start = g_camera.m_position;
    keyboard('w', 0, 0);
    runFrames(clock, 10);
    keyboardUp('w', 0, 0);
    EXPECT_LT(g_camera.m_position.z, start.z - 5.0f) << "w walks forward";
    EXPECT_NEAR(g_camera.m_position.x, start.x, 0.5f);
    const float speed = -g_camera.m_velocity.z;
    runFrames(clock, 1);
    EXPECT_NEAR(-g_camera.m_velocity.z, speed / (1.03f * 1.03f), 1e-4f)
        << "released, the walk only coasts";

    g_camera.m_velocity.set(0.0f, 0.0f, 0.0f);
    start = g_camera.m_position;
    specialKey(GLUT_KEY_DOWN, 0, 0);
    runFrames(clock, 10);
    specialKeyUp(GLUT_KEY_DOWN, 0, 0);
    EXPECT_GT(g_camera.m_position.z, start.z + 5.0f) << "Down walks backward";

    // Away from the wrap at 0, and turned by the second: frames on the test clock fall on whole
    // microseconds, a hair off a sixtieth of a second.
    g_camera.m_yaw = 200.0f;
    const float yaw = g_camera.m_yaw;
    specialKey(GLUT_KEY_RIGHT, 0, 0);
    runFrames(clock, 10);
    EXPECT_NEAR(g_camera.m_yaw, yaw + 15.0f, 1e-3f) << "Right turns a quarter turn a second";
    specialKeyUp(GLUT_KEY_RIGHT, 0, 0);
    keyboard('a', 0, 0);
    runFrames(clock, 10);
    EXPECT_NEAR(g_camera.m_yaw, yaw, 1e-3f) << "a turns back as steadily";
    // Shift pressed while the key was down: the release comes as an upper-case letter.
    keyboardUp('A', 0, 0);
    const float released = g_camera.m_yaw;
    runFrames(clock, 2);
    EXPECT_EQ(g_camera.m_yaw, released) << "released";

    // The command keys keep their meaning; full screen is left alone here.
    testing::internal::CaptureStdout();
    keyboard('r', 0, 0);
    EXPECT_EQ(g_camera.m_position.x, 0.0f);
    EXPECT_EQ(g_camera.m_position.z, 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("seed ", 0), 0u);
}

TEST(KeyboardWalk, KeysPressedOnTheServerAreHeldUntilTheirReleaseOrUntilTheFocusLeaves)
{
    registerCallbacks();
    glutDisplayFunc(doNothing); // the scene is not built here
    const Window parkWindow = glXGetCurrentDrawable();
    deliverEvents();
    focus(parkWindow);
    WalkKeys& keys = g_camera.m_walkKeys;

    pressKey(XK_w, true);
    EXPECT_TRUE(keys.isHeld(WalkKey::Forward));
    pressKey(XK_w, false);
    EXPECT_FALSE(keys.isHeld(WalkKey::Forward));

    pressKey(XK_Right, true);
    EXPECT_TRUE(keys.isHeld(WalkKey::TurnRight));
    pressKey(XK_Right, false);
    EXPECT_FALSE(keys.isHeld(WalkKey::TurnRight));

    // Shift pressed while d is down: its release arrives as D.
    pressKey(XK_d, true);
    pressKey(XK_Shift_L, true);
    pressKey(XK_d, false);
    pressKey(XK_Shift_L, false);
    EXPECT_FALSE(keys.isHeld(WalkKey::TurnRight));

    // Up held while another window takes the focus: its release goes there, and the park's next
    // step forgets the key.
    pressKey(XK_Up, true);
    ASSERT_TRUE(keys.isHeld(WalkKey::Forward));
    const Window other = XCreateSimpleWindow(xDisplay(), DefaultRootWindow(xDisplay()), 1000, 700,
                                             200, 150, 0, 0, 0);
    XMapWindow(xDisplay(), other);
    deliverEvents();
    focus(other);
    pressKey(XK_Up, false);
    EXPECT_TRUE(keys.isHeld(WalkKey::Forward)) << "the release went to the other window";
    Terrain terrain;
    Frustum frustum;
    g_camera.step(terrain, frustum);
    EXPECT_FALSE(keys.isHeld(WalkKey::Forward));
    const Vector3 position = g_camera.m_position;
    focus(parkWindow);
    g_camera.step(terrain, frustum);
    EXPECT_EQ(g_camera.m_position.z, position.z) << "back in the park, nothing walks";
}
