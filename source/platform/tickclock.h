// The world's clock. The park moves in fixed ticks of real time, whatever the display's rate:
// each displayed frame runs the ticks that real time has brought since the frame before and
// then draws the world part of the way from the previous tick to the latest one. Pure
// arithmetic on times read from the platform clock, so any rate can be driven in a test.
#pragma once

#include <cstdint>

// One tick does to the world what one frame did when the park drew sixty a second; every speed
// of the park is a distance per tick.
const int kTicksPerSecond = 60;
// A frame later than this many ticks runs only these and drops the rest: the world then slows
// down rather than falling further behind (a machine that stalls, a debugger, a suspended
// laptop).
const int kMostTicksPerFrame = 5;

class TickClock
{
public:
    // Counts from `nowMicroseconds` with no tick owed and none run.
    void restart(int64_t nowMicroseconds);
    bool started() const { return m_started; }

    // The ticks real time has brought up to `nowMicroseconds`, at most kMostTicksPerFrame; the
    // first call after a restart (or ever) only starts the count and returns 0. A clock that
    // went backwards brings none.
    int advanceTo(int64_t nowMicroseconds);
    // How far real time has gone past the last tick run, in ticks: 0 <= fraction < 1.
    float fraction() const;
    // Every tick run since the last restart.
    int64_t ticksRun() const { return m_ticksRun; }

private:
    bool m_started = false;
    int64_t m_lastMicroseconds = 0;
    // Real time owed to the world, in microseconds times kTicksPerSecond: a tick is then exactly
    // one million of these, and no rounding accumulates however long the park runs.
    int64_t m_owed = 0;
    int64_t m_ticksRun = 0;
};
