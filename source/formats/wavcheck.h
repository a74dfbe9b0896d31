// A look at a WAV file's chunk structure before the sound library decodes it. The library reads
// a WAV file cut short as far as it goes and says nothing, so a roar cut in half would play
// half a roar; here such a file is refused, with a message that says where it breaks off.
#pragma once

#include <cstddef>
#include <string>

// True when the bytes begin as a RIFF WAVE file does: the only files the check below is for.
bool looksLikeWav(const unsigned char* data, size_t size);

// True when the bytes hold a whole RIFF WAVE file: every chunk within the file, and a "fmt "
// and a "data" chunk among them. A stream written before its length was known (a RIFF or data
// length of 0 or 0xFFFFFFFF) runs to the end of the file. Otherwise false with `problem` saying
// what is wrong.
bool checkWavStructure(const unsigned char* data, size_t size, std::string& problem);
