// What the park's sound plays on: the audio device, or a test's double of it. The handles are the
// output's own (a sound 1 ..., a bed 0 ...); every call does nothing while the output is closed.
#pragma once

#include "math/vector.h"

#include <string>

struct SoundSamples;

// Whether sounds are placed for headphones with a head-related transfer function: as the library
// chooses (its configuration, the output's kind), always, or never.
enum class HrtfChoice
{
    Auto,
    On,
    Off,
};

class SoundOutput
{
public:
    virtual ~SoundOutput() = default;

    // The system's default output. False, with `reason` one line, when none can be opened or it
    // refuses to mix; the output then stays closed.
    virtual bool open(HrtfChoice hrtf, std::string& reason) = 0;
    // Stops everything and releases what was opened, the sounds with it.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Whether the open output places sounds with a head-related transfer function now.
    virtual bool usesHrtf() const = 0;

    // A sound of these samples: its handle (1 ...), or 0 with `reason`.
    virtual int addSound(const SoundSamples& samples, bool placed, std::string& reason) = 0;
    // Where the listener stands and which way it faces (unit forward and up vectors).
    virtual void setListener(const Vector3& position, const Vector3& forward,
                             const Vector3& up) = 0;
    // Plays `sound` once at `position`; true when it plays.
    virtual bool play(int sound, const Vector3& position, float gain, float pitch) = 0;
    // Starts `sound` looping, not placed: the bed's handle, or -1.
    virtual int startBed(int sound, float gain) = 0;
    virtual void setBedGain(int bed, float gain) = 0;

    // 0 (silent) ... 100 (as recorded); kept while muted and across a reopening.
    virtual void setVolume(int volume) = 0;
    virtual void setMuted(bool muted) = 0;
    virtual int volume() const = 0;
    virtual bool isMuted() const = 0;
    // Holds every sound where it is, or plays them on; no sound starts while held.
    virtual void setPaused(bool paused) = 0;
    virtual bool isPaused() const = 0;

    // Once a displayed frame. Now and then asks whether the output is still there; when it has
    // gone (unplugged), closes it and returns false.
    virtual bool update() = 0;
};
