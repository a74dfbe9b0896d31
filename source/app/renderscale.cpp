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
    m_inTrial = false;
    m_busyBeforeFailedTrial = 0.0;
}

void AutomaticScale::step(int64_t nowMicroseconds, float scale)
{
    // A step down in a trial is its failure; any other step meets frames of another cost.
    const bool trialFailed = scale < m_scale && m_inTrial;
    m_failedTrials += trialFailed ? 1 : 0;
    m_busyBeforeFailedTrial = trialFailed ? m_busyBeforeTrial : 0.0;
    m_inTrial = false;
    (scale < m_scale ? m_stepsDown : m_stepsUp) += 1;
    m_scale = scale;
    m_lastStep = nowMicroseconds;
    m_late = Count{nowMicroseconds, 0, 0};
    startRoomWindow(nowMicroseconds);
}

void AutomaticScale::startRoomWindow(int64_t nowMicroseconds)
{
    m_room = Count{nowMicroseconds, 0, 0};
    m_roomHere = 0;
    m_busySum = 0;
}

bool AutomaticScale::late(int64_t busyMicroseconds, int64_t intervalMicroseconds) const
{
    const double period = double(m_periodMicroseconds);
    return double(busyMicroseconds) > kLateWorkPeriods * period ||
           double(intervalMicroseconds) > kMissedSlotPeriods * period;
}

// The pixels drawn grow with the square of the scale; the rest of the frame does not, so this
// overstates the cost a step up, and a step up is not soon undone.
bool AutomaticScale::roomOneStepUp(int64_t busyMicroseconds) const
{
    const float up = std::min(1.0f, m_scale + kRenderScaleStep);
    const double growth = double(up) * double(up) / (double(m_scale) * double(m_scale));
    return double(busyMicroseconds) * growth <= kStepUpHeadroom * double(m_periodMicroseconds);
}

bool AutomaticScale::roomAtThisScale(int64_t busyMicroseconds, int64_t intervalMicroseconds) const
{
    return double(busyMicroseconds) <= kStepUpHeadroom * double(m_periodMicroseconds) &&
           double(intervalMicroseconds) <= kMissedSlotPeriods * double(m_periodMicroseconds);
}

bool AutomaticScale::stepUpAfterRoom(int64_t nowMicroseconds)
{
    const float up = std::min(1.0f, m_scale + kRenderScaleStep);
    const double enough = kShareWithRoomToStepUp * double(m_room.frames);
    if (m_room.counted > 0 && double(m_room.counted) >= enough)
    {
        step(nowMicroseconds, up);
        return true;
    }
    const bool waited = nowMicroseconds - m_lastStep >= microseconds(kTrialAfterSeconds);
    const double busy = double(m_busySum) / double(std::max(1, m_room.frames));
    const bool lighter =
        m_busyBeforeFailedTrial <= 0.0 || busy <= kLighterForAnotherTrial * m_busyBeforeFailedTrial;
    if (m_scale < 1.0f && !m_inTrial && waited && lighter && m_roomHere > 0 &&
        double(m_roomHere) >= enough)
    {
        step(nowMicroseconds, up);
        m_inTrial = true;
        m_trial = Count{nowMicroseconds, 0, 0};
        m_busyBeforeTrial = busy;
        return true;
    }
    return false;
}

bool AutomaticScale::judgeTrial(int64_t nowMicroseconds, bool frameLate)
{
    m_trial.frames += 1;
    m_trial.counted += frameLate ? 1 : 0;
    if (nowMicroseconds - m_trial.start < microseconds(kTrialSeconds))
    {
        return false;
    }
    if (double(m_trial.counted) > kLateShareATrialAllows * double(m_trial.frames))
    {
        step(nowMicroseconds, std::max(kSmallestAutomaticScale, m_scale - kRenderScaleStep));
        return true;
    }
    m_inTrial = false;
    return false;
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
        m_late = Count{nowMicroseconds, 0, 0};
        startRoomWindow(nowMicroseconds);
    }
    const bool frameLate = late(busyMicroseconds, intervalMicroseconds);
    if (m_inTrial && judgeTrial(nowMicroseconds, frameLate))
    {
        return;
    }
    m_late.frames += 1;
    m_late.counted += frameLate ? 1 : 0;
    m_room.frames += 1;
    m_room.counted += m_scale < 1.0f && roomOneStepUp(busyMicroseconds) ? 1 : 0;
    m_roomHere += roomAtThisScale(busyMicroseconds, intervalMicroseconds) ? 1 : 0;
    m_busySum += busyMicroseconds;

    if (nowMicroseconds - m_room.start >= microseconds(kStepUpAfterSeconds))
    {
        if (stepUpAfterRoom(nowMicroseconds))
        {
            return;
        }
        startRoomWindow(nowMicroseconds);
    }
    if (nowMicroseconds - m_late.start >= microseconds(kStepDownAfterSeconds))
    {
        if (2 * m_late.counted > m_late.frames && m_scale > kSmallestAutomaticScale)
        {
            step(nowMicroseconds, std::max(kSmallestAutomaticScale, m_scale - kRenderScaleStep));
            return;
        }
        m_late = Count{nowMicroseconds, 0, 0};
    }
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
