// The render scale's choice: the user's, or the largest that keeps the screen's pace.
#include "app/renderscale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
const int64_t kMicrosecondsPerSecond = 1000000;

int64_t microseconds(double seconds)
{
    return int64_t(seconds * double(kMicrosecondsPerSecond));
}
} // namespace

int scaledSize(int size, float scale)
{
    return std::max(1, int(std::lround(double(size) * double(scale))));
}

void AutomaticScale::setFramesPerSecond(int framesPerSecond)
{
    m_periodMicroseconds = framesPerSecond > 0 ? kMicrosecondsPerSecond / framesPerSecond : 0;
    restart();
}

void AutomaticScale::restart()
{
    m_scale = 1.0f;
    m_started = false;
    m_roomUpSince = -1;
}

void AutomaticScale::startWatching(int64_t nowMicroseconds)
{
    m_watchStart = nowMicroseconds;
    m_framesWatched = 0;
    m_lateFrames = 0;
    m_roomUpSince = -1;
}

void AutomaticScale::step(int64_t nowMicroseconds, float scale)
{
    (scale < m_scale ? m_stepsDown : m_stepsUp) += 1;
    m_scale = scale;
    m_lastStep = nowMicroseconds;
    startWatching(nowMicroseconds);
}

void AutomaticScale::frameShown(int64_t nowMicroseconds, int64_t busyMicroseconds,
                                int64_t intervalMicroseconds)
{
    if (m_periodMicroseconds <= 0)
    {
        return;
    }
    if (!m_started)
    {
        m_started = true;
        m_lastStep = nowMicroseconds;
        startWatching(nowMicroseconds);
    }
    const double period = double(m_periodMicroseconds);
    const bool late =
        double(std::max(busyMicroseconds, intervalMicroseconds)) > kLateFramePeriods * period;
    m_framesWatched += 1;
    m_lateFrames += late ? 1 : 0;

    // The pixels drawn grow with the square of the scale; the rest of the frame does not, so
    // this overstates the cost a step up, and a step up is not soon undone.
    const float up = std::min(1.0f, m_scale + kRenderScaleStep);
    const double growth = double(up) * double(up) / (double(m_scale) * double(m_scale));
    const bool roomUp =
        m_scale < 1.0f && double(busyMicroseconds) * growth <= kStepUpHeadroom * period;
    if (!roomUp)
    {
        m_roomUpSince = -1;
    }
    else if (m_roomUpSince < 0)
    {
        m_roomUpSince = nowMicroseconds;
    }

    const bool mayStep = nowMicroseconds - m_lastStep >= microseconds(kSecondsBetweenSteps);
    if (mayStep && m_roomUpSince >= 0 &&
        nowMicroseconds - m_roomUpSince >= microseconds(kStepUpAfterSeconds))
    {
        step(nowMicroseconds, up);
        return;
    }
    if (nowMicroseconds - m_watchStart < microseconds(kStepDownAfterSeconds))
    {
        return;
    }
    const bool mostlyLate = 2 * m_lateFrames > m_framesWatched;
    if (mostlyLate && mayStep && m_scale > kSmallestAutomaticScale)
    {
        step(nowMicroseconds, std::max(kSmallestAutomaticScale, m_scale - kRenderScaleStep));
        return;
    }
    // A new second of frames; the frames with room to spare go on counting.
    const int64_t roomUpSince = m_roomUpSince;
    startWatching(nowMicroseconds);
    m_roomUpSince = roomUpSince;
}

void RenderScale::choose(const RenderScaleChoice& choice)
{
    m_choice = choice;
    m_automatic.restart();
}

float RenderScale::scale() const
{
    if (m_heldAtOne)
    {
        return 1.0f;
    }
    return m_choice.automatic ? m_automatic.scale() : m_choice.scale;
}

void RenderScale::frameShown(int64_t nowMicroseconds, int64_t busyMicroseconds,
                             int64_t intervalMicroseconds)
{
    if (m_choice.automatic && !m_heldAtOne)
    {
        m_automatic.frameShown(nowMicroseconds, busyMicroseconds, intervalMicroseconds);
    }
}

const char* RenderScale::describe()
{
    if (m_heldAtOne)
    {
        return "1 (no framebuffer objects)";
    }
    if (m_choice.automatic)
    {
        std::snprintf(m_description, sizeof m_description, "auto: %g now",
                      double(m_automatic.scale()));
    }
    else
    {
        std::snprintf(m_description, sizeof m_description, "%g", double(m_choice.scale));
    }
    return m_description;
}
