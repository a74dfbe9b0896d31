#include "bmpwriter.h"
#include "formats/bmpreader.h"
#include "formats/dibloader.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

RgbImage patternImage(int width, int height)
{
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            unsigned char* p = image.at(x, y);
            p[0] = uint8_t(x * 13 + 1);
            p[1] = uint8_t(y * 29 + 2);
            p[2] = uint8_t((x ^ y) * 7 + 3);
        }
    }
    return image;
}

// A full palette (the reader always takes 2, 16 or 256 entries) and indices that use it all.
IndexedImage fullPaletteImage(int width, int height, int bitCount)
{
    IndexedImage image(width, height);
    const int colours = 1 << bitCount;
    for (int i = 0; i < colours; ++i)
    {
        image.addColour(uint8_t(i), uint8_t(255 - i), uint8_t(i * 3));
    }
    for (size_t i = 0; i < image.indices.size(); ++i)
    {
        image.indices[i] = uint8_t((i * 7 + i / size_t(width)) % size_t(colours));
    }
    return image;
}

void expectPixels(BmpImage& image, const RgbImage& expected)
{
    ASSERT_EQ(image.width, expected.width);
    ASSERT_EQ(image.height, expected.height);
    ASSERT_TRUE(image.pixels);
    EXPECT_EQ(0, std::memcmp(image.pixels.get(), expected.pixels.data(), expected.pixels.size()));
}

RgbImage expand(const IndexedImage& image)
{
    RgbImage rgb(image.width, image.height);
    for (size_t i = 0; i < image.indices.size(); ++i)
    {
        std::memcpy(&rgb.pixels[i * 3], &image.palette[image.indices[i] * 3], 3);
    }
    return rgb;
}
} // namespace

TEST(BmpReader, TwentyFourBitComesOutRedFirstWithTheBottomRowAsRowZero)
{
    const RgbImage picture = patternImage(5, 3);
    const Bytes bytes = encodeBmp24(picture);
    BmpImage image;
    ASSERT_EQ(readBmpFromMemory(bytes.data(), bytes.size(), image), kBmpOk);
    expectPixels(image, picture);
    // Bottom-left pixel of the picture: (1, 2, 3).
    EXPECT_EQ(*image.pixelAt(0, 0, 0), 1);
    EXPECT_EQ(*image.pixelAt(0, 0, 2), 3);
}

TEST(BmpReader, PalettisedImagesDecodeByTheirHeaderSize)
{
    // Sizes other than 256 x 256, odd widths included, for every palettised depth.
    for (int bits : {1, 4, 8})
    {
        for (auto [width, height] : {std::pair{13, 5}, {1, 1}, {33, 2}, {256, 3}})
        {
            SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(width) + " x " +
                         std::to_string(height));
            const IndexedImage picture = fullPaletteImage(width, height, bits);
            BmpLayout layout;
            layout.bitCount = bits;
            const Bytes bytes = encodeBmpIndexed(picture, layout);
            BmpImage image;
            ASSERT_EQ(readBmpFromMemory(bytes.data(), bytes.size(), image), kBmpOk);
            expectPixels(image, expand(picture));
        }
    }
}

TEST(BmpReader, OtherDepthsAreUnknownAfterTheSizeWasTaken)
{
    for (int bits : {16, 32})
    {
        BmpLayout layout;
        layout.bitCount = bits;
        const Bytes bytes = encodeBmpRgb(patternImage(6, 4), layout);
        BmpImage image;
        EXPECT_EQ(readBmpFromMemory(bytes.data(), bytes.size(), image), kBmpUnknownFormat);
        EXPECT_EQ(image.width, 6);
        EXPECT_EQ(image.height, 4);
        EXPECT_TRUE(image.pixels);
    }
}

TEST(BmpReader, ShortFilesFailWithoutTouchingTheImage)
{
    BmpLayout fourBit;
    fourBit.bitCount = 4;
    // Each file with the padding of its last row, which may be missing.
    const std::pair<Bytes, size_t> files[] = {
        {encodeBmp24(patternImage(5, 3)), 1},
        {encodeBmpIndexed(fullPaletteImage(9, 4, 4), fourBit), 3},
    };
    for (const auto& [file, lastPadding] : files)
    {
        BmpImage complete;
        const Bytes withoutPadding(file.begin(), file.end() - long(lastPadding));
        EXPECT_EQ(readBmpFromMemory(withoutPadding.data(), withoutPadding.size(), complete),
                  kBmpOk);
        for (size_t length = 2; length < withoutPadding.size(); ++length)
        {
            BmpImage image;
            image.width = 2;
            image.height = 1;
            image.allocate();
            EXPECT_EQ(readBmpFromMemory(file.data(), length, image), kBmpReadFailed) << length;
            EXPECT_EQ(image.width, 2);
            EXPECT_EQ(image.height, 1);
        }
    }
    const unsigned char oneByte[] = {'B'};
    BmpImage image;
    EXPECT_EQ(readBmpFromMemory(oneByte, 1, image), kBmpNotBitmap);
}

