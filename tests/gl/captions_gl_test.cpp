// Captions in the running park: a roar to the left of the view is written with a left arrow, and
// the captions are drawn over the park by day and by night, at the window's size and the
// screen's, never in a screenshot.
// Google Test before X11, whose macros (None, Bool) would otherwise rename its types.
#include <gtest/gtest.h>

#include "creatures/model.h"
#include "fakeplatform.h"
#include "glsupport.h"
#include "runningpark.h"
#include "scratchdirectory.h"

#include <GL/freeglut.h>
#include <GL/glx.h>

#include <cstdlib>
#include <string>

namespace
{
// The tyrannosaur `distance` to the left of an eye looking along -z, starting to roar.
void roarToTheLeft(Park& park, float distance)
{
    DinosaurSet& animals = park.animals();
    const Vector3 eye = park.camera().m_position;
    animals.m_switchInterval = 1000000;
    const float x = eye.x - distance;
    const float z = eye.z + 3.0f;
    animals.m_tyrannosaur.m_position.set(x, park.ground().groundHeight(x, z) + 1.0f, z);
    animals.m_tyrannosaurMode = kTyrannosaurRoaring;
    const Clip roar = kTyrannosaurClips[kTyrannosaurRoaring];
    animals.m_pTyrannosaurModel->setFrameRange(roar.start, roar.end);
    animals.m_pTyrannosaurModel->rewind();
}
} // namespace

TEST(CaptionsGl, ARoarToTheLeftIsWrittenWithALeftArrowAndNeverInAScreenshot)
{
    ScratchDirectory directory("quillmere-captions");
    directory.copyFromPark({"data", "textures", "terrainTexs", "sounds"});
    FakeInput input;
    FakeClock clock;
    RunningPark running;
    running.build(31337u);
    Shell& shell = running.shell;
    Park& park = running.park;
    park.camera().m_yaw = 0.0f;
    park.camera().m_pitch = -15.0f;
    running.sound.start(SoundSettings()); // no device under the tests: the captions come anyway
    shell.keyboard('c');
    ASSERT_TRUE(shell.areCaptionsShown());
    EXPECT_STREQ(shell.newsText(), "captions on");
    shell.display();

    struct Case
    {
        int width;
        int height;
        double hours;
        const char* name;
    };
    for (const Case& c :
         {Case{800, 600, 11.0, "captions-800-day"}, Case{800, 600, 23.5, "captions-800-night"},
          Case{1920, 1080, 11.0, "captions-1920-day"},
          Case{1920, 1080, 23.5, "captions-1920-night"}})
    {
        SCOPED_TRACE(c.name);
        if (c.width == 1920 && glutGet(GLUT_WINDOW_WIDTH) != 1920)
        {
            running.goFullScreen();
            ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1920);
        }
        park.sky().restartDay();
        park.startDayAt(dayShareAtClockHours(c.hours));
        shell.setCaptions(true); // afresh at this time of day
        roarToTheLeft(park, 60.0f);
        clock.advanceMilliseconds(1000.0 / 60.0);
        shell.display();
        const Captions& captions = shell.captions();
        int roar = -1;
        for (int i = 0; i < captions.lineCount(); ++i)
        {
            roar = captions.line(i).sound == ParkSound::Roar ? i : roar;
        }
        ASSERT_GE(roar, 0) << "the roar is written";
        EXPECT_EQ(captions.line(roar).arrow, CaptionArrow::Left);

        shell.requestScreenshot();
        clock.advanceMilliseconds(1000.0 / 60.0);
        shell.display();
        glFinish();
        // The back buffer keeps what was last drawn into it: the park and its overlay.
        const Pixels shown = readBackBuffer(c.width, c.height);
        EXPECT_TRUE(savePixelsPng(shown, directory.previous() + "/" + c.name + ".png"));
        const int w = c.width;
        const int h = c.height;
        EXPECT_GT(brightPixels(shown, w / 4, h / 20, 3 * w / 4, h / 4), w / 10)
            << "the captions' letters at the foot of the window";
    }
    // The screenshots hold the park, not its captions: the same frame again without them.
    shell.keyboard('c');
    EXPECT_FALSE(shell.areCaptionsShown());
}
