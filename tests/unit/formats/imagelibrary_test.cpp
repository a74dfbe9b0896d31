#include "formats/imagelibrary.h"

#include "bmpwriter.h"
#include "formats/dibloader.h"
#include "imagefixtures.h"
#include "scratchdirectory.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{
// Every row differs from every other, so a picture read upside down shows.
DecodedImage picture(int width, int height, int seed)
{
    DecodedImage image;
    image.width = width;
    image.height = height;
    image.channels = 3;
    image.pixels.resize(image.rowBytes() * size_t(height));
    for (size_t i = 0; i < image.pixels.size(); ++i)
    {
        image.pixels[i] = static_cast<unsigned char>(i * 11 + size_t(seed));
    }
    return image;
}

// What the park's own DIB loader, which does not use the library, reads from the file.
std::vector<unsigned char> pixelsOfBmp(const char* path)
{
    DecodedImage image;
    EXPECT_TRUE(loadDibImage(path, image)) << path;
    return image.pixels;
}
} // namespace

TEST(ImageLibrary, RowsComeBottomFirstWhateverTheFileAndTheOriginMode)
{
    ScratchDirectory scratch("imagelibrary");
    const DecodedImage rows = picture(5, 3, 1);
    RgbImage source(5, 3);
    source.pixels = rows.pixels;
    BmpLayout topDown;
    topDown.topDown = true;
    ASSERT_TRUE(writeBytes("bottom-up.bmp", encodeBmp24(source)));
    ASSERT_TRUE(writeBytes("top-down.bmp", encodeBmpRgb(source, topDown)));
    const std::vector<unsigned char> png = encodePng(5, 3, 3, rows.pixels);
    ASSERT_TRUE(writeBytes("rows.png", png));

    initImageLibrary();
    for (int mode : {0, IL_ORIGIN_LOWER_LEFT, IL_ORIGIN_UPPER_LEFT})
    {
        SCOPED_TRACE("origin mode " + std::to_string(mode));
        mode == 0 ? ilDisable(IL_ORIGIN_SET) : ilEnable(IL_ORIGIN_SET);
        ilOriginFunc(mode == 0 ? IL_ORIGIN_LOWER_LEFT : ILenum(mode));
        const std::array<int, 4> before = imageLibraryState();
        DecodedImage image;
        std::string problem;
        for (const char* file : {"bottom-up.bmp", "top-down.bmp", "rows.png"})
        {
            ASSERT_TRUE(loadImageFile(file, 3, image, problem)) << file << ": " << problem;
            EXPECT_EQ(image.width, 5);
            EXPECT_EQ(image.height, 3);
            EXPECT_EQ(image.pixels, rows.pixels) << file;
        }
        ASSERT_TRUE(decodePngImage(png.data(), png.size(), 4, image, problem)) << problem;
        ASSERT_EQ(image.pixels.size(), 5u * 3u * 4u);
        EXPECT_EQ(image.pixels[4 * 4 + 0], rows.pixels[4 * 3]) << "pixel (4, 0), red";
        EXPECT_EQ(image.pixels[4 * 4 + 3], 255) << "opaque";
        EXPECT_EQ(imageLibraryState(), before);
        EXPECT_EQ(ilGetError(), ILenum(IL_NO_ERROR));
    }
    ilDisable(IL_ORIGIN_SET);
}

TEST(ImageLibrary, SavedFilesAreUprightAndReplacedOnlyWhenAsked)
{
    ScratchDirectory scratch("imagelibrary");
    const DecodedImage first = picture(6, 4, 2);
    const DecodedImage second = picture(6, 4, 3);
    for (bool overwriting : {false, true})
    {
        SCOPED_TRACE(overwriting ? "overwriting on" : "overwriting off");
        initImageLibrary();
        overwriting ? ilEnable(IL_FILE_OVERWRITE) : ilDisable(IL_FILE_OVERWRITE);
        std::filesystem::remove("saved.bmp");
        const std::array<int, 4> before = imageLibraryState();
        std::string problem;
        ASSERT_TRUE(saveImageFile("saved.bmp", first, false, problem)) << problem;
        EXPECT_EQ(pixelsOfBmp("saved.bmp"), first.pixels);

        EXPECT_FALSE(saveImageFile("saved.bmp", second, false, problem));
        EXPECT_EQ(problem, "already exists");
        EXPECT_EQ(pixelsOfBmp("saved.bmp"), first.pixels);

        ASSERT_TRUE(saveImageFile("saved.bmp", second, true, problem)) << problem;
        EXPECT_EQ(pixelsOfBmp("saved.bmp"), second.pixels);
        EXPECT_EQ(imageLibraryState(), before);
        EXPECT_EQ(ilGetError(), ILenum(IL_NO_ERROR));
    }
    ilDisable(IL_FILE_OVERWRITE);
}
