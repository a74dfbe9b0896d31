// The automatic render scale against a modelled frame: a fixed cost plus one that grows with the
// pixels drawn, on screens of several paces.
#include "app/renderscale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace
{
// A frame costs `fixed` plus `perPixels` times the share of the window's pixels drawn, in
// microseconds; frames are shown on the screen's beat, late ones a whole period later or more.
struct ModelledScreen
{
    int framesPerSecond = 60;
    double fixed = 2000.0;
    double perPixels = 20000.0;
    // How late the pacer wakes for each frame, in microseconds.
    int64_t wakesLate = 0;
    int64_t now = 0;
    std::vector<float> scales;

    int64_t period() const { return 1000000 / framesPerSecond; }

    void run(AutomaticScale& automatic, double seconds, double spikeEvery = 0.0)
    {
        const int64_t end = now + int64_t(seconds * 1e6);
        int frame = 0;
        while (now < end)
        {
            const double scale = automatic.scale();
            double busy = fixed + perPixels * scale * scale;
            frame += 1;
            if (spikeEvery > 0.0 && frame % int(spikeEvery) == 0)
            {
                busy *= 3.0;
            }
            const int64_t periods = std::max<int64_t>(1, (int64_t(busy) + period() - 1) / period());
            const int64_t interval = periods * period() + wakesLate;
            now += interval;
            automatic.frameShown(now, int64_t(busy), interval);
            scales.push_back(automatic.scale());
        }
    }

    // Whether every frame from the `since`th on was drawn at `scale`.
    bool heldSince(size_t since, float scale) const
    {
        return std::all_of(scales.begin() + long(since), scales.end(),
                           [scale](float drawn) { return drawn == scale; });
    }

    // How often the scale changed direction: a search that settles turns at most once.
    int turns() const
    {
        int turns = 0;
        int lastDirection = 0;
        for (size_t i = 1; i < scales.size(); ++i)
        {
            const int direction = scales[i] > scales[i - 1]   ? 1
                                  : scales[i] < scales[i - 1] ? -1
                                                              : 0;
            if (direction != 0 && lastDirection != 0 && direction != lastDirection)
            {
                turns += 1;
            }
            lastDirection = direction != 0 ? direction : lastDirection;
        }
        return turns;
    }
};
} // namespace

TEST(AutomaticScale, ALightFrameStaysAtOne)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(60);
    ModelledScreen screen;
    screen.perPixels = 9000.0;
    screen.wakesLate = 1200;
    screen.run(automatic, 20.0, 37.0);
    EXPECT_EQ(automatic.scale(), 1.0f);
    EXPECT_EQ(automatic.stepsDown(), 0)
        << "neither a late frame now and then nor a pacer waking late is a reason to step";
}

TEST(AutomaticScale, AHeavyFrameStepsDownAnEighthASecondToTheLargestScaleThatKeepsThePace)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(60);
    ModelledScreen screen;
    screen.perPixels = 24000.0;
    screen.run(automatic, 0.9);
    EXPECT_EQ(automatic.scale(), 1.0f) << "under a second of late frames";
    screen.run(automatic, 0.3);
    EXPECT_EQ(automatic.scale(), 0.875f);
    screen.run(automatic, 0.6);
    EXPECT_EQ(automatic.scale(), 0.875f) << "never two steps within a second";
    screen.run(automatic, 30.0);
    // 2 + 24 s^2 ms must fit 16.7 ms: s <= 0.78, and the eighths give 0.75.
    EXPECT_EQ(automatic.scale(), 0.75f);
    EXPECT_EQ(automatic.stepsDown(), 2);
    EXPECT_EQ(automatic.stepsUp(), 0);
    EXPECT_EQ(screen.turns(), 0);
}

TEST(AutomaticScale, NeverBelowAHalfHoweverSlow)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(144);
    ModelledScreen screen;
    screen.framesPerSecond = 144;
    screen.perPixels = 80000.0;
    screen.run(automatic, 30.0);
    EXPECT_EQ(automatic.scale(), kSmallestAutomaticScale);
    EXPECT_EQ(automatic.stepsDown(), 4);
}

