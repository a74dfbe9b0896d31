// The day cycle: angles, fades, light latches and ramps, all in single precision and per frame.
#include "world/daycycle.h"

#include "math/angles.h"

#include <cmath>

namespace
{
const float kStartSunAngle = 339.9f;
const float kFullTurn = 360.0f;
const float kCloudRate = 0.1f;
const float kRampFactor = 0.01f;
const float kLightDistance = 100.0f;

const float kDuskFrom = 180.0f;
const float kDuskTo = 200.0f;
const float kDawnFrom = 340.0f;
const float kDawnTo = 360.0f;
const float kSunOffFrom = 200.0f;
const float kMoonOffFrom = 20.0f;
const float kMoonOffTo = 21.0f;

const float kSunDiffuseTop = 0.8f;
const float kSunAmbientTop = 0.1f;
const float kMoonDiffuseTop = 0.5f;
const float kMoonAmbientTop = 0.1f;

const float kFadeFrom = 170.0f;
const float kFadeTo = 320.0f;
const float kDawnFadeAfter = 350.0f;
const float kDawnFadeBefore = 160.0f;
const float kTintStep = 0.001f;
const float kDaylightStep = 0.02f;

bool inside(float value, float low, float high)
{
    return value > low && value < high;
}

void add(float* color, float red, float green, float blue)
{
    color[0] += red;
    color[1] += green;
    color[2] += blue;
}
} // namespace

void DayCycle::resetLights()
{
    m_sunLightOn = false;
    m_moonLightOn = false;
    m_sunLightOff = true;
    m_moonLightOff = false;
    m_sunShining = false;
    m_moonShining = false;
    m_sunAngle = kStartSunAngle;
}

SkyLightUpdate DayCycle::advanceFrame()
{
    advanceSun();
    const SkyLightUpdate update = updateLights();
    advanceClouds();
    fadeSkyColor();
    return update;
}

void DayCycle::advanceSun()
{
    m_sunAngle += m_dayRate;
    if (m_sunAngle >= kFullTurn)
    {
        m_sunAngle = 0.0f;
    }
}

void DayCycle::advanceClouds()
{
    m_cloudAngle += kCloudRate;
    if (m_cloudAngle >= kFullTurn)
    {
        m_cloudAngle = 0.0f;
    }
}

SkyLightUpdate DayCycle::updateLights()
{
    SkyLightUpdate update;
    const float s = m_dayRate * kRampFactor;
    const float sunStep = 1.5f * s;
    const float moonStep = 1.25f * s;

    if (inside(m_sunAngle, kDuskFrom, kDuskTo))
    {
        if (!m_moonLightOn)
        {
            update.enableMoon = true;
            m_moonShining = true;
            m_moonLightOn = true;
            m_sunLightOn = false;
        }
        if (m_sunDiffuse[0] > 0.0f)
        {
            add(m_sunDiffuse, -sunStep, -sunStep, -s);
            update.sunDiffuseChanged = true;
        }
        if (m_sunAmbient[0] > 0.0f)
        {
            add(m_sunAmbient, -s, -s, -s);
            update.sunAmbientChanged = true;
        }
        if (m_moonDiffuse[0] < kMoonDiffuseTop)
        {
            add(m_moonDiffuse, moonStep, moonStep, sunStep);
            update.moonDiffuseChanged = true;
        }
        if (m_moonAmbient[2] < kMoonAmbientTop)
        {
            add(m_moonAmbient, moonStep, moonStep, sunStep);
            update.moonAmbientChanged = true;
        }
    }

    if (inside(m_sunAngle, kDawnFrom, kDawnTo))
    {
        if (!m_sunLightOn)
        {
            update.enableSun = true;
            m_sunShining = true;
            m_moonLightOn = false;
            m_sunLightOn = true;
        }
        if (m_sunDiffuse[1] < kSunDiffuseTop)
        {
            add(m_sunDiffuse, sunStep, sunStep, s);
            update.sunDiffuseChanged = true;
        }
        if (m_sunAmbient[0] < kSunAmbientTop)
        {
            add(m_sunAmbient, s, s, s);
            update.sunAmbientChanged = true;
        }
        if (m_moonDiffuse[0] > 0.0f)
        {
            add(m_moonDiffuse, -moonStep, -moonStep, -sunStep);
            update.moonDiffuseChanged = true;
        }
        if (m_moonAmbient[2] > 0.0f)
        {
            add(m_moonAmbient, -moonStep, -moonStep, -sunStep);
            update.moonAmbientChanged = true;
        }
    }

    if (m_sunAngle >= kSunOffFrom && !m_sunLightOff)
    {
        update.disableSun = true;
        m_sunShining = false;
        m_sunLightOff = true;
        m_moonLightOff = false;
    }
    if (m_sunAngle >= kMoonOffFrom && m_sunAngle < kMoonOffTo && !m_moonLightOff)
    {
        update.disableMoon = true;
        m_moonShining = false;
        m_sunLightOff = false;
        m_moonLightOff = true;
    }

    lightDirections(m_sunAngle, update.sunDirection, update.moonDirection);
    return update;
}

