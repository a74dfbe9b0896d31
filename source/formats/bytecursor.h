// A bounded, little-endian reader over bytes in memory. Every binary reader of the park goes
// through it: a read that would pass the end fails and leaves the cursor where it was, so a
// truncated or lying file can never be read out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class ByteCursor
{
public:
    ByteCursor(const unsigned char* data, size_t size) : m_pData(data), m_size(size) {}

    size_t offset() const { return m_offset; }
    size_t size() const { return m_size; }
    size_t remaining() const { return m_size - m_offset; }

    // True when count records of recordSize bytes each remain (no overflow in the product).
    bool hasRecords(size_t count, size_t recordSize) const;

    bool seek(size_t offset);
    bool skip(size_t count);

    bool readU8(uint8_t& value);
    bool readS8(int8_t& value);
    bool readU16(uint16_t& value);
    bool readS16(int16_t& value);
    bool readU32(uint32_t& value);
    bool readS32(int32_t& value);
    bool readFloat(float& value);
    bool readBytes(void* destination, size_t count);

    // Address of the next count bytes without moving, or null when fewer remain.
    const unsigned char* peek(size_t count) const;

private:
    const unsigned char* m_pData;
    size_t m_size;
    size_t m_offset = 0;
};

// Reads a whole file into bytes. False when it cannot be opened or read.
bool readWholeFile(const char* path, std::vector<unsigned char>& bytes);
