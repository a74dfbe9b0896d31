// Walking by keyboard: the shell's key callbacks as GLUT calls them, over the whole park, and
// keys pressed on the X server reaching them through GLUT.
// Google Test before X11, whose macros (None, Bool) would otherwise rename its types.
#include <gtest/gtest.h>

#include "fakeplatform.h"
#include "runningpark.h"
#include "scratchdirectory.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace
{
// Displayed frames a sixtieth of a second apart on the test clock: one world tick each, after
// the first frame, which starts the world's clock.
void runFrames(Shell& shell, FakeClock& clock, int count)
{
    static int64_t framesShown = 0;
    static const int64_t start = clock.counter;
    for (int frame = 0; frame < count; ++frame)
    {
        ++framesShown;
        clock.counter = start + framesShown * FakeClock::kFrequency / 60;
        shell.display();
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
    RunningPark running;
    running.build(314u);
    Shell& shell = running.shell;
    Camera& camera = running.park.camera();
    camera.m_yaw = 0.0f; // looking down -z
    runFrames(shell, clock, 2);

    Vector3 start = camera.m_position;
    shell.keyboard('w');
    runFrames(shell, clock, 10);
    shell.keyboardUp('w');
    EXPECT_LT(camera.m_position.z, start.z - 5.0f) << "w walks forward";
    EXPECT_NEAR(camera.m_position.x, start.x, 0.5f);
    const float speed = -camera.m_velocity.z;
    runFrames(shell, clock, 1);
    EXPECT_NEAR(-camera.m_velocity.z, speed / (1.03f * 1.03f), 1e-4f)
        << "released, the walk only coasts";

    camera.m_velocity.set(0.0f, 0.0f, 0.0f);
    start = camera.m_position;
    shell.specialKey(GLUT_KEY_DOWN);
    runFrames(shell, clock, 10);
    shell.specialKeyUp(GLUT_KEY_DOWN);
    EXPECT_GT(camera.m_position.z, start.z + 5.0f) << "Down walks backward";

    // Away from the wrap at 0, and turned by the second: frames on the test clock fall on whole
    // microseconds, a hair off a sixtieth of a second.
    camera.m_yaw = 200.0f;
    const float yaw = camera.m_yaw;
    shell.specialKey(GLUT_KEY_RIGHT);
    runFrames(shell, clock, 10);
    EXPECT_NEAR(camera.m_yaw, yaw + 15.0f, 1e-3f) << "Right turns a quarter turn a second";
    shell.specialKeyUp(GLUT_KEY_RIGHT);
    shell.keyboard('a');
    runFrames(shell, clock, 10);
    EXPECT_NEAR(camera.m_yaw, yaw, 1e-3f) << "a turns back as steadily";
    // Shift pressed while the key was down: the release comes as an upper-case letter.
    shell.keyboardUp('A');
    const float released = camera.m_yaw;
    runFrames(shell, clock, 2);
    EXPECT_EQ(camera.m_yaw, released) << "released";

    // The command keys keep their meaning; full screen is left alone here.
    testing::internal::CaptureStdout();
    shell.keyboard('r');
    EXPECT_EQ(camera.m_position.x, 0.0f);
    EXPECT_EQ(camera.m_position.z, 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("seed ", 0), 0u);
}

TEST(KeyboardWalk, KeysPressedOnTheServerAreHeldUntilTheirReleaseOrUntilTheFocusLeaves)
{
    RunningPark running; // the park is not built here
    running.shell.registerCallbacks();
    glutDisplayFunc(doNothing);
    const Window parkWindow = glXGetCurrentDrawable();
    deliverEvents();
    focus(parkWindow);
    Camera& camera = running.park.camera();
    WalkKeys& keys = camera.m_walkKeys;

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
    const Terrain terrain;
    camera.readInput(1.0 / 60.0);
    camera.tick(terrain);
    EXPECT_FALSE(keys.isHeld(WalkKey::Forward));
    const Vector3 position = camera.m_position;
    focus(parkWindow);
    camera.readInput(1.0 / 60.0);
    camera.tick(terrain);
    EXPECT_EQ(camera.m_position.z, position.z) << "back in the park, nothing walks";
}
