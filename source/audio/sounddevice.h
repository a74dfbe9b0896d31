// The park's one audio output through OpenAL: the device and its context, a buffer a loaded
// sound, a bounded pool of sources for one-shot sounds placed in the world, a few looping beds
// heard alike everywhere, the listener, a master volume and mute. The mixing runs on OpenAL's
// own thread; a call here only hands it parameters. Without an open device every call does
// nothing, so the park can make the same calls whether it has sound or not. One device is open
// at a time in a process (OpenAL has one current context).
#pragma once

#include "audio/soundoutput.h"
#include "math/vector.h"

#include <cstdint>
#include <string>

const int kSoundSources = 24; // one-shot sounds playing at once
const int kSoundBeds = 4;
const int kSoundBuffers = 32;

// Distance attenuation, OpenAL's clamped inverse-distance model: full loudness within the
// reference distance, then ref / (ref + rolloff (d - ref)) up to the far limit, constant beyond.
// With a reference of 20 units and a rolloff of 1, twice the distance is half the amplitude
// (-6 dB): a roar at 20 units is as loud as recorded, at 300 units 1/15 of it (-23.5 dB).
const float kSoundReferenceDistance = 20.0f;
const float kSoundRolloff = 1.0f;
const float kSoundFarLimit = 1000.0f;
// A one-shot heard fainter than this (gain times attenuation; -34 dB) is not started at all.
const float kFaintestSoundGain = 0.02f;

// The attenuation the model applies at `distance` units.
float distanceGain(float distance);


class SoundDevice : public SoundOutput
{
public:
    SoundDevice() = default;
    ~SoundDevice() override;
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // The system's default output. False, with `reason` one line, when none can be opened or it
    // refuses to mix; the device then stays closed. OpenAL Soft's log and ALSA's error lines are
    // kept off stderr unless the user asked for them (ALSOFT_LOGLEVEL set).
    bool open(HrtfChoice hrtf, std::string& reason) override;
    // An output that mixes into memory, stereo 16-bit at `rate` Hz, one render() at a time: the
    // tests' device, which needs no sound card and makes no noise.
    bool openLoopback(int rate, HrtfChoice hrtf, std::string& reason);
    // Whether the open device places sounds with a head-related transfer function now.
    bool usesHrtf() const override;
    // Stops everything and releases sources, buffers, context and device.
    void close() override;
    bool isOpen() const override { return m_pDevice != nullptr; }

    // A buffer of the samples: its handle (1 ...), or 0 with `reason` when the device is closed,
    // holds kSoundBuffers already or refuses them. A sound to be placed in the world is mixed
    // down to one channel first, since OpenAL places only mono sounds.
    int addSound(const SoundSamples& samples, bool placed, std::string& reason) override;

    // Where the listener stands and which way it faces (unit forward and up vectors); set once a
    // displayed frame.
    void setListener(const Vector3& position, const Vector3& forward, const Vector3& up) override;
    // Plays `sound` once at `position`, `gain` times as loud as recorded at the reference
    // distance, `pitch` times as fast. When every source is busy, the one heard faintest now
    // gives way to a sound that would be heard louder; otherwise the new sound is dropped, as
    // one too faint to hear is. True when it plays.
    bool play(int sound, const Vector3& position, float gain, float pitch = 1.0f) override;
    // Starts `sound` looping, not placed; the bed's index, or -1 when none is left or the device
    // is closed.
    int startBed(int sound, float gain) override;
    void setBedGain(int bed, float gain) override;

    // 0 (silent) ... 100 (as recorded); the gain is the fraction squared, nearer to how loudness
    // is heard than a straight line. Kept while muted.
    void setVolume(int volume) override;
    void setMuted(bool muted) override;
    int volume() const override { return m_volume; }
    bool isMuted() const override { return m_muted; }
    // Holds every sound where it is, one-shots and beds, or plays them on from there. No sound
    // starts while they are held.
    void setPaused(bool paused) override;
    bool isPaused() const override { return m_paused; }

    // Once a displayed frame. About once a second asks whether the device is still there
    // (ALC_EXT_disconnect); when it has gone (unplugged), closes it and returns false.
    bool update() override;

    // Loopback only: the next `frames` stereo frames of the mix, interleaved. False otherwise.
    bool render(int16_t* samples, int frames);
    // One-shots playing now.
    int playingCount() const;

private:
    struct Voice
    {
        unsigned m_source = 0;
        Vector3 m_position;
        float m_gain = 0.0f;
    };

    bool finishOpening(void* pDevice, const int* attributes, std::string& reason);
    bool isPlaying(unsigned source) const;
    // A source that is not playing, or the faintest one if it is fainter than `heard`; null
    // when neither.
    Voice* voiceFor(float heard);
    float heardGain(const Vector3& position, float gain) const;
    void applyListenerGain() const;

    void* m_pDevice = nullptr;
    void* m_pContext = nullptr;
    void (*m_pRender)() = nullptr; // alcRenderSamplesSOFT on a loopback device
    bool m_canCheckConnection = false;
    int m_updatesSinceCheck = 0;
    unsigned m_buffers[kSoundBuffers] = {};
    int m_bufferCount = 0;
    Voice m_voices[kSoundSources];
    int m_voiceCount = 0;
    int m_nextVoice = 0;
    unsigned m_beds[kSoundBeds] = {};
    int m_bedCount = 0;
    int m_bedsStarted = 0;
    Vector3 m_listener;
    int m_volume = 100;
    bool m_muted = false;
    bool m_paused = false;
};
