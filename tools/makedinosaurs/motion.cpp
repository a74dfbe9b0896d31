// Phases, gait paths and envelopes.
#include "motion.h"

double cyclePhase(double frame, int first, int last, double cycles)
{
    const double cycle = clipFraction(frame, first, last) * cycles;
    return cycle - std::floor(cycle);
}

double clipFraction(double frame, int first, int last)
{
    return last > first ? (frame - first) / double(last - first) : 0.0;
}

FootPlacement gaitFoot(double phase, double duty, double sweep, double lift, double toePitch)
{
    FootPlacement foot;
    phase -= std::floor(phase);
    if (phase < duty)
    {
        foot.forward = sweep * (0.5 - phase / duty);
        return foot;
    }
    const double u = (phase - duty) / (1.0 - duty);
    foot.forward = sweep * (-0.5 + (0.5 - 0.5 * std::cos(kPi * u)));
    foot.up = lift * std::sin(kPi * u);
    foot.pitch = -toePitch * std::sin(kPi * u);
    return foot;
}

double envelope(double u, double start, double full, double fade, double end)
{
    if (u <= start || u >= end)
    {
        return 0.0;
    }
    if (u < full)
    {
        return smoothstep((u - start) / (full - start));
    }
    if (u > fade)
    {
        return 1.0 - smoothstep((u - fade) / (end - fade));
    }
    return 1.0;
}

double pulse(double u, double start, double end)
{
    if (u <= start || u >= end)
    {
        return 0.0;
    }
    return 0.5 - 0.5 * std::cos(2.0 * kPi * (u - start) / (end - start));
}

double wave(double u, double cycles, double offset, double weight)
{
    return std::sin(2.0 * kPi * (cycles * u + offset)) * weight;
}
