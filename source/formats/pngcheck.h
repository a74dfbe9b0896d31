// A look at a PNG file's chunk structure before the image library decodes it: the signature,
// every chunk within the file and matching its CRC, the header first and the end chunk last.
// The library's PNG decoder keeps memory it never frees when the image data breaks off, so a
// file cut short or damaged is refused here, with a message that says where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// CRC-32 as PNG chunks carry it (the polynomial of ISO 3309), over `size` bytes.
uint32_t pngCrc(const unsigned char* data, size_t size);

// True when the bytes hold a whole PNG file; otherwise false with `problem` saying what is wrong.
bool checkPngStructure(const unsigned char* data, size_t size, std::string& problem);