void DayCycle::fadeSkyColor()
{
    float* color = m_skyColor;
    if (inside(m_sunAngle, kFadeFrom, kFadeTo) && color[3] > 0.0f)
    {
        color[0] += kTintStep;
        color[1] += kTintStep;
        color[2] -= kTintStep;
        color[3] -= kDaylightStep;
    }
    else if ((m_sunAngle > kDawnFadeAfter || m_sunAngle < kDawnFadeBefore) && color[3] < 1.0f)
    {
        color[0] -= kTintStep;
        color[1] -= kTintStep;
        color[2] += kTintStep;
        color[3] += kDaylightStep;
    }
}

void DayCycle::fogColor(float color[4]) const
{
    const float alpha = m_skyColor[3];
    color[0] = m_skyColor[0] * alpha;
    color[1] = m_skyColor[1] * alpha;
    color[2] = m_skyColor[2] * alpha;
    color[3] = alpha;
}

void lightDirections(float sunAngle, float sunDirection[4], float moonDirection[4])
{
    const float theta = radians(sunAngle);
    const float a = kLightDistance * std::sin(theta);
    const float b = kLightDistance * std::cos(theta);
    const float sun[4] = {0.0f, a, -b, 0.0f};
    const float moon[4] = {0.0f, -a, b, 0.0f};
    for (int i = 0; i < 4; ++i)
    {
        sunDirection[i] = sun[i];
        moonDirection[i] = moon[i];
    }
}

namespace
{
float blendValue(float from, float to, float weight)
{
    return from * (1.0f - weight) + to * weight;
}

// Angles only move forward, and restart at exactly 0: a later angle below the earlier one has
// passed 360.
float blendAngle(float from, float to, float weight)
{
    const float unwrapped = to < from ? to + kFullTurn : to;
    float angle = blendValue(from, unwrapped, weight);
    if (angle >= kFullTurn)
    {
        angle -= kFullTurn;
    }
    if (angle < 0.0f)
    {
        angle += kFullTurn;
    }
    return angle;
}

void blendColour(const float* from, const float* to, float weight, int count, float* result)
{
    for (int i = 0; i < count; ++i)
    {
        result[i] = blendValue(from[i], to[i], weight);
    }
}
} // namespace

DayCycle blendDays(const DayCycle& from, const DayCycle& to, float weight)
{
    if (weight >= 1.0f)
    {
        return to;
    }
    if (weight == 0.0f)
    {
        return from;
    }
    DayCycle day = to;
    day.m_sunAngle = blendAngle(from.m_sunAngle, to.m_sunAngle, weight);
    day.m_cloudAngle = blendAngle(from.m_cloudAngle, to.m_cloudAngle, weight);
    blendColour(from.m_skyColor, to.m_skyColor, weight, 4, day.m_skyColor);
    blendColour(from.m_sunDiffuse, to.m_sunDiffuse, weight, 3, day.m_sunDiffuse);
    blendColour(from.m_sunAmbient, to.m_sunAmbient, weight, 3, day.m_sunAmbient);
    blendColour(from.m_moonDiffuse, to.m_moonDiffuse, weight, 3, day.m_moonDiffuse);
    blendColour(from.m_moonAmbient, to.m_moonAmbient, weight, 3, day.m_moonAmbient);
    return day;
}

void DayClock::setTicksPerDay(double ticks)
{
    m_framesPerTick = double(kFramesPerDay) / ticks;
}

int DayClock::dueFrames()
{
    // A frame runs once the day has entered it: after n frames the day stands in (n - 1, n].
    const int64_t due = int64_t(std::ceil(m_position)) - m_framesRun;
    m_framesRun += due;
    return int(due);
}

int DayClock::tick()
{
    m_positionBeforeTick = m_position;
    if (!m_held)
    {
        m_position += m_framesPerTick;
    }
    return dueFrames();
}

int DayClock::startAt(double fraction)
{
    // From the second day: the park's first morning brings the lights up from nothing, and a
    // day that has been going on has them at their levels.
    m_position = (1.0 + fraction) * double(kFramesPerDay);
    m_positionBeforeTick = m_position;
    return dueFrames();
}

float DayClock::weightAt(float tickFraction) const
{
    const double shown =
        m_positionBeforeTick + (m_position - m_positionBeforeTick) * double(tickFraction);
    return float(shown - double(m_framesRun - 1));
}

double clockHoursOfSunAngle(float sunAngle)
{
    const double hours = 6.0 + double(sunAngle) / 15.0;
    return std::fmod(hours, 24.0);
}

double dayShareAtClockHours(double hours)
{
    float target = float(std::fmod(hours - 6.0 + 24.0, 24.0) * 15.0);
    // The day restarts at exactly 0 just before 360: an angle in that last sliver is reached as
    // the next day's first.
    DayCycle day;
    day.resetLights();
    if (target < day.m_sunAngle)
    {
        target += kFullTurn;
    }
    float before = day.m_sunAngle;
    for (int frame = 0; frame < kFramesPerDay; ++frame)
    {
        day.advanceSun();
        float after = day.m_sunAngle;
        while (after < before)
        {
            after += kFullTurn;
        }
        if (target < after)
        {
            const double within = double(target - before) / double(after - before);
            return (double(frame) + within) / double(kFramesPerDay);
        }
        before = after;
    }
    return 0.0;
}
