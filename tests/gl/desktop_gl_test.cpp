// The park as a desktop runs it: the window moved off the screen's origin, another window with
// the focus, the focus following the pointer, and full screen. The window is the test's own
// GLUT window on a private 1920 x 1080 server without a window manager; the platform's X input
// is the one in use (no test double), and the pointer is moved and read through X itself.
// Google Test before X11, whose macros (None, Bool) would otherwise rename its types.
#include <gtest/gtest.h>

#include "glsupport.h"
#include "math/frustum.h"
#include "platform/platform.h"
#include "pngwriter.h"
#include "runningpark.h"
#include "scratchdirectory.h"
#include "world/camera.h"
#include "world/terrain.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace
{
Display* xDisplay()
{
    return glXGetCurrentDisplay();
}

Window parkWindow()
{
    return glXGetCurrentDrawable();
}

void doNothing() {}

void ignoreReshape(int, int) {}

// Lets GLUT carry out what it was asked (it moves and resizes windows from its loop) and the
// server finish everything sent so far; a shell given takes the window's new size.
void settle(Shell* pShell = nullptr)
{
    if (pShell)
    {
        pShell->registerCallbacks();
    }
    else
    {
        glutReshapeFunc(ignoreReshape);
    }
    glutDisplayFunc(doNothing);
    for (int i = 0; i < 5; ++i)
    {
        glutMainLoopEvent();
        XSync(xDisplay(), False);
    }
}

void movePointer(int x, int y)
{
    XWarpPointer(xDisplay(), None, DefaultRootWindow(xDisplay()), 0, 0, 0, 0, x, y);
    XSync(xDisplay(), False);
}

void pointer(int& x, int& y)
{
    Window root = 0;
    Window child = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned buttons = 0;
    XQueryPointer(xDisplay(), DefaultRootWindow(xDisplay()), &root, &child, &x, &y, &windowX,
                  &windowY, &buttons);
}

void pressLeftButton(bool down)
{
    XTestFakeButtonEvent(xDisplay(), 1, down ? True : False, CurrentTime);
    XSync(xDisplay(), False);
}

void focus(Window window)
{
    XSetInputFocus(xDisplay(), window, RevertToPointerRoot, CurrentTime);
    XSync(xDisplay(), False);
}

// A plain window of another client would do as well; one of our own connection is simpler.
Window openOtherWindow(int x, int y)
{
    const Window window = XCreateSimpleWindow(xDisplay(), DefaultRootWindow(xDisplay()), x, y, 211,
                                              157, 0, 0, 0xffffff);
    XMapWindow(xDisplay(), window);
    XSync(xDisplay(), False);
    return window;
}

struct Desktop : testing::Test
{
    Terrain terrain; // no heights: the ground query answers 0
    Frustum frustum;
    Camera camera;

    void SetUp() override
    {
        frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
        glutPositionWindow(900, 400);
        settle();
    }
    // A displayed frame's reading of the input and a world tick, as the park runs them.
    void step()
    {
        camera.readInput(1.0 / 60.0);
        camera.tick(terrain);
        camera.aimFrustum(frustum, camera.m_position);
    }
};
} // namespace

TEST_F(Desktop, WindowMovedOffTheOriginHoldsThePointerAtItsOwnCentre)
{
    focus(parkWindow());
    movePointer(1111, 555);
    const PointerState reading = readPointerState();
    ASSERT_TRUE(reading.focused);
    ASSERT_TRUE(reading.centreKnown);
    EXPECT_EQ(reading.centreX, 1300);
    EXPECT_EQ(reading.centreY, 700);
    ASSERT_TRUE(reading.cursorKnown);
    EXPECT_EQ(reading.cursorX, 1111);
    EXPECT_EQ(reading.cursorY, 555);
    int x = 0;
    int y = 0;
    movePointer(1111, 555);
    step();
    pointer(x, y);
    EXPECT_EQ(x, 1300) << "taken to the window's centre, not the screen's (400, 300)";
    EXPECT_EQ(y, 700);
    EXPECT_EQ(camera.m_yaw, 0.0f) << "gaining the focus turns nothing";

    camera.m_yaw = 40.0f;
    camera.m_pitch = 5.0f;
    movePointer(1377, 679);
    step();
    EXPECT_FLOAT_EQ(camera.m_yaw, 51.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 2.0f);
    pointer(x, y);
    EXPECT_EQ(x, 1300);
    EXPECT_EQ(y, 700);

    // The held button walks, and the pointer stays at the centre, inside the window.
    pressLeftButton(true);
    for (int i = 0; i < 5; ++i)
    {
        step();
    }
    pressLeftButton(false);
    EXPECT_GT(std::hypot(camera.m_position.x, camera.m_position.z), 0.5f);
    pointer(x, y);
    EXPECT_EQ(x, 1300);
    EXPECT_EQ(y, 700);
}