TEST(AutomaticScale, StepsUpAfterTwoSecondsOfRoomAndDoesNotPump)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(60);
    ModelledScreen screen;
    screen.perPixels = 40000.0;
    screen.run(automatic, 10.0);
    ASSERT_EQ(automatic.scale(), 0.5f);
    // 0.5 takes 12 ms, and a trial of 0.625 (17.6 ms) ran late and stepped back.
    EXPECT_EQ(automatic.failedTrials(), 1);
    // The view turns to open plain: frames cost less, but for one in 25.
    screen.perPixels = 16000.0;
    screen.run(automatic, 1.9, 25.0);
    EXPECT_EQ(automatic.scale(), 0.5f) << "two seconds of room before a step up";
    screen.run(automatic, 30.0, 25.0);
    // 2 + 16 s^2 ms: up to 0.75 the frames leave 15% of the period to spare even if the whole
    // frame grew with the pixels; 0.875 (14.25 ms of the 16.7) is found by its trial.
    EXPECT_EQ(automatic.scale(), 0.875f);
    const size_t settled = screen.scales.size();
    screen.run(automatic, 30.0, 25.0);
    EXPECT_TRUE(screen.heldSince(settled, 0.875f));
    EXPECT_EQ(automatic.failedTrials(), 1);
}

TEST(AutomaticScale, ALoadThatComesAndGoesDoesNotHoldTheScaleDown)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(60);
    ModelledScreen screen;
    // Mostly work that does not shrink with the scale: 14 ms at 1, 13.3 at 0.875.
    screen.fixed = 11000.0;
    screen.perPixels = 3000.0;
    screen.run(automatic, 5.0);
    ASSERT_EQ(automatic.scale(), 1.0f);
    screen.fixed = 19000.0;
    screen.run(automatic, 1.5);
    ASSERT_EQ(automatic.scale(), 0.875f);
    screen.fixed = 11000.0;
    screen.run(automatic, 10.0);
    EXPECT_EQ(automatic.scale(), 1.0f) << "13.3 ms grown as if all pixels would be 17.4 ms";
    const size_t back = screen.scales.size();
    screen.run(automatic, 30.0);
    EXPECT_TRUE(screen.heldSince(back, 1.0f));
    EXPECT_EQ(automatic.failedTrials(), 0);
}

TEST(AutomaticScale, AfterAFailedTrialTheNextWaitsForLighterFrames)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(60);
    ModelledScreen screen;
    // 18 ms at 1 is late; 13.8 ms at 0.875 has room.
    screen.fixed = 0.0;
    screen.perPixels = 18000.0;
    screen.run(automatic, 120.0);
    EXPECT_EQ(automatic.scale(), 0.875f);
    EXPECT_EQ(automatic.failedTrials(), 1);
    const long atOne = std::count(screen.scales.begin(), screen.scales.end(), 1.0f);
    EXPECT_LT(double(atOne) / double(screen.scales.size()), 0.03);

    // A lighter view: 11.5 ms at 0.875, 15 at 1.
    screen.perPixels = 15000.0;
    screen.run(automatic, 10.0);
    EXPECT_EQ(automatic.scale(), 1.0f);
    EXPECT_EQ(automatic.failedTrials(), 1);
}

TEST(AutomaticScale, UnpacedItHoldsAndANewPaceSearchesAgainFromOne)
{
    AutomaticScale automatic;
    automatic.setFramesPerSecond(0);
    ModelledScreen screen;
    screen.perPixels = 40000.0;
    screen.run(automatic, 10.0);
    EXPECT_EQ(automatic.scale(), 1.0f);

    automatic.setFramesPerSecond(30);
    screen.framesPerSecond = 30;
    screen.run(automatic, 10.0);
    EXPECT_EQ(automatic.scale(), 0.875f);
    automatic.restart();
    EXPECT_EQ(automatic.scale(), 1.0f);
}

TEST(RenderScale, AFixedChoiceHoldsAndWithoutFramebuffersEverythingIsOne)
{
    RenderScale scale;
    EXPECT_EQ(scale.scale(), 1.0f);
    EXPECT_STREQ(scale.describe(), "1");
    scale.setFramesPerSecond(60);
    scale.choose({false, 0.625f});
    for (int frame = 1; frame <= 300; ++frame)
    {
        scale.frameShown(frame * 50000, 50000, 50000);
    }
    EXPECT_EQ(scale.scale(), 0.625f);
    EXPECT_STREQ(scale.describe(), "0.625");

    scale.choose({true, 1.0f});
    for (int frame = 1; frame <= 300; ++frame)
    {
        scale.frameShown(frame * 50000, 50000, 50000);
    }
    EXPECT_EQ(scale.scale(), 0.5f);
    EXPECT_STREQ(scale.describe(), "auto: 0.5 now");

    scale.holdAtOne();
    EXPECT_EQ(scale.scale(), 1.0f);
    EXPECT_STREQ(scale.describe(), "1 (no framebuffer objects)");
}

TEST(RenderScale, TheDrawnSizeIsRoundedAndNeverEmpty)
{
    EXPECT_EQ(scaledSize(1920, 0.75f), 1440);
    EXPECT_EQ(scaledSize(1081, 0.5f), 541);
    EXPECT_EQ(scaledSize(1, 0.25f), 1);
    EXPECT_EQ(scaledSize(0, 0.5f), 1);
}
