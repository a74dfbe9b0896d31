#include "bmpwriter.h"
#include "formats/dibloader.h"
#include "pngwriter.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

// A decoded image, or none when the loader refused the bytes.
using Record = std::optional<DecodedImage>;

Record loadFile(const char* path)
{
    DecodedImage image;
    return loadDibImage(path, image) ? Record(std::move(image)) : std::nullopt;
}

// Loads bytes and returns the image with whatever the loader said on stderr.
Record loadCapturing(const Bytes& bytes, std::string& message, const char* name = "fixture.bmp")
{
    DecodedImage image;
    testing::internal::CaptureStderr();
    const bool loaded = loadDibImageFromMemory(bytes.data(), bytes.size(), name, image);
    message = testing::internal::GetCapturedStderr();
    return loaded ? Record(std::move(image)) : std::nullopt;
}

Record load(const Bytes& bytes)
{
    std::string message;
    Record record = loadCapturing(bytes, message);
    EXPECT_TRUE(record) << message;
    return record;
}

// A picture whose every pixel differs in every channel, so swapped channels, rows or columns
// all show.
RgbImage gradientImage(int width, int height)
{
    RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            unsigned char* p = image.at(x, y);
            p[0] = uint8_t(10 + 40 * x + 3 * y);
            p[1] = uint8_t(200 - 20 * y + x);
            p[2] = uint8_t(7 * x * y + 1);
        }
    }
    return image;
}

IndexedImage indexedImage(int width, int height, int bitCount, unsigned seed)
{
    IndexedImage image(width, height);
    const int colours = 1 << bitCount;
    for (int i = 0; i < colours; ++i)
    {
        image.addColour(uint8_t(i * 37 + 5), uint8_t(255 - i * 11), uint8_t(i * 101));
    }
    unsigned state = seed;
    for (unsigned char& index : image.indices)
    {
        state = state * 1103515245u + 12345u;
        // Runs as well as noise, so run-length files get both repeated and literal stretches.
        index = (state >> 16) % 4 == 0 ? uint8_t((state >> 8) % unsigned(colours))
                                       : (&index == image.indices.data() ? 0 : *(&index - 1));
    }
    return image;
}

RgbImage expandIndexed(const IndexedImage& image)
{
    RgbImage rgb(image.width, image.height);
    for (size_t i = 0; i < image.indices.size(); ++i)
    {
        std::memcpy(&rgb.pixels[i * 3], &image.palette[image.indices[i] * 3], 3);
    }
    return rgb;
}

void expectPixelsEqual(const DecodedImage& record, const RgbImage& expected, int tolerance = 0)
{
    ASSERT_EQ(record.width, expected.width);
    ASSERT_EQ(record.height, expected.height);
    ASSERT_EQ(record.channels, 3);
    int mismatches = 0;
    for (size_t i = 0; i < expected.pixels.size(); ++i)
    {
        const int difference = int(record.pixels[i]) - int(expected.pixels[i]);
        if ((difference > tolerance || difference < -tolerance) && ++mismatches <= 3)
        {
            ADD_FAILURE() << "pixel " << i / 3 % size_t(expected.width) << ","
                          << i / 3 / size_t(expected.width) << " channel " << i % 3 << ": got "
                          << int(record.pixels[i]) << ", expected " << int(expected.pixels[i]);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

void putU32At(Bytes& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        bytes[offset + size_t(i)] = uint8_t(value >> (8 * i));
    }
}
} // namespace

TEST(DibLoader, TwentyFourBitWidthFiveGivesTightRowsBottomFirstRedFirst)
{
    const RgbImage image = gradientImage(5, 3);
    Record record = load(encodeBmp24(image));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->width, 5);
    EXPECT_EQ(record->height, 3);
    // Rows of exactly 15 bytes: row 1 starts at byte 15 with pixel (0, 1).
    EXPECT_EQ(0, std::memcmp(record->pixels.data() + 15, image.at(0, 1), 3));
    expectPixelsEqual(*record, image);
}

