// The seeds of the parks, chosen or from the clock.
#include "app/seeds.h"

#include "platform/platform.h"

void SeedSequence::startAt(unsigned seed)
{
    m_fromClock = false;
    m_last = seed - 1;
    m_hasLast = true;
}

unsigned SeedSequence::next()
{
    if (!m_fromClock)
    {
        m_last += 1;
        return m_last;
    }
    unsigned seed = unsigned(calendarSeconds());
    if (m_hasLast && int(seed - m_last) <= 0)
    {
        seed = m_last + 1;
    }
    noteBuilt(seed);
    return seed;
}

void SeedSequence::noteBuilt(unsigned seed)
{
    m_last = seed;
    m_hasLast = true;
}
