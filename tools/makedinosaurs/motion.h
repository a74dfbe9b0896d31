// Building blocks of the animation clips: cycle phases, foot paths of a gait, and smooth
// envelopes that start and end at zero so that a clip returns to its first pose.
#pragma once

#include "geometry.h"

// Phase in [0, 1) of `cycles` whole cycles spread over first ... last; 0 again at last.
double cyclePhase(double frame, int first, int last, double cycles);
// Fraction 0 ... 1 of the way from first to last.
double clipFraction(double frame, int first, int last);

// A foot relative to its resting place during one gait cycle: on the ground and sliding back
// from +sweep/2 to -sweep/2 for the first `duty` of the cycle (stance), then lifted by up to
// `lift` and carried forward again (swing). `pitch` tips the toes down while the foot is in the
// air; it is 0 whenever the foot touches the ground.
struct FootPlacement
{
    double forward = 0.0;
    double up = 0.0;
    double pitch = 0.0;
};
FootPlacement gaitFoot(double phase, double duty, double sweep, double lift, double toePitch);

// 0 before `start`, rising smoothly to 1 at `full`, holding, then falling smoothly from `fade`
// to 0 at `end` (all fractions of a clip).
double envelope(double u, double start, double full, double fade, double end);
// A smooth 0 -> 1 -> 0 pulse over [start, end].
double pulse(double u, double start, double end);
// sin(2 pi (cycles * u + offset)) faded in and out by `weight` (so it is 0 where weight is 0).
double wave(double u, double cycles, double offset, double weight);
