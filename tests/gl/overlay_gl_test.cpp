// Help in the window: the panel and the news line drawn over the park at the window's size and
// at the screen's, by day and by night, and never in a screenshot.
// Google Test before X11, whose macros (None, Bool) would otherwise rename its types.
#include <gtest/gtest.h>

#include "fakeplatform.h"
#include "glsupport.h"
#include "pngwriter.h"
#include "runningpark.h"
#include "scratchdirectory.h"
#include "virtualpad.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
// Fraction of the pixels in a part of the picture that the overlay changed.
double changedInside(const Pixels& scene, const Pixels& shown, int left, int bottom, int right,
                     int top)
{
    int changed = 0;
    for (int y = bottom; y < top; ++y)
    {
        for (int x = left; x < right; ++x)
        {
            const unsigned char* a = scene.at(x, y);
            const unsigned char* b = shown.at(x, y);
            changed += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 24;
        }
    }
    return double(changed) / double((right - left) * (top - bottom));
}

// Fraction of a part of the picture that lies under a dark box: each channel at most about a
// third of the scene's (letters aside, which are few).
double darkenedInside(const Pixels& scene, const Pixels& shown, int left, int bottom, int right,
                      int top)
{
    int darkened = 0;
    for (int y = bottom; y < top; ++y)
    {
        for (int x = left; x < right; ++x)
        {
            const unsigned char* a = scene.at(x, y);
            const unsigned char* b = shown.at(x, y);
            darkened +=
                b[0] <= a[0] * 0.35 + 8 && b[1] <= a[1] * 0.35 + 8 && b[2] <= a[2] * 0.35 + 8;
        }
    }
    return double(darkened) / double((right - left) * (top - bottom));
}
} // namespace

TEST(Overlay, PanelAndNewsLineShowOverTheParkAndNeverInAScreenshot)
{
    ScratchDirectory directory("quillmere-overlay");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock; // no tick between the frames compared: the same park each time
    RunningPark running;
    running.build(27182u);
    Shell& shell = running.shell;
    running.park.camera().m_pitch = -20.0f; // the horizon and the sky
    shell.display(); // the first frame of a process starts from the fixed state alone

    struct Case
    {
        int width;
        int height;
        double hours;
        const char* name;
    };
    for (const Case& c :
         {Case{800, 600, 11.0, "overlay-800-day"}, Case{800, 600, 23.5, "overlay-800-night"},
          Case{1920, 1080, 11.0, "overlay-1920-day"}, Case{1920, 1080, 23.5, "overlay-1920-night"}})
    {
        if (c.width == 1920 && glutGet(GLUT_WINDOW_WIDTH) != 1920)
        {
            running.goFullScreen();
            ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1920);
        }
        running.park.sky().restartDay();
        running.park.startDayAt(dayShareAtClockHours(c.hours));
        SCOPED_TRACE(c.name);

        shell.runFrame();
        glFinish();
        const Pixels scene = readBackBuffer(c.width, c.height);
        shell.toggleHelpPanel();
        ASSERT_TRUE(shell.isHelpPanelShown());
        shell.announce("park 27182 \xe2\x80\x94 quillmere --seed 27182 makes it again");
        shell.drawOverlay();
        glFinish();
        const Pixels shown = readBackBuffer(c.width, c.height);
        EXPECT_TRUE(savePixelsPng(shown, directory.previous() + "/" + c.name + ".png"));
        shell.toggleHelpPanel();
        shell.runFrame();
        shell.drawOverlay();
        glFinish();
        const Pixels lineOnly = readBackBuffer(c.width, c.height);

        const int w = c.width;
        const int h = c.height;
        EXPECT_GT(darkenedInside(scene, shown, w / 3, h / 3, 2 * w / 3, 2 * h / 3), 0.8)
            << "the panel's dark box covers the middle of the window";
        EXPECT_GT(brightPixels(shown, w / 3, h / 3, 2 * w / 3, 2 * h / 3), w * h / 600)
            << "and holds light letters";
        EXPECT_LT(changedInside(scene, lineOnly, w / 3, h / 3, 2 * w / 3, 2 * h / 3), 0.001)
            << "hidden, the panel leaves the park as it was";
        EXPECT_GT(darkenedInside(scene, lineOnly, 3 * w / 8, h / 40, 5 * w / 8, h / 20), 0.6)
            << "the news line's box at the foot of the window";
        EXPECT_GT(brightPixels(lineOnly, w / 4, 0, 3 * w / 4, h / 12), w / 20);
    }

    // A screenshot with the panel shown is the one without it, byte for byte.
    shell.toggleHelpPanel();
    shell.keyboard('p');
    shell.display();
    shell.toggleHelpPanel();
    shell.keyboard('p');
    shell.display();
    const std::vector<char> withPanel = fileBytes("screenshots/img001.jpg");
    const std::vector<char> without = fileBytes("screenshots/img002.jpg");
    ASSERT_FALSE(withPanel.empty());
    EXPECT_TRUE(withPanel == without) << "p saves the park, not the panel";
}

// The news of a key is its own: t says the time it holds, p the file it saved, r the park.
TEST(Overlay, KeysSayWhatTheyDid)
{
    ScratchDirectory directory("quillmere-news");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock;
    RunningPark running;
    running.build(4000000000u);
    Shell& shell = running.shell;

    testing::internal::CaptureStdout();
    shell.keyboard('r');
    const std::string announced = testing::internal::GetCapturedStdout();
    EXPECT_EQ(announced, "seed 4000000001\n");
    EXPECT_STREQ(shell.newsText(), "park 4000000001 \xe2\x80\x94 quillmere --seed 4000000001 makes "
                                   "it again");
    shell.keyboard('t');
    EXPECT_EQ(std::string(shell.newsText()).rfind("time of day held at ", 0), 0u)
        << shell.newsText();
    shell.keyboard('t');
    EXPECT_EQ(std::string(shell.newsText()).rfind("the day goes on from ", 0), 0u);
    testing::internal::CaptureStdout();
    shell.keyboard('p');
    shell.display();
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(shell.newsText(), "screenshots/img001.jpg saved");
    clock.advanceMilliseconds(3100.0);
    EXPECT_EQ(shell.newsOpacity(), 0.0f) << "gone after three seconds";
}

// With a pad connected, the panel names its sticks and buttons beside the keys, and the pad.
TEST(Overlay, WithAPadConnectedThePanelNamesItsInputs)
{
    ScratchDirectory directory("quillmere-overlay-pad");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    FakeClock clock;
    RunningPark running;
    running.build(27182u);
    Shell& shell = running.shell;
    running.park.camera().m_pitch = -20.0f;
    running.park.sky().restartDay();
    running.park.startDayAt(dayShareAtClockHours(10.5));
    shell.startGamepads("");
    shell.toggleHelpPanel();
    shell.display();
    shell.display();
    glFinish();
    const Pixels without = readBackBuffer();

    VirtualPad pad("Cretaceous Pad");
    ASSERT_TRUE(pad.attached());
    for (int frame = 0; frame < kReadsBetweenLooks; ++frame)
    {
        shell.display();
    }
    ASSERT_STREQ(shell.gamepadName(), "Cretaceous Pad");
    shell.runFrame();
    shell.drawOverlay();
    glFinish();
    const Pixels with = readBackBuffer();
    EXPECT_TRUE(savePixelsPng(with, directory.previous() + "/overlay-800-pad.png"));
    // The inputs' column holds more: the sticks and the buttons beside the keys.
    EXPECT_GT(brightPixels(with, 0, 80, 800, 600), brightPixels(without, 0, 80, 800, 600) + 500);
}
