// The render scale: the fraction of the window's width and height the scene is drawn at before it
// is scaled up to the window, chosen by the user or, by default, found frame by frame as the
// largest that keeps up with the screen. Pure logic: the shell measures, ScaledFrame draws.
#pragma once

#include <cstdint>

const float kSmallestRenderScale = 0.25f;
// The automatic scale's range and step: an eighth at a time, never below a half.
const float kSmallestAutomaticScale = 0.5f;
const float kRenderScaleStep = 0.125f;
// A frame ran late when its own work took longer than this many of the screen's periods, or when
// it came this many periods after the one before (a missed retrace): a pacer that wakes a little
// late makes no frame late.
const double kLateWorkPeriods = 1.05;
const double kMissedSlotPeriods = 1.5;
// A second of frames mostly late steps down; two seconds in which nearly every frame would still
// have been on time a step up step up. Each step starts both counts again, so that no two steps
// come within a second.
const double kStepDownAfterSeconds = 1.0;
const double kStepUpAfterSeconds = 2.0;
const double kShareWithRoomToStepUp = 0.9;
// At the next scale up a frame must be predicted to take no more than this share of the period.
const double kStepUpHeadroom = 0.85;
// That prediction overstates the cost of a step up, so a scale below 1 whose frames have that room
// at their own scale tries the next one up, after this long at the scale, for a trial in which no
// more than a tenth of the frames may run late. After a trial that failed, the next waits until
// the frames have become lighter by a tenth than they were before it.
const double kTrialAfterSeconds = 4.0;
const double kTrialSeconds = 2.0;
const double kLateShareATrialAllows = 0.1;
const double kLighterForAnotherTrial = 0.9;

// What the user asked for: a fixed scale, or the automatic one.
struct RenderScaleChoice
{
    bool automatic = true;
    float scale = 1.0f;
};

// The size drawn at `scale` of a window `size` pixels across: at least one pixel.
int scaledSize(int size, float scale);

// Finds the largest scale, in steps of an eighth from 1 down to a half, at which frames keep the
// screen's pace. It is told, after each frame shown, how long that frame kept the program busy
// (its drawing and its swap, not the pacer's wait) and how long it was since the frame before.
// A load that comes and goes (another program busy for a while) does not hold the scale down for
// good: the trials of the next scale up bring it back.
class AutomaticScale
{
public:
    // The screen's pace: frames a second (0: unpaced; the scale then stays where it is).
    void setFramesPerSecond(int framesPerSecond);
    // Back to scale 1 with nothing measured (a new window size, a new pace).
    void restart();
    // One frame shown at `nowMicroseconds`, drawn at the scale in use: `busyMicroseconds` of work
    // and `intervalMicroseconds` since the frame before (0 for the first). Frames drawn at
    // another scale (a screenshot's) are not told.
    void frameShown(int64_t nowMicroseconds, int64_t busyMicroseconds,
                    int64_t intervalMicroseconds);
    float scale() const { return m_scale; }
    // Steps taken since the start, down and up.
    int stepsDown() const { return m_stepsDown; }
    int stepsUp() const { return m_stepsUp; }
    // Trials of the next scale up that stepped back down.
    int failedTrials() const { return m_failedTrials; }

private:
    // Frames counted since `start`: all of them, and those late (or with room to step up).
    struct Count
    {
        int64_t start = 0;
        int frames = 0;
        int counted = 0;
    };

    void step(int64_t nowMicroseconds, float scale);
    void startRoomWindow(int64_t nowMicroseconds);
    bool late(int64_t busyMicroseconds, int64_t intervalMicroseconds) const;
    bool roomOneStepUp(int64_t busyMicroseconds) const;
    bool roomAtThisScale(int64_t busyMicroseconds, int64_t intervalMicroseconds) const;
    // At the end of a window of room counts: a step up, a trial of one, or neither.
    bool stepUpAfterRoom(int64_t nowMicroseconds);
    // Counts a frame of a trial; at its end keeps the scale or steps back down.
    bool judgeTrial(int64_t nowMicroseconds, bool frameLate);

    int64_t m_periodMicroseconds = 0;
    float m_scale = 1.0f;
    bool m_started = false;
    Count m_late;
    Count m_room;
    // In m_room's window: the frames with room at the scale they were drawn at, and their work.
    int m_roomHere = 0;
    int64_t m_busySum = 0;
    int64_t m_lastStep = 0;
    bool m_inTrial = false;
    Count m_trial;
    double m_busyBeforeTrial = 0.0;
    // The frames' mean work before the last trial that failed; 0 when none has since a step.
    double m_busyBeforeFailedTrial = 0.0;
    int m_stepsDown = 0;
    int m_stepsUp = 0;
    int m_failedTrials = 0;
};

// The scale in use: the user's fixed one, or the automatic one as it stands.
class RenderScale
{
public:
    void choose(const RenderScaleChoice& choice);
    // No framebuffer objects: every frame at scale 1, whatever was chosen.
    void holdAtOne() { m_heldAtOne = true; }
    void setFramesPerSecond(int framesPerSecond)
    {
        m_automatic.setFramesPerSecond(framesPerSecond);
    }
    // A new window size starts the automatic search again from 1.
    void restart() { m_automatic.restart(); }
    float scale() const;
    // True when the user wants less than 1 (the automatic scale may come to want it).
    bool wantsBelowOne() const { return m_choice.automatic || m_choice.scale < 1.0f; }
    void frameShown(int64_t nowMicroseconds, int64_t busyMicroseconds,
                    int64_t intervalMicroseconds);
    const AutomaticScale& automatic() const { return m_automatic; }
    // For the help panel: "1", "0.5", "auto: 0.75 now", "1 (no framebuffer objects)".
    const char* describe();

private:
    // 1 until a scale is chosen.
    RenderScaleChoice m_choice{false, 1.0f};
    AutomaticScale m_automatic;
    bool m_heldAtOne = false;
    char m_description[48] = "";
};
