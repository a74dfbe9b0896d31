// Canonical 44-byte-header WAV files, little-endian as the format wants.
#include "wavwriter.h"

#include <cstdio>

namespace
{
void putU16(std::vector<unsigned char>& out, uint32_t value)
{
    out.push_back((unsigned char)(value & 0xFF));
    out.push_back((unsigned char)((value >> 8) & 0xFF));
}

void putU32(std::vector<unsigned char>& out, uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

void putTag(std::vector<unsigned char>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}
} // namespace

std::vector<unsigned char> encodeWav(const std::vector<int16_t>& samples, int channels, int rate)
{
    std::vector<unsigned char> out;
    const uint64_t dataBytes = uint64_t(samples.size()) * 2;
    if (channels < 1 || channels > 65535 || rate < 1 || samples.size() % size_t(channels) != 0 ||
        dataBytes > 0xFFFFFFFFull - 36)
    {
        return out;
    }
    out.reserve(size_t(dataBytes) + 44);
    putTag(out, "RIFF");
    putU32(out, uint32_t(36 + dataBytes));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    putU32(out, 16);
    putU16(out, 1); // PCM
    putU16(out, uint32_t(channels));
    putU32(out, uint32_t(rate));
    putU32(out, uint32_t(rate) * uint32_t(channels) * 2);
    putU16(out, uint32_t(channels) * 2);
    putU16(out, 16);
    putTag(out, "data");
    putU32(out, uint32_t(dataBytes));
    for (int16_t sample : samples)
    {
        putU16(out, uint16_t(sample));
    }
    return out;
}

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate)
{
    const std::vector<unsigned char> bytes = encodeWav(samples, channels, rate);
    if (bytes.empty())
    {
        std::fprintf(stderr, "%s: cannot encode %zu samples in %d channels at %d Hz\n",
                     path.c_str(), samples.size(), channels, rate);
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        std::perror(path.c_str());
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        std::fprintf(stderr, "%s: could not be written completely\n", path.c_str());
        return false;
    }
    return true;
}
