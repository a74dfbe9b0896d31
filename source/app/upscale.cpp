// Scaling the read-back scene up to the window's size.
#include "app/upscale.h"

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

std::vector<UpscaleTap> upscaleTaps(int sourceSize, int targetSize)
{
    std::vector<UpscaleTap> taps(size_t(targetSize > 0 ? targetSize : 0));
    const double step = double(sourceSize) / double(targetSize);
    for (int i = 0; i < targetSize; ++i)
    {
        // The target pixel's centre in the source's pixel units, less half a pixel: the position
        // between two source centres.
        const double at = (double(i) + 0.5) * step - 0.5;
        const double below = std::floor(at);
        int first = int(below);
        int second = first + 1;
        uint32_t weight = uint32_t(std::lround((at - below) * double(kUpscaleWeightOne)));
        if (weight == kUpscaleWeightOne)
        {
            first = second++;
            weight = 0;
        }
        first = first < 0 ? 0 : first >= sourceSize ? sourceSize - 1 : first;
        second = second < 0 ? 0 : second >= sourceSize ? sourceSize - 1 : second;
        taps[size_t(i)] = {first, second, weight};
    }
    return taps;
}

void Upscale::plan(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight)
{
    if (sourceWidth == m_sourceWidth && sourceHeight == m_sourceHeight &&
        targetWidth == int(m_columns.size()) && targetHeight == int(m_rows.size()))
    {
        return;
    }
    m_sourceWidth = sourceWidth;
    m_sourceHeight = sourceHeight;
    m_columns = upscaleTaps(sourceWidth, targetWidth);
    m_doubleWidth = targetWidth == 2 * sourceWidth;
    m_rows = upscaleTaps(sourceHeight, targetHeight);
}

namespace
{
#if defined(__SSE2__)
// Four pixels of a and of b mixed, b by the 16-bit weights in `weightsLow` (the first two pixels,
// each weight four times) and `weightsHigh` (the last two).
inline __m128i mixFourPixels(__m128i a, __m128i b, __m128i weightsLow, __m128i weightsHigh)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi16(short(kUpscaleWeightOne));
    const __m128i half = _mm_set1_epi16(short(kUpscaleWeightOne / 2));
    const __m128i low = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_sub_epi16(one, weightsLow)),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), weightsLow)),
        half);
    const __m128i high = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), _mm_sub_epi16(one, weightsHigh)),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), weightsHigh)),
        half);
    return _mm_packus_epi16(_mm_srli_epi16(low, 7), _mm_srli_epi16(high, 7));
}

// Row a and row b mixed, b by `weight`, four pixels at a time, the rest one by one.
void mixRows(const uint32_t* a, const uint32_t* b, uint32_t weight, size_t count, uint32_t* out)
{
    const __m128i weights = _mm_set1_epi16(short(weight));
    size_t x = 0;
    for (; x + 4 <= count; x += 4)
    {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + x));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x),
                         mixFourPixels(first, second, weights, weights));
    }
    for (; x < count; ++x)
    {
        out[x] = mixPixels(a[x], b[x], weight);
    }
}

__m128i twoWeights(const UpscaleTap& first, const UpscaleTap& second)
{
    const short a = short(first.weight);
    const short b = short(second.weight);
    return _mm_setr_epi16(a, a, a, a, b, b, b, b);
}

void mixColumns(const uint32_t* row, const std::vector<UpscaleTap>& columns, uint32_t* out)
{
    const size_t count = columns.size();
    const UpscaleTap* tap = columns.data();
    size_t x = 0;
    for (; x + 4 <= count; x += 4, tap += 4)
    {
        const __m128i first = _mm_setr_epi32(int(row[tap[0].first]), int(row[tap[1].first]),
                                             int(row[tap[2].first]), int(row[tap[3].first]));
        const __m128i second = _mm_setr_epi32(int(row[tap[0].second]), int(row[tap[1].second]),
                                              int(row[tap[2].second]), int(row[tap[3].second]));
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(out + x),
            mixFourPixels(first, second, twoWeights(tap[0], tap[1]), twoWeights(tap[2], tap[3])));
    }
    for (; x < count; ++x, ++tap)
    {
        out[x] = mixPixels(row[tap->first], row[tap->second], tap->weight);
    }
}

// Twice the width: between each two neighbouring pixels lie two window pixels, a quarter and
// three quarters of the way; the first and last are the row's own ends. Four pairs a step, no
// table.
void doubleColumns(const uint32_t* row, size_t width, uint32_t* out)
{
    const uint32_t quarter = kUpscaleWeightOne / 4;
    const __m128i near = _mm_set1_epi16(short(quarter));
    const __m128i far = _mm_set1_epi16(short(kUpscaleWeightOne - quarter));
    out[0] = row[0];
    size_t x = 1;
    for (; x + 4 <= width; x += 4)
    {
        const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x - 1));
        const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        const __m128i first = mixFourPixels(left, right, near, near);
        const __m128i second = mixFourPixels(left, right, far, far);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * x - 1),
                         _mm_unpacklo_epi32(first, second));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * x + 3),
                         _mm_unpackhi_epi32(first, second));
    }
    for (; x < width; ++x)
    {
        out[2 * x - 1] = mixPixels(row[x - 1], row[x], quarter);
        out[2 * x] = mixPixels(row[x - 1], row[x], kUpscaleWeightOne - quarter);
    }
    out[2 * width - 1] = row[width - 1];
}
#else
void doubleColumns(const uint32_t* row, size_t width, uint32_t* out)
{
    const uint32_t quarter = kUpscaleWeightOne / 4;
    out[0] = row[0];
    for (size_t x = 1; x < width; ++x)
    {
        out[2 * x - 1] = mixPixels(row[x - 1], row[x], quarter);
        out[2 * x] = mixPixels(row[x - 1], row[x], kUpscaleWeightOne - quarter);
    }
    out[2 * width - 1] = row[width - 1];
}

void mixRows(const uint32_t* a, const uint32_t* b, uint32_t weight, size_t count, uint32_t* out)
{
    for (size_t x = 0; x < count; ++x)
    {
        out[x] = mixPixels(a[x], b[x], weight);
    }
}

void mixColumns(const uint32_t* row, const std::vector<UpscaleTap>& columns, uint32_t* out)
{
    for (const UpscaleTap& tap : columns)
    {
        *out++ = mixPixels(row[tap.first], row[tap.second], tap.weight);
    }
}
#endif
} // namespace

void Upscale::scaleRows(const uint32_t* source, uint32_t* target, int targetStride, int begin,
                        int end, uint32_t* scratch) const
{
    const int targetHeight = int(m_rows.size());
    const size_t width = size_t(m_sourceWidth);
    for (int row = begin; row < end; ++row)
    {
        // The window's top row is the scene's last.
        const UpscaleTap& tap = m_rows[size_t(targetHeight - 1 - row)];
        const uint32_t* mixed = source + size_t(tap.first) * width;
        if (tap.weight != 0)
        {
            mixRows(mixed, source + size_t(tap.second) * width, tap.weight, width, scratch);
            mixed = scratch;
        }
        uint32_t* out = target + size_t(row) * size_t(targetStride);
        if (m_doubleWidth)
        {
            doubleColumns(mixed, width, out);
        }
        else
        {
            mixColumns(mixed, m_columns, out);
        }
    }
}
