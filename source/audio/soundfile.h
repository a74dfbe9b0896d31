// Sound files into 16-bit samples through the sound library (libsndfile): WAV, FLAC, Ogg Vorbis
// and whatever else it opens, so that a recording of the user's own can stand in for any
// generated sound. What the park cannot play is refused with a one-line reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

const int kLowestSoundRate = 8000;
const int kHighestSoundRate = 96000;
const int kLongestSoundSeconds = 120;
const size_t kLargestSoundFile = size_t(64) << 20;

struct SoundSamples
{
    std::vector<int16_t> m_samples; // interleaved, m_channels to a frame
    int m_channels = 0;
    int m_rate = 0;

    size_t frames() const { return m_channels > 0 ? m_samples.size() / size_t(m_channels) : 0; }
};

// Reads the whole file. False, with `reason` saying what is wrong (without the file's name, which
// the caller puts in front), when it cannot be opened or read, is empty, larger than
// kLargestSoundFile, not a sound the library decodes, cut short, or holds no samples, more than
// two channels, a rate outside kLowestSoundRate ... kHighestSoundRate or more than
// kLongestSoundSeconds of sound.
bool readSoundFile(const char* path, SoundSamples& sound, std::string& reason);
// The same for a file's bytes in memory.
bool decodeSound(const unsigned char* data, size_t size, SoundSamples& sound, std::string& reason);
