// PNG by hand: signature, IHDR, one IDAT holding a zlib stream of one stored block, IEND.
#include "imagefixtures.h"

#include "formats/imagelibrary.h"
#include "formats/pngcheck.h"

#include <IL/il.h>

#include <cstdint>

namespace
{
using Bytes = std::vector<unsigned char>;

void putU32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        out.push_back(uint8_t(value >> shift));
    }
}

void putChunk(Bytes& out, const char* type, const Bytes& data)
{
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    putU32(out, uint32_t(data.size()));
    out.insert(out.end(), typed.begin(), typed.end());
    putU32(out, pngCrc(typed.data(), typed.size()));
}

// The bytes uncompressed, in the one stored block of a zlib stream.
Bytes storedZlib(const Bytes& raw)
{
    const size_t length = raw.size();
    Bytes out = {0x78,
                 0x01,
                 1,
                 uint8_t(length),
                 uint8_t(length >> 8),
                 uint8_t(~length),
                 uint8_t(~length >> 8)};
    out.insert(out.end(), raw.begin(), raw.end());
    uint32_t a = 1;
    uint32_t b = 0;
    for (unsigned char byte : raw)
    {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putU32(out, (b << 16) | a);
    return out;
}
} // namespace

std::vector<unsigned char> encodePng(int width, int height, int channels,
                                     const std::vector<unsigned char>& bottomRowFirst)
{
    const size_t rowBytes = size_t(width) * size_t(channels);
    Bytes raw;
    for (int row = height - 1; row >= 0; --row)
    {
        raw.push_back(0); // no filter
        const auto start = bottomRowFirst.begin() + long(size_t(row) * rowBytes);
        raw.insert(raw.end(), start, start + long(rowBytes));
    }
    Bytes header;
    putU32(header, uint32_t(width));
    putU32(header, uint32_t(height));
    header.insert(header.end(), {8, uint8_t(channels == 4 ? 6 : 2), 0, 0, 0});

    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", {});
    return png;
}

std::array<int, 4> imageLibraryState()
{
    initImageLibrary();
    return {ilIsEnabled(IL_ORIGIN_SET), ilGetInteger(IL_ORIGIN_MODE),
            ilIsEnabled(IL_FILE_OVERWRITE), ilGetInteger(IL_CUR_IMAGE)};
}
