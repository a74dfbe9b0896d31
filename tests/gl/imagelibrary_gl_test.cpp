#include "formats/imagelibrary.h"

#include "app/screenshots.h"
#include "bmpwriter.h"
#include "imagefixtures.h"
#include "scratchdirectory.h"
#include "world/terraintexture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct Decoded
{
    std::vector<unsigned char> topDownBmp;
    std::vector<unsigned char> png;
    std::vector<unsigned char> groundBlock;
};

// The same picture read the three ways the park reads images: a file, PNG bytes in memory, and
// a ground image as the colour map takes it.
Decoded decodeEveryWay(const std::vector<unsigned char>& png)
{
    Decoded decoded;
    DecodedImage image;
    std::string problem;
    EXPECT_TRUE(loadImageFile("terrainTexs/top-down.bmp", 3, image, problem)) << problem;
    decoded.topDownBmp = image.pixels;
    EXPECT_TRUE(decodePngImage(png.data(), png.size(), 3, image, problem)) << problem;
    decoded.png = image.pixels;
    const unsigned char plain[3] = {1, 2, 3};
    const DecodedImage ground = loadRgbImageOrPlain("terrainTexs/top-down.bmp", 4, plain);
    decoded.groundBlock = readImageBlock(ground, 4, "terrainTexs/top-down.bmp");
    return decoded;
}
} // namespace

TEST(ImageLibraryGl, ScreenshotLeavesTheLibraryAndWhatItReadsAsBefore)
{
    ScratchDirectory scratch("screenshot", {"screenshots", "terrainTexs"});
    RgbImage rows(4, 4);
    for (size_t i = 0; i < rows.pixels.size(); ++i)
    {
        rows.pixels[i] = static_cast<unsigned char>(i * 13 + 5);
    }
    BmpLayout topDown;
    topDown.topDown = true;
    ASSERT_TRUE(writeBytes("terrainTexs/top-down.bmp", encodeBmpRgb(rows, topDown)));
    const std::vector<unsigned char> png = encodePng(4, 4, 3, rows.pixels);

    const Decoded before = decodeEveryWay(png);
    EXPECT_EQ(before.topDownBmp, rows.pixels) << "bottom row first";
    EXPECT_EQ(before.png, rows.pixels) << "bottom row first";
    EXPECT_EQ(before.groundBlock, rows.pixels) << "row z of the map is row z from the bottom";
    const std::array<int, 4> state = imageLibraryState();

    // A blue frame with a red upper half.
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 300, 800, 300);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    testing::internal::CaptureStdout();
    const ScreenshotOutcome outcome = Screenshots().take(800, 600);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(outcome.saved) << outcome.reason;
    DecodedImage shot;
    std::string problem;
    ASSERT_TRUE(loadImageFile(outcome.name.c_str(), 3, shot, problem)) << problem;
    ASSERT_EQ(shot.width, 800);
    ASSERT_EQ(shot.height, 600);
    EXPECT_GT(shot.at(400, 100)[2], 200) << "the screenshot stands upright: blue below";
    EXPECT_GT(shot.at(400, 500)[0], 200) << "and red above";

    EXPECT_EQ(imageLibraryState(), state) << "the screenshot puts the library back";
    const Decoded after = decodeEveryWay(png);
    EXPECT_EQ(after.topDownBmp, before.topDownBmp);
    EXPECT_EQ(after.png, before.png);
    EXPECT_EQ(after.groundBlock, before.groundBlock);
}
