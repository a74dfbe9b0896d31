// The TGA writer, read back by the park's TGA reader in both encodings and both depths.
#include "formats/tgareader.h"
#include "tgawriter.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// Long runs (more than one packet's worth), single odd pixels and noise, so that both packet
// kinds and their length limits occur.
TrueColourImage mixedImage(int width, int height, int channels)
{
    TrueColourImage image(width, height, channels);
    unsigned seed = 12345;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            unsigned char* p = image.at(x, y);
            const bool flat = (y % 3 == 0) || (x > width / 2 && y % 3 == 1);
            for (int c = 0; c < channels; ++c)
            {
                seed = seed * 1103515245u + 12345u;
                p[c] = flat ? (unsigned char)(40 * c + y) : (unsigned char)(seed >> 16);
            }
        }
    }
    return image;
}

struct Decoded
{
    bool ok = false;
    TgaImage image;
};

void decode(const std::vector<unsigned char>& bytes, Decoded& out)
{
    out.ok = loadTgaFromMemory(&out.image, bytes.data(), bytes.size(), "written.tga");
}
} // namespace

TEST(TgaWriter, RoundTripsBothTypesAndDepthsThroughTheReader)
{
    for (int channels : {3, 4})
    {
        for (bool runLength : {false, true})
        {
            const TrueColourImage image = mixedImage(300, 7, channels);
            const std::vector<unsigned char> bytes = encodeTga(image, runLength);
            ASSERT_FALSE(bytes.empty());
            EXPECT_EQ(bytes[2], runLength ? 10 : 2);
            Decoded decoded;
            decode(bytes, decoded);
            ASSERT_TRUE(decoded.ok) << channels << " channels, run length " << runLength;
            EXPECT_EQ(decoded.image.width, 300u);
            EXPECT_EQ(decoded.image.height, 7u);
            EXPECT_EQ(decoded.image.bitsPerPixel, unsigned(channels * 8));
            EXPECT_EQ(decoded.image.pixels, image.pixels)
                << channels << " channels, run length " << runLength;
        }
    }
}

TEST(TgaWriter, RunLengthPacketsShrinkFlatRowsAndNeverCrossARow)
{
    TrueColourImage flat(200, 4, 3);
    for (unsigned char& byte : flat.pixels)
    {
        byte = 90;
    }
    const std::vector<unsigned char> packed = encodeTga(flat, true);
    const std::vector<unsigned char> raw = encodeTga(flat, false);
    EXPECT_LT(packed.size() * 20, raw.size());

    // Walk the packets of a mixed image and count the pixels of each row.
    const TrueColourImage image = mixedImage(130, 6, 3);
    const std::vector<unsigned char> bytes = encodeTga(image, true);
    size_t offset = 18;
    for (int row = 0; row < image.height; ++row)
    {
        int pixels = 0;
        while (pixels < image.width)
        {
            ASSERT_LT(offset, bytes.size());
            const unsigned header = bytes[offset++];
            const int count = int(header & 0x7F) + 1;
            offset += size_t(header & 0x80 ? 3 : 3 * count);
            pixels += count;
        }
        EXPECT_EQ(pixels, image.width) << "row " << row;
    }
    EXPECT_EQ(offset, bytes.size());
}

TEST(TgaWriter, RefusesImagesItCannotEncode)
{
    EXPECT_TRUE(encodeTga(TrueColourImage(0, 4, 3), false).empty());
    EXPECT_TRUE(encodeTga(TrueColourImage(4, 4, 2), true).empty());
    EXPECT_TRUE(encodeTga(TrueColourImage(70000, 1, 3), false).empty());
    TrueColourImage shortOfPixels(4, 4, 3);
    shortOfPixels.pixels.pop_back();
    EXPECT_TRUE(encodeTga(shortOfPixels, false).empty());
    EXPECT_FALSE(writeTga("refused.tga", TrueColourImage(4, 4, 5), false));
}
