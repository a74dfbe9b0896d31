// Bounded little-endian reads.
#include "formats/bytecursor.h"

#include <cstdio>
#include <cstring>

bool ByteCursor::hasRecords(size_t count, size_t recordSize) const
{
    if (recordSize == 0 || count == 0)
    {
        return true;
    }
    return count <= remaining() / recordSize;
}

bool ByteCursor::seek(size_t offset)
{
    if (offset > m_size)
    {
        return false;
    }
    m_offset = offset;
    return true;
}

bool ByteCursor::skip(size_t count)
{
    if (count > remaining())
    {
        return false;
    }
    m_offset += count;
    return true;
}

const unsigned char* ByteCursor::peek(size_t count) const
{
    if (count > remaining())
    {
        return nullptr;
    }
    return m_pData + m_offset;
}

bool ByteCursor::readBytes(void* destination, size_t count)
{
    const unsigned char* source = peek(count);
    if (!source)
    {
        return false;
    }
    if (count > 0)
    {
        std::memcpy(destination, source, count);
    }
    m_offset += count;
    return true;
}

bool ByteCursor::readU8(uint8_t& value)
{
    return readBytes(&value, 1);
}

bool ByteCursor::readS8(int8_t& value)
{
    uint8_t raw = 0;
    if (!readU8(raw))
    {
        return false;
    }
    value = int8_t(raw);
    return true;
}

bool ByteCursor::readU16(uint16_t& value)
{
    const unsigned char* p = peek(2);
    if (!p)
    {
        return false;
    }
    value = uint16_t(p[0] | (p[1] << 8));
    m_offset += 2;
    return true;
}

bool ByteCursor::readS16(int16_t& value)
{
    uint16_t raw = 0;
    if (!readU16(raw))
    {
        return false;
    }
    value = int16_t(raw);
    return true;
}

bool ByteCursor::readU32(uint32_t& value)
{
    const unsigned char* p = peek(4);
    if (!p)
    {
        return false;
    }
    value =
        uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    m_offset += 4;
    return true;
}

bool ByteCursor::readS32(int32_t& value)
{
    uint32_t raw = 0;
    if (!readU32(raw))
    {
        return false;
    }
    value = int32_t(raw);
    return true;
}

bool ByteCursor::readFloat(float& value)
{
    uint32_t raw = 0;
    if (!readU32(raw))
    {
        return false;
    }
    std::memcpy(&value, &raw, sizeof value);
    return true;
}

bool readWholeFile(const char* path, std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
    {
        return false;
    }
    bytes.clear();
    unsigned char chunk[65536];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    {
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}
