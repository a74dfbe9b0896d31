// The sound library reads from the file's bytes in memory through its virtual I/O, after the
// WAV structure check: the file is read once, and what the library is given is bounded.
#include "audio/soundfile.h"

#include "formats/wavcheck.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
struct MemoryFile
{
    const unsigned char* data;
    sf_count_t size;
    sf_count_t position;
};

sf_count_t memoryLength(void* user)
{
    return static_cast<MemoryFile*>(user)->size;
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    MemoryFile& file = *static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.size : 0;
    if ((offset > 0 && base > file.size - offset) || base + offset < 0)
    {
        return -1;
    }
    file.position = base + offset;
    return file.position;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user)
{
    MemoryFile& file = *static_cast<MemoryFile*>(user);
    const sf_count_t available = std::max<sf_count_t>(0, file.size - file.position);
    const sf_count_t taken = std::clamp<sf_count_t>(count, 0, available);
    if (taken > 0)
    {
        std::memcpy(destination, file.data + file.position, size_t(taken));
        file.position += taken;
    }
    return taken;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t memoryTell(void* user)
{
    return static_cast<MemoryFile*>(user)->position;
}

// The library's message without its closing full stop.
std::string libraryMessage(SNDFILE* file)
{
    std::string message = sf_strerror(file);
    while (!message.empty() && (message.back() == '.' || message.back() == ' '))
    {
        message.pop_back();
    }
    return message;
}

int16_t toSample(float value)
{
    return int16_t(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

bool refuse(std::string& reason, const std::string& what)
{
    reason = what;
    return false;
}

// Every frame the library gives, converted from its floats (-1 ... 1 for every format); false
// when fewer come than the file declares.
bool readFrames(SNDFILE* file, const SF_INFO& info, SoundSamples& sound, std::string& reason)
{
    const size_t channels = size_t(info.channels);
    sound.m_samples.resize(size_t(info.frames) * channels);
    float block[4096];
    const sf_count_t blockFrames = sf_count_t(sizeof block / sizeof block[0] / channels);
    sf_count_t done = 0;
    while (done < info.frames)
    {
        const sf_count_t got =
            sf_readf_float(file, block, std::min(blockFrames, info.frames - done));
        if (got <= 0)
        {
            break;
        }
        for (size_t i = 0; i < size_t(got) * channels; ++i)
        {
            sound.m_samples[size_t(done) * channels + i] = toSample(block[i]);
        }
        done += got;
    }
    if (done < info.frames)
    {
        sound.m_samples.clear();
        const std::string detail =
            sf_error(file) != SF_ERR_NO_ERROR ? " (" + libraryMessage(file) + ")" : "";
        return refuse(reason, "is cut short: " + std::to_string(done) + " of its " +
                                  std::to_string(info.frames) + " frames could be decoded" +
                                  detail);
    }
    return true;
}
} // namespace

namespace
{
bool startsWith(const unsigned char* data, size_t size, const char* signature)
{
    const size_t length = std::strlen(signature);
    return size >= length && std::memcmp(data, signature, length) == 0;
}
} // namespace

bool decodeSound(const unsigned char* data, size_t size, SoundSamples& sound, std::string& reason)
{
    sound = SoundSamples();
    if (size == 0)
    {
        return refuse(reason, "is empty");
    }
    if (looksLikeWav(data, size) && !checkWavStructure(data, size, reason))
    {
        return false;
    }
    // Only what the park promises to play reaches the library: handed anything else, it tries
    // every decoder it has, and some of them talk on stderr about the bytes they were given.
    if (!looksLikeWav(data, size) && !startsWith(data, size, "fLaC") &&
        !startsWith(data, size, "OggS"))
    {
        return refuse(reason, "is not a WAV, FLAC or Ogg Vorbis file");
    }
    SF_VIRTUAL_IO io = {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    MemoryFile memory = {data, sf_count_t(size), 0};
    SF_INFO info = {};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!file)
    {
        return refuse(reason, "is not a sound file the sound library reads (" +
                                  libraryMessage(nullptr) + ")");
    }
    bool ok = false;
    if (info.channels < 1 || info.channels > 2)
    {
        refuse(reason, "has " + std::to_string(info.channels) +
                           " channels; the park plays sounds of one or two");
    }
    else if (info.samplerate < kLowestSoundRate || info.samplerate > kHighestSoundRate)
    {
        refuse(reason, "is sampled at " + std::to_string(info.samplerate) + " Hz; the park plays " +
                           std::to_string(kLowestSoundRate) + " to " +
                           std::to_string(kHighestSoundRate) + " Hz");
    }
    else if (info.frames <= 0)
    {
        refuse(reason, "holds no samples");
    }
    else if (info.frames > sf_count_t(info.samplerate) * kLongestSoundSeconds)
    {
        refuse(reason, "lasts " +
                           std::to_string((info.frames + info.samplerate - 1) / info.samplerate) +
                           " s; the park plays sounds of up to " +
                           std::to_string(kLongestSoundSeconds) + " s");
    }
    else
    {
        sound.m_channels = info.channels;
        sound.m_rate = info.samplerate;
        ok = readFrames(file, info, sound, reason);
    }
    sf_close(file);
    if (!ok)
    {
        sound = SoundSamples();
    }
    return ok;
}

bool readSoundFile(const char* path, SoundSamples& sound, std::string& reason)
{
    sound = SoundSamples();
    FILE* file = std::fopen(path, "rb");
    if (!file)
    {
        return refuse(reason, std::string("cannot be opened (") + std::strerror(errno) + ")");
    }
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    bool readError = false;
    bool tooLarge = false;
    for (;;)
    {
        const size_t got = std::fread(block, 1, sizeof block, file);
        if (got == 0)
        {
            readError = std::ferror(file) != 0;
            break;
        }
        if (bytes.size() + got > kLargestSoundFile)
        {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
    const int readErrno = errno;
    std::fclose(file);
    if (readError)
    {
        return refuse(reason, std::string("cannot be read (") + std::strerror(readErrno) + ")");
    }
    if (tooLarge)
    {
        return refuse(reason, "is larger than the " + std::to_string(kLargestSoundFile >> 20) +
                                  " MB the park reads of a sound file");
    }
    return decodeSound(bytes.data(), bytes.size(), sound, reason);
}
