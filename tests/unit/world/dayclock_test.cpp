#include "world/daycycle.h"

#include <gtest/gtest.h>

namespace
{
// A day run from the park's start on its own clock, as the sky runs it.
struct Day
{
    DayClock clock;
    DayCycle previous;
    DayCycle latest;

    explicit Day(double ticksPerDay)
    {
        clock.setTicksPerDay(ticksPerDay);
        latest.resetLights();
        previous = latest;
    }
    void runFrames(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            previous = latest;
            latest.advanceFrame();
        }
    }
    void tick(int64_t ticks)
    {
        for (int64_t i = 0; i < ticks; ++i)
        {
            runFrames(clock.tick());
        }
    }
    DayCycle shown(float tickFraction) const
    {
        return blendDays(previous, latest, clock.weightAt(tickFraction));
    }
    // Ticks until the day is drawn `share` of the way through it from the park's start (drawing
    // shows the world part of a tick behind the latest tick) and the day as then drawn.
    DayCycle shownAtShare(double share)
    {
        const double ticks = share * clock.ticksPerDay() + 1.0;
        tick(int64_t(ticks));
        return shown(float(ticks - double(int64_t(ticks))));
    }
};

void expectSameLook(const DayCycle& a, const DayCycle& b, const char* what)
{
    EXPECT_NEAR(a.m_sunAngle, b.m_sunAngle, 2e-3f) << what;
    EXPECT_NEAR(a.m_cloudAngle, b.m_cloudAngle, 2e-3f) << what;
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(a.m_skyColor[i], b.m_skyColor[i], 2e-4f) << what << ", sky " << i;
    }
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_NEAR(a.m_sunDiffuse[i], b.m_sunDiffuse[i], 2e-4f) << what << ", sun " << i;
        EXPECT_NEAR(a.m_moonDiffuse[i], b.m_moonDiffuse[i], 2e-4f) << what << ", moon " << i;
    }
    EXPECT_EQ(a.m_sunShining, b.m_sunShining) << what;
    EXPECT_EQ(a.m_moonShining, b.m_moonShining) << what;
}
} // namespace

// A ten-minute day is the park's day slowed down: at the same share of the day the sun, the
// clouds, the sky's fade and the lights are where the park's own 401-tick day has them.
TEST(DayClock, ALongerDayIsTheSameDaySlowedDown)
{
    for (double share : {0.1, 0.3, 0.47, 0.76, 0.93})
    {
        Day park(kFramesPerDay);
        Day slow(600.0 * 60.0);
        SCOPED_TRACE(share);
        expectSameLook(slow.shownAtShare(share), park.shownAtShare(share), "share");
    }
}

TEST(DayClock, TheParksOwnDayRunsOneFrameATickAndIsDrawnBetweenThem)
{
    Day day(kFramesPerDay);
    DayCycle byFrames;
    byFrames.resetLights();
    for (int tick = 0; tick < 2 * kFramesPerDay; ++tick)
    {
        const DayCycle before = byFrames;
        byFrames.advanceFrame();
        day.tick(1);
        ASSERT_EQ(day.shown(1.0f).m_sunAngle, byFrames.m_sunAngle) << tick;
        ASSERT_EQ(day.shown(0.0f).m_sunAngle, before.m_sunAngle) << tick;
        const float halfway = day.shown(0.5f).m_sunAngle;
        const float expected = byFrames.m_sunAngle < before.m_sunAngle
                                   ? (before.m_sunAngle + 360.0f) / 2.0f // across the restart
                                   : (before.m_sunAngle + byFrames.m_sunAngle) / 2.0f;
        ASSERT_NEAR(halfway, expected >= 360.0f ? expected - 360.0f : expected, 1e-3f) << tick;
    }
}

TEST(DayClock, HeldDayStandsStillWhileTheTicksGoOn)
{
    Day day(600.0 * 60.0);
    day.tick(5000);
    const DayCycle before = day.shown(1.0f); // the latest tick, where a held day stays
    day.clock.setHeld(true);
    day.tick(200);
    for (float fraction : {0.0f, 0.6f, 1.0f})
    {
        EXPECT_EQ(day.shown(fraction).m_sunAngle, day.shown(0.0f).m_sunAngle);
    }
    expectSameLook(day.shown(0.0f), before, "held for 200 ticks");
    day.clock.setHeld(false);
    day.tick(200);
    EXPECT_GT(day.shown(0.0f).m_sunAngle, before.m_sunAngle + 1.0f) << "and goes on when let go";
}

TEST(DayClock, ShortDaysRunSeveralFramesATick)
{
    Day day(2.0 * 60.0);
    const double frames = double(kFramesPerDay) / 120.0;
    int run = 0;
    for (int tick = 1; tick <= 120; ++tick)
    {
        run += day.clock.tick();
        ASSERT_LE(run - tick * frames, 1.0) << "a frame runs once the day has entered it";
        ASSERT_GT(run - tick * frames, 0.0 - 1e-9);
    }
    EXPECT_EQ(run, kFramesPerDay) << "a whole day in two seconds";
}

// The park's clock: 06:00 sunrise, noon overhead, 18:00 sunset, midnight under the ground; a
// time asked for is where the day's own frames bring the sun.
TEST(DayClock, ClockTimesLandTheSunWhereTheyName)
{
    for (double hours : {6.0, 10.5, 12.0, 17.25, 0.0, 4.5})
    {
        Day day(kFramesPerDay);
        day.runFrames(day.clock.startAt(dayShareAtClockHours(hours)));
        const float angle = day.shown(0.0f).m_sunAngle;
        SCOPED_TRACE(hours);
        EXPECT_NEAR(clockHoursOfSunAngle(angle), hours, 0.03);
        EXPECT_TRUE(day.latest.m_sunShining || hours < 6.0);
    }
    EXPECT_NEAR(clockHoursOfSunAngle(90.0f), 12.0, 1e-9);
    EXPECT_NEAR(clockHoursOfSunAngle(270.0f), 0.0, 1e-9);
}
