// Frame pacing. The camera, the day and the animals advance once per frame, so the frame rate
// is the park's speed: without a limit a fast graphics card turns day into night several times
// a second. Frames are held to at most a target rate by the platform clock; a machine that
// cannot reach it runs exactly as it would without pacing.
#pragma once

#include <cstdint>

const int kTargetFramesPerSecond = 60;

class FramePacer
{
public:
    // 0 means no limit. A new rate starts a new schedule.
    void setFramesPerSecond(int framesPerSecond);
    int framesPerSecond() const { return m_framesPerSecond; }

    // Called once a frame before it is shown: sleeps until the frame's slot in a schedule of
    // one slot per period. A frame already past its slot does not sleep and starts the schedule
    // again from now, so late frames are never made up by a burst of quick ones.
    void waitForNextFrame();

private:
    int m_framesPerSecond = kTargetFramesPerSecond;
    bool m_scheduled = false;
    int64_t m_scheduleStart = 0; // microseconds on the platform clock
    int64_t m_framesInSchedule = 0;
};

// The park's own pacer, which the frame waits on.
void setTargetFramesPerSecond(int framesPerSecond);
int targetFramesPerSecond();
void paceFrame();
