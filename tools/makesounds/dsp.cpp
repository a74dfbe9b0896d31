// Sample-by-sample arithmetic of the recipes' building blocks.
#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace
{
const double kPi = 3.14159265358979323846;
// Partials and filters stay below this, clear of the Nyquist frequency.
const double kHighestHz = 0.45 * kSampleRate;

double secondsAt(size_t sample)
{
    return double(sample) / kSampleRate;
}

// One two-pole section in direct form I; its coefficients may change between samples.
struct Biquad
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    double step(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

enum class Response
{
    LowPass,
    HighPass,
    BandPass
};

void design(Biquad& section, Response response, double hz, double q)
{
    hz = std::clamp(hz, 10.0, kHighestHz);
    const double w = 2.0 * kPi * hz / kSampleRate;
    const double cosine = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * std::max(q, 0.05));
    const double a0 = 1.0 + alpha;
    switch (response)
    {
        case Response::LowPass:
            section.b0 = (1.0 - cosine) / 2.0 / a0;
            section.b1 = (1.0 - cosine) / a0;
            section.b2 = section.b0;
            break;
        case Response::HighPass:
            section.b0 = (1.0 + cosine) / 2.0 / a0;
            section.b1 = -(1.0 + cosine) / a0;
            section.b2 = section.b0;
            break;
        case Response::BandPass:
            section.b0 = alpha / a0;
            section.b1 = 0.0;
            section.b2 = -alpha / a0;
            break;
    }
    section.a1 = -2.0 * cosine / a0;
    section.a2 = (1.0 - alpha) / a0;
}

Signal filter(const Signal& signal, Response response, const Control& hz, double q, Ends ends)
{
    Signal out(signal.size());
    Biquad section;
    double designedHz = -1.0;
    const int passes = ends == Ends::Loop ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass)
    {
        for (size_t i = 0; i < signal.size(); ++i)
        {
            const double now = hz.at(i);
            if (now != designedHz)
            {
                design(section, response, now, q);
                designedHz = now;
            }
            out[i] = section.step(signal[i]);
        }
    }
    return out;
}
} // namespace

Sound mono(Signal signal)
{
    Sound sound;
    sound.channels.push_back(std::move(signal));
    return sound;
}

Sound stereo(Signal left, Signal right)
{
    Sound sound;
    sound.channels.push_back(std::move(left));
    sound.channels.push_back(std::move(right));
    return sound;
}

size_t samplesFor(double seconds)
{
    return seconds > 0.0 ? size_t(std::lround(seconds * kSampleRate)) : 0;
}

Curve::Curve(double constant) : m_points{{0.0, constant}} {}

Curve::Curve(std::initializer_list<std::pair<double, double>> points) : m_points(points) {}

double Curve::at(double seconds) const
{
    if (m_points.empty())
    {
        return 0.0;
    }
    if (seconds <= m_points.front().first)
    {
        return m_points.front().second;
    }
    for (size_t i = 1; i < m_points.size(); ++i)
    {
        const auto& [t1, v1] = m_points[i];
        if (seconds < t1)
        {
            const auto& [t0, v0] = m_points[i - 1];
            return t1 > t0 ? v0 + (v1 - v0) * (seconds - t0) / (t1 - t0) : v1;
        }
    }
    return m_points.back().second;
}

double Control::at(size_t sample) const
{
    if (!m_useSamples)
    {
        return m_curve.at(secondsAt(sample));
    }
    if (m_samples.empty())
    {
        return 0.0;
    }
    return sample < m_samples.size() ? m_samples[sample] : m_samples.back();
}

Signal silence(double seconds)
{
    return Signal(samplesFor(seconds), 0.0);
}

Signal whiteNoise(double seconds, RandomSequence& random)
{
    Signal out(samplesFor(seconds));
    for (double& sample : out)
    {
        sample = random.range(-1.0f, 1.0f);
    }
    return out;
}

