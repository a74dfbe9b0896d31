// The scene scaled up to the window by the processor, as the GL's linear filter magnifies it:
// each window pixel's centre is mapped back into the scene and the two nearest columns and rows
// there are mixed by their distance, clamped at the edges. Weights are in 128ths, so a channel
// may differ from the GL's by a level. Pure computation, a band of rows at a time, so that two
// threads can share one picture.
#pragma once

#include <cstdint>
#include <vector>

// Pixels are 32 bits, four 8-bit channels in any order: every channel is mixed alike.
const uint32_t kUpscaleWeightOne = 128;

// Where one window column (or row) samples the scene: the two scene columns it mixes and the
// weight of the second, 0 ... kUpscaleWeightOne.
struct UpscaleTap
{
    int first = 0;
    int second = 0;
    uint32_t weight = 0;
};

// The taps of each of `targetSize` columns over `sourceSize` (both at least 1).
std::vector<UpscaleTap> upscaleTaps(int sourceSize, int targetSize);

// a and b mixed channel by channel, b by `weight` 128ths, rounded to nearest.
inline uint32_t mixPixels(uint32_t a, uint32_t b, uint32_t weight)
{
    // Two channels a lane of 16 bits: 255 x 128 plus the rounding still fits in one.
    const uint32_t keep = kUpscaleWeightOne - weight;
    const uint32_t mask = 0x00ff00ffu;
    const uint32_t even = ((a & mask) * keep + (b & mask) * weight + 0x00400040u) >> 7;
    const uint32_t odd = (((a >> 8) & mask) * keep + ((b >> 8) & mask) * weight + 0x00400040u) >> 7;
    return (even & mask) | ((odd & mask) << 8);
}

class Upscale
{
public:
    // Tables for a scene of the given size, its bottom row first (as the GL reads pixels back),
    // scaled over a window of the given size, its top row first (as the window shows it). Memory
    // is taken only when a size changes.
    void plan(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);
    int sourceWidth() const { return m_sourceWidth; }
    int targetHeight() const { return int(m_rows.size()); }

    // Window rows [begin, end) from `source` into `target` (`targetStride` pixels from one row to
    // the next), through `scratch`, one row of the scene's width for each thread.
    void scaleRows(const uint32_t* source, uint32_t* target, int targetStride, int begin, int end,
                   uint32_t* scratch) const;

private:
    std::vector<UpscaleTap> m_columns;
    std::vector<UpscaleTap> m_rows;
    int m_sourceWidth = 0;
    int m_sourceHeight = 0;
    bool m_doubleWidth = false; // twice as wide: the columns' weights need no table
};
