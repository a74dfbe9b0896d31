// The high-resolution timer: the platform's performance counter, or its millisecond tick count
// where there is no counter. (The name is kept from the timer's first platform.)
#pragma once

#include "platform/timer.h"

#include <cstdint>

class Win32Timer : public Timer
{
public:
    Win32Timer();

    void reset() override;
    double getElapsedTime() override;
    void pause() override;
    void resume() override;

    int64_t m_frequency = 0;
    float m_msPerCount = 0.0f;
    uint32_t m_startTick = 0;
    int64_t m_startCount = 0;
    bool m_usePerformanceCounter = false;
    int m_pauseCount = 0;
    double m_pausedTime = 0.0;

private:
    void restartClock();
};
