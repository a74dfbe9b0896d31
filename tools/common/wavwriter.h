// Writing 16-bit PCM WAV files: the park's sounds, and sound fixtures in the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The whole file: a RIFF header, a PCM "fmt " chunk and the "data" chunk. `samples` are
// interleaved, `channels` of them a frame; a count that is not a whole number of frames, or
// channels outside 1 ... 65535, gives an empty result.
std::vector<unsigned char> encodeWav(const std::vector<int16_t>& samples, int channels, int rate);
// False, with one line on stderr naming the file, when it cannot be encoded or written.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate);
