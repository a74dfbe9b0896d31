// The images the generator paints into the run folder: present, the sizes their users need,
// and with the properties the drawing relies on.
#include "formats/dibloader.h"
#include "pngwriter.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct Image
{
    int width = 0;
    int height = 0;
    int channels = 3;
    std::vector<unsigned char> pixels; // bottom row first

    const unsigned char* at(int x, int y) const
    {
        return &pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels)];
    }
    double mean(int channel) const
    {
        double sum = 0.0;
        for (size_t i = size_t(channel); i < pixels.size(); i += size_t(channels))
        {
            sum += pixels[i];
        }
        return sum / double(size_t(width) * size_t(height));
    }
};

// Through the park's own BMP loader, as the sky and tree modules read them.
Image loadBmp(const std::string& relative)
{
    Image image;
    DecodedImage decoded;
    if (!loadDibImage(parkPath(relative).c_str(), decoded))
    {
        ADD_FAILURE() << relative << " does not load";
        return image;
    }
    image.width = decoded.width;
    image.height = decoded.height;
    image.pixels = std::move(decoded.pixels);
    return image;
}

// Through the image library, bottom row first, as the plants module reads them.
Image loadRgba(const std::string& relative)
{
    Image image;
    RgbaImage rgba;
    int fileChannels = 0;
    if (readImageRgba(parkPath(relative), rgba, &fileChannels))
    {
        EXPECT_EQ(fileChannels, 4) << relative << " has no alpha channel";
        image.width = rgba.width;
        image.height = rgba.height;
        image.channels = 4;
        image.pixels = std::move(rgba.pixels);
    }
    else
    {
        ADD_FAILURE() << relative << " does not load";
    }
    return image;
}

bool isPowerOfTwo(int value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

// Mean absolute difference between two columns (or rows) of the colour channels.
double lineDifference(const Image& image, bool columns, int a, int b)
{
    const int length = columns ? image.height : image.width;
    double sum = 0.0;
    for (int i = 0; i < length; ++i)
    {
        const unsigned char* p = columns ? image.at(a, i) : image.at(i, a);
        const unsigned char* q = columns ? image.at(b, i) : image.at(i, b);
        for (int c = 0; c < 3; ++c)
        {
            sum += std::abs(int(p[c]) - int(q[c]));
        }
    }
    return sum / (3.0 * length);
}

// The seam where the image meets its own copy is no harsher than an ordinary step inside it.
void expectTileable(const Image& image, const std::string& name)
{
    for (bool columns : {true, false})
    {
        const int size = columns ? image.width : image.height;
        double inside = 0.0;
        for (int i = 0; i + 1 < size; ++i)
        {
            inside += lineDifference(image, columns, i, i + 1);
        }
        inside /= double(size - 1);
        const double seam = lineDifference(image, columns, size - 1, 0);
        EXPECT_LE(seam, 1.5 * inside + 1.0)
            << name << ": the " << (columns ? "left and right" : "top and bottom")
            << " edges do not meet (seam " << seam << ", inside " << inside << ")";
    }
}
} // namespace

TEST(MakeImages, GroundMaterialsAreDistinctTileableSquares)
{
    const char* files[] = {"dirt.bmp", "terr1.bmp", "grass-patchy.bmp", "grass2.bmp", "grass.bmp"};
    std::vector<std::vector<double>> means;
    for (const char* file : files)
    {
        const Image image = loadBmp(std::string("terrainTexs/") + file);
        ASSERT_EQ(image.width, 256) << file;
        ASSERT_EQ(image.height, 256) << file;
        expectTileable(image, file);
        means.push_back({image.mean(0), image.mean(1), image.mean(2)});
    }
    // Every pair differs clearly in mean colour.
    for (size_t i = 0; i < means.size(); ++i)
    {
        for (size_t j = i + 1; j < means.size(); ++j)
        {
            const double distance =
                std::hypot(means[i][0] - means[j][0],
                           std::hypot(means[i][1] - means[j][1], means[i][2] - means[j][2]));
            EXPECT_GT(distance, 12.0) << files[i] << " and " << files[j] << " look alike";
        }
    }
    // Earth is redder than it is green; grass is greener than it is red.
    EXPECT_GT(means[0][0], means[0][1]);
    EXPECT_GT(means[4][1], means[4][0]);
}