TEST(DibLoader, EveryLayoutRoundTripsAtAwkwardWidths)
{
    for (int width : {1, 2, 3, 5, 7, 9, 17, 33})
    {
        const int height = 4;
        SCOPED_TRACE("width " + std::to_string(width));
        const RgbImage rgb = gradientImage(width, height);
        for (bool topDown : {false, true})
        {
            BmpLayout layout;
            layout.topDown = topDown;
            for (int bits : {24, 32})
            {
                layout.bitCount = bits;
                SCOPED_TRACE("rgb bits " + std::to_string(bits) + (topDown ? " top-down" : ""));
                Record record = load(encodeBmpRgb(rgb, layout));
                ASSERT_TRUE(record);
                expectPixelsEqual(*record, rgb);
            }
            for (int bits : {1, 4, 8})
            {
                layout.bitCount = bits;
                SCOPED_TRACE("indexed bits " + std::to_string(bits) + (topDown ? " top-down" : ""));
                const IndexedImage indexed = indexedImage(width, height, bits, unsigned(width));
                Record record = load(encodeBmpIndexed(indexed, layout));
                ASSERT_TRUE(record);
                expectPixelsEqual(*record, expandIndexed(indexed));
            }
        }
    }
}

TEST(DibLoader, TopDownFileComesBackBottomRowFirstWithPositiveHeight)
{
    RgbImage image(2, 2);
    image.at(0, 0)[0] = 255; // bottom-left red
    image.at(1, 1)[2] = 255; // top-right blue
    BmpLayout layout;
    layout.topDown = true;
    const Bytes bytes = encodeBmpRgb(image, layout);
    // The first stored row is the top one.
    EXPECT_EQ(bytes[54 + 3], 255); // top row, pixel 1, blue byte first
    Record record = load(bytes);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->height, 2);
    expectPixelsEqual(*record, image);
}

TEST(DibLoader, HeaderlessAndShortHeaderFilesLoad)
{
    const IndexedImage indexed = indexedImage(6, 5, 8, 3);
    const RgbImage expected = expandIndexed(indexed);
    BmpLayout layout;
    layout.bitCount = 8;
    for (bool fileHeader : {true, false})
    {
        for (bool coreHeader : {false, true})
        {
            layout.fileHeader = fileHeader;
            layout.coreHeader = coreHeader;
            SCOPED_TRACE(std::string(fileHeader ? "file header" : "no file header") +
                         (coreHeader ? ", 12-byte info header" : ", 40-byte info header"));
            Record record = load(encodeBmpIndexed(indexed, layout));
            ASSERT_TRUE(record);
            expectPixelsEqual(*record, expected);
        }
    }
}

TEST(DibLoader, PaletteCountFollowsColoursUsedOrDepth)
{
    DibInfoHeader header;
    for (auto [bits, colours] : {std::pair{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}})
    {
        header.bitCount = uint16_t(bits);
        header.colorsUsed = 0;
        EXPECT_EQ(dibColorCount(header), colours) << bits << " bits";
        header.colorsUsed = 5;
        EXPECT_EQ(dibColorCount(header), 5) << bits << " bits";
    }

    // Colours-used 0 in a file: the loader must find the pixels after the full palette.
    for (int bits : {1, 4, 8})
    {
        IndexedImage indexed = indexedImage(7, 3, bits, 9);
        BmpLayout layout;
        layout.bitCount = bits;
        layout.colorsUsedZero = true;
        layout.fileHeader = false;
        Record record = load(encodeBmpIndexed(indexed, layout));
        ASSERT_TRUE(record) << bits << " bits";
        expectPixelsEqual(*record, expandIndexed(indexed));
    }

    // A short palette: indices past its end come out black rather than from beyond the palette.
    IndexedImage shortPalette(3, 1);
    shortPalette.addColour(9, 8, 7);
    shortPalette.addColour(1, 2, 3);
    shortPalette.at(0, 0) = 1;
    shortPalette.at(1, 0) = 200;
    BmpLayout layout;
    layout.bitCount = 8;
    Record record = load(encodeBmpIndexed(shortPalette, layout));
    ASSERT_TRUE(record);
    const unsigned char expected[] = {1, 2, 3, 0, 0, 0, 9, 8, 7};
    EXPECT_EQ(0, std::memcmp(record->pixels.data(), expected, sizeof expected));
}