TEST(BmpReader, AbsurdSizesAreRefusedBeforeAnythingIsAllocated)
{
    Bytes bytes = encodeBmp24(patternImage(2, 2));
    for (auto [offset, value] :
         {std::pair{18, 0}, {18, -5}, {18, 16385}, {22, 0}, {22, -2}, {22, 0x7FFFFFFF}})
    {
        Bytes corrupt = bytes;
        std::memcpy(&corrupt[size_t(offset)], &value, 4);
        BmpImage image;
        EXPECT_EQ(readBmpFromMemory(corrupt.data(), corrupt.size(), image), kBmpUnknownFormat)
            << offset << " = " << value;
        EXPECT_FALSE(image.pixels);
    }
    // A plausible size with far too little data behind it.
    std::memcpy(&bytes[18], "\x00\x40\x00\x00", 4);
    BmpImage image;
    EXPECT_EQ(readBmpFromMemory(bytes.data(), bytes.size(), image), kBmpReadFailed);
}

TEST(BmpReader, FilesAndCodes)
{
    BmpImage image;
    EXPECT_EQ(readBmp("no such file.bmp", image), kBmpOpenFailed);
    EXPECT_EQ(checkBmpFile("no such file.bmp"), kBmpOpenFailed);

    ASSERT_TRUE(writeBytes("not-a-bitmap.bmp", Bytes{'P', 'K', 3, 4}));
    EXPECT_EQ(checkBmpFile("not-a-bitmap.bmp"), kBmpNotBitmap);
    std::remove("not-a-bitmap.bmp");

    // A second read replaces the first image completely.
    ASSERT_TRUE(writeBmp24("first.bmp", patternImage(7, 2)));
    ASSERT_TRUE(writeBmp24("second.bmp", patternImage(3, 4)));
    ASSERT_EQ(readBmp("first.bmp", image), kBmpOk);
    ASSERT_EQ(readBmp("second.bmp", image), kBmpOk);
    expectPixels(image, patternImage(3, 4));
    EXPECT_EQ(checkBmpFile("first.bmp"), kBmpOk);
    std::remove("first.bmp");
    std::remove("second.bmp");

    EXPECT_STREQ(bmpErrorText(kBmpOk), "No errors detected");
    EXPECT_STREQ(bmpErrorText('o'), "Failed to open the file, suspect it doesn't exist");
    EXPECT_STREQ(bmpErrorText('b'),
                 "This file is not a bitmap, specifically it doesn't start 'BM'");
    EXPECT_STREQ(bmpErrorText('u'), "Unknown bmp format, ie not 24bit, 256,16 or 2 colour");
    EXPECT_STREQ(bmpErrorText('f'), "Some kind of error while physically reading the file");
    EXPECT_STREQ(bmpErrorText('x'), "Not a valid error code");
}

TEST(BmpReader, SuiteFilesOfItsOwnLayoutMatchTheDibLoader)
{
    SKIP_WITHOUT_CORPORA();
    // Files whose pixels sit right after a full palette behind a 54-byte header are the ones
    // this reader is meant for; the DIB loader, which follows the header faithfully, must agree.
    int compared = 0;
    for (const char* name : {"pal1.bmp", "pal1bg.bmp", "pal8-0.bmp", "rgb24.bmp"})
    {
        const std::string path = corporaPath(std::string("bmp/g/") + name);
        BmpImage image;
        ASSERT_EQ(readBmp(path.c_str(), image), kBmpOk) << name;
        DecodedImage record;
        ASSERT_TRUE(loadDibImage(path.c_str(), record)) << name;
        EXPECT_EQ(image.width, record.width) << name;
        EXPECT_EQ(image.height, record.height) << name;
        EXPECT_EQ(0, std::memcmp(image.pixels.get(), record.pixels.data(), record.pixels.size()))
            << name;
        ++compared;
    }
    EXPECT_EQ(compared, 4);

    // Nothing in the suite, good or bad, makes the reader fail other than with a code.
    for (const char* folder : {"bmp/g", "bmp/q", "bmp/b"})
    {
        const std::string directory = corporaPath(folder);
        DIR* listing = opendir(directory.c_str());
        ASSERT_NE(listing, nullptr);
        while (dirent* entry = readdir(listing))
        {
            if (entry->d_name[0] == '.')
            {
                continue;
            }
            BmpImage image;
            const char code = readBmp((directory + "/" + entry->d_name).c_str(), image);
            EXPECT_TRUE(code == kBmpOk || code == 'b' || code == 'u' || code == 'f')
                << entry->d_name;
        }
        closedir(listing);
    }
}