TEST(MakeImages, DetailIsTileableGreyAroundMidGrey)
{
    const Image detail = loadBmp("terrainTexs/detail.bmp");
    ASSERT_EQ(detail.width, 256);
    ASSERT_EQ(detail.height, 256);
    for (int c = 0; c < 3; ++c)
    {
        EXPECT_NEAR(detail.mean(c), 128.0, 3.0) << "channel " << c;
    }
    double variance = 0.0;
    for (size_t i = 0; i < detail.pixels.size(); i += 3)
    {
        const double d = detail.pixels[i] - 128.0;
        variance += d * d;
        EXPECT_EQ(detail.pixels[i], detail.pixels[i + 1]);
        EXPECT_EQ(detail.pixels[i], detail.pixels[i + 2]);
    }
    EXPECT_GT(std::sqrt(variance / (detail.pixels.size() / 3)), 10.0) << "the detail is flat";
    expectTileable(detail, "detail.bmp");
}

TEST(MakeImages, SunAndMoonMasksAreExactComplementsOfTheBodies)
{
    for (const char* name : {"sun", "moon"})
    {
        const Image body = loadBmp(std::string("textures/skybox/") + name + ".bmp");
        const Image mask = loadBmp(std::string("textures/skybox/") + name + "mask.bmp");
        ASSERT_TRUE(isPowerOfTwo(body.width) && body.width == body.height) << name;
        ASSERT_EQ(mask.width, body.width);
        ASSERT_EQ(mask.height, body.height);
        int fullBody = 0;
        int empty = 0;
        for (int y = 0; y < body.height; ++y)
        {
            for (int x = 0; x < body.width; ++x)
            {
                const unsigned char* b = body.at(x, y);
                const unsigned char* m = mask.at(x, y);
                ASSERT_TRUE(m[0] == m[1] && m[1] == m[2]) << name << " mask is not grey";
                const int brightest = std::max({b[0], b[1], b[2]});
                // Premultiplied body: its brightest channel never exceeds the coverage 255 - m.
                EXPECT_LE(brightest, 255 - m[0]) << name << " at " << x << "," << y;
                EXPECT_EQ(m[0] == 255, brightest == 0) << name << " at " << x << "," << y;
                if (m[0] == 0)
                {
                    ++fullBody;
                    EXPECT_GT(brightest, 90) << name << " is dark inside at " << x << "," << y;
                }
                if (m[0] == 255)
                {
                    ++empty;
                }
            }
        }
        const int area = body.width * body.height;
        EXPECT_GT(fullBody, area / 6) << name;
        EXPECT_GT(empty, area / 6) << name << " leaves no sky around the body";
        // The corners are sky: the quad's edges must not show.
        EXPECT_EQ(mask.at(0, 0)[0], 255);
        EXPECT_EQ(mask.at(body.width - 1, body.height - 1)[0], 255);
    }
    // The sun is drawn with its red at full strength, so red is exactly the coverage.
    const Image sun = loadBmp("textures/skybox/sun.bmp");
    const Image sunMask = loadBmp("textures/skybox/sunmask.bmp");
    for (size_t i = 0; i < sun.pixels.size(); i += 3)
    {
        ASSERT_EQ(sun.pixels[i] + sunMask.pixels[i], 255) << "pixel " << i / 3;
    }
}

