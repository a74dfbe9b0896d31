// OpenAL calls, all of them: the rest of the park sees only this module's handles and numbers.
#include "audio/sounddevice.h"

#include "audio/soundfile.h"
#include "platform/platform.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace
{
// About once a second at 60 frames a second: asking the device costs a lock in the library.
const int kUpdatesBetweenChecks = 60;

ALCdevice* asDevice(void* pDevice)
{
    return static_cast<ALCdevice*>(pDevice);
}

std::string deviceName(ALCdevice* device)
{
    const ALCchar* name = alcGetString(device, ALC_DEVICE_SPECIFIER);
    return name && name[0] ? name : "(unnamed)";
}

// One more source, or false when the device gives no more.
bool generateSource(unsigned& source)
{
    alGetError();
    ALuint made = 0;
    alGenSources(1, &made);
    source = made;
    return alGetError() == AL_NO_ERROR;
}
} // namespace

float distanceGain(float distance)
{
    const float clamped = std::clamp(distance, kSoundReferenceDistance, kSoundFarLimit);
    return kSoundReferenceDistance /
           (kSoundReferenceDistance + kSoundRolloff * (clamped - kSoundReferenceDistance));
}

SoundDevice::~SoundDevice()
{
    close();
}

namespace
{
// The attribute asking for HRTF or against it, or nothing for the library's own choice.
void appendHrtf(HrtfChoice hrtf, std::vector<ALCint>& attributes)
{
    if (hrtf != HrtfChoice::Auto)
    {
        attributes.push_back(ALC_HRTF_SOFT);
        attributes.push_back(hrtf == HrtfChoice::On ? ALC_TRUE : ALC_FALSE);
    }
    attributes.push_back(0);
}
} // namespace

bool SoundDevice::open(HrtfChoice hrtf, std::string& reason)
{
    close();
    quietSoundLibraries();
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device)
    {
        reason = "no audio output device could be opened";
        if (const char* drivers = std::getenv("ALSOFT_DRIVERS"))
        {
            reason += std::string(" (ALSOFT_DRIVERS=") + drivers + ")";
        }
        return false;
    }
    std::vector<ALCint> attributes;
    appendHrtf(hrtf, attributes);
    return finishOpening(device, attributes.data(), reason);
}

bool SoundDevice::openLoopback(int rate, HrtfChoice hrtf, std::string& reason)
{
    close();
    quietSoundLibraries();
    auto openLoop = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto supports = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") || !openLoop || !supports || !render)
    {
        reason = "this OpenAL has no loopback device (ALC_SOFT_loopback)";
        return false;
    }
    ALCdevice* device = openLoop(nullptr);
    if (!device)
    {
        reason = "the OpenAL loopback device could not be opened";
        return false;
    }
    if (!supports(device, rate, ALC_STEREO_SOFT, ALC_SHORT_SOFT))
    {
        alcCloseDevice(device);
        reason = "the OpenAL loopback device cannot mix 16-bit stereo at " + std::to_string(rate) +
                 " Hz";
        return false;
    }
    // Unasked, the loopback mixes as plain stereo: the tests' figures do not hang on the
    // library's configuration.
    std::vector<ALCint> attributes = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                                      ALC_FORMAT_TYPE_SOFT,     ALC_SHORT_SOFT,
                                      ALC_FREQUENCY,            rate};
    appendHrtf(hrtf == HrtfChoice::Auto ? HrtfChoice::Off : hrtf, attributes);
    if (!finishOpening(device, attributes.data(), reason))
    {
        return false;
    }
    m_pRender = reinterpret_cast<void (*)()>(render);
    return true;
}

