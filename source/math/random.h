// The park's own random numbers: the portable generator of the C standard, values 0 ... 32767.
// Every formula of the park assumes that range, which this platform's rand() does not have, and
// the same seed must give the same park on every platform. One sequence serves the whole program:
// terrain hills, plants, trees and dinosaurs draw from it in a fixed order.
#pragma once

const int kRandomMax = 32767;

void seedRandom(unsigned seed);

// Next value of the sequence, 0 ... kRandomMax.
int nextRandom();

// a + r * (b - a) / 32767 for the next value r, in double precision: both ends are reachable.
float randomRange(float a, float b);
