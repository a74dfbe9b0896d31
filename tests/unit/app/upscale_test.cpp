// The processor's copy up samples as a linear filter does: checked against bilinear sampling
// computed in doubles, at a scale of exactly two and at odd sizes.
#include "app/softwarecopyup.h"
#include "app/upscale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
uint32_t channel(uint32_t pixel, int c)
{
    return (pixel >> (8 * c)) & 0xffu;
}

// A picture with every channel different and changing fast: no two neighbours alike.
std::vector<uint32_t> pattern(int width, int height)
{
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const uint32_t a = uint32_t(x * 37 + y * 11) & 0xffu;
            const uint32_t b = uint32_t(x * x + 3 * y) & 0xffu;
            const uint32_t c = uint32_t(255 - (x * 7 + y * y * 5) % 256);
            const uint32_t d = uint32_t((x ^ y) * 29) & 0xffu;
            pixels[size_t(y) * size_t(width) + size_t(x)] = a | b << 8 | c << 16 | d << 24;
        }
    }
    return pixels;
}

// Channel c of the source, bottom row first, sampled bilinearly at window pixel (x, y), top row
// first, with the edges clamped.
double referenceSample(const std::vector<uint32_t>& source, int sw, int sh, int tw, int th, int x,
                       int y, int c)
{
    const double u = (x + 0.5) * sw / tw - 0.5;
    const double v = (th - 1 - y + 0.5) * sh / th - 0.5;
    auto at = [&](int sx, int sy)
    {
        sx = sx < 0 ? 0 : sx >= sw ? sw - 1 : sx;
        sy = sy < 0 ? 0 : sy >= sh ? sh - 1 : sy;
        return double(channel(source[size_t(sy) * size_t(sw) + size_t(sx)], c));
    };
    const int x0 = int(std::floor(u));
    const int y0 = int(std::floor(v));
    const double fx = u - x0;
    const double fy = v - y0;
    return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
           (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
}
} // namespace

TEST(Upscale, MixesChannelsApartAndRoundsToNearest)
{
    EXPECT_EQ(mixPixels(0x12345678u, 0x9abcdef0u, 0), 0x12345678u);
    EXPECT_EQ(mixPixels(0x12345678u, 0x9abcdef0u, kUpscaleWeightOne), 0x9abcdef0u);
    // Full channels beside empty ones: nothing carries from one channel into the next.
    EXPECT_EQ(mixPixels(0xff00ff00u, 0x00ff00ffu, 64), 0x80808080u);
    EXPECT_EQ(mixPixels(0xffffffffu, 0xffffffffu, 37), 0xffffffffu);
    EXPECT_EQ(mixPixels(0x00000000u, 0x00000003u, 32), 0x00000001u); // 0.75 rounds up
}

TEST(Upscale, SamplesAsALinearFilterAtAnyScale)
{
    // Twice the size, the automatic scale's usual step; odd sizes at uneven ratios; a single row.
    const int sizes[][4] = {{50, 30, 100, 60}, {37, 23, 101, 61}, {71, 45, 96, 61}, {9, 1, 29, 3}};
    for (const auto& size : sizes)
    {
        const int sw = size[0], sh = size[1], tw = size[2], th = size[3];
        const std::vector<uint32_t> source = pattern(sw, sh);
        Upscale upscale;
        upscale.plan(sw, sh, tw, th);
        const int stride = tw + 3; // rows wider than the picture, as a window's may be
        std::vector<uint32_t> target(size_t(stride) * size_t(th), 0xdeadbeefu);
        std::vector<uint32_t> scratch(static_cast<size_t>(sw));
        // In two bands, as the two threads share it.
        upscale.scaleRows(source.data(), target.data(), stride, 0, th / 2, scratch.data());
        upscale.scaleRows(source.data(), target.data(), stride, th / 2, th, scratch.data());
        double worst = 0.0;
        for (int y = 0; y < th; ++y)
        {
            for (int x = 0; x < tw; ++x)
            {
                const uint32_t pixel = target[size_t(y) * size_t(stride) + size_t(x)];
                for (int c = 0; c < 4; ++c)
                {
                    const double expected = referenceSample(source, sw, sh, tw, th, x, y, c);
                    worst = std::max(worst, std::fabs(double(channel(pixel, c)) - expected));
                }
            }
            EXPECT_EQ(target[size_t(y) * size_t(stride) + size_t(tw)], 0xdeadbeefu)
                << "nothing written past a row's end";
        }
        // Weights in 128ths and two roundings: within two levels of the exact value.
        EXPECT_LE(worst, 2.0) << sw << "x" << sh << " to " << tw << "x" << th;
    }
}

TEST(Upscale, RecognisesRenderersThatDrawOnTheProcessor)
{
    EXPECT_TRUE(rendersOnProcessor("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(rendersOnProcessor("softpipe"));
    EXPECT_FALSE(rendersOnProcessor("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(rendersOnProcessor(nullptr));
}