bool SoundDevice::finishOpening(void* pDevice, const int* attributes, std::string& reason)
{
    ALCdevice* device = asDevice(pDevice);
    ALCcontext* context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context))
    {
        reason = "the audio device \"" + deviceName(device) + "\" cannot mix (no OpenAL context)";
        if (context)
        {
            alcDestroyContext(context);
        }
        alcCloseDevice(device);
        return false;
    }
    m_pDevice = device;
    m_pContext = context;
    m_canCheckConnection = alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;
    m_updatesSinceCheck = 0;
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);

    while (m_voiceCount < kSoundSources && generateSource(m_voices[m_voiceCount].m_source))
    {
        const ALuint source = m_voices[m_voiceCount++].m_source;
        alSourcef(source, AL_REFERENCE_DISTANCE, kSoundReferenceDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, kSoundRolloff);
        alSourcef(source, AL_MAX_DISTANCE, kSoundFarLimit);
    }
    while (m_bedCount < kSoundBeds && generateSource(m_beds[m_bedCount]))
    {
        // Heard from the listener's own place, whatever its position: the same everywhere.
        const ALuint source = m_beds[m_bedCount++];
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(source, AL_LOOPING, AL_TRUE);
    }
    if (m_voiceCount == 0)
    {
        reason = "the audio device \"" + deviceName(device) + "\" gives no sources to play on";
        close();
        return false;
    }
    setListener(m_listener, Vector3(0.0f, 0.0f, -1.0f), Vector3(0.0f, 1.0f, 0.0f));
    applyListenerGain();
    return true;
}

void SoundDevice::close()
{
    if (!m_pDevice)
    {
        return;
    }
    for (int i = 0; i < m_voiceCount; ++i)
    {
        alSourceStop(m_voices[i].m_source);
        alDeleteSources(1, &m_voices[i].m_source);
        m_voices[i] = Voice();
    }
    for (int i = 0; i < m_bedCount; ++i)
    {
        alSourceStop(m_beds[i]);
        alDeleteSources(1, &m_beds[i]);
        m_beds[i] = 0;
    }
    alDeleteBuffers(m_bufferCount, m_buffers);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(static_cast<ALCcontext*>(m_pContext));
    alcCloseDevice(asDevice(m_pDevice));
    m_pDevice = nullptr;
    m_pContext = nullptr;
    m_pRender = nullptr;
    m_bufferCount = 0;
    m_voiceCount = 0;
    m_nextVoice = 0;
    m_bedCount = 0;
    m_bedsStarted = 0;
}

int SoundDevice::addSound(const SoundSamples& samples, bool placed, std::string& reason)
{
    if (!isOpen())
    {
        reason = "no audio device is open";
        return 0;
    }
    if (m_bufferCount >= kSoundBuffers)
    {
        reason = "the audio device holds its " + std::to_string(kSoundBuffers) + " sounds already";
        return 0;
    }
    const size_t frames = samples.frames();
    if (frames == 0 || samples.m_channels < 1 || samples.m_channels > 2)
    {
        reason = "holds no sound the device can play";
        return 0;
    }
    const int16_t* data = samples.m_samples.data();
    int channels = samples.m_channels;
    std::vector<int16_t> mixed;
    if (placed && channels == 2)
    {
        mixed.resize(frames);
        for (size_t i = 0; i < frames; ++i)
        {
            mixed[i] = int16_t((int(data[2 * i]) + int(data[2 * i + 1])) / 2);
        }
        data = mixed.data();
        channels = 1;
    }
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR)
    {
        reason = "the audio device has no room for another sound";
        return 0;
    }
    alBufferData(buffer, channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16, data,
                 ALsizei(frames * size_t(channels) * sizeof(int16_t)), samples.m_rate);
    if (alGetError() != AL_NO_ERROR)
    {
        alDeleteBuffers(1, &buffer);
        reason = "the audio device refuses its samples";
        return 0;
    }
    m_buffers[m_bufferCount++] = buffer;
    return m_bufferCount;
}

