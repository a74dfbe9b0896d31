// The captions' lines: what, where, how near, how many, and for how long.
#include "app/captions.h"

#include "audio/sounddevice.h"
#include "math/angles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
// In the order of ParkSound.
const char* const kCaptionWords[kParkSoundCount] = {
    "tyrannosaur roars", "triceratops bellows", "stegoceras call",  "heads knock",
    "pterosaur screech", "heavy footsteps",     "hooves, running",  "wind",
    "insects at night",  "birds at dawn",
};

// Heard at least this loud (its gain times the distance's: a full one within 80 units) a sound is
// near; fainter, far.
const float kNearLoudness = 0.25f;
// A bed comes in when it rises past this share of its loudest.
const float kBedComesIn = 0.5f;
// The beds' loudest, as the soundscape mixes them (wind, insects, birds).
const float kBedLevels[3] = {0.55f, 0.6f, 0.7f};
} // namespace

const char* captionWords(ParkSound sound)
{
    return kCaptionWords[int(sound)];
}

CaptionArrow captionArrow(const Vector3& listener, const Vector3& forward, const Vector3& position)
{
    const float dx = position.x - listener.x;
    const float dz = position.z - listener.z;
    if (dx == 0.0f && dz == 0.0f)
    {
        return CaptionArrow::Ahead;
    }
    // Degrees clockwise from where the view looks, seen from above.
    const float sound = std::atan2(dx, -dz);
    const float view = std::atan2(forward.x, -forward.z);
    float turn = (sound - view) / kDegreesToRadians;
    turn = std::fmod(std::fmod(turn, 360.0f) + 360.0f + 22.5f, 360.0f);
    return CaptionArrow(int(turn / 45.0f) % 8);
}

void Captions::setSoundSeconds(ParkSound sound, double seconds)
{
    m_seconds[int(sound)] = seconds;
}

void Captions::advance(double seconds)
{
    m_now += seconds > 0.0 ? seconds : 0.0;
    dropGone();
}

void Captions::clear()
{
    m_lineCount = 0;
}

void Captions::setListener(const Vector3& position, const Vector3& forward, const Vector3&)
{
    m_listener = position;
    m_forward = forward;
}

void Captions::play(ParkSound sound, const Vector3& position, float gain, float)
{
    const float heard = gain * distanceGain((position - m_listener).length());
    const double seconds = m_seconds[int(sound)] > 0.0 ? m_seconds[int(sound)]
                                                        : kCaptionUnknownSeconds;
    show(sound, captionArrow(m_listener, m_forward, position), heard >= kNearLoudness, seconds);
}

void Captions::setBedGain(ParkSound bed, float gain)
{
    const int bedIndex = int(bed) - int(ParkSound::Wind);
    if (bedIndex < 0 || bedIndex >= 3)
    {
        return;
    }
    const bool in = gain >= kBedComesIn * kBedLevels[bedIndex];
    if (in && !m_bedIn[int(bed)])
    {
        show(bed, CaptionArrow::None, false, kCaptionBedSeconds);
    }
    m_bedIn[int(bed)] = in;
}

void Captions::show(ParkSound sound, CaptionArrow arrow, bool near, double seconds)
{
    for (int i = 0; i < m_lineCount; ++i)
    {
        CaptionLine& line = m_lines[i];
        if (line.sound == sound)
        {
            // The same sound again counts up, where it was heard last.
            line.count += 1;
            line.arrow = arrow;
            line.near = near;
            line.endsAt = std::max(line.endsAt, m_now + seconds);
            return;
        }
    }
    if (m_lineCount == kMostCaptionLines)
    {
        for (int i = 1; i < kMostCaptionLines; ++i)
        {
            m_lines[i - 1] = m_lines[i];
        }
        --m_lineCount;
    }
    CaptionLine& line = m_lines[m_lineCount++];
    line.sound = sound;
    line.arrow = arrow;
    line.near = near;
    line.count = 1;
    line.startedAt = m_now;
    line.endsAt = m_now + seconds;
}

void Captions::dropGone()
{
    int kept = 0;
    for (int i = 0; i < m_lineCount; ++i)
    {
        if (m_now < m_lines[i].endsAt + kCaptionFadeSeconds)
        {
            m_lines[kept++] = m_lines[i];
        }
    }
    m_lineCount = kept;
}

float Captions::opacity(int index) const
{
    const double past = m_now - m_lines[index].endsAt;
    if (past <= 0.0)
    {
        return 1.0f;
    }
    return past >= kCaptionFadeSeconds ? 0.0f : float(1.0 - past / kCaptionFadeSeconds);
}

void Captions::text(int index, char* text, int capacity) const
{
    const CaptionLine& line = m_lines[index];
    char count[16] = "";
    if (line.count > 1)
    {
        std::snprintf(count, sizeof count, " \xc3\x97%d", line.count);
    }
    const bool placed = line.arrow != CaptionArrow::None;
    std::snprintf(text, size_t(capacity), "%s%s%s", captionWords(line.sound), count,
                  placed ? (line.near ? ", near" : ", far") : "");
}
