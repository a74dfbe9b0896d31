// Short-time Fourier transform over Hann windows, drawn onto a logarithmic frequency axis.
#include "spectrogram.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace
{
const double kPi = 3.14159265358979323846;
const int kWindow = 1024;
const int kHeight = 256;
const double kLowestHz = 50.0;
const double kFloorDb = -90.0;

// In place, iterative radix-2; the size is a power of two.
void fft(std::vector<std::complex<double>>& data)
{
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
        {
            j ^= bit;
        }
        j ^= bit;
        if (i < j)
        {
            std::swap(data[i], data[j]);
        }
    }
    for (size_t length = 2; length <= n; length <<= 1)
    {
        const std::complex<double> step = std::polar(1.0, -2.0 * kPi / double(length));
        for (size_t start = 0; start < n; start += length)
        {
            std::complex<double> w = 1.0;
            for (size_t k = 0; k < length / 2; ++k)
            {
                const std::complex<double> even = data[start + k];
                const std::complex<double> odd = data[start + k + length / 2] * w;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}

// Black, deep blue, purple, orange, yellow, white, evenly spread over 0 ... 1, in steps of
// 1.5 dB: finer than the eye tells apart, and a picture that compresses well.
void colour(double level, unsigned char* rgb)
{
    static const double stops[6][3] = {{0, 0, 0},     {20, 12, 80},   {120, 24, 130},
                                       {230, 90, 30}, {250, 215, 60}, {255, 255, 255}};
    const double steps = -kFloorDb / 1.5;
    const double x = std::round(std::clamp(level, 0.0, 1.0) * steps) / steps * 5.0;
    const int i = std::min(int(x), 4);
    const double t = x - i;
    for (int c = 0; c < 3; ++c)
    {
        rgb[c] = (unsigned char)std::lround(stops[i][c] + (stops[i + 1][c] - stops[i][c]) * t);
    }
}

void tint(unsigned char* rgb, int amount)
{
    for (int c = 0; c < 3; ++c)
    {
        rgb[c] = (unsigned char)std::min(255, rgb[c] + amount);
    }
}
} // namespace

RgbImage spectrogram(const Sound& sound)
{
    const size_t samples = sound.channels.empty() ? 0 : sound.channels.front().size();
    // At most 640 columns; short sounds at one column every 16 samples.
    const size_t hop = std::max<size_t>(16, (samples + 639) / 640);
    const int width = std::max(1, int((samples + hop - 1) / hop));
    RgbImage image(width, kHeight);

    std::vector<double> window(kWindow);
    double windowSum = 0.0;
    for (int i = 0; i < kWindow; ++i)
    {
        window[size_t(i)] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / kWindow);
        windowSum += window[size_t(i)];
    }
    const double nyquist = kSampleRate / 2.0;
    std::vector<std::complex<double>> bins(kWindow);
    std::vector<double> power(kWindow / 2 + 1);
    for (int x = 0; x < width; ++x)
    {
        std::fill(power.begin(), power.end(), 0.0);
        for (const Signal& channel : sound.channels)
        {
            const long centre = long(size_t(x) * hop);
            for (int i = 0; i < kWindow; ++i)
            {
                const long at = centre - kWindow / 2 + i;
                const double value =
                    at >= 0 && size_t(at) < channel.size() ? channel[size_t(at)] : 0.0;
                bins[size_t(i)] = value * window[size_t(i)];
            }
            fft(bins);
            for (size_t k = 0; k < power.size(); ++k)
            {
                // A full-scale sine reads 0 dB.
                power[k] += std::norm(bins[k] * (2.0 / windowSum));
            }
        }
        for (int y = 0; y < kHeight; ++y)
        {
            const double hz = kLowestHz * std::pow(nyquist / kLowestHz, (y + 0.5) / kHeight);
            const double bin = hz / nyquist * (kWindow / 2);
            const size_t k = std::min(size_t(bin), power.size() - 2);
            const double t = bin - double(k);
            const double p = power[k] * (1.0 - t) + power[k + 1] * t;
            const double db = 10.0 * std::log10(std::max(p, 1e-30));
            colour((db - kFloorDb) / -kFloorDb, image.at(x, y));
        }
    }

    // Frequency lines, then time ticks.
    const double lines[] = {100, 200, 500, 1000, 2000, 5000, 10000};
    for (double hz : lines)
    {
        const int y =
            int(std::lround(kHeight * std::log(hz / kLowestHz) / std::log(nyquist / kLowestHz)));
        const bool decade = hz == 100 || hz == 1000 || hz == 10000;
        for (int x = 0; y >= 0 && y < kHeight && x < width; ++x)
        {
            tint(image.at(x, y), decade ? 70 : 35);
        }
    }
    const double secondsPerColumn = double(hop) / kSampleRate;
    for (int tenth = 1;; ++tenth)
    {
        const int x = int(std::lround(tenth * 0.1 / secondsPerColumn));
        if (x >= width)
        {
            break;
        }
        const int height = tenth % 10 == 0 ? 12 : 5;
        for (int y = 0; y < height; ++y)
        {
            tint(image.at(x, y), 200);
        }
    }
    return image;
}
