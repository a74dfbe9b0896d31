// The timer registry: a list of every live timer, newest first.
#include "platform/timer.h"

#include "platform/win32timer.h"

#include <cassert>
#include <cstddef>
#include <new>

namespace
{
TimerLink* g_pTimerList = nullptr;
}

Timer::Timer()
{
    g_pTimerList = new TimerLink{this, g_pTimerList};
}

Timer::~Timer()
{
    TimerLink* pPrevious = nullptr;
    TimerLink* pLink = g_pTimerList;
    while (pLink && pLink->timer != this)
    {
        pPrevious = pLink;
        pLink = pLink->next;
    }
    assert(pLink != NULL);
    if (!pLink)
    {
        return;
    }
    (pPrevious ? pPrevious->next : g_pTimerList) = pLink->next;
    delete pLink;
}

void pauseAllTimers()
{
    for (TimerLink* pLink = g_pTimerList; pLink; pLink = pLink->next)
    {
        pLink->timer->pause();
    }
}

void resumeAllTimers()
{
    for (TimerLink* pLink = g_pTimerList; pLink; pLink = pLink->next)
    {
        pLink->timer->resume();
    }
}

Timer* createTimer()
{
    return new (std::nothrow) Win32Timer();
}
