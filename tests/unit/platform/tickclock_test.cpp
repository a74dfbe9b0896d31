#include "platform/framepacing.h"
#include "platform/tickclock.h"

#include <gtest/gtest.h>

namespace
{
const int64_t kSecond = 1000000;

// The microsecond of a display's frame `frame` at `rate` frames a second.
int64_t frameTime(int frame, int rate)
{
    return int64_t(frame) * kSecond / rate;
}
} // namespace

// The world's time is real time to the tick at every display rate: after any frame, the ticks
// run are the whole ticks in the time since the clock started, and the part of a tick left over
// is what drawing shows.
TEST(TickClock, KeepsRealTimeToTheTickAtEveryDisplayRate)
{
    for (int rate : {20, 24, 60, 75, 144, 240})
    {
        TickClock clock;
        const int64_t start = 123457; // off a whole tick
        clock.advanceTo(start);
        for (int frame = 1; frame <= 3 * rate; ++frame)
        {
            const int64_t elapsed = frameTime(frame, rate);
            const int ticks = clock.advanceTo(start + elapsed);
            ASSERT_LE(ticks, kTicksPerSecond / rate + 1) << rate << " frames a second, " << frame;
            ASSERT_EQ(clock.ticksRun(), elapsed * kTicksPerSecond / kSecond) << rate;
            const double expectedFraction =
                double(elapsed * kTicksPerSecond % kSecond) / double(kSecond);
            ASSERT_NEAR(clock.fraction(), expectedFraction, 1e-6) << rate;
        }
    }
}

TEST(TickClock, AFrameASecondLateRunsFiveTicksAndTheWorldSlowsDown)
{
    TickClock clock;
    EXPECT_EQ(clock.advanceTo(0), 0) << "the first frame only starts the count";
    EXPECT_EQ(clock.advanceTo(kSecond + 2500), kMostTicksPerFrame) << "not 60";
    EXPECT_NEAR(clock.fraction(), 0.15, 1e-6) << "the part of a tick past the last is kept";
    EXPECT_EQ(clock.advanceTo(kSecond + 2500 + kSecond / 60), 1) << "then on at the usual pace";
    EXPECT_EQ(clock.advanceTo(kSecond), 0) << "a clock that went back brings nothing";
    EXPECT_EQ(clock.advanceTo(int64_t(1) << 62), kMostTicksPerFrame) << "nor overflows";
    EXPECT_EQ(clock.ticksRun(), 2 * kMostTicksPerFrame + 1);

    clock.restart(5);
    EXPECT_EQ(clock.ticksRun(), 0);
    EXPECT_EQ(clock.fraction(), 0.0f);
    EXPECT_EQ(clock.advanceTo(5 + kSecond / 60 + 1), 1);
}

TEST(FramePacing, PaceFollowsTheScreenARateAboveItAndSixtyWhereItIsUnknown)
{
    EXPECT_EQ(paceForRefreshRate(0.0), 60);
    EXPECT_EQ(paceForRefreshRate(-3.0), 60);
    EXPECT_EQ(paceForRefreshRate(59.94), 61);
    EXPECT_EQ(paceForRefreshRate(143.98), 145);
    EXPECT_EQ(paceForRefreshRate(240.0), 241);
}