Signal sine(double seconds, const Control& pitch, double phase)
{
    Signal out(samplesFor(seconds));
    for (size_t i = 0; i < out.size(); ++i)
    {
        out[i] = std::sin(2.0 * kPi * phase);
        phase += pitch.at(i) / kSampleRate;
        phase -= std::floor(phase);
    }
    return out;
}

Signal buzz(const Signal& pitch, double tilt)
{
    Signal out(pitch.size());
    std::vector<double> amplitude;
    double phase = 0.0;
    for (size_t i = 0; i < pitch.size(); ++i)
    {
        const double hz = std::max(pitch[i], 1.0);
        const size_t partials = size_t(kHighestHz / hz) + 1;
        while (amplitude.size() < partials)
        {
            amplitude.push_back(std::pow(double(amplitude.size() + 1), -tilt));
        }
        // sin(kx) from the two before it: sin(kx) = 2 cos(x) sin((k-1)x) - sin((k-2)x).
        const double x = 2.0 * kPi * phase;
        const double twiceCosine = 2.0 * std::cos(x);
        double before = 0.0;
        double current = std::sin(x);
        double sum = 0.0;
        for (size_t k = 1; k <= partials; ++k)
        {
            // Within the top 5 % of the band a partial fades, so none switches on with a click.
            const double fade =
                std::clamp((kHighestHz - double(k) * hz) / (0.05 * kSampleRate), 0.0, 1.0);
            sum += amplitude[k - 1] * fade * current;
            const double next = twiceCosine * current - before;
            before = current;
            current = next;
        }
        out[i] = sum;
        phase += hz / kSampleRate;
        phase -= std::floor(phase);
    }
    return out;
}

Signal ring(double seconds, double hz, double decay)
{
    Signal out(samplesFor(seconds));
    for (size_t i = 0; i < out.size(); ++i)
    {
        const double t = secondsAt(i);
        out[i] = std::sin(2.0 * kPi * hz * t) * std::exp(-t / decay);
    }
    return out;
}

Signal wobble(double seconds, double rate, RandomSequence& random, Ends ends)
{
    const size_t length = samplesFor(seconds);
    const size_t knots = ends == Ends::Loop
                             ? std::max<size_t>(1, size_t(std::lround(seconds * rate)))
                             : size_t(std::ceil(seconds * rate)) + 2;
    std::vector<double> values(knots);
    for (double& value : values)
    {
        value = random.range(-1.0f, 1.0f);
    }
    // Looping, the knots spread evenly over the whole length and the last eases into the first.
    const double samplesPerKnot =
        ends == Ends::Loop ? double(length) / double(knots) : double(kSampleRate) / rate;
    Signal out(length);
    for (size_t i = 0; i < length; ++i)
    {
        const double u = double(i) / samplesPerKnot;
        const size_t k = std::min(size_t(u), knots - 1);
        const double v0 = values[k];
        const double v1 = values[k + 1 < knots ? k + 1 : (ends == Ends::Loop ? 0 : k)];
        const double ease = 0.5 - 0.5 * std::cos(kPi * (u - double(k)));
        out[i] = v0 + (v1 - v0) * ease;
    }
    return out;
}

Signal follow(const Curve& curve, double seconds)
{
    Signal out(samplesFor(seconds));
    for (size_t i = 0; i < out.size(); ++i)
    {
        out[i] = curve.at(secondsAt(i));
    }
    return out;
}

Signal wobbled(const Signal& signal, double depth, double rate, RandomSequence& random, Ends ends)
{
    const Signal by = wobble(double(signal.size()) / kSampleRate, rate, random, ends);
    Signal out(signal.size());
    for (size_t i = 0; i < out.size(); ++i)
    {
        out[i] = signal[i] * (1.0 + depth * (i < by.size() ? by[i] : 0.0));
    }
    return out;
}

Signal lowPass(const Signal& signal, const Control& cutoff, double q, Ends ends)
{
    return filter(signal, Response::LowPass, cutoff, q, ends);
}

