#include "platform/framepacing.h"

#include "fakeplatform.h"

#include <gtest/gtest.h>

namespace
{
// Runs frames that each take `frameMicroseconds` of work until a second has passed on the clock
// and returns how many frames were shown in it.
int framesInOneSecond(FramePacer& pacer, FakeClock& clock, double frameMilliseconds)
{
    const int64_t end = clock.counter + FakeClock::kFrequency;
    int frames = 0;
    for (;;)
    {
        clock.advanceMilliseconds(frameMilliseconds);
        pacer.waitForNextFrame();
        if (clock.counter > end)
        {
            return frames;
        }
        ++frames;
    }
}
} // namespace

TEST(FramePacing, AThousandFramesASecondAreHeldToSixty)
{
    FakeClock clock;
    FramePacer pacer;
    ASSERT_EQ(pacer.framesPerSecond(), 60);
    pacer.waitForNextFrame(); // starts the schedule
    const int frames = framesInOneSecond(pacer, clock, 1.0);
    EXPECT_LE(frames, 60);
    EXPECT_GE(frames, 59);
}

TEST(FramePacing, ZeroMeansEveryFrameAsFastAsItComes)
{
    FakeClock clock;
    FramePacer pacer;
    pacer.setFramesPerSecond(0);
    EXPECT_EQ(framesInOneSecond(pacer, clock, 1.0), 1000);
    EXPECT_EQ(clock.sleptMicroseconds, 0);
}

TEST(FramePacing, SlowFramesNeverSleep)
{
    FakeClock clock;
    FramePacer pacer;
    pacer.waitForNextFrame();
    EXPECT_EQ(framesInOneSecond(pacer, clock, 23.0), 43);
    EXPECT_EQ(clock.sleptMicroseconds, 0) << "below the target nothing changes";
}

TEST(FramePacing, ALateFrameIsNotMadeUpByABurst)
{
    FakeClock clock;
    FramePacer pacer;
    pacer.setFramesPerSecond(50); // 20 ms slots
    pacer.waitForNextFrame();
    clock.advanceMilliseconds(3.0);
    pacer.waitForNextFrame();
    EXPECT_EQ(clock.sleptMicroseconds, 17000) << "the rest of the first slot";

    // One frame takes 75 ms: it does not sleep, and the next quick frame waits a whole slot
    // from then instead of running at once to catch up.
    clock.advanceMilliseconds(75.0);
    pacer.waitForNextFrame();
    EXPECT_EQ(clock.sleptMicroseconds, 17000);
    clock.advanceMilliseconds(2.0);
    pacer.waitForNextFrame();
    EXPECT_EQ(clock.sleptMicroseconds, 17000 + 18000);
}

TEST(FramePacing, APacerCanBeSwitchedOffButNotSetBelowNoLimit)
{
    FramePacer pacer;
    EXPECT_EQ(pacer.framesPerSecond(), kTargetFramesPerSecond);
    EXPECT_EQ(kTargetFramesPerSecond, 60);
    pacer.setFramesPerSecond(0);
    EXPECT_EQ(pacer.framesPerSecond(), 0);
    pacer.setFramesPerSecond(-5);
    EXPECT_EQ(pacer.framesPerSecond(), 0) << "a negative rate is no limit, not a division by it";
}