TEST(MakeImages, NightSkyCloudsAndTreeTexturesTileAndLookTheirPart)
{
    const Image stars = loadBmp("textures/skybox/orvelstars_128.bmp");
    ASSERT_EQ(stars.width, 128);
    ASSERT_EQ(stars.height, 128);
    int dark = 0;
    int bright = 0;
    for (size_t i = 0; i < stars.pixels.size(); i += 3)
    {
        const int value = std::max({stars.pixels[i], stars.pixels[i + 1], stars.pixels[i + 2]});
        dark += value < 40;
        bright += value > 200;
    }
    EXPECT_GT(dark, 128 * 128 * 8 / 10) << "the night sky is not dark";
    EXPECT_GT(bright, 40) << "too few bright stars";

    const Image clouds = loadBmp("textures/skybox/clouds.bmp");
    ASSERT_TRUE(isPowerOfTwo(clouds.width) && isPowerOfTwo(clouds.height));
    int clear = 0;
    int thick = 0;
    for (size_t i = 0; i < clouds.pixels.size(); i += 3)
    {
        clear += clouds.pixels[i + 2] < 10;
        thick += clouds.pixels[i + 2] > 150;
    }
    const int area = clouds.width * clouds.height;
    EXPECT_GT(clear, area / 5) << "clouds are added to the sky: clear sky must be black";
    EXPECT_GT(thick, area / 20) << "no bright clouds";
    expectTileable(stars, "orvelstars_128.bmp");
    expectTileable(clouds, "clouds.bmp");

    for (const char* name : {"bark2.bmp", "leafytile.bmp"})
    {
        const Image image = loadBmp(std::string("textures/lsystemstree/") + name);
        ASSERT_TRUE(isPowerOfTwo(image.width) && isPowerOfTwo(image.height)) << name;
        expectTileable(image, name);
    }
    const Image bark = loadBmp("textures/lsystemstree/bark2.bmp");
    // Vertical bark: neighbouring rows are far more alike than neighbouring columns.
    double rowSteps = 0.0;
    double columnSteps = 0.0;
    for (int i = 0; i + 1 < 64; ++i)
    {
        rowSteps += lineDifference(bark, false, i, i + 1);
        columnSteps += lineDifference(bark, true, i, i + 1);
    }
    EXPECT_LT(rowSteps * 1.5, columnSteps);
    const Image leaves = loadBmp("textures/lsystemstree/leafytile.bmp");
    EXPECT_GT(leaves.mean(1), leaves.mean(0) + 20) << "the leaf tile is not green";
}

TEST(MakeImages, PlantCutOutsStandOnTheBottomEdgeWithoutDarkFringes)
{
    for (const char* file : {"fgrass.png", "ohiatree2.png", "brush.png", "fern3.png"})
    {
        SCOPED_TRACE(file);
        const Image image = loadRgba(std::string("terrainTexs/") + file);
        ASSERT_TRUE(isPowerOfTwo(image.width) && image.width == image.height);
        int transparent = 0;
        int opaque = 0;
        double weight = 0.0;
        double weightedX = 0.0;
        for (int y = 0; y < image.height; ++y)
        {
            for (int x = 0; x < image.width; ++x)
            {
                const int alpha = image.at(x, y)[3];
                transparent += alpha == 0;
                opaque += alpha == 255;
                weight += alpha;
                weightedX += alpha * (x + 0.5);
            }
        }
        EXPECT_GT(transparent, image.width * image.height / 5);
        EXPECT_GT(opaque, image.width * image.height / 10);
        EXPECT_NEAR(weightedX / weight / image.width, 0.5, 0.08) << "the plant is not centred";
        int bottomOpaque = 0;
        for (int x = 0; x < image.width; ++x)
        {
            bottomOpaque += image.at(x, 0)[3] == 255;
            EXPECT_EQ(image.at(x, image.height - 1)[3], 0) << "the plant touches the top";
        }
        EXPECT_GT(bottomOpaque, 0) << "the plant does not stand on the bottom edge";

        // A transparent pixel beside the plant carries the plant's colour, so filtering across
        // the outline blends in no black.
        int fringes = 0;
        for (int y = 1; y + 1 < image.height; ++y)
        {
            for (int x = 1; x + 1 < image.width; ++x)
            {
                const unsigned char* p = image.at(x, y);
                const unsigned char* right = image.at(x + 1, y);
                if (p[3] == 0 && right[3] == 255)
                {
                    const int difference = std::abs(p[0] - right[0]) + std::abs(p[1] - right[1]) +
                                           std::abs(p[2] - right[2]);
                    fringes += difference > 90;
                }
            }
        }
        EXPECT_EQ(fringes, 0);
    }
}
