// The C standard's example generator with 32-bit unsigned arithmetic.
#include "math/random.h"

namespace
{
RandomSequence g_random;
}

int RandomSequence::next()
{
    m_state = m_state * 1103515245u + 12345u;
    return int((m_state / 65536u) % 32768u);
}

float RandomSequence::range(float a, float b)
{
    const double r = next();
    return float(double(a) + r * (double(b) - double(a)) / double(kRandomMax));
}

void seedRandom(unsigned seed)
{
    g_random = RandomSequence(seed);
}

int nextRandom()
{
    return g_random.next();
}

float randomRange(float a, float b)
{
    return g_random.range(a, b);
}
