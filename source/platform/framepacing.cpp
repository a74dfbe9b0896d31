// The frame pacer: a schedule of slots on the platform clock, restarted whenever a frame is late.
#include "platform/framepacing.h"

#include "platform/platform.h"

#include <cmath>

namespace
{
const int64_t kMicrosecondsPerSecond = 1000000;
} // namespace

void FramePacer::setFramesPerSecond(int framesPerSecond)
{
    m_framesPerSecond = framesPerSecond > 0 ? framesPerSecond : 0;
    m_scheduled = false;
}

void FramePacer::waitForNextFrame()
{
    if (m_framesPerSecond == 0)
    {
        return;
    }
    const int64_t now = clockMicroseconds();
    if (m_scheduled)
    {
        // Slots from the schedule's start, not from the last wake-up, so that oversleeping
        // once does not slow the pace.
        const int64_t slot =
            m_scheduleStart + (m_framesInSchedule + 1) * kMicrosecondsPerSecond / m_framesPerSecond;
        if (now < slot)
        {
            sleepMicroseconds(slot - now);
            m_framesInSchedule += 1;
            return;
        }
    }
    m_scheduled = true;
    m_scheduleStart = now;
    m_framesInSchedule = 0;
}

int paceForRefreshRate(double hertz)
{
    if (!(hertz >= 1.0 && hertz <= 1000.0))
    {
        return kTargetFramesPerSecond;
    }
    return int(std::ceil(hertz)) + 1;
}

void FrameRateMeter::frameShown(int64_t nowMicroseconds)
{
    if (!m_counting || nowMicroseconds < m_countStart)
    {
        m_counting = true;
        m_countStart = nowMicroseconds;
        m_frames = 0;
        return;
    }
    m_frames += 1;
    const int64_t elapsed = nowMicroseconds - m_countStart;
    if (elapsed >= kMicrosecondsPerSecond)
    {
        m_framesPerSecond = double(m_frames) * double(kMicrosecondsPerSecond) / double(elapsed);
        m_countStart = nowMicroseconds;
        m_frames = 0;
    }
}