TEST(DibLoader, SixteenAndThirtyTwoBitsUseDefaultOrGivenMasks)
{
    // Full-scale channels must reach 255 (not 248), so the 5-bit scaling shows; the mid colour
    // is exact in five bits and within one step in six.
    RgbImage image(3, 2);
    const unsigned char colours[6][3] = {{255, 0, 0},     {0, 255, 0}, {0, 0, 255},
                                         {255, 255, 255}, {0, 0, 0},   {132, 66, 255}};
    for (int i = 0; i < 6; ++i)
    {
        std::memcpy(image.at(i % 3, i / 3), colours[i], 3);
    }
    BmpLayout layout;
    layout.bitCount = 16;
    Record record555 = load(encodeBmpRgb(image, layout));
    ASSERT_TRUE(record555);
    expectPixelsEqual(*record555, image);

    layout.bitFields = true;
    layout.redMask = 0xF800;
    layout.greenMask = 0x07E0;
    layout.blueMask = 0x001F;
    const Bytes bytes565 = encodeBmpRgb(image, layout);
    // Pure green in 5-6-5 uses all six green bits.
    EXPECT_EQ(bytes565[66 + 2] | (bytes565[66 + 3] << 8), 0x07E0);
    Record record565 = load(bytes565);
    ASSERT_TRUE(record565);
    expectPixelsEqual(*record565, image, 1);

    // 32 bits with the channels in unusual places, including a 10-bit one.
    layout.bitCount = 32;
    layout.redMask = 0x000000FF;
    layout.greenMask = 0x3FF00000;
    layout.blueMask = 0x0000FF00;
    const RgbImage gradient = gradientImage(5, 3);
    Record record32 = load(encodeBmpRgb(gradient, layout));
    ASSERT_TRUE(record32);
    expectPixelsEqual(*record32, gradient);
}

TEST(DibLoader, RunLengthFilesDecodeRunsLiteralsAndJumps)
{
    for (int bits : {4, 8})
    {
        for (int width : {1, 5, 16, 37})
        {
            SCOPED_TRACE("RLE" + std::to_string(bits) + " width " + std::to_string(width));
            const IndexedImage indexed = indexedImage(width, 6, bits, unsigned(width * bits));
            BmpLayout layout;
            layout.bitCount = bits;
            layout.runLength = true;
            Record record = load(encodeBmpIndexed(indexed, layout));
            ASSERT_TRUE(record);
            expectPixelsEqual(*record, expandIndexed(indexed));
        }
    }

    // By hand: a run of two, a jump of (+1, +1), a literal of three that runs off the row, end
    // of line, end of bitmap. Pixels the stream never reaches stay black.
    IndexedImage palette(4, 3);
    palette.addColour(0, 0, 0);
    palette.addColour(255, 0, 0);
    palette.addColour(0, 255, 0);
    palette.addColour(0, 0, 255);
    BmpLayout layout;
    layout.bitCount = 8;
    layout.runLength = true;
    Bytes bytes = encodeBmpIndexed(palette, layout);
    bytes.resize(bytes[10]);
    bytes.insert(bytes.end(), {2, 1, 0, 2, 1, 1, 0, 3, 3, 2, 3, 0, 0, 0, 0, 1});
    Record record = load(bytes);
    ASSERT_TRUE(record);
    const unsigned char expected[3 * 12] = {
        255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0, 0,   // row 0: the run
        0,   0, 0, 0,   0, 0, 0, 0, 0, 0, 0, 255, // row 1: only the literal's first pixel fits
    };
    EXPECT_EQ(0, std::memcmp(record->pixels.data(), expected, sizeof expected));
}

TEST(DibLoader, UnknownInfoHeaderSizesAreRefused)
{
    Bytes bytes = encodeBmp24(gradientImage(4, 4));
    for (uint32_t size : {108u, 124u, 64u, 0u})
    {
        putU32At(bytes, 14, size);
        std::string message;
        Record record = loadCapturing(bytes, message, "odd.bmp");
        EXPECT_FALSE(record) << size;
        EXPECT_NE(message.find("Unknown DIB file format."), std::string::npos) << message;
    }
}

