// Elapsed-time sources for the skeletal animation, and the registry of every live timer so that
// all of them can be paused or resumed at once. Users hold a Timer from createTimer and never
// name the implementation.
#pragma once

class Timer
{
public:
    Timer();
    virtual ~Timer();

    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Elapsed time starts again from 0. While paused the frozen value stays until the last resume.
    virtual void reset() = 0;
    // Milliseconds since the last reset, not counting paused time.
    virtual double getElapsedTime() = 0;
    // Pauses nest: time runs again when the last pause is undone.
    virtual void pause() = 0;
    virtual void resume() = 0;
};

struct TimerLink
{
    Timer* timer;
    TimerLink* next;
};

// Newest timer first.
void pauseAllTimers();
void resumeAllTimers();

// A new high-resolution timer owned by the caller (delete through the Timer pointer), or null.
Timer* createTimer();
