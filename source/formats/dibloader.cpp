// Reads BMP files of every common depth (1, 4, 8, 16, 24 and 32 bits; RLE4, RLE8 and bit
// fields) into 24-bit RGB rows, bottom row first.
//
// The file's description is first widened into the long info header with a 4-byte-per-entry
// palette; the pixel conversion then works only from that rebuilt description. Every size the
// file states is checked against the bytes it really has before anything is read or allocated.
#include "formats/dibloader.h"

#include "formats/bytecursor.h"
#include "formats/loadreport.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

namespace
{
// Larger sides are taken for corrupt headers rather than images anyone means to load.
const int64_t kMaxSide = 16384;

const uint32_t kCompressionNone = 0;
const uint32_t kCompressionRle8 = 1;
const uint32_t kCompressionRle4 = 2;
const uint32_t kCompressionBitFields = 3;

const uint32_t kCoreHeaderSize = 12;
const uint32_t kInfoHeaderSize = 40;

struct Rgb
{
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// One colour channel of a 16- or 32-bit pixel: where its bits sit and how many values it has.
struct Channel
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t maximum = 0;

    explicit Channel(uint32_t channelMask) : mask(channelMask)
    {
        if (mask == 0)
        {
            return;
        }
        while (((mask >> shift) & 1u) == 0)
        {
            ++shift;
        }
        maximum = mask >> shift;
    }

    // The channel scaled to 0..255, rounded to nearest.
    uint8_t extract(uint32_t pixel) const
    {
        if (maximum == 0)
        {
            return 0;
        }
        const uint64_t value = (pixel & mask) >> shift;
        return uint8_t((value * 255u + maximum / 2) / maximum);
    }
};

// Everything the conversion needs, as rebuilt from the file.
struct DibSource
{
    DibInfoHeader header;
    uint32_t masks[3] = {0, 0, 0}; // red, green, blue
    std::vector<Rgb> palette;
    size_t pixelOffset = 0;
    int width = 0;
    int rows = 0; // |height|
    bool topDown = false;
};

// Whom the messages are about: the file, and what its caller does without it.
struct DibReport
{
    const char* name;
    const char* instead;

