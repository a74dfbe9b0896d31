// The building blocks of the sound recipes: signals, curves over time, oscillators, noise,
// filters, envelopes and mixing. Everything is computed in doubles at kSampleRate, and every
// random draw comes from a RandomSequence the recipe is given, so a recipe with a fixed seed makes
// the same samples on every run.
#pragma once

#include "math/random.h"

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

const int kSampleRate = 22050;

// Samples at kSampleRate, nominally within -1 ... 1.
using Signal = std::vector<double>;

// A sound file's channels, each as long as the first: one for sounds placed in the world, two
// for beds.
struct Sound
{
    std::vector<Signal> channels;
};

Sound mono(Signal signal);
Sound stereo(Signal left, Signal right);

// Whole samples in `seconds`, rounded.
size_t samplesFor(double seconds);

// A value changing over time: straight lines between (seconds, value) points, held before the
// first point and after the last. A plain number is a curve that never changes.
class Curve
{
public:
    Curve(double constant);
    Curve(std::initializer_list<std::pair<double, double>> points);
    double at(double seconds) const;

private:
    std::vector<std::pair<double, double>> m_points;
};

// What a parameter follows sample by sample: a curve over time, or a signal of its own (read
// at the same sample; past its end the last value holds).
class Control
{
public:
    Control(double constant) : m_curve(constant) {}
    Control(const Curve& curve) : m_curve(curve) {}
    Control(const Signal& samples) : m_curve(0.0), m_samples(samples), m_useSamples(true) {}
    double at(size_t sample) const;

private:
    Curve m_curve;
    Signal m_samples;
    bool m_useSamples = false;
};

// How a filter or a wobble treats the ends: Once for a sound that starts from silence and ends,
// Loop for a bed whose end runs on into its start. A looping filter settles over one pass and
// keeps the second, so the end flows into the start without a seam.
enum class Ends
{
    Once,
    Loop
};

// --- Sources -------------------------------------------------------------------------------

Signal silence(double seconds);
// Uniform white noise in -1 ... 1.
Signal whiteNoise(double seconds, RandomSequence& random);
// A sine whose pitch (Hz) follows `pitch`, starting at `phase` (in turns).
Signal sine(double seconds, const Control& pitch, double phase = 0.0);
// A buzz: every harmonic of `pitch` below 90 % of the Nyquist frequency, the k-th at 1 / k^tilt,
// so a larger tilt is darker. Harmonics fade in and out near the limit as the pitch moves.
Signal buzz(const Signal& pitch, double tilt);
// A struck mode: a sine at `hz` dying away by e every `decay` seconds.
Signal ring(double seconds, double hz, double decay);
// A smooth random wander in about -1 ... 1, `rate` new values a second, eased between. Looping,
// it takes whole periods so that the end joins the start.
Signal wobble(double seconds, double rate, RandomSequence& random, Ends ends = Ends::Once);
// `curve` sampled over `seconds`.
Signal follow(const Curve& curve, double seconds);
// Each sample times 1 + depth * wobble: a pitch that wavers, a loudness that flutters.
Signal wobbled(const Signal& signal, double depth, double rate, RandomSequence& random,
               Ends ends = Ends::Once);

// --- Filters: two-pole sections of the audio cookbook, cutoffs and centres in Hz ------------

Signal lowPass(const Signal& signal, const Control& cutoff, double q = 0.707,
               Ends ends = Ends::Once);
Signal highPass(const Signal& signal, const Control& cutoff, double q = 0.707,
                Ends ends = Ends::Once);
// Unity gain at the centre; a larger q is a narrower band.
Signal bandPass(const Signal& signal, const Control& centre, double q, Ends ends = Ends::Once);

// --- Shaping and mixing ---------------------------------------------------------------------

// Each sample times the gain at its time.
Signal shaped(Signal signal, const Control& gain);
// Each sample times 1 - depth + depth * |by|: rasp and flutter from a wobble or noise.
Signal roughened(Signal signal, const Signal& by, double depth);
// tanh(drive x) / tanh(drive): loud parts rounded off, quiet ones kept.
Signal saturated(Signal signal, double drive);
// The sum of the parts, each times its gain, as long as the longest.
Signal mix(std::initializer_list<std::pair<const Signal*, double>> parts);
// Adds `part` times `gain` into `into` from `at` seconds on; looping, what passes the end
// continues at the start, otherwise it is cut there.
void addAt(Signal& into, const Signal& part, double at, double gain, Ends ends = Ends::Once);
// The same into two channels, placed by `pan` (-1 left ... 1 right) at equal power.
void addPanned(Signal& left, Signal& right, const Signal& part, double at, double gain, double pan,
               Ends ends = Ends::Once);

double peak(const Signal& signal);
double rms(const Signal& signal);
// Scaled so that the largest magnitude is `target`.
Signal normalisedPeak(Signal signal, double target);
// Every channel scaled alike: the loudest channel's RMS becomes `targetRms`, unless that lifts a
// peak above `ceiling`, which then decides.
Sound normalisedLoudness(Sound sound, double targetRms, double ceiling);

// 16-bit samples, channels interleaved, rounded to the nearest step and clipped at full scale.
std::vector<int16_t> toPcm16(const Sound& sound);