Signal highPass(const Signal& signal, const Control& cutoff, double q, Ends ends)
{
    return filter(signal, Response::HighPass, cutoff, q, ends);
}

Signal bandPass(const Signal& signal, const Control& centre, double q, Ends ends)
{
    return filter(signal, Response::BandPass, centre, q, ends);
}

Signal shaped(Signal signal, const Control& gain)
{
    for (size_t i = 0; i < signal.size(); ++i)
    {
        signal[i] *= gain.at(i);
    }
    return signal;
}

Signal roughened(Signal signal, const Signal& by, double depth)
{
    for (size_t i = 0; i < signal.size() && i < by.size(); ++i)
    {
        signal[i] *= 1.0 - depth + depth * std::abs(by[i]);
    }
    return signal;
}

Signal saturated(Signal signal, double drive)
{
    const double scale = 1.0 / std::tanh(drive);
    for (double& sample : signal)
    {
        sample = std::tanh(drive * sample) * scale;
    }
    return signal;
}

Signal mix(std::initializer_list<std::pair<const Signal*, double>> parts)
{
    size_t length = 0;
    for (const auto& part : parts)
    {
        length = std::max(length, part.first->size());
    }
    Signal out(length, 0.0);
    for (const auto& [signal, gain] : parts)
    {
        for (size_t i = 0; i < signal->size(); ++i)
        {
            out[i] += gain * (*signal)[i];
        }
    }
    return out;
}

void addAt(Signal& into, const Signal& part, double at, double gain, Ends ends)
{
    if (into.empty())
    {
        return;
    }
    const size_t start = samplesFor(at);
    for (size_t i = 0; i < part.size(); ++i)
    {
        size_t j = start + i;
        if (j >= into.size())
        {
            if (ends == Ends::Once)
            {
                return;
            }
            j %= into.size();
        }
        into[j] += gain * part[i];
    }
}

void addPanned(Signal& left, Signal& right, const Signal& part, double at, double gain, double pan,
               Ends ends)
{
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    addAt(left, part, at, gain * std::cos(angle), ends);
    addAt(right, part, at, gain * std::sin(angle), ends);
}

double peak(const Signal& signal)
{
    double largest = 0.0;
    for (double sample : signal)
    {
        largest = std::max(largest, std::abs(sample));
    }
    return largest;
}

double rms(const Signal& signal)
{
    double sum = 0.0;
    for (double sample : signal)
    {
        sum += sample * sample;
    }
    return signal.empty() ? 0.0 : std::sqrt(sum / double(signal.size()));
}

Signal normalisedPeak(Signal signal, double target)
{
    const double largest = peak(signal);
    if (largest > 0.0)
    {
        for (double& sample : signal)
        {
            sample *= target / largest;
        }
    }
    return signal;
}

Sound normalisedLoudness(Sound sound, double targetRms, double ceiling)
{
    double loudest = 0.0;
    double largest = 0.0;
    for (const Signal& channel : sound.channels)
    {
        loudest = std::max(loudest, rms(channel));
        largest = std::max(largest, peak(channel));
    }
    if (loudest <= 0.0)
    {
        return sound;
    }
    const double scale = std::min(targetRms / loudest, ceiling / largest);
    for (Signal& channel : sound.channels)
    {
        for (double& sample : channel)
        {
            sample *= scale;
        }
    }
    return sound;
}

std::vector<int16_t> toPcm16(const Sound& sound)
{
    std::vector<int16_t> out;
    if (sound.channels.empty())
    {
        return out;
    }
    const size_t frames = sound.channels.front().size();
    out.reserve(frames * sound.channels.size());
    for (size_t i = 0; i < frames; ++i)
    {
        for (const Signal& channel : sound.channels)
        {
            const double value = i < channel.size() ? channel[i] : 0.0;
            out.push_back(int16_t(std::clamp(std::lround(value * 32767.0), -32768L, 32767L)));
        }
    }
    return out;
}