void SoundDevice::setListener(const Vector3& position, const Vector3& forward, const Vector3& up)
{
    m_listener = position;
    if (!isOpen())
    {
        return;
    }
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    const ALfloat orientation[6] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

float SoundDevice::heardGain(const Vector3& position, float gain) const
{
    return gain * distanceGain((position - m_listener).length());
}

bool SoundDevice::usesHrtf() const
{
    ALCint hrtf = ALC_FALSE;
    if (isOpen() && alcIsExtensionPresent(asDevice(m_pDevice), "ALC_SOFT_HRTF") == ALC_TRUE)
    {
        alcGetIntegerv(asDevice(m_pDevice), ALC_HRTF_SOFT, 1, &hrtf);
    }
    return hrtf == ALC_TRUE;
}

bool SoundDevice::isPlaying(unsigned source) const
{
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

SoundDevice::Voice* SoundDevice::voiceFor(float heard)
{
    // Round the pool from the source after the last one started: the longest started is the
    // likeliest to have finished, so a free one is usually found at the first question.
    Voice* faintest = nullptr;
    float faintestGain = heard;
    for (int i = 0; i < m_voiceCount; ++i)
    {
        const int index = (m_nextVoice + i) % m_voiceCount;
        Voice& voice = m_voices[index];
        if (!isPlaying(voice.m_source))
        {
            m_nextVoice = (index + 1) % m_voiceCount;
            return &voice;
        }
        const float now = heardGain(voice.m_position, voice.m_gain);
        if (now < faintestGain)
        {
            faintestGain = now;
            faintest = &voice;
        }
    }
    return faintest;
}

bool SoundDevice::play(int sound, const Vector3& position, float gain, float pitch)
{
    if (!isOpen() || m_paused || sound < 1 || sound > m_bufferCount)
    {
        return false;
    }
    const float heard = heardGain(position, gain);
    if (heard < kFaintestSoundGain)
    {
        return false;
    }
    Voice* voice = voiceFor(heard);
    if (!voice)
    {
        return false;
    }
    const ALuint source = voice->m_source;
    // A source takes a new buffer only when stopped; one that gives way is cut off here.
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, ALint(m_buffers[sound - 1]));
    alSource3f(source, AL_POSITION, position.x, position.y, position.z);
    alSourcef(source, AL_GAIN, std::max(gain, 0.0f));
    alSourcef(source, AL_PITCH, std::clamp(pitch, 0.25f, 4.0f));
    alSourcePlay(source);
    voice->m_position = position;
    voice->m_gain = gain;
    return true;
}

int SoundDevice::startBed(int sound, float gain)
{
    if (!isOpen() || sound < 1 || sound > m_bufferCount || m_bedsStarted >= m_bedCount)
    {
        return -1;
    }
    const ALuint source = m_beds[m_bedsStarted];
    alSourcei(source, AL_BUFFER, ALint(m_buffers[sound - 1]));
    alSourcef(source, AL_GAIN, std::max(gain, 0.0f));
    alSourcePlay(source);
    return m_bedsStarted++;
}

void SoundDevice::setBedGain(int bed, float gain)
{
    if (isOpen() && bed >= 0 && bed < m_bedsStarted)
    {
        alSourcef(m_beds[bed], AL_GAIN, std::max(gain, 0.0f));
    }
}

void SoundDevice::setPaused(bool paused)
{
    if (paused == m_paused)
    {
        return;
    }
    m_paused = paused;
    if (!isOpen())
    {
        return;
    }
    auto holdOrGoOn = [paused](ALuint source)
    {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (paused && state == AL_PLAYING)
        {
            alSourcePause(source);
        }
        else if (!paused && state == AL_PAUSED)
        {
            alSourcePlay(source);
        }
    };
    for (int i = 0; i < m_voiceCount; ++i)
    {
        holdOrGoOn(m_voices[i].m_source);
    }
    for (int i = 0; i < m_bedsStarted; ++i)
    {
        holdOrGoOn(m_beds[i]);
    }
}

void SoundDevice::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    applyListenerGain();
}

void SoundDevice::setMuted(bool muted)
{
    m_muted = muted;
    applyListenerGain();
}

void SoundDevice::applyListenerGain() const
{
    if (isOpen())
    {
        const float fraction = float(m_volume) / 100.0f;
        alListenerf(AL_GAIN, m_muted ? 0.0f : fraction * fraction);
    }
}

bool SoundDevice::update()
{
    if (!isOpen())
    {
        return false;
    }
    if (!m_canCheckConnection || ++m_updatesSinceCheck < kUpdatesBetweenChecks)
    {
        return true;
    }
    m_updatesSinceCheck = 0;
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(asDevice(m_pDevice), ALC_CONNECTED, 1, &connected);
    if (connected == ALC_TRUE)
    {
        return true;
    }
    close();
    return false;
}

bool SoundDevice::render(int16_t* samples, int frames)
{
    if (!isOpen() || !m_pRender || frames < 0)
    {
        return false;
    }
    reinterpret_cast<LPALCRENDERSAMPLESSOFT>(m_pRender)(asDevice(m_pDevice), samples, frames);
    return true;
}

int SoundDevice::playingCount() const
{
    int playing = 0;
    for (int i = 0; i < m_voiceCount; ++i)
    {
        playing += isPlaying(m_voices[i].m_source) ? 1 : 0;
    }
    return playing;
}
