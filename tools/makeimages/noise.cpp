// Hash-based gradient and cellular noise with wrap-around lattices.
#include "noise.h"

#include <cmath>

namespace
{
const float kTwoPi = 6.28318530718f;

int wrap(int value, int period)
{
    const int r = value % period;
    return r < 0 ? r + period : r;
}

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float gradientDot(int cx, int cy, int cellsU, int cellsV, uint32_t seed, float dx, float dy)
{
    const float angle = hashUnit(wrap(cx, cellsU), wrap(cy, cellsV), seed) * kTwoPi;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}
} // namespace

uint32_t hashCell(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hashUnit(int x, int y, uint32_t seed)
{
    return float(hashCell(x, y, seed) >> 8) / 16777216.0f;
}

float tileNoise(float u, float v, int cellsU, int cellsV, uint32_t seed)
{
    const float x = u * float(cellsU);
    const float y = v * float(cellsV);
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const float fx = x - float(x0);
    const float fy = y - float(y0);
    const float n00 = gradientDot(x0, y0, cellsU, cellsV, seed, fx, fy);
    const float n10 = gradientDot(x0 + 1, y0, cellsU, cellsV, seed, fx - 1.0f, fy);
    const float n01 = gradientDot(x0, y0 + 1, cellsU, cellsV, seed, fx, fy - 1.0f);
    const float n11 = gradientDot(x0 + 1, y0 + 1, cellsU, cellsV, seed, fx - 1.0f, fy - 1.0f);
    const float sx = fade(fx);
    const float sy = fade(fy);
    // Gradient noise peaks near +-0.7; scale towards +-1.
    return 1.41f * mix(mix(n00, n10, sx), mix(n01, n11, sx), sy);
}

float tileFbm(float u, float v, int cellsU, int cellsV, int octaves, float gain, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave)
    {
        sum += amplitude *
               tileNoise(u, v, cellsU << octave, cellsV << octave, seed + uint32_t(octave) * 1013u);
        total += amplitude;
        amplitude *= gain;
    }
    return sum / total;
}

CellularSample tileCellular(float u, float v, int cells, uint32_t seed)
{
    const float x = u * float(cells);
    const float y = v * float(cells);
    const int cx = int(std::floor(x));
    const int cy = int(std::floor(y));
    CellularSample sample{1e9f, 1e9f, 0};
    for (int dy = -1; dy <= 1; ++dy)
    {
        for (int dx = -1; dx <= 1; ++dx)
        {
            const int nx = wrap(cx + dx, cells);
            const int ny = wrap(cy + dy, cells);
            const float px = float(cx + dx) + hashUnit(nx, ny, seed);
            const float py = float(cy + dy) + hashUnit(nx, ny, seed ^ 0x5bd1e995u);
            const float distance = std::hypot(px - x, py - y);
            if (distance < sample.nearest)
            {
                sample.second = sample.nearest;
                sample.nearest = distance;
                sample.id = hashCell(nx, ny, seed + 7u);
            }
            else if (distance < sample.second)
            {
                sample.second = distance;
            }
        }
    }
    return sample;
}

uint32_t Scatter::next()
{
    // xorshift32, after a mix so that small seeds differ at once.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

float Scatter::range(float low, float high)
{
    return low + (high - low) * float(next() >> 8) / 16777216.0f;
}

float clamp01(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

float smoothStep(float edge0, float edge1, float value)
{
    const float t = clamp01((value - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}
