// The stand-alone BMP reader: fixed 54-byte header, palette right after it, pixel rows right
// after the palette, each row padded to 4 bytes. The header's data offset and compression are
// not consulted.
#include "formats/bmpreader.h"

#include "formats/bytecursor.h"
#include "formats/dibloader.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const size_t kHeaderSize = 54;
// Larger sides are taken for corrupt headers rather than images anyone means to read.
const int32_t kMaxSide = 16384;

struct PaletteEntry
{
    unsigned char red;
    unsigned char green;
    unsigned char blue;
};

bool isKnownDepth(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
}

// Pixel data the file must hold: every row padded to 4 bytes, except that the last row's
// padding may be missing.
bool holdsPixelRows(const ByteCursor& cursor, int32_t width, int32_t height, int bitCount)
{
    const size_t rowData = (size_t(width) * size_t(bitCount) + 7) / 8;
    const size_t rowStride = (rowData + 3) & ~size_t(3);
    return cursor.hasRecords(size_t(height) - 1, rowStride) &&
           cursor.remaining() - (size_t(height) - 1) * rowStride >= rowData;
}

void decodeRows(ByteCursor& cursor, int bitCount, const std::vector<PaletteEntry>& palette,
                BmpImage& image)
{
    const size_t rowData = (size_t(image.width) * size_t(bitCount) + 7) / 8;
    const size_t rowStride = (rowData + 3) & ~size_t(3);
    for (int y = 0; y < image.height; ++y)
    {
        const unsigned char* row = cursor.peek(rowData);
        for (int x = 0; x < image.width; ++x)
        {
            unsigned char* out = image.pixelAt(x, y, 0);
            if (bitCount == 24)
            {
                out[0] = row[x * 3 + 2];
                out[1] = row[x * 3 + 1];
                out[2] = row[x * 3 + 0];
                continue;
            }
            const int bitPosition = x * bitCount;
            const int shift = 8 - bitCount - bitPosition % 8;
            const unsigned index = (row[bitPosition / 8] >> shift) & ((1u << bitCount) - 1);
            out[0] = palette[index].red;
            out[1] = palette[index].green;
            out[2] = palette[index].blue;
        }
        // The last row's padding may be cut off by the end of the file.
        cursor.skip(rowStride <= cursor.remaining() ? rowStride : rowData);
    }
}
} // namespace

void BmpImage::allocate()
{
    pixels.reset();
    pixels = std::make_unique<unsigned char[]>(size_t(width) * size_t(height) * 3);
}

char readBmpFromMemory(const unsigned char* data, size_t size, BmpImage& image)
{
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
    {
        return kBmpNotBitmap;
    }
    ByteCursor cursor(data, size);
    int32_t width = 0;
    int32_t height = 0;
    uint8_t bitCount = 0;
    if (size < kHeaderSize || !cursor.seek(18) || !cursor.readS32(width) ||
        !cursor.readS32(height) || !cursor.seek(28) || !cursor.readU8(bitCount))
    {
        return kBmpReadFailed;
    }
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide)
    {
        return kBmpUnknownFormat;
    }
    if (!isKnownDepth(bitCount))
    {
        image.width = width;
        image.height = height;
        image.allocate();
        return kBmpUnknownFormat;
    }

    cursor.seek(kHeaderSize);
    std::vector<PaletteEntry> palette(size_t(fullPaletteSize(bitCount)));
    if (!cursor.hasRecords(palette.size(), 4))
    {
        return kBmpReadFailed;
    }
    for (PaletteEntry& entry : palette)
    {
        const unsigned char* bytes = cursor.peek(4);
        entry = PaletteEntry{bytes[2], bytes[1], bytes[0]};
        cursor.skip(4);
    }
    if (!holdsPixelRows(cursor, width, height, bitCount))
    {
        return kBmpReadFailed;
    }
    image.width = width;
    image.height = height;
    image.allocate();
    decodeRows(cursor, bitCount, palette, image);
    return kBmpOk;
}

char readBmp(const char* fileName, BmpImage& image)
{
    FILE* file = std::fopen(fileName, "rb");
    if (!file)
    {
        return kBmpOpenFailed;
    }
    std::fclose(file);
    std::vector<unsigned char> bytes;
    if (!readWholeFile(fileName, bytes))
    {
        return kBmpReadFailed;
    }
    return readBmpFromMemory(bytes.data(), bytes.size(), image);
}

const char* bmpErrorText(char code)
{
    switch (code)
    {
        case kBmpOk:
            return "No errors detected";
        case kBmpOpenFailed:
            return "Failed to open the file, suspect it doesn't exist";
        case kBmpNotBitmap:
            return "This file is not a bitmap, specifically it doesn't start 'BM'";
        case kBmpUnknownFormat:
            return "Unknown bmp format, ie not 24bit, 256,16 or 2 colour";
        case kBmpReadFailed:
            return "Some kind of error while physically reading the file";
        default:
            return "Not a valid error code";
    }
}

char checkBmpFile(const char* fileName)
{
    BmpImage bmp;
    return readBmp(fileName, bmp);
}
