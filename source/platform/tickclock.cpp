// Fixed ticks from real time, in whole numbers so that the world keeps real time exactly.
#include "platform/tickclock.h"

namespace
{
const int64_t kOwedPerTick = 1000000;
// Longer gaps count as this much: whole ticks past the most a frame runs are dropped anyway,
// and the cut keeps any gap, however long, from overflowing the count.
const int64_t kLongestGapMicroseconds = int64_t(3600) * 1000000;
} // namespace

void TickClock::restart(int64_t nowMicroseconds)
{
    m_started = true;
    m_lastMicroseconds = nowMicroseconds;
    m_owed = 0;
    m_ticksRun = 0;
}

int TickClock::advanceTo(int64_t nowMicroseconds)
{
    if (!m_started)
    {
        restart(nowMicroseconds);
        return 0;
    }
    const int64_t elapsed = nowMicroseconds - m_lastMicroseconds;
    m_lastMicroseconds = nowMicroseconds;
    if (elapsed <= 0)
    {
        return 0;
    }
    const int64_t gap = elapsed < kLongestGapMicroseconds ? elapsed : kLongestGapMicroseconds;
    m_owed += gap * kTicksPerSecond;
    int64_t ticks = m_owed / kOwedPerTick;
    m_owed -= ticks * kOwedPerTick;
    if (ticks > kMostTicksPerFrame)
    {
        ticks = kMostTicksPerFrame;
    }
    m_ticksRun += ticks;
    return int(ticks);
}

float TickClock::fraction() const
{
    return float(double(m_owed) / double(kOwedPerTick));
}
