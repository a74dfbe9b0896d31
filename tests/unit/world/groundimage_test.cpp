// The ground's one image against a reference: each texel the GL's bilinear, repeating sample of
// the colour map at the texel's centre, times the detail texel under it, doubled.
#include "world/groundimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
DecodedImage noiseImage(int width, int height, unsigned seed)
{
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.channels = 3;
    std::mt19937 generator(seed);
    for (int i = 0; i < width * height * 3; ++i)
    {
        image.pixels.push_back(static_cast<unsigned char>(generator() % 256));
    }
    return image;
}

// The whole image in one band, 4 channels; empty where the maker refuses.
DecodedImage detailedColourMap(const DecodedImage& colourMap, const DecodedImage& detail,
                               int repeat)
{
    DecodedImage result;
    DetailedColourMap maker;
    if (maker.begin(colourMap, detail, repeat))
    {
        result.width = maker.width();
        result.height = maker.height();
        result.channels = 4;
        result.pixels.resize(result.rowBytes() * size_t(result.height));
        maker.makeRows(0, result.height, result.pixels.data());
    }
    return result;
}

// GL_LINEAR under GL_REPEAT, straight from its definition, at texture coordinates (s, t).
double sampleRepeating(const DecodedImage& image, double s, double t, int channel)
{
    const double u = s * image.width - 0.5;
    const double v = t * image.height - 0.5;
    const int i0 = int(std::floor(u));
    const int j0 = int(std::floor(v));
    const double a = u - i0;
    const double b = v - j0;
    const auto texel = [&](int i, int j)
    {
        i = ((i % image.width) + image.width) % image.width;
        j = ((j % image.height) + image.height) % image.height;
        return double(image.at(i, j)[channel]);
    };
    return (1 - a) * (1 - b) * texel(i0, j0) + a * (1 - b) * texel(i0 + 1, j0) +
           (1 - a) * b * texel(i0, j0 + 1) + a * b * texel(i0 + 1, j0 + 1);
}
} // namespace

TEST(DetailedColourMap, EveryTexelIsTheColourMapSampledAtItsCentreTimesTheDetailDoubled)
{
    const DecodedImage colourMap = noiseImage(7, 5, 3);
    const DecodedImage detail = noiseImage(3, 4, 11);
    const int repeat = 3;
    const DecodedImage merged = detailedColourMap(colourMap, detail, repeat);
    ASSERT_EQ(merged.width, 9);
    ASSERT_EQ(merged.height, 12);
    ASSERT_EQ(merged.channels, 4);
    int clamped = 0;
    for (int y = 0; y < merged.height; ++y)
    {
        for (int x = 0; x < merged.width; ++x)
        {
            const double s = (x + 0.5) / merged.width;
            const double t = (y + 0.5) / merged.height;
            for (int c = 0; c < 3; ++c)
            {
                const double expected = std::min(
                    255.0, sampleRepeating(colourMap, s, t, c) *
                               detail.at(x % detail.width, y % detail.height)[c] * 2.0 / 255.0);
                clamped += expected == 255.0;
                EXPECT_NEAR(merged.at(x, y)[c], expected, 0.51) << x << ", " << y << ", " << c;
            }
            EXPECT_EQ(merged.at(x, y)[3], 255);
        }
    }
    EXPECT_GT(clamped, 0) << "the doubling's clamp is met";
}

// Bands made in any order, of any height, give the rows the whole image has.
TEST(DetailedColourMap, BandsInAnyOrderMakeTheSameRows)
{
    const DecodedImage colourMap = noiseImage(6, 9, 5);
    const DecodedImage detail = noiseImage(5, 3, 8);
    const DecodedImage whole = detailedColourMap(colourMap, detail, 4);
    DetailedColourMap maker;
    ASSERT_TRUE(maker.begin(colourMap, detail, 4));
    const size_t rowBytes = size_t(maker.width()) * 4;
    for (int first : {7, 2, 10, 0, 9, 3})
    {
        std::vector<unsigned char> band(rowBytes * 2);
        maker.makeRows(first, 2, band.data());
        EXPECT_TRUE(std::equal(band.begin(), band.end(), whole.at(0, first))) << first;
    }
}

TEST(DetailedColourMap, RefusesWhatItCannotMake)
{
    const DecodedImage colourMap = noiseImage(4, 4, 1);
    DecodedImage detail = noiseImage(64, 32, 2);
    DetailedColourMap maker;
    EXPECT_FALSE(maker.begin(colourMap, detail, kMaxDetailedMapSide / 64 + 1)) << "too wide";
    EXPECT_FALSE(maker.begin(colourMap, detail, 0));
    EXPECT_TRUE(maker.begin(colourMap, detail, kMaxDetailedMapSide / 64));
    detail.pixels.resize(detail.pixels.size() - 1);
    EXPECT_FALSE(maker.begin(colourMap, detail, 2)) << "fewer pixels than its size";
    detail = noiseImage(64, 32, 2);
    detail.channels = 4;
    EXPECT_FALSE(maker.begin(colourMap, detail, 2)) << "not RGB";
    EXPECT_TRUE(detailedColourMap(DecodedImage(), detail, 2).pixels.empty());
}

// No normal of a patch meets a light more squarely than the patch's cone says, and the bound
// stays near the squarest of them.
TEST(NormalCone, MostFacingBoundsEveryNormalOfThePatchAndNoMore)
{
    std::mt19937 generator(17);
    std::uniform_real_distribution<float> spread(-0.45f, 0.45f);
    for (int patch = 0; patch < 40; ++patch)
    {
        std::vector<Vector3> normals;
        for (int i = 0; i < 25; ++i)
        {
            normals.push_back(Vector3(spread(generator), 1.0f, spread(generator)).normalize());
        }
        const NormalCone cone = coneAround(normals.data(), int(normals.size()));
        for (int l = 0; l < 12; ++l)
        {
            const Vector3 light =
                Vector3(2.0f * spread(generator), spread(generator), 2.0f * spread(generator))
                    .normalize();
            float most = 0.0f;
            for (const Vector3& n : normals)
            {
                most = std::max(most, n.dot(n, light));
            }
            const float bound = mostFacing(cone, light);
            EXPECT_GE(bound + 1e-5f, most) << patch << ", " << l;
            EXPECT_LE(bound, std::max(most, 0.0f) + 0.35f) << patch << ", " << l;
        }
    }
    EXPECT_EQ(mostFacing(coneAround(nullptr, 0), Vector3(0.6f, -0.8f, 0.0f)), 1.0f);
}
