// A blade's outline holds every point where linear filtering can give its image alpha, stays in
// its half, and trims the clear margins.
#include "world/bladeoutline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace
{
// Odd sizes, so that the halves meet in the middle of a texel column.
const int kWidth = 37;
const int kHeight = 29;

// A crown with a faint rim (alpha 1) over a thin trunk left of the middle, and one stray texel.
DecodedImage plantShapedImage()
{
    DecodedImage image{kWidth, kHeight, 4, std::vector<unsigned char>(kWidth * kHeight * 4, 0)};
    auto alpha = [&](int x, int y) -> unsigned char&
    { return image.pixels[(y * kWidth + x) * 4 + 3]; };
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const double d = std::pow((x - 15.3) / 11.0, 2) + std::pow((y - 19.6) / 7.5, 2);
            alpha(x, y) = d < 0.8 ? 255 : d < 1.0 ? 1 : 0;
        }
    }
    for (int y = 0; y < 13; ++y)
    {
        alpha(16, y) = alpha(17, y) = 200;
    }
    alpha(33, 3) = 7;
    return image;
}

// Whether linear filtering with clamped edges mixes in, with a weight above zero, a texel with
// alpha at (s, t).
bool filteredAlphaShows(const DecodedImage& image, double s, double t)
{
    const double u = s * image.width - 0.5;
    const double v = t * image.height - 0.5;
    for (int j = int(std::floor(v)); j <= int(std::floor(v)) + 1; ++j)
    {
        for (int i = int(std::floor(u)); i <= int(std::floor(u)) + 1; ++i)
        {
            const bool weighs = std::abs(u - i) < 1.0 && std::abs(v - j) < 1.0;
            if (weighs && image.at(std::clamp(i, 0, image.width - 1),
                                   std::clamp(j, 0, image.height - 1))[3] != 0)
            {
                return true;
            }
        }
    }
    return false;
}

// Twice the signed area of corners a, b and p: not below zero when p is left of a to b.
double turn(const float* a, const float* b, double s, double t)
{
    return (b[0] - a[0]) * (t - a[1]) - (b[1] - a[1]) * (s - a[0]);
}
} // namespace

TEST(BladeOutline, HoldsEveryPointWhereFilteredAlphaShowsStaysInItsHalfAndTrims)
{
    const DecodedImage image = plantShapedImage();
    for (bool left : {true, false})
    {
        const BladeOutline outline = outlineVisibleTexels(image, left);
        ASSERT_GE(outline.cornerCount, 3);
        EXPECT_LE(outline.cornerCount, kBladeOutlineCorners);
        const double s0 = left ? 0.0 : 0.5;
        double area = 0.0;
        for (int i = 0; i < outline.cornerCount; ++i)
        {
            const float* corner = outline.corners[i];
            area += turn(corner, outline.corners[(i + 1) % outline.cornerCount], 0.0, 0.0) / 2;
            EXPECT_TRUE(corner[0] >= s0 && corner[0] <= s0 + 0.5 && corner[1] >= 0.0f &&
                        corner[1] <= 1.0f);
        }
        EXPECT_GT(area, 0.0) << "counter-clockwise";
        EXPECT_LT(area, 0.85 * 0.5) << "the clear margins are trimmed";
        // Samples finer than the texels, reaching into every texel's filter footprint.
        int shown = 0;
        for (int j = 0; j <= 997; ++j)
        {
            for (int i = 0; i <= 499; ++i)
            {
                const double s = s0 + 0.5 * i / 499.0;
                const double t = j / 997.0;
                if (!filteredAlphaShows(image, s, t))
                {
                    continue;
                }
                ++shown;
                for (int k = 0; k < outline.cornerCount; ++k)
                {
                    const float* next = outline.corners[(k + 1) % outline.cornerCount];
                    ASSERT_GE(turn(outline.corners[k], next, s, t), -1e-9) << s << ", " << t;
                }
            }
        }
        EXPECT_GT(shown, 1000);
    }
}

TEST(BladeOutline, AClearHalfDrawsNothingAndAnImageWithoutAlphaDrawsWhole)
{
    DecodedImage image = plantShapedImage();
    for (int i = 0; i < kWidth * kHeight; ++i)
    {
        image.pixels[size_t(i) * 4 + 3] = i % kWidth >= 15 ? 0 : image.pixels[size_t(i) * 4 + 3];
    }
    EXPECT_EQ(outlineVisibleTexels(image, false).cornerCount, 0);
    EXPECT_GE(outlineVisibleTexels(image, true).cornerCount, 3);
    image.channels = 3;
    const BladeOutline whole = outlineVisibleTexels(image, false);
    ASSERT_EQ(whole.cornerCount, 4);
    EXPECT_EQ(whole.corners[0][0], 0.5f);
    EXPECT_EQ(whole.corners[2][0], 1.0f);
    EXPECT_EQ(whole.corners[2][1], 1.0f);
}
