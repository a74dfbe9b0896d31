// The C standard's example generator with 32-bit unsigned arithmetic.
#include "math/random.h"

#include <cstdint>

namespace
{
uint32_t g_randomState = 1;
}

void seedRandom(unsigned seed)
{
    g_randomState = seed;
}

int nextRandom()
{
    g_randomState = g_randomState * 1103515245u + 12345u;
    return int((g_randomState / 65536u) % 32768u);
}

float randomRange(float a, float b)
{
    const double r = nextRandom();
    return float(double(a) + r * (double(b) - double(a)) / double(kRandomMax));
}
