// What the park sounds like: which sound plays when and where, decided every displayed frame
// from the animals, the day and the camera, and the audio device that plays it. The deciding
// (SoundDirector) knows nothing of OpenAL: it hands its choices to a SoundSink, which the
// park's device plays (DeviceSoundSink) and a test records. The Soundscape at the end is all the
// shell needs.
#pragma once

#include "audio/sounddevice.h"
#include "math/random.h"
#include "math/vector.h"

class Camera;
class DayCycle;
class DinosaurSet;

enum class ParkSound
{
    Roar,
    Bellow,
    Call,
    Knock,
    Screech,
    HeavyStep,
    HerdStep,
    Wind,
    Insects,
    Birds,
};
const int kParkSoundCount = 10;

// The generated file, "sounds/roar.wav" and so on.
const char* parkSoundFile(ParkSound sound);
// What the park does without it, for the line that names a file it cannot play.
const char* parkSoundLoss(ParkSound sound);
// The beds (wind, insects, birds) loop and are heard alike everywhere; the rest are placed.
bool isBed(ParkSound sound);

// The ears: the camera's eye, heading and pitch in degrees (pitch positive looks down).
struct ListenerPose
{
    Vector3 m_position;
    float m_yaw = 0.0f;
    float m_pitch = 0.0f;
};
// The unit vector the camera looks along, and the one straight up from its view.
Vector3 listenerForward(const ListenerPose& pose);
Vector3 listenerUp(const ListenerPose& pose);

// How loud each bed is (0 ... 1) with the sun at `sunAngle` degrees (0 rising, 180 setting):
// birds around dawn (330 ... 35), insects at night (190 ... 340), wind all day and a breath
// of it at night, each fading in and out over 15 to 30 degrees.
struct BedGains
{
    float m_wind = 0.0f;
    float m_insects = 0.0f;
    float m_birds = 0.0f;
};
BedGains bedGainsAt(float sunAngle);

// Where the director's choices go.
class SoundSink
{
public:
    virtual ~SoundSink() = default;
    virtual void setListener(const Vector3& position, const Vector3& forward,
                             const Vector3& up) = 0;
    // A one-shot, never a bed, at `position`.
    virtual void play(ParkSound sound, const Vector3& position, float gain, float pitch) = 0;
    // `bed` is one of the beds.
    virtual void setBedGain(ParkSound bed, float gain) = 0;
};

// Decides the sounds from what the park shows. Footfalls follow each species' clip frame on
// its model's clock (docs/dinosaurs.md gives the clips); calls and bellows come now and then
// from a sequence of the park's generator of its own, so the park's one sequence is not shifted.
class SoundDirector
{
public:
    // One displayed frame, `seconds` after the one before. An animal whose model is not loaded
    // is not heard.
    void update(const DinosaurSet& dinosaurs, float sunAngle, const ListenerPose& listener,
                float seconds, SoundSink& sink);

private:
    struct Species
    {
        int m_mode = -1; // -1: not seen yet
        float m_frame = 0.0f;
    };

    void hearTyrannosaur(const DinosaurSet& dinosaurs, SoundSink& sink);
    void hearTriceratops(const DinosaurSet& dinosaurs, const Vector3& listener, float seconds,
                         SoundSink& sink);
    void hearHerd(const DinosaurSet& dinosaurs, float seconds, SoundSink& sink);
    void hearPterosaurs(const DinosaurSet& dinosaurs, float seconds, SoundSink& sink);
    // True with probability `perSecond` * `seconds`.
    bool chance(float perSecond, float seconds);
    float pitchAround(float centre, float spread);

    Species m_tyrannosaur;
    Species m_triceratops;
    Species m_stegoceras;
    int m_herdStartled = -1;
    int m_circling[4] = {-1, -1, -1, -1};
    float m_sinceScreech[4] = {99.0f, 99.0f, 99.0f, 99.0f};
    RandomSequence m_random{20};
};

// The park's sounds on a device.
class DeviceSoundSink : public SoundSink
{
public:
    // Reads every park sound from sounds/ in the working directory (a <name>.ogg or <name>.flac
    // there is played in place of <name>.wav); a file that cannot be played is named on stderr
    // with what the park does without it, whether or not the device is open. Hands the device
    // the samples and starts the beds, silent, when it is open.
    void load(SoundDevice& device);

    void setListener(const Vector3& position, const Vector3& forward, const Vector3& up) override;
    void play(ParkSound sound, const Vector3& position, float gain, float pitch) override;
    void setBedGain(ParkSound bed, float gain) override;

private:
    SoundDevice* m_pDevice = nullptr;
    int m_sounds[kParkSoundCount] = {};
    int m_beds[kParkSoundCount] = {};
    float m_bedGains[kParkSoundCount] = {};
};

struct SoundSettings
{
    bool m_muted = false;
    int m_volume = 80; // 0 ... 100
};

// The park's sound: the device, what it plays and what decides it.
class Soundscape
{
public:
    // Opens the audio output and loads the sounds. Without a device, one line on stderr says so
    // and the park is silent; a file that cannot be played is named on its own line.
    void start(const SoundSettings& settings);
    // Once a displayed frame, after the ticks: the listener from the camera, the sounds from the
    // animals and the day. Allocates nothing; does nothing without a device.
    void update(const DinosaurSet& dinosaurs, const DayCycle& day, const Camera& camera,
                float seconds);
    void toggleMute();
    bool isMuted() const { return m_device.isMuted(); }
    // Holds every sound where it is while the park is paused, deciding no new one, or lets them
    // go on.
    void setPaused(bool paused);
    // The sound's state in a few words, for the help panel's line "sound": "on, volume 80",
    // "off (m turns it on)", "none (no audio device)".
    const char* state() const { return m_state; }
    // Stops every sound and releases the device.
    void stop();

private:
    void describe();

    SoundDevice m_device;
    DeviceSoundSink m_sink;
    SoundDirector m_director;
    char m_state[64] = "not started";
};
