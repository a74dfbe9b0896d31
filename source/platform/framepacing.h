// Frame pacing. The world keeps real time by its own ticks whatever the frame rate; the pace
// only keeps the park from drawing frames that the screen will never show: where the driver
// cannot wait for the retrace (Mesa's software renderer under Xvfb, for one), drawing would
// otherwise spin as fast as the machine goes. Frames are held to at most a target rate by the
// platform clock; a machine that cannot reach it runs exactly as it would without pacing.
#pragma once

#include <cstdint>

// The pace where the screen's refresh rate cannot be read.
const int kTargetFramesPerSecond = 60;

// The pace for a screen refreshed `hertz` times a second (0: unknown): a frame a second above
// it, so that where the driver does wait for the retrace the pace never holds back a frame the
// screen would have shown; kTargetFramesPerSecond when unknown.
int paceForRefreshRate(double hertz);

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

// Frames shown a second, counted over about a second of the platform clock's time.
class FrameRateMeter
{
public:
    void frameShown(int64_t nowMicroseconds);
    // 0 until a second of frames has been counted.
    double framesPerSecond() const { return m_framesPerSecond; }

private:
    bool m_counting = false;
    int64_t m_countStart = 0;
    int m_frames = 0;
    double m_framesPerSecond = 0.0;
};
