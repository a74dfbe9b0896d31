// The sound file reader: what it accepts (WAV, FLAC, Ogg Vorbis, mono and stereo) comes back
// sample for sample, and what the park cannot play is refused with one line saying why.
#include "audio/soundfile.h"
#include "formats/wavcheck.h"
#include "math/random.h"
#include "scratchdirectory.h"
#include "wavwriter.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<unsigned char>;

// `frames` of a 441 Hz tone at half scale, the same in every channel.
std::vector<int16_t> tone(int channels, int frames = 22050)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
    {
        const int16_t value =
            int16_t(std::lround(16000.0 * std::sin(i * 2.0 * M_PI * 441.0 / 22050.0)));
        samples.insert(samples.end(), size_t(channels), value);
    }
    return samples;
}

void writeBytes(const char* path, const Bytes& bytes)
{
    FILE* file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr) << path;
    if (!bytes.empty())
    {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    }
    std::fclose(file);
}

// The reason the reader gives, checked to be one line and to leave nothing behind.
std::string refusalOf(const char* path)
{
    SoundSamples sound;
    std::string reason;
    EXPECT_FALSE(readSoundFile(path, sound, reason)) << path;
    EXPECT_EQ(sound.frames(), 0u) << path;
    EXPECT_FALSE(reason.empty()) << path;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    return reason;
}

std::string refusalOf(const Bytes& bytes)
{
    writeBytes("sound.wav", bytes);
    return refusalOf("sound.wav");
}

void putU32(Bytes& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        bytes[at + size_t(i)] = (unsigned char)(value >> (8 * i));
    }
}
} // namespace

TEST(SoundFile, ReadsMonoAndStereoWavSampleForSample)
{
    for (int channels : {1, 2})
    {
        const std::vector<int16_t> samples = tone(channels);
        const Bytes wav = encodeWav(samples, channels, 22050);
        SoundSamples sound;
        std::string reason;
        ASSERT_TRUE(decodeSound(wav.data(), wav.size(), sound, reason)) << reason;
        EXPECT_EQ(sound.m_channels, channels);
        EXPECT_EQ(sound.m_rate, 22050);
        EXPECT_EQ(sound.m_samples, samples);
    }
}

