// RIFF chunk walking over the byte cursor.
#include "formats/wavcheck.h"

#include "formats/bytecursor.h"
#include "formats/loadreport.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
bool isUnknownLength(uint32_t length)
{
    return length == 0 || length == 0xFFFFFFFFu;
}

// The tag as printable text: anything else shows as '?'.
void tagText(const unsigned char* bytes, char text[5])
{
    for (int i = 0; i < 4; ++i)
    {
        text[i] = bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '?';
    }
    text[4] = '\0';
}
} // namespace

bool looksLikeWav(const unsigned char* data, size_t size)
{
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

bool checkWavStructure(const unsigned char* data, size_t size, std::string& problem)
{
    if (!looksLikeWav(data, size))
    {
        return refuse(problem, "not a WAV file (no RIFF WAVE header)");
    }
    ByteCursor cursor(data, size);
    uint32_t riffLength = 0;
    cursor.skip(4);
    cursor.readU32(riffLength);
    cursor.skip(4);
    const bool streamed = isUnknownLength(riffLength);
    bool sawFormat = false;
    bool sawData = false;
    while (cursor.remaining() >= 8)
    {
        const size_t offset = cursor.offset();
        char tag[5];
        tagText(cursor.peek(4), tag);
        cursor.skip(4);
        uint32_t length = 0;
        cursor.readU32(length);
        const bool isData = std::strcmp(tag, "data") == 0;
        sawFormat = sawFormat || std::strcmp(tag, "fmt ") == 0;
        sawData = sawData || isData;
        if (isData && (streamed || length == 0xFFFFFFFFu))
        {
            break;
        }
        if (length > cursor.remaining())
        {
            return refuse(problem,
                          "chunk %s at offset %zu needs %zu bytes, the file has %zu left (it is "
                          "cut short)",
                          tag, offset, size_t(length) + 8, cursor.remaining() + 8);
        }
        // A chunk of odd length is followed by a pad byte, which the last chunk may lack.
        cursor.skip(length);
        if (length % 2 == 1 && cursor.remaining() > 0)
        {
            cursor.skip(1);
        }
    }
    // Checked after the walk: the chunk that breaks off says more than the header's total.
    if (!streamed && uint64_t(riffLength) + 8 > size)
    {
        return refuse(problem,
                      "the RIFF header promises %llu bytes, the file has %zu (it is cut short)",
                      (unsigned long long)riffLength + 8, size);
    }
    if (!sawFormat)
    {
        return refuse(problem, "has no fmt chunk (no sample format)");
    }
    if (!sawData)
    {
        return refuse(problem, "has no data chunk (no samples)");
    }
    return true;
}
