// Elapsed milliseconds on the platform counter, with pause and resume that move the start so the
// elapsed time continues from its frozen value without a jump.
#include "platform/win32timer.h"

#include "platform/platform.h"

#include <cassert>

Win32Timer::Win32Timer()
{
    if (queryCounterFrequency(m_frequency) && m_frequency > 0)
    {
        m_usePerformanceCounter = true;
        m_startCount = queryCounter();
        m_msPerCount = float(1.0 / double(m_frequency)) * 1000.0f;
    }
    else
    {
        m_usePerformanceCounter = false;
        m_startTick = tickCount();
    }
    m_pauseCount = 0;
    m_pausedTime = 0.0;
}

void Win32Timer::restartClock()
{
    if (m_usePerformanceCounter)
    {
        m_startCount = queryCounter();
    }
    else
    {
        m_startTick = tickCount();
    }
}

void Win32Timer::reset()
{
    restartClock();
    m_pausedTime = getElapsedTime();
}

double Win32Timer::getElapsedTime()
{
    if (m_pauseCount > 0)
    {
        return m_pausedTime;
    }
    if (m_usePerformanceCounter)
    {
        const int64_t counts = queryCounter() - m_startCount;
        return double(counts) * m_msPerCount;
    }
    // Unsigned difference: right across the tick count's wrap at 2^32.
    const uint32_t timeElapsed = tickCount() - m_startTick;
    return double(timeElapsed);
}

void Win32Timer::pause()
{
    if (m_pauseCount == 0)
    {
        m_pausedTime = getElapsedTime();
    }
    m_pauseCount += 1;
}

void Win32Timer::resume()
{
    assert(m_pauseCount > 0);
    if (m_pauseCount <= 0)
    {
        return;
    }
    m_pauseCount -= 1;
    if (m_pauseCount > 0)
    {
        return;
    }
    if (m_usePerformanceCounter)
    {
        m_startCount = queryCounter() - int64_t(m_pausedTime / m_msPerCount);
    }
    else
    {
        const double time = double(tickCount()) - m_pausedTime;
        m_startTick = uint32_t(int64_t(time));
    }
}
