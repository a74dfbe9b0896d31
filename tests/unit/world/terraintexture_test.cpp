#include "world/terraintexture.h"

#include "bmpwriter.h"
#include "formats/imagelibrary.h"
#include "scratchdirectory.h"
#include "world/terrain.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const MaterialBand kBands[kMaterialCount] = {
    {0.0f, 0.05f, 0.1f}, {0.05f, 0.1f, 0.15f}, {0.1f, 0.15f, 0.2f},
    {0.15f, 0.2f, 0.8f}, {0.2f, 0.8f, 1.1f},
};
const char* const kMaterialFiles[kMaterialCount] = {"dirt", "terr1", "grass-patchy", "grass2",
                                                    "grass"};

RgbImage noiseImage(int width, int height, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> channel(0, 255);
    RgbImage image(width, height);
    for (unsigned char& value : image.pixels)
    {
        value = static_cast<unsigned char>(channel(generator));
    }
    return image;
}

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

// Pixel (x, row) of an uncompressed bottom-up 24-bit BMP, as red, green, blue.
struct BmpPixels
{
    std::vector<unsigned char> bytes;
    int width = 0;
    int height = 0;
    explicit BmpPixels(const std::string& path) : bytes(readFile(path))
    {
        if (bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M')
        {
            width = bytes[18] | bytes[19] << 8;
            height = bytes[22] | bytes[23] << 8;
        }
    }
    std::vector<unsigned char> at(int x, int row) const
    {
        const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
        const size_t offset = bytes[10] | bytes[11] << 8;
        const unsigned char* p = &bytes[offset + size_t(row) * stride + size_t(x) * 3];
        return {p[2], p[1], p[0]};
    }
};

float referenceWeight(int k, float h)
{
    const MaterialBand& b = kBands[k];
    if (h < b.low || h > b.high)
    {
        return 0.0f;
    }
    if (h < b.optimum)
    {
        return (h - b.low) / (b.optimum - b.low);
    }
    return h == b.optimum ? 1.0f : (b.high - h) / (b.high - b.optimum);
}

// The straightforward method, one vertex at a time, straight from the files' bytes: vertex
// (x, z) takes pixel x of row z counted from the bottom of each ground image.
std::vector<unsigned char> paintPixelByPixel(const Terrain& terrain)
{
    std::vector<BmpPixels> sources;
    for (const char* name : kMaterialFiles)
    {
        sources.emplace_back("terrainTexs/" + std::string(name) + ".bmp");
    }
    std::vector<unsigned char> canvas(256 * 256 * 3);
    for (int x = 0; x < 256; ++x)
    {
        for (int z = 0; z < 256; ++z)
        {
            float sums[3] = {0.0f, 0.0f, 0.0f};
            for (int k = 0; k < kMaterialCount; ++k)
            {
                const std::vector<unsigned char> pixel = sources[size_t(k)].at(x, z);
                const float w = referenceWeight(k, terrain.getHeight(x, z));
                for (int c = 0; c < 3; ++c)
                {
                    sums[c] += w * pixel[size_t(c)];
                }
            }
            const unsigned char full[3] = {254, 244, 254};
            for (int c = 0; c < 3; ++c)
            {
                unsigned char& out = canvas[(size_t(x) + size_t(z) * 256) * 3 + size_t(c)];
                out = static_cast<unsigned char>(int(sums[c]) & 0xFF);
                out = out == 255 ? full[c] : out;
            }
        }
    }
    return canvas;
}
} // namespace

