// PNG chunk walking.
#include "formats/pngcheck.h"

#include "formats/bytecursor.h"
#include "formats/loadreport.h"

#include <array>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace
{
const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Chunk lengths are at most 2^31 - 1.
const uint32_t kLargestChunk = 0x7FFFFFFFu;

uint32_t bigEndian32(const unsigned char* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
           uint32_t(bytes[3]);
}

// The CRC of every byte value, worked out by the compiler.
constexpr std::array<uint32_t, 256> crcTable()
{
    std::array<uint32_t, 256> table = {};
    for (uint32_t n = 0; n < 256; ++n)
    {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
        {
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = crcTable();
} // namespace

uint32_t pngCrc(const unsigned char* data, size_t size)
{
    const std::array<uint32_t, 256>& table = kCrcTable;
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
    {
        crc = table[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

bool checkPngStructure(const unsigned char* data, size_t size, std::string& problem)
{
    ByteCursor cursor(data, size);
    const unsigned char* signature = cursor.peek(sizeof kSignature);
    if (!signature || std::memcmp(signature, kSignature, sizeof kSignature) != 0)
    {
        return refuse(problem, "not a PNG file (no PNG signature)");
    }
    cursor.skip(sizeof kSignature);
    for (int index = 0;; ++index)
    {
        const size_t offset = cursor.offset();
        const unsigned char* head = cursor.peek(8);
        if (!head)
        {
            return refuse(problem, "the file ends after %zu bytes, before its IEND chunk", size);
        }
        const uint32_t length = bigEndian32(head);
        char type[5] = {char(head[4]), char(head[5]), char(head[6]), char(head[7]), '\0'};
        for (char& c : type)
        {
            if (c != '\0' && (c < 'A' || (c > 'Z' && c < 'a') || c > 'z'))
            {
                c = '?';
            }
        }
        if (length > kLargestChunk || !cursor.hasRecords(1, size_t(length) + 12))
        {
            return refuse(problem,
                          "chunk %s at offset %zu needs %zu bytes, the file has %zu left (it is "
                          "cut short)",
                          type, offset, size_t(length) + 12, cursor.remaining());
        }
        const uint32_t stored = bigEndian32(head + 8 + length);
        if (pngCrc(head + 4, size_t(length) + 4) != stored)
        {
            return refuse(problem, "chunk %s at offset %zu fails its CRC (the file is damaged)",
                          type, offset);
        }
        if (index == 0 && std::strcmp(type, "IHDR") != 0)
        {
            return refuse(problem, "the first chunk is %s, not IHDR", type);
        }
        cursor.skip(size_t(length) + 12);
        if (std::strcmp(type, "IEND") == 0)
        {
            return true;
        }
    }
}