TEST(DibLoader, TruncatedFilesAreRefusedWithTheFileName)
{
    // Every proper prefix of a valid file is refused: header, masks, palette or pixel rows cut.
    std::vector<Bytes> files;
    files.push_back(encodeBmp24(gradientImage(5, 3)));
    BmpLayout layout;
    layout.bitCount = 8;
    files.push_back(encodeBmpIndexed(indexedImage(5, 3, 8, 1), layout));
    layout.runLength = true;
    files.push_back(encodeBmpIndexed(indexedImage(9, 3, 8, 2), layout));
    layout = BmpLayout();
    layout.bitCount = 16;
    layout.bitFields = true;
    layout.fileHeader = false;
    files.push_back(encodeBmpRgb(gradientImage(3, 2), layout));
    for (size_t file = 0; file < files.size(); ++file)
    {
        for (size_t length = 0; length < files[file].size(); ++length)
        {
            const Bytes cut(files[file].begin(), files[file].begin() + long(length));
            std::string message;
            Record record = loadCapturing(cut, message, "cut.bmp");
            EXPECT_FALSE(record) << "file " << file << " cut to " << length;
            EXPECT_NE(message.find("cut.bmp"), std::string::npos) << message;
        }
    }
}

TEST(DibLoader, AbsurdSizesAndUnsupportedLayoutsAreRefused)
{
    const Bytes valid = encodeBmp24(gradientImage(4, 4));
    const struct
    {
        size_t offset;
        uint32_t value;
    } corruptions[] = {
        {18, 0},      {18, 0x80000000u},     {18, 16385}, {22, 0}, {22, 0x80000000u},
        {22, 100000}, {28, 23 | (1u << 16)}, {30, 7},     {30, 1}, // RLE8 on a 24-bit file
    };
    for (const auto& corruption : corruptions)
    {
        Bytes bytes = valid;
        putU32At(bytes, corruption.offset, corruption.value);
        std::string message;
        Record record = loadCapturing(bytes, message, "bad.bmp");
        EXPECT_FALSE(record) << "offset " << corruption.offset << " = " << corruption.value;
        EXPECT_NE(message.find("bad.bmp"), std::string::npos) << message;
    }
    // A pixel offset past the end of the file.
    Bytes bytes = valid;
    putU32At(bytes, 10, 0xFFFFFFF0u);
    std::string message;
    EXPECT_FALSE(loadCapturing(bytes, message, "bad.bmp"));
}

TEST(DibLoader, MissingFilesAreNamedOnALineOfTheirOwn)
{
    DecodedImage image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadBitmapFile(nullptr, image));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no name, nothing to report";

    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadBitmapFile("no such directory/none.bmp", image));
    EXPECT_FALSE(
        loadBitmapFile("no such directory/none.bmp", image, "the sky is drawn untextured"));
    EXPECT_FALSE(loadDibImage("no such directory/none.bmp", image));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "no such directory/none.bmp: cannot be opened\n"
              "no such directory/none.bmp: cannot be opened; the sky is drawn untextured\n"
              "no such directory/none.bmp: Failed to open DIB file.\n");
    EXPECT_TRUE(image.pixels.empty()) << "a refusal leaves the image as it was";

    const RgbImage picture = gradientImage(3, 3);
    ASSERT_TRUE(writeBmp24("wrapper.bmp", picture));
    ASSERT_TRUE(loadBitmapFile("wrapper.bmp", image));
    expectPixelsEqual(image, picture);
    std::remove("wrapper.bmp");
}

// ---- Real files from the public BMP suite -------------------------------------------------

