// The park's own random numbers: the portable generator of the C standard, values 0 ... 32767.
// Every formula of the park assumes that range, which this platform's rand() does not have, and
// the same seed must give the same park on every platform. One sequence serves the whole program:
// terrain hills, plants, trees and dinosaurs draw from it in a fixed order.
#pragma once

#include <cstdint>

const int kRandomMax = 32767;

void seedRandom(unsigned seed);

// Next value of the sequence, 0 ... kRandomMax.
int nextRandom();

// a + r * (b - a) / 32767 for the next value r, in double precision: both ends are reachable.
float randomRange(float a, float b);

// The same generator with a state of its own, for draws that must not shift the park's one
// sequence: a module that draws from it at its own pace (the sound's choices, for instance)
// would otherwise make a seed's park behave differently.
class RandomSequence
{
public:
    explicit RandomSequence(unsigned seed = 1) : m_state(seed) {}

    // 0 ... kRandomMax, as nextRandom.
    int next();
    // As randomRange.
    float range(float a, float b);

private:
    uint32_t m_state;
};
