// Which park comes next: every new park (the start, and each r) is made from one number, its
// seed. Chosen by the user, the first is that number and each next one the number after; else
// each comes from the calendar clock, so that every start shows another park.
#pragma once

class SeedSequence
{
public:
    // The next park is made from `seed`, each one after it from the number after (wrapping past
    // 4294967295 to 0); the clock is no longer asked.
    void startAt(unsigned seed);
    // The seed of the next park: the chosen numbers in turn, or the clock's seconds, moved past
    // the last seed when the clock has not moved (two parks within a second still differ).
    unsigned next();
    // The park of `seed` was just made: the clock's next seed moves past it.
    void noteBuilt(unsigned seed);

private:
    unsigned m_last = 0;
    bool m_hasLast = false;
    bool m_fromClock = true;
};