namespace
{
std::vector<std::string> listDirectory(const std::string& path, const std::string& suffix)
{
    std::vector<std::string> names;
    DIR* directory = opendir(path.c_str());
    if (!directory)
    {
        return names;
    }
    while (dirent* entry = readdir(directory))
    {
        const std::string name = entry->d_name;
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        {
            names.push_back(name);
        }
    }
    closedir(directory);
    return names;
}

uint32_t infoHeaderSize(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    unsigned char bytes[18] = {};
    const size_t count = file ? std::fread(bytes, 1, sizeof bytes, file) : 0;
    if (file)
    {
        std::fclose(file);
    }
    return count == 18 ? uint32_t(bytes[14] | bytes[15] << 8 | bytes[16] << 16 | bytes[17] << 24)
                       : 0;
}

bool fileExists(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file)
    {
        std::fclose(file);
    }
    return file != nullptr;
}
} // namespace

namespace
{
// The suite's rendering of a file: its own where there is one, else that of a file the suite
// describes as the same picture in another encoding (the image library misreads some of these).
std::string referenceRendering(const std::string& fileName)
{
    const std::string stem = fileName.substr(0, fileName.size() - 4);
    const std::pair<const char*, const char*> samePicture[] = {
        {"rgb16-565pal", "rgb16-565"},
    };
    std::string reference = stem;
    for (const auto& [file, rendering] : samePicture)
    {
        if (stem == file)
        {
            reference = rendering;
        }
    }
    return corporaPath("bmp/html/" + reference + ".png");
}
} // namespace

TEST(DibLoader, GoodSuiteFilesMatchTheirReferenceRenderings)
{
    SKIP_WITHOUT_CORPORA();
    const std::string good = corporaPath("bmp/g");
    const std::vector<std::string> names = listDirectory(good, ".bmp");
    ASSERT_FALSE(names.empty());
    int compared = 0;
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        const std::string path = good + "/" + name;
        const uint32_t headerSize = infoHeaderSize(path);
        std::string message;
        testing::internal::CaptureStderr();
        Record record = loadFile(path.c_str());
        message = testing::internal::GetCapturedStderr();
        if (headerSize != 12 && headerSize != 40)
        {
            EXPECT_FALSE(record);
            EXPECT_NE(message.find("Unknown DIB file format."), std::string::npos) << message;
            continue;
        }
        ASSERT_TRUE(record) << message;
        const std::string reference = referenceRendering(name);
        RgbImage expected;
        ASSERT_TRUE(readImageRgb(fileExists(reference) ? reference : path, expected));
        expectPixelsEqual(*record, expected);
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

TEST(DibLoader, HeaderlessSuiteFilesEqualTheirOriginals)
{
    SKIP_WITHOUT_CORPORA();
    const std::pair<const char*, const char*> pairs[] = {
        {"bmp/derived/pal8_noFileHeader.dib", "bmp/g/pal8.bmp"},
        {"bmp/derived/rgb24_noFileHeader.dib", "bmp/g/rgb24.bmp"},
        {"bmp/derived/pal8os2_noFileHeader.dib", "bmp/g/pal8os2.bmp"},
    };
    for (const auto& [headerless, original] : pairs)
    {
        Record withoutHeader = loadFile(corporaPath(headerless).c_str());
        Record withHeader = loadFile(corporaPath(original).c_str());
        ASSERT_TRUE(withoutHeader) << headerless;
        ASSERT_TRUE(withHeader) << original;
        ASSERT_EQ(withoutHeader->width, withHeader->width);
        ASSERT_EQ(withoutHeader->height, withHeader->height);
        EXPECT_EQ(withoutHeader->pixels, withHeader->pixels) << headerless;
    }
}

TEST(DibLoader, EverySuiteFileIsDecodedOrRefusedWithAMessage)
{
    SKIP_WITHOUT_CORPORA();
    for (const char* folder : {"bmp/g", "bmp/q", "bmp/b", "bmp/derived"})
    {
        const std::string directory = corporaPath(folder);
        for (const std::string& name : listDirectory(directory, "b"))
        {
            const std::string path = directory + "/" + name;
            testing::internal::CaptureStderr();
            Record record = loadFile(path.c_str());
            const std::string message = testing::internal::GetCapturedStderr();
            if (record)
            {
                EXPECT_GT(record->width, 0);
                EXPECT_GT(record->height, 0);
            }
            else
            {
                EXPECT_NE(message.find(name), std::string::npos) << path << ": " << message;
            }
        }
    }
}
