// BMP encoding in every layout the park's loaders read.
#include "bmpwriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace
{
const uint32_t kCompressionNone = 0;
const uint32_t kCompressionRle8 = 1;
const uint32_t kCompressionRle4 = 2;
const uint32_t kCompressionBitFields = 3;

void putU16(std::vector<unsigned char>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void putU32(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
    {
        out.push_back(uint8_t(value >> shift));
    }
}

size_t paddedRowBytes(int width, int bitCount)
{
    return (size_t(width) * size_t(bitCount) + 31) / 32 * 4;
}

// Headers, masks and palette in front of already laid-out pixel data.
std::vector<unsigned char> assemble(const BmpLayout& layout, int width, int height,
                                    const std::vector<unsigned char>& paletteRgb,
                                    const std::vector<unsigned char>& pixelData,
                                    uint32_t compression, const uint32_t* masks)
{
    const uint32_t colours = uint32_t(paletteRgb.size() / 3);
    const uint32_t infoSize = layout.coreHeader ? 12 : 40;
    const uint32_t maskBytes = masks ? 12 : 0;
    const uint32_t paletteBytes = colours * (layout.coreHeader ? 3 : 4);
    const uint32_t fileHeaderBytes = layout.fileHeader ? 14 : 0;
    const uint32_t dataOffset = fileHeaderBytes + infoSize + maskBytes + paletteBytes;

    std::vector<unsigned char> out;
    out.reserve(dataOffset + pixelData.size());
    if (layout.fileHeader)
    {
        out.push_back('B');
        out.push_back('M');
        putU32(out, uint32_t(dataOffset + pixelData.size()));
        putU32(out, 0);
        putU32(out, dataOffset);
    }
    putU32(out, infoSize);
    if (layout.coreHeader)
    {
        putU16(out, uint16_t(width));
        putU16(out, uint16_t(height));
        putU16(out, 1);
        putU16(out, uint16_t(layout.bitCount));
    }
    else
    {
        putU32(out, uint32_t(width));
        putU32(out, uint32_t(layout.topDown ? -height : height));
        putU16(out, 1);
        putU16(out, uint16_t(layout.bitCount));
        putU32(out, compression);
        putU32(out, uint32_t(pixelData.size()));
        putU32(out, 2835);
        putU32(out, 2835);
        putU32(out, layout.colorsUsedZero ? 0 : colours);
        putU32(out, 0);
    }
    for (uint32_t i = 0; i < maskBytes / 4; ++i)
    {
        putU32(out, masks[i]);
    }
    for (uint32_t i = 0; i < colours; ++i)
    {
        out.push_back(paletteRgb[i * 3 + 2]);
        out.push_back(paletteRgb[i * 3 + 1]);
        out.push_back(paletteRgb[i * 3 + 0]);
        if (!layout.coreHeader)
        {
            out.push_back(0);
        }
    }
    out.insert(out.end(), pixelData.begin(), pixelData.end());
    return out;
}

// File row r (0 = first stored) holds image row fileRowToImageRow(r).
int imageRow(const BmpLayout& layout, int height, int fileRow)
{
    return layout.topDown ? height - 1 - fileRow : fileRow;
}

// A channel of 0..255 cut to the width of its mask and put in place.
uint32_t packChannel(unsigned char value, uint32_t mask)
{
    if (mask == 0)
    {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
    {
        ++shift;
    }
    const uint64_t maximum = mask >> shift;
    return uint32_t((uint64_t(value) * maximum + 127) / 255) << shift;
}

void appendLiteral(std::vector<unsigned char>& out, const unsigned char* indices, int count,
                   bool fourBit)
{
    out.push_back(0);
    out.push_back(uint8_t(count));
    const size_t start = out.size();
    if (fourBit)
    {
        for (int i = 0; i < count; i += 2)
        {
            const int low = i + 1 < count ? indices[i + 1] : 0;
            out.push_back(uint8_t((indices[i] << 4) | low));
        }
    }
    else
    {
        out.insert(out.end(), indices, indices + count);
    }
    if ((out.size() - start) % 2 != 0)
    {
        out.push_back(0);
    }
}

int runLengthAt(const unsigned char* row, int start, int width)
{
    int length = 1;
    while (start + length < width && length < 255 && row[start + length] == row[start])
    {
        ++length;
    }
    return length;
}
} // namespace

std::vector<unsigned char> encodeBmp24(const RgbImage& image)
{
    return encodeBmpRgb(image, BmpLayout());
}

std::vector<unsigned char> encodeBmpRgb(const RgbImage& image, const BmpLayout& layout)
{
    const int bits = layout.bitCount;
    uint32_t masks[3] = {layout.redMask, layout.greenMask, layout.blueMask};
    if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0)
    {
        masks[0] = bits == 16 ? 0x7C00 : 0xFF0000;
        masks[1] = bits == 16 ? 0x03E0 : 0x00FF00;
        masks[2] = bits == 16 ? 0x001F : 0x0000FF;
    }
    const size_t rowBytes = paddedRowBytes(image.width, bits);
    std::vector<unsigned char> data(rowBytes * size_t(image.height), 0);
    for (int fileRow = 0; fileRow < image.height; ++fileRow)
    {
        unsigned char* out = &data[size_t(fileRow) * rowBytes];
        const int y = imageRow(layout, image.height, fileRow);
        for (int x = 0; x < image.width; ++x)
        {
            const unsigned char* rgb = image.at(x, y);
            if (bits == 24)
            {
                out[x * 3 + 0] = rgb[2];
                out[x * 3 + 1] = rgb[1];
                out[x * 3 + 2] = rgb[0];
                continue;
            }
            const uint32_t value = packChannel(rgb[0], masks[0]) | packChannel(rgb[1], masks[1]) |
                                   packChannel(rgb[2], masks[2]);
            const int bytes = bits / 8;
            for (int b = 0; b < bytes; ++b)
            {
                out[x * bytes + b] = uint8_t(value >> (8 * b));
            }
        }
    }
    const bool withMasks = layout.bitFields && bits != 24;
    return assemble(layout, image.width, image.height, {}, data,
                    withMasks ? kCompressionBitFields : kCompressionNone,
                    withMasks ? masks : nullptr);
}

std::vector<unsigned char> encodeBmpIndexed(const IndexedImage& image, const BmpLayout& layout)
{
    const int bits = layout.bitCount;
    std::vector<unsigned char> palette = image.palette;
    if (layout.colorsUsedZero)
    {
        palette.resize(size_t(3) << bits, 0);
    }
    if (layout.runLength)
    {
        return assemble(layout, image.width, image.height, palette, encodeRunLength(image, bits),
                        bits == 4 ? kCompressionRle4 : kCompressionRle8, nullptr);
    }
    const size_t rowBytes = paddedRowBytes(image.width, bits);
    std::vector<unsigned char> data(rowBytes * size_t(image.height), 0);
    for (int fileRow = 0; fileRow < image.height; ++fileRow)
    {
        unsigned char* out = &data[size_t(fileRow) * rowBytes];
        const int y = imageRow(layout, image.height, fileRow);
        for (int x = 0; x < image.width; ++x)
        {
            const int bitPosition = x * bits;
            const int shift = 8 - bits - bitPosition % 8;
            out[bitPosition / 8] |= uint8_t(image.indices[size_t(y) * image.width + x] << shift);
        }
    }
    return assemble(layout, image.width, image.height, palette, data, kCompressionNone, nullptr);
}

std::vector<unsigned char> encodeRunLength(const IndexedImage& image, int bitCount)
{
    const bool fourBit = bitCount == 4;
    std::vector<unsigned char> out;
    for (int y = 0; y < image.height; ++y)
    {
        const unsigned char* row = &image.indices[size_t(y) * image.width];
        int x = 0;
        while (x < image.width)
        {
            const int run = runLengthAt(row, x, image.width);
            if (run >= 2)
            {
                out.push_back(uint8_t(run));
                out.push_back(uint8_t(fourBit ? (row[x] << 4) | row[x] : row[x]));
                x += run;
                continue;
            }
            // Gather pixels until a repeat of at least three starts.
            int end = x + 1;
            while (end < image.width && end - x < 255 && runLengthAt(row, end, image.width) < 3)
            {
                ++end;
            }
            if (end - x >= 3)
            {
                appendLiteral(out, row + x, end - x, fourBit);
            }
            else
            {
                for (int i = x; i < end; ++i)
                {
                    out.push_back(1);
                    out.push_back(uint8_t(fourBit ? row[i] << 4 : row[i]));
                }
            }
            x = end;
        }
        out.push_back(0);
        out.push_back(y + 1 == image.height ? 1 : 0);
    }
    return out;
}

bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        std::fprintf(stderr, "%s: cannot create: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        std::fprintf(stderr, "%s: write failed: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool writeBmp24(const std::string& path, const RgbImage& image)
{
    return writeBytes(path, encodeBmp24(image));
}