    // Reports "<name>: <what>; <instead>" on its own line.
    void show(const char* format, ...) const __attribute__((format(printf, 2, 3)));
};

void DibReport::show(const char* format, ...) const
{
    char what[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(what, sizeof what, format, arguments);
    va_end(arguments);
    reportLoadFailure(name, what, instead);
}

bool readCoreHeader(ByteCursor& cursor, DibInfoHeader& header)
{
    uint16_t width = 0;
    uint16_t height = 0;
    if (!cursor.readU16(width) || !cursor.readU16(height) || !cursor.readU16(header.planes) ||
        !cursor.readU16(header.bitCount))
    {
        return false;
    }
    header.size = kInfoHeaderSize;
    header.width = width;
    header.height = height;
    header.compression = kCompressionNone;
    header.imageSize = 0;
    header.xPelsPerMeter = 0;
    header.yPelsPerMeter = 0;
    const uint16_t colours = dibColorCount(header);
    header.colorsUsed = colours;
    header.colorsImportant = colours;
    return true;
}

bool readLongHeader(ByteCursor& cursor, DibInfoHeader& header)
{
    return cursor.readS32(header.width) && cursor.readS32(header.height) &&
           cursor.readU16(header.planes) && cursor.readU16(header.bitCount) &&
           cursor.readU32(header.compression) && cursor.readU32(header.imageSize) &&
           cursor.readS32(header.xPelsPerMeter) && cursor.readS32(header.yPelsPerMeter) &&
           cursor.readU32(header.colorsUsed) && cursor.readU32(header.colorsImportant);
}

bool readPalette(ByteCursor& cursor, size_t count, size_t entrySize, std::vector<Rgb>& palette)
{
    if (!cursor.hasRecords(count, entrySize))
    {
        return false;
    }
    palette.resize(count);
    for (Rgb& colour : palette)
    {
        const unsigned char* entry = cursor.peek(entrySize);
        colour = Rgb{entry[2], entry[1], entry[0]};
        cursor.skip(entrySize);
    }
    return true;
}

bool isSupportedLayout(const DibInfoHeader& header)
{
    switch (header.compression)
    {
        case kCompressionNone:
            return header.bitCount == 1 || header.bitCount == 4 || header.bitCount == 8 ||
                   header.bitCount == 16 || header.bitCount == 24 || header.bitCount == 32;
        case kCompressionRle8:
            return header.bitCount == 8 && header.height > 0;
        case kCompressionRle4:
            return header.bitCount == 4 && header.height > 0;
        case kCompressionBitFields:
            return header.bitCount == 16 || header.bitCount == 32;
        default:
            return false;
    }
}

void setDefaultMasks(DibSource& source)
{
    if (source.header.bitCount == 16)
    {
        source.masks[0] = 0x7C00;
        source.masks[1] = 0x03E0;
        source.masks[2] = 0x001F;
    }
    else if (source.header.bitCount == 32)
    {
        source.masks[0] = 0x00FF0000;
        source.masks[1] = 0x0000FF00;
        source.masks[2] = 0x000000FF;
    }
}

// Finds the info header (after the file header, if any) and widens it into the long form.
bool readInfoHeader(ByteCursor& cursor, const DibReport& report, DibSource& source,
                    bool& hasFileHeader, uint32_t& dataOffset, bool& core)
{
    const size_t size = cursor.size();
    const unsigned char* start = cursor.peek(2);
    hasFileHeader = start && start[0] == 'B' && start[1] == 'M';
    if (hasFileHeader && !(cursor.seek(10) && cursor.readU32(dataOffset)))
    {
        report.show("file header needs 14 bytes, the file has %zu", size);
        return false;
    }
    uint32_t headerSize = 0;
    if (!cursor.readU32(headerSize))
    {
        report.show("file ends before the info header (%zu bytes)", size);
        return false;
    }
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize)
    {
        report.show("Unknown DIB file format.");
        return false;
    }
    core = headerSize == kCoreHeaderSize;
    if (!(core ? readCoreHeader(cursor, source.header) : readLongHeader(cursor, source.header)))
    {
        report.show("info header of %u bytes reaches past the end of the file (%zu bytes)",
                    headerSize, size);
        return false;
    }
    return true;
}

// Refuses sizes no real image has and layouts the conversion does not know.
bool checkGeometry(const DibReport& report, DibSource& source)
{
    const DibInfoHeader& header = source.header;
    const int64_t rows = header.height < 0 ? -int64_t(header.height) : int64_t(header.height);
    if (header.width < 1 || header.width > kMaxSide || rows < 1 || rows > kMaxSide)
    {
        report.show("image size %d x %d is out of range (1 to %d on a side)", int(header.width),
                    int(header.height), int(kMaxSide));
        return false;
    }
    if (!isSupportedLayout(header))
    {
        report.show("Image file conversion error. (%u bits per pixel, compression %u)",
                    unsigned(header.bitCount), unsigned(header.compression));
        return false;
    }
    source.width = header.width;
    source.rows = int(rows);
    source.topDown = header.height < 0;
    return true;
}

// Reads the colour masks (bit fields) and the palette that follow the info header.
bool readColourTables(ByteCursor& cursor, const DibReport& report, bool core, DibSource& source)
{
    if (source.header.compression == kCompressionBitFields)
    {
        for (uint32_t& mask : source.masks)
        {
            if (!cursor.readU32(mask))
            {
                report.show("colour masks reach past the end of the file (%zu bytes)",
                            cursor.size());
                return false;
            }
        }
    }
    else
    {
        setDefaultMasks(source);
    }
    const uint16_t colours = dibColorCount(source.header);
    if (!readPalette(cursor, colours, core ? 3 : 4, source.palette))
    {
        report.show("palette of %u entries reaches past the end of the file (%zu bytes)",
                    unsigned(colours), cursor.size());
        return false;
    }
    return true;
}

// Reads the headers, masks and palette and finds the pixel data; false after a message when
// the file cannot be used.
bool readDescription(const unsigned char* data, size_t size, const DibReport& report,
                     DibSource& source)
{
    ByteCursor cursor(data, size);
    bool hasFileHeader = false;
    uint32_t dataOffset = 0;
    bool core = false;
    if (!readInfoHeader(cursor, report, source, hasFileHeader, dataOffset, core) ||
        !checkGeometry(report, source) || !readColourTables(cursor, report, core, source))
    {
        return false;
    }
    DibInfoHeader& header = source.header;
    if (header.imageSize == 0)
    {
        header.imageSize =
            uint32_t((int64_t(header.width) * header.bitCount + 7) / 8 * int64_t(source.rows));
    }
    if (header.colorsUsed == 0)
    {
        header.colorsUsed = uint32_t(source.palette.size());
    }
    source.pixelOffset = hasFileHeader ? dataOffset : cursor.offset();
    if (source.pixelOffset > size)
    {
        report.show("pixel data offset %zu lies past the end of the file (%zu bytes)",
                    source.pixelOffset, size);
        return false;
    }
    return true;
}

Rgb paletteColour(const std::vector<Rgb>& palette, unsigned index)
{
    return index < palette.size() ? palette[index] : Rgb{0, 0, 0};
}

void putPixel(unsigned char* row, int x, Rgb colour)
{
    row[x * 3 + 0] = colour.red;
    row[x * 3 + 1] = colour.green;
    row[x * 3 + 2] = colour.blue;
}

// Converts one stored row of uncompressed data into red-green-blue bytes.
void convertRow(const DibSource& source, const unsigned char* input, unsigned char* output)
{
    const int bits = source.header.bitCount;
    const Channel red(source.masks[0]);
    const Channel green(source.masks[1]);
    const Channel blue(source.masks[2]);
    for (int x = 0; x < source.width; ++x)
    {
        Rgb colour{0, 0, 0};
        if (bits <= 8)
        {
            const int bitPosition = x * bits;
            const int shift = 8 - bits - bitPosition % 8;
            const unsigned index = (input[bitPosition / 8] >> shift) & ((1u << bits) - 1);
            colour = paletteColour(source.palette, index);
        }
        else if (bits == 24)
        {
            const unsigned char* p = input + x * 3;
            colour = Rgb{p[2], p[1], p[0]};
        }
        else
        {
            const unsigned char* p = input + x * (bits / 8);
            uint32_t value = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
            if (bits == 32)
            {
                value |= (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
            }
            colour = Rgb{red.extract(value), green.extract(value), blue.extract(value)};
        }
        putPixel(output, x, colour);
    }
}

bool convertUncompressed(const DibSource& source, const unsigned char* data, size_t size,
                         const DibReport& report, unsigned char* pixels)
{
    const size_t stride = (size_t(source.width) * source.header.bitCount + 31) / 32 * 4;
    ByteCursor cursor(data, size);
    cursor.seek(source.pixelOffset);
    if (!cursor.hasRecords(size_t(source.rows), stride))
    {
        report.show("pixel data of %zu bytes at offset %zu reaches past the end of the file "
                    "(%zu bytes)",
                    stride * size_t(source.rows), source.pixelOffset, size);
        return false;
    }
    const size_t outputStride = size_t(source.width) * 3;
    for (int row = 0; row < source.rows; ++row)
    {
        const int destinationRow = source.topDown ? source.rows - 1 - row : row;
        convertRow(source, cursor.peek(stride), pixels + size_t(destinationRow) * outputStride);
        cursor.skip(stride);
    }
    return true;
}

// Run-length data: pairs of (count, value) runs and escapes for end of line, end of bitmap,
// a jump, and literal stretches padded to 16 bits. Pixels the stream never sets stay black.
bool convertRunLength(const DibSource& source, const unsigned char* data, size_t size,
                      const DibReport& report, unsigned char* pixels)
{
    const bool fourBit = source.header.compression == kCompressionRle4;
    ByteCursor cursor(data, size);
    cursor.seek(source.pixelOffset);
    const size_t outputStride = size_t(source.width) * 3;
    int x = 0;
    int y = 0;
    auto put = [&](unsigned index)
    {
        if (x < source.width)
        {
            putPixel(pixels + size_t(y) * outputStride, x, paletteColour(source.palette, index));
            ++x;
        }
    };
    while (y < source.rows)
    {
        uint8_t count = 0;
        uint8_t value = 0;
        if (!cursor.readU8(count) || !cursor.readU8(value))
        {
            report.show("run-length data ends at row %d of %d without an end marker", y,
                        source.rows);
            return false;
        }
        if (count > 0)
        {
            for (int i = 0; i < count; ++i)
            {
                put(fourBit ? ((i % 2 == 0) ? value >> 4 : value & 15u) : value);
            }
            continue;
        }
        if (value == 0)
        {
            x = 0;
            ++y;
        }
        else if (value == 1)
        {
            break;
        }
        else if (value == 2)
        {
            uint8_t dx = 0;
            uint8_t dy = 0;
            if (!cursor.readU8(dx) || !cursor.readU8(dy))
            {
                report.show("run-length jump cut off by the end of the file");
                return false;
            }
            x = x + dx > source.width ? source.width : x + dx;
            y += dy;
        }
        else
        {
            const size_t bytes = fourBit ? (value + 1u) / 2 : value;
            const unsigned char* literal = cursor.peek(bytes);
            if (!literal)
            {
                report.show("run-length literal of %u pixels reaches past the end of the "
                            "file",
                            unsigned(value));
                return false;
            }
            for (int i = 0; i < value; ++i)
            {
                put(fourBit ? ((i % 2 == 0) ? literal[i / 2] >> 4 : literal[i / 2] & 15u)
                            : literal[i]);
            }
            // Literal stretches are padded to a 16-bit boundary; a file may end without it.
            cursor.skip(bytes + bytes % 2 <= cursor.remaining() ? bytes + bytes % 2 : bytes);
        }
    }
    return true;
}

} // namespace

uint16_t dibColorCount(const DibInfoHeader& header)
{
    return header.colorsUsed != 0 ? uint16_t(header.colorsUsed) : fullPaletteSize(header.bitCount);
}

uint16_t fullPaletteSize(int bitCount)
{
    switch (bitCount)
    {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

bool loadDibImageFromMemory(const unsigned char* data, size_t size, const char* name,
                            DecodedImage& image, const char* instead)
{
    const DibReport report{name, instead};
    DibSource source;
    if (!readDescription(data, size, report, source))
    {
        return false;
    }
    DecodedImage decoded;
    decoded.width = source.width;
    decoded.height = source.rows;
    decoded.channels = 3;
    // Zeroed, so pixels a run-length stream skips come out black.
    decoded.pixels.assign(decoded.rowBytes() * size_t(decoded.height), 0);
    const bool runLength = source.header.compression == kCompressionRle8 ||
                           source.header.compression == kCompressionRle4;
    const bool converted =
        runLength ? convertRunLength(source, data, size, report, decoded.pixels.data())
                  : convertUncompressed(source, data, size, report, decoded.pixels.data());
    if (!converted)
    {
        return false;
    }
    image = std::move(decoded);
    return true;
}

bool loadDibImage(const char* fileName, DecodedImage& image, const char* instead)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(fileName, bytes))
    {
        DibReport{fileName, instead}.show("Failed to open DIB file.");
        return false;
    }
    return loadDibImageFromMemory(bytes.data(), bytes.size(), fileName, image, instead);
}

bool loadBitmapFile(const char* fileName, DecodedImage& image, const char* instead)
{
    if (!fileName)
    {
        return false;
    }
    FILE* file = std::fopen(fileName, "r");
    if (!file)
    {
        DibReport{fileName, instead}.show("cannot be opened");
        return false;
    }
    std::fclose(file);
    return loadDibImage(fileName, image, instead);
}
