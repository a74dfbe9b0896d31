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

// A crown of leaves over a thin trunk left of the middle, with one stray texel and faint alpha
// (1) at the crown's rim: the shape of a plant image, off every symmetry.
DecodedImage plantShapedImage()
{
    DecodedImage image;
    image.width = kWidth;
    image.height = kHeight;
    image.channels = 4;
    image.pixels.assign(size_t(kWidth * kHeight * 4), 0);
    auto setAlpha = [&](int x, int y, unsigned char alpha)
    { image.pixels[size_t((y * kWidth + x) * 4 + 3)] = alpha; };
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
        {
            const double dx = (x - 15.3) / 11.0;
            const double dy = (y - 19.6) / 7.5;
            const double d = dx * dx + dy * dy;
            if (d < 1.0)
            {
                setAlpha(x, y, d > 0.8 ? 1 : 255);
            }
        }
    }
    for (int y = 0; y < 13; ++y)
    {
        setAlpha(16, y, 200);
        setAlpha(17, y, 200);
    }
    setAlpha(33, 3, 7);
    return image;
}

// Whether linear filtering with clamped edges reads a texel with alpha at (s, t): any of the
// four texels it mixes with a weight above zero.
bool filteredAlphaShows(const DecodedImage& image, double s, double t)
{
    const double u = s * image.width - 0.5;
    const double v = t * image.height - 0.5;
    const int i0 = int(std::floor(u));
    const int j0 = int(std::floor(v));
    for (int j = j0; j <= j0 + 1; ++j)
    {
        for (int i = i0; i <= i0 + 1; ++i)
        {
            const double weight = (1.0 - std::abs(u - i)) * (1.0 - std::abs(v - j));
            const int x = std::clamp(i, 0, image.width - 1);
            const int y = std::clamp(j, 0, image.height - 1);
            if (weight > 0.0 && image.at(x, y)[3] != 0)
            {
                return true;
            }
        }
    }
    return false;
}

// Inside or on a counter-clockwise convex outline.
bool holds(const BladeOutline& outline, double s, double t)
{
    for (int i = 0; i < outline.cornerCount; ++i)
    {
        const float* a = outline.corners[i];
        const float* b = outline.corners[(i + 1) % outline.cornerCount];
        if ((b[0] - a[0]) * (t - a[1]) - (b[1] - a[1]) * (s - a[0]) < -1e-9)
        {
            return false;
        }
    }
    return outline.cornerCount >= 3;
}

double area(const BladeOutline& outline)
{
    double twice = 0.0;
    for (int i = 0; i < outline.cornerCount; ++i)
    {
        const float* a = outline.corners[i];
        const float* b = outline.corners[(i + 1) % outline.cornerCount];
        twice += double(a[0]) * b[1] - double(b[0]) * a[1];
    }
    return twice / 2.0;
}
} // namespace

TEST(BladeOutline, HoldsEveryPointWhereFilteredAlphaShowsAndStaysInItsHalf)
{
    const DecodedImage image = plantShapedImage();
    for (bool left : {true, false})
    {
        const BladeOutline outline = outlineVisibleTexels(image, left);
        ASSERT_GE(outline.cornerCount, 3);
        EXPECT_LE(outline.cornerCount, kBladeOutlineCorners);
        EXPECT_GT(area(outline), 0.0) << "counter-clockwise";
        EXPECT_LT(area(outline), 0.85 * 0.5) << "the clear margins are trimmed";
        const double s0 = left ? 0.0 : 0.5;
        for (int i = 0; i < outline.cornerCount; ++i)
        {
            EXPECT_GE(outline.corners[i][0], s0);
            EXPECT_LE(outline.corners[i][0], s0 + 0.5);
            EXPECT_GE(outline.corners[i][1], 0.0f);
            EXPECT_LE(outline.corners[i][1], 1.0f);
        }
        // Samples finer than the texels, reaching into every texel's filter footprint.
        int shown = 0;
        for (int j = 0; j <= 997; ++j)
        {
            for (int i = 0; i <= 499; ++i)
            {
                const double s = s0 + 0.5 * i / 499.0;
                const double t = j / 997.0;
                if (filteredAlphaShows(image, s, t))
                {
                    ++shown;
                    ASSERT_TRUE(holds(outline, s, t))
                        << (left ? "left" : "right") << " half, s " << s << ", t " << t;
                }
            }
        }
        EXPECT_GT(shown, 1000);
    }
}

TEST(BladeOutline, ClearHalvesDrawNothingAndImagesWithoutAlphaDrawWhole)
{
    DecodedImage image = plantShapedImage();
    // Clear the right half and the trunk's reach across the middle.
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 15; x < kWidth; ++x)
        {
            image.pixels[size_t((y * kWidth + x) * 4 + 3)] = 0;
        }
    }
    EXPECT_EQ(outlineVisibleTexels(image, false).cornerCount, 0);
    EXPECT_GE(outlineVisibleTexels(image, true).cornerCount, 3);

    image.channels = 3;
    const BladeOutline whole = outlineVisibleTexels(image, false);
    ASSERT_EQ(whole.cornerCount, 4);
    EXPECT_DOUBLE_EQ(area(whole), 0.5);
    EXPECT_FLOAT_EQ(whole.corners[0][0], 0.5f);
    EXPECT_EQ(outlineVisibleTexels(DecodedImage(), true).cornerCount, 4);
}
