#include "fakeplatform.h"
#include "platform/timer.h"
#include "platform/win32timer.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
std::unique_ptr<Timer> newTimer()
{
    return std::unique_ptr<Timer>(createTimer());
}
} // namespace

TEST(Timer, StartsAtZeroAndCountsMilliseconds)
{
    FakeClock clock;
    auto timer = newTimer();
    EXPECT_NEAR(timer->getElapsedTime(), 0.0, 1e-9);
    clock.advanceMilliseconds(250);
    EXPECT_NEAR(timer->getElapsedTime(), 250.0, 0.01);
    timer->reset();
    EXPECT_NEAR(timer->getElapsedTime(), 0.0, 1e-9);
}

TEST(Timer, PauseFreezesAndResumeContinuesFromTheFrozenValue)
{
    FakeClock clock;
    auto timer = newTimer();
    clock.advanceMilliseconds(40);
    timer->pause();
    clock.advanceMilliseconds(100);
    EXPECT_NEAR(timer->getElapsedTime(), 40.0, 0.01);
    timer->resume();
    EXPECT_NEAR(timer->getElapsedTime(), 40.0, 0.01);
    clock.advanceMilliseconds(10);
    EXPECT_NEAR(timer->getElapsedTime(), 50.0, 0.01);
}

TEST(Timer, PausesNest)
{
    FakeClock clock;
    auto timer = newTimer();
    timer->pause();
    timer->pause();
    clock.advanceMilliseconds(30);
    timer->resume();
    clock.advanceMilliseconds(30);
    EXPECT_NEAR(timer->getElapsedTime(), 0.0, 0.01) << "one pause still holds it";
    timer->resume();
    clock.advanceMilliseconds(30);
    EXPECT_NEAR(timer->getElapsedTime(), 30.0, 0.01);
}

TEST(Timer, ResetWhilePausedKeepsTheFrozenValueUntilResumed)
{
    FakeClock clock;
    auto timer = newTimer();
    clock.advanceMilliseconds(70);
    timer->pause();
    timer->reset();
    clock.advanceMilliseconds(20);
    EXPECT_NEAR(timer->getElapsedTime(), 70.0, 0.01);
    timer->resume();
    clock.advanceMilliseconds(5);
    EXPECT_NEAR(timer->getElapsedTime(), 75.0, 0.01);
}

TEST(Timer, TickFallbackSurvivesTheWrapAt32Bits)
{
    FakeClock clock(false);
    clock.ticks = 0xFFFFFFF0u;
    auto timer = newTimer();
    auto* win32 = static_cast<Win32Timer*>(timer.get());
    EXPECT_FALSE(win32->m_usePerformanceCounter);
    clock.ticks += 0x30; // wraps to 0x20
    EXPECT_DOUBLE_EQ(timer->getElapsedTime(), 48.0);

    timer->pause();
    clock.ticks += 1000;
    timer->resume();
    clock.ticks += 2;
    EXPECT_DOUBLE_EQ(timer->getElapsedTime(), 50.0);
}

TEST(Timer, RegistryReachesEveryLiveTimerAndForgetsDestroyedOnes)
{
    FakeClock clock;
    auto first = newTimer();
    auto second = newTimer();
    auto third = newTimer();
    clock.advanceMilliseconds(10);
    pauseAllTimers();
    clock.advanceMilliseconds(10);
    EXPECT_NEAR(first->getElapsedTime(), 10.0, 0.01);
    EXPECT_NEAR(second->getElapsedTime(), 10.0, 0.01);
    EXPECT_NEAR(third->getElapsedTime(), 10.0, 0.01);

    second.reset();
    resumeAllTimers();
    clock.advanceMilliseconds(10);
    EXPECT_NEAR(first->getElapsedTime(), 20.0, 0.01);
    EXPECT_NEAR(third->getElapsedTime(), 20.0, 0.01);
    EXPECT_EQ(static_cast<Win32Timer*>(first.get())->m_pauseCount, 0);
}

TEST(Timer, RealClockRuns)
{
    auto timer = newTimer();
    const double start = timer->getElapsedTime();
    EXPECT_GE(start, 0.0);
    EXPECT_LT(start, 1000.0);
    EXPECT_GE(timer->getElapsedTime(), start);
}