// Written by the library into files, read back through the park's reader from memory: the
// decoders seek about in the bytes they are given.
TEST(SoundFile, ReadsFlacAndOggVorbis)
{
    ScratchDirectory scratch("soundfile");
    const std::vector<int16_t> samples = tone(2);
    const struct
    {
        const char* name;
        int format;
        bool lossless;
    } kinds[] = {{"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, true},
                 {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, false}};
    for (const auto& kind : kinds)
    {
        SF_INFO info = {};
        info.samplerate = 22050;
        info.channels = 2;
        info.format = kind.format;
        SNDFILE* file = sf_open(kind.name, SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << kind.name << ": " << sf_strerror(nullptr);
        sf_writef_short(file, samples.data(), sf_count_t(samples.size() / 2));
        sf_close(file);

        SoundSamples sound;
        std::string reason;
        ASSERT_TRUE(readSoundFile(kind.name, sound, reason)) << kind.name << ": " << reason;
        EXPECT_EQ(sound.m_channels, 2) << kind.name;
        EXPECT_EQ(sound.m_rate, 22050) << kind.name;
        ASSERT_EQ(sound.m_samples.size(), samples.size()) << kind.name;
        if (kind.lossless)
        {
            EXPECT_EQ(sound.m_samples, samples) << kind.name;
            continue;
        }
        double error = 0.0;
        double signal = 0.0;
        for (size_t i = 0; i < samples.size(); ++i)
        {
            error += std::pow(double(sound.m_samples[i]) - samples[i], 2.0);
            signal += std::pow(double(samples[i]), 2.0);
        }
        EXPECT_LT(error, signal * 0.01) << kind.name << " is more than 20 dB off the tone";
    }
}

TEST(SoundFile, RefusesMissingEmptyHalfAndRandomFilesSayingWhy)
{
    ScratchDirectory scratch("soundfile");
    EXPECT_EQ(refusalOf("nothing.wav"), "cannot be opened (No such file or directory)");
    EXPECT_EQ(refusalOf("."), "cannot be read (Is a directory)");
    EXPECT_EQ(refusalOf(Bytes()), "is empty");

    Bytes wav = encodeWav(tone(1), 1, 22050);
    const Bytes half(wav.begin(), wav.begin() + long(wav.size() / 2));
    EXPECT_EQ(refusalOf(half), "chunk data at offset 36 needs 44108 bytes, the file has 22036 left "
                               "(it is cut short)");
    const Bytes header(wav.begin(), wav.begin() + 44);
    EXPECT_NE(refusalOf(header).find("it is cut short"), std::string::npos);

    RandomSequence random(7);
    Bytes noise(4096);
    for (unsigned char& byte : noise)
    {
        byte = (unsigned char)(random.next() & 0xFF);
    }
    // Random bytes, MPEG frames by chance among them, never reach a decoder that would talk.
    EXPECT_EQ(refusalOf(noise), "is not a WAV, FLAC or Ogg Vorbis file");
    std::copy_n("OggS", 4, noise.begin());
    EXPECT_EQ(refusalOf(noise).rfind("is not a sound file the sound library reads (", 0), 0u);
    // Random bytes behind a WAV header: the chunk lengths they make up cannot all fit.
    std::copy(wav.begin(), wav.begin() + 12, noise.begin());
    EXPECT_NE(refusalOf(noise).find("cut short"), std::string::npos);
}

TEST(SoundFile, RefusesChannelsRatesAndLengthsTheParkCannotPlay)
{
    ScratchDirectory scratch("soundfile");
    EXPECT_EQ(refusalOf(encodeWav(tone(3, 100), 3, 22050)),
              "has 3 channels; the park plays sounds of one or two");
    EXPECT_EQ(refusalOf(encodeWav(tone(1, 100), 1, 4000)),
              "is sampled at 4000 Hz; the park plays 8000 to 96000 Hz");
    EXPECT_EQ(refusalOf(encodeWav(tone(1, 100), 1, 192000)),
              "is sampled at 192000 Hz; the park plays 8000 to 96000 Hz");
    EXPECT_EQ(refusalOf(encodeWav({}, 1, 22050)), "holds no samples");
    EXPECT_EQ(refusalOf(encodeWav(std::vector<int16_t>(8000 * 121), 1, 8000)),
              "lasts 121 s; the park plays sounds of up to 120 s");
}

// A stream written before its length was known, and a chunk of odd length with its pad byte,
// are whole files; cut inside such a chunk, the file is refused naming it.
TEST(WavCheck, AcceptsStreamedLengthsAndPaddedChunks)
{
    const std::vector<int16_t> samples = tone(1, 1000);
    Bytes streamed = encodeWav(samples, 1, 22050);
    putU32(streamed, 4, 0xFFFFFFFFu);
    putU32(streamed, 40, 0xFFFFFFFFu);
    std::string problem;
    EXPECT_TRUE(checkWavStructure(streamed.data(), streamed.size(), problem)) << problem;
    SoundSamples sound;
    ASSERT_TRUE(decodeSound(streamed.data(), streamed.size(), sound, problem)) << problem;
    EXPECT_EQ(sound.m_samples, samples);

    Bytes padded = encodeWav(samples, 1, 22050);
    const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    padded.insert(padded.begin() + 36, list.begin(), list.end());
    putU32(padded, 4, uint32_t(padded.size() - 8));
    EXPECT_TRUE(checkWavStructure(padded.data(), padded.size(), problem)) << problem;

    const Bytes cut(padded.begin(), padded.begin() + 46);
    EXPECT_FALSE(checkWavStructure(cut.data(), cut.size(), problem));
    EXPECT_EQ(problem, "chunk LIST at offset 36 needs 11 bytes, the file has 10 left (it is cut "
                       "short)");
}