TEST_F(Desktop, AnotherFocusedWindowKeepsThePointerAndTheViewToItself)
{
    focus(parkWindow());
    step();
    const Window other = openOtherWindow(1500, 100);
    focus(other);
    EXPECT_FALSE(readPointerState().focused);

    camera.m_yaw = 200.0f;
    for (const auto& place : {std::pair<int, int>{1600, 171}, {1250, 650}})
    {
        // In the other window, and over the park's own while the other keeps the focus.
        movePointer(place.first, place.second);
        step();
        int x = 0;
        int y = 0;
        pointer(x, y);
        EXPECT_EQ(x, place.first) << "the pointer is not taken back";
        EXPECT_EQ(y, place.second);
        EXPECT_EQ(camera.m_yaw, 200.0f);
        EXPECT_EQ(camera.m_pitch, 0.0f);
    }

    // A click in the other window walks nothing here.
    movePointer(1600, 171);
    pressLeftButton(true);
    for (int i = 0; i < 5; ++i)
    {
        step();
    }
    pressLeftButton(false);
    EXPECT_EQ(camera.m_position.x, 0.0f);
    EXPECT_EQ(camera.m_position.z, 0.0f);
    XDestroyWindow(xDisplay(), other);
}

// The user switching to another window with the mouse moving: the park read the pointer while
// it had the focus, and the other window took it before the park moved the pointer back.
TEST_F(Desktop, APointerReadBeforeAnotherWindowTookTheFocusIsLeftWhereItIs)
{
    focus(parkWindow());
    movePointer(1234, 678);
    const PointerState reading = readPointerState();
    ASSERT_TRUE(reading.focused);
    const Window other = openOtherWindow(1500, 100);
    focus(other);
    movePointer(1601, 173);
    warpCursorPosition(reading.centreX, reading.centreY);
    XSync(xDisplay(), False);
    int x = 0;
    int y = 0;
    pointer(x, y);
    EXPECT_EQ(x, 1601) << "the other window's pointer is not taken to the park's centre";
    EXPECT_EQ(y, 173);

    focus(parkWindow());
    warpCursorPosition(reading.centreX, reading.centreY);
    XSync(xDisplay(), False);
    pointer(x, y);
    EXPECT_EQ(x, 1300) << "with the focus back, the pointer is the park's to move";
    EXPECT_EQ(y, 700);
    XDestroyWindow(xDisplay(), other);
}

// Another client's window taking the focus and closing at once: the park may hear it named
// as the focus and find it gone when it asks where it lies. The closing client is a thread on
// a connection of its own, so that it closes windows while the park reads.
TEST_F(Desktop, AFocusedWindowClosingWhileThePointerIsReadIsNoFault)
{
    Display* other = XOpenDisplay(DisplayString(xDisplay()));
    ASSERT_NE(other, nullptr);
    std::atomic<bool> closing{true};
    std::thread client(
        [&]
        {
            for (int i = 0; i < 600 && closing; ++i)
            {
                const Window window = XCreateSimpleWindow(other, DefaultRootWindow(other), 1500,
                                                          100, 37, 23, 0, 0, 0xffffff);
                XMapWindow(other, window);
                XSetInputFocus(other, window, RevertToPointerRoot, CurrentTime);
                XSync(other, False);
                XDestroyWindow(other, window);
                XSync(other, False);
            }
            closing = false;
        });
    movePointer(1250, 650);
    while (closing)
    {
        readPointerState();
    }
    client.join();
    XCloseDisplay(other);

    focus(parkWindow());
    EXPECT_TRUE(readPointerState().focused);
}

TEST_F(Desktop, FocusFollowingThePointerCountsOnlyInsideTheWindow)
{
    focus(PointerRoot);
    movePointer(1290, 713);
    EXPECT_TRUE(readPointerState().focused);
    movePointer(1750, 950);
    EXPECT_FALSE(readPointerState().focused);
    movePointer(899, 700); // one pixel left of the window
    EXPECT_FALSE(readPointerState().focused);

    // A window over the park's takes the keys where it covers it.
    const Window other = openOtherWindow(1000, 500);
    movePointer(1050, 550);
    EXPECT_FALSE(readPointerState().focused);
    XDestroyWindow(xDisplay(), other);
}

TEST(FullScreen, ScreenshotHasTheScreensSizeAndTheFramesPixels)
{
    ScratchDirectory directory("quillmere-fullscreen");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    RunningPark running;
    running.build(1729u);
    running.shell.setFullScreen(true);
    settle(&running.shell);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    ASSERT_EQ(viewport[2], 1920);
    ASSERT_EQ(viewport[3], 1080);

    // What the frame holds when the plants are done, read in the same frame.
    static Pixels s_frame;
    running.park.setPassHook(
        [](FramePass pass, void*)
        {
            if (pass == FramePass::Plants)
            {
                glFinish();
                s_frame = readBackBuffer(1920, 1080);
            }
        },
        nullptr);
    running.park.camera().m_pitch = -25.0f; // the sky and the horizon, whatever the ground
    running.shell.keyboard('p');
    running.shell.display();
    running.park.setPassHook(nullptr, nullptr);

    RgbImage shot;
    ASSERT_TRUE(readImageRgb("screenshots/img001.jpg", shot));
    ASSERT_EQ(shot.width, 1920);
    ASSERT_EQ(shot.height, 1080);
    ASSERT_EQ(s_frame.width, 1920);
    ASSERT_GT(s_frame.contrast(), 5.0) << "a frame worth comparing";
    double difference = 0.0;
    for (size_t i = 0; i < shot.pixels.size(); ++i)
    {
        difference += std::abs(int(shot.pixels[i]) - int(s_frame.rgb[i]));
    }
    EXPECT_LT(difference / double(shot.pixels.size()), 3.0) << "the saved frame is the one drawn";
}