TEST(BandWeight, PeaksAtTheOptimumAndNeighboursShareTheHeight)
{
    EXPECT_EQ(bandWeight(kBands[0], 0.0f), 0.0f);
    EXPECT_EQ(bandWeight(kBands[0], 0.05f), 1.0f);
    EXPECT_EQ(bandWeight(kBands[1], 0.05f), 0.0f);
    EXPECT_EQ(bandWeight(kBands[0], 0.1f), 0.0f);
    EXPECT_FLOAT_EQ(bandWeight(kBands[3], 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(bandWeight(kBands[4], 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(bandWeight(kBands[4], 1.0f), 1.0f / 3.0f);
    EXPECT_EQ(bandWeight(kBands[4], 1.2f), 0.0f);
    EXPECT_EQ(bandWeight(kBands[2], 0.05f), 0.0f);
    for (float h = 0.05f; h <= 0.8f; h += 0.0137f)
    {
        float sum = 0.0f;
        for (const MaterialBand& band : kBands)
        {
            sum += bandWeight(band, h);
        }
        EXPECT_NEAR(sum, 1.0f, 1e-5f) << "at " << h;
    }
}

TEST(ColourMap, BlendsByHeightAndStoresFullChannelsBelow255)
{
    const int size = 4;
    std::vector<float> heights = {0.0f, 0.05f, 0.5f, 1.0f, 0.05f, 0.05f, 0.7f, 0.3f,
                                  0.0f, 0.0f,  0.0f, 0.0f, 0.0f,  0.0f,  0.0f, 0.0f};
    std::vector<unsigned char> images[kMaterialCount];
    const unsigned char colours[kMaterialCount][3] = {
        {200, 100, 50}, {10, 20, 30}, {40, 50, 60}, {90, 180, 30}, {120, 240, 60}};
    const unsigned char* sources[kMaterialCount];
    for (int k = 0; k < kMaterialCount; ++k)
    {
        for (int i = 0; i < size * size; ++i)
        {
            images[k].insert(images[k].end(), colours[k], colours[k] + 3);
        }
        sources[k] = images[k].data();
    }
    // Vertex 4: a white dirt pixel; vertex 5: only green saturates.
    images[0][12] = images[0][13] = images[0][14] = 255;
    images[0][15] = 3;
    images[0][16] = 255;
    images[0][17] = 4;
    std::vector<unsigned char> canvas(size * size * 3, 77);
    blendColourMap(heights.data(), size, kBands, sources, canvas.data());

    auto pixel = [&](int i) {
        return std::vector<int>{canvas[i * 3], canvas[i * 3 + 1], canvas[i * 3 + 2]};
    };
    EXPECT_EQ(pixel(0), (std::vector<int>{0, 0, 0})) << "height 0 is black";
    EXPECT_EQ(pixel(1), (std::vector<int>{200, 100, 50})) << "0.05 is the dirt pixel";
    // Half grass2 and half grass; a third of grass. The weights are within a rounding step of
    // 1/2 and 1/3, and truncation may take a whole unit.
    const int half[3] = {105, 210, 45};
    const int third[3] = {40, 80, 20};
    for (int c = 0; c < 3; ++c)
    {
        EXPECT_NEAR(pixel(2)[c], half[c], 1) << "channel " << c;
        EXPECT_NEAR(pixel(3)[c], third[c], 1) << "channel " << c;
    }
    EXPECT_EQ(pixel(4), (std::vector<int>{254, 244, 254}));
    EXPECT_EQ(pixel(5), (std::vector<int>{3, 244, 4}));
}

TEST(ColourMap, BlockReadsGiveExactlyThePixelByPixelPictureAndTheSavedFile)
{
    ScratchDirectory scratch("terrain", {"terrainTexs"});
    for (int k = 0; k < kMaterialCount; ++k)
    {
        // One image larger than the grid: only its first 256 x 256 pixels count.
        const int width = k == 2 ? 300 : 256;
        const int height = k == 2 ? 280 : 256;
        RgbImage image = noiseImage(width, height, 100u + unsigned(k));
        if (k == 0)
        {
            for (int x = 0; x < 256; ++x)
            {
                unsigned char* p = image.at(x, 9);
                p[0] = p[1] = p[2] = 255;
            }
        }
        ASSERT_TRUE(writeBmp24("terrainTexs/" + std::string(kMaterialFiles[k]) + ".bmp", image));
    }

    Terrain terrain;
    terrain.allocateArrays();
    terrain.generateHeights(4242u);
    // Exact band edges along row 9, where dirt is white.
    const float edges[] = {0.0f, 0.05f, 0.1f, 0.15f, 0.2f, 0.5f, 0.8f, 1.0f};
    for (int x = 0; x < 256; ++x)
    {
        terrain.setHeight(x, 9, edges[x % 8]);
    }
    terrain.loadGroundImages();
    terrain.synthesiseColourMap();
    const std::vector<unsigned char> painted = terrain.canvasImage.pixels;
    const std::vector<unsigned char> reference = paintPixelByPixel(terrain);
    ASSERT_EQ(painted.size(), reference.size());
    EXPECT_TRUE(painted == reference);
    const unsigned char* white = &painted[(size_t(1) + 9 * 256) * 3];
    EXPECT_EQ(std::vector<int>(white, white + 3), (std::vector<int>{254, 244, 254}));

    // The file holds the same picture, vertex (x, z) in row z counted from the bottom.
    const BmpPixels saved("terrainTexs/finalMapTexture.bmp");
    ASSERT_EQ(saved.width, 256);
    ASSERT_EQ(saved.height, 256);
    for (int z = 0; z < 256; z += 5)
    {
        for (int x = 0; x < 256; x += 3)
        {
            const unsigned char* expected = &painted[(size_t(x) + size_t(z) * 256) * 3];
            ASSERT_EQ(saved.at(x, z), std::vector<unsigned char>(expected, expected + 3))
                << x << ", " << z;
        }
    }
    terrain.releaseGroundImages();
}

TEST(ColourMap, EveryGenerationReplacesTheSavedFile)
{
    ScratchDirectory scratch("terrain", {"terrainTexs"});
    for (const char* name : kMaterialFiles)
    {
        ASSERT_TRUE(
            writeBmp24("terrainTexs/" + std::string(name) + ".bmp", noiseImage(256, 256, 5)));
    }
    ASSERT_TRUE(writeBmp24("terrainTexs/finalMapTexture.bmp", noiseImage(16, 16, 6)));

    Terrain terrain;
    terrain.allocateArrays();
    terrain.loadGroundImages();
    terrain.generateHeights(1u);
    terrain.synthesiseColourMap();
    EXPECT_EQ(BmpPixels("terrainTexs/finalMapTexture.bmp").width, 256);
    const std::vector<unsigned char> first = readFile("terrainTexs/finalMapTexture.bmp");

    terrain.generateHeights(2u);
    terrain.synthesiseColourMap();
    EXPECT_NE(readFile("terrainTexs/finalMapTexture.bmp"), first);
    terrain.releaseGroundImages();
}

TEST(ColourMap, FailedSaveAndMissingImagesAreReportedByName)
{
    ScratchDirectory scratch("terrain", {"terrainTexs"});
    for (int k = 1; k < kMaterialCount; ++k)
    {
        ASSERT_TRUE(writeBmp24("terrainTexs/" + std::string(kMaterialFiles[k]) + ".bmp",
                               noiseImage(256, 256, 8)));
    }
    ASSERT_TRUE(writeBmp24("terrainTexs/detail.bmp", noiseImage(256, 256, 9)));
    // Something that cannot be replaced by a file.
    fs::create_directory("terrainTexs/finalMapTexture.bmp");

    Terrain terrain;
    terrain.allocateArrays();
    testing::internal::CaptureStderr();
    terrain.loadGroundImages();
    terrain.generateHeights(3u);
    terrain.synthesiseColourMap();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("terrainTexs/dirt.bmp: cannot be opened; using a plain colour\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("terrainTexs/finalMapTexture.bmp: colour map not saved"),
              std::string::npos)
        << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2) << errors;

    // The missing dirt became a plain brown, not whatever the library held.
    const std::vector<unsigned char> block = readImageBlock(terrain.sourceImages[0], 256, "dirt");
    for (size_t i = 0; i < block.size(); i += 3)
    {
        ASSERT_EQ(block[i], block[0]);
        ASSERT_GT(block[i], block[i + 2]);
    }
    terrain.releaseGroundImages();
}

TEST(ColourMap, SmallGroundImageRepeatsAcrossTheMap)
{
    ScratchDirectory scratch("terrain", {"terrainTexs"});
    const RgbImage small = noiseImage(64, 48, 12);
    ASSERT_TRUE(writeBmp24("terrainTexs/small.bmp", small));
    const unsigned char plain[3] = {1, 2, 3};
    const DecodedImage image = loadRgbImageOrPlain("terrainTexs/small.bmp", 256, plain);
    testing::internal::CaptureStderr();
    const std::vector<unsigned char> block = readImageBlock(image, 256, "terrainTexs/small.bmp");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("terrainTexs/small.bmp: ground image is 64 x 48"), std::string::npos);
    for (int z = 0; z < 256; z += 7)
    {
        for (int x = 0; x < 256; x += 5)
        {
            const unsigned char* expected = small.at(x % 64, z % 48);
            const unsigned char* got = &block[(size_t(x) + size_t(z) * 256) * 3];
            ASSERT_TRUE(std::equal(expected, expected + 3, got)) << x << ", " << z;
        }
    }
}

// The image library keeps every error until someone reads it. Errors left by others are not
// blamed on a ground image, and a failed ground image leaves none behind for the next check.
TEST(ColourMap, GroundImageErrorsAreItsOwnAndNoneAreLeftBehind)
{
    ScratchDirectory scratch("terrain", {"terrainTexs"});
    {
        std::ofstream broken("terrainTexs/broken.bmp", std::ios::binary);
        broken << "BM not really a bitmap, just text long enough to look at";
    }
    initImageLibrary();
    ILuint other = 0;
    ilGenImages(1, &other);
    ilBindImage(other);
    EXPECT_FALSE(ilLoadImage("terrainTexs/absent.bmp")); // its error is left unread
    const unsigned char plain[3] = {1, 2, 3};
    testing::internal::CaptureStderr();
    const DecodedImage image = loadRgbImageOrPlain("terrainTexs/broken.bmp", 4, plain);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("terrainTexs/broken.bmp: not a readable image (", 0), 0u) << errors;
    EXPECT_NE(errors.find("; using a plain colour\n"), std::string::npos) << errors;
    EXPECT_EQ(ilGetError(), ILenum(IL_NO_ERROR));
    EXPECT_EQ(image.width, 4) << "the plain stand-in";
    EXPECT_EQ(ilGetInteger(IL_CUR_IMAGE), ILint(other)) << "the caller's image is bound again";
    ilDeleteImages(1, &other);
}
