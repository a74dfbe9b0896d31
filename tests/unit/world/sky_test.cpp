#include "world/daycycle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// What happened in one frame, with the angle the frame ran at.
struct FrameRecord
{
    float angle;
    SkyLightUpdate update;
    float alpha;
};

std::vector<FrameRecord> runFrames(DayCycle& cycle, int frames)
{
    std::vector<FrameRecord> records;
    for (int i = 0; i < frames; ++i)
    {
        const SkyLightUpdate update = cycle.advanceFrame();
        records.push_back({cycle.m_sunAngle, update, cycle.m_skyColor[3]});
    }
    return records;
}

bool anyColorSent(const SkyLightUpdate& update)
{
    return update.sunDiffuseChanged || update.sunAmbientChanged || update.moonDiffuseChanged ||
           update.moonAmbientChanged;
}

bool anySwitch(const SkyLightUpdate& update)
{
    return update.enableSun || update.disableSun || update.enableMoon || update.disableMoon;
}

// The angle of the first frame from `from` on in which `happened` holds, or -1.
template <typename Predicate>
float firstAngle(const std::vector<FrameRecord>& records, size_t from, Predicate happened)
{
    for (size_t i = from; i < records.size(); ++i)
    {
        if (happened(records[i].update))
        {
            return records[i].angle;
        }
    }
    return -1.0f;
}
} // namespace

TEST(DayCycle, ADayIsFourHundredAndOneFramesAndRestartsAtExactlyZero)
{
    DayCycle cycle;
    cycle.m_sunAngle = 0.0f;
    int frames = 0;
    do
    {
        cycle.advanceSun();
        ++frames;
        ASSERT_LT(frames, 1000);
    } while (cycle.m_sunAngle != 0.0f);
    EXPECT_EQ(frames, 401);

    // From the starting angle the first frame is already in the dawn window.
    DayCycle fresh;
    fresh.resetLights();
    const SkyLightUpdate first = fresh.advanceFrame();
    EXPECT_NEAR(fresh.m_sunAngle, 340.8f, 1e-3f);
    EXPECT_TRUE(first.enableSun);
    EXPECT_TRUE(first.sunDiffuseChanged);
    EXPECT_EQ(fresh.m_skyColor[3], 1.0f);
}

TEST(DayCycle, WindowBoundsAreStrictButTheSunGoesOffAtTwoHundredItself)
{
    for (float angle : {180.0f, 200.0f, 340.0f, 360.0f})
    {
        DayCycle cycle;
        cycle.m_sunAngle = angle;
        cycle.m_sunLightOff = true;
        const SkyLightUpdate update = cycle.updateLights();
        EXPECT_FALSE(anyColorSent(update)) << angle;
        EXPECT_FALSE(anySwitch(update)) << angle;
    }
    DayCycle cycle;
    cycle.m_sunAngle = 200.0f;
    cycle.m_sunLightOff = false;
    EXPECT_TRUE(cycle.updateLights().disableSun);
    EXPECT_TRUE(cycle.m_sunLightOff);
    EXPECT_FALSE(cycle.m_moonLightOff);
}

TEST(DayCycle, TheSunGoesOffOnlyAfterTheMoonSwitchOffHasRunOnce)
{
    // Started just before 200 the sun light stays on: its switch-off is still latched.
    DayCycle early;
    early.resetLights();
    early.m_sunAngle = 199.5f;
    for (const FrameRecord& record : runFrames(early, 100))
    {
        EXPECT_FALSE(record.update.disableSun) << record.angle;
    }

    DayCycle cycle;
    cycle.resetLights();
    const std::vector<FrameRecord> day = runFrames(cycle, 401);
    const auto disablesMoon = [](const SkyLightUpdate& u) { return u.disableMoon; };
    const auto enablesMoon = [](const SkyLightUpdate& u) { return u.enableMoon; };
    const auto disablesSun = [](const SkyLightUpdate& u) { return u.disableSun; };
    const auto enablesSun = [](const SkyLightUpdate& u) { return u.enableSun; };
    EXPECT_NEAR(firstAngle(day, 0, disablesMoon), 20.7f, 2e-3f);
    EXPECT_NEAR(firstAngle(day, 0, enablesMoon), 180.9f, 2e-3f);
    EXPECT_NEAR(firstAngle(day, 0, disablesSun), 200.7f, 2e-3f);
    EXPECT_NEAR(firstAngle(day, 1, enablesSun), 340.2f, 2e-3f);

    // Each switch happens exactly once in every later day.
    for (int later = 0; later < 3; ++later)
    {
        int switches[4] = {};
        for (const FrameRecord& record : runFrames(cycle, 401))
        {
            switches[0] += record.update.enableSun;
            switches[1] += record.update.disableSun;
            switches[2] += record.update.enableMoon;
            switches[3] += record.update.disableMoon;
        }
        for (int count : switches)
        {
            EXPECT_EQ(count, 1) << "day " << later + 2;
        }
    }
}

TEST(DayCycle, DuskAndDawnFadesTakeFiftyOneFramesEachAndTheFogFollows)
{
    DayCycle cycle;
    cycle.resetLights();
    // The first dawn fade ends early on the second day.
    const std::vector<FrameRecord> day = runFrames(cycle, 401 + 80);
    int darkening = 0;
    int brightening = 0;
    float previous = 1.0f;
    for (const FrameRecord& record : day)
    {
        darkening += record.alpha < previous;
        brightening += record.alpha > previous;
        if (darkening == 50 && record.alpha < previous)
        {
            EXPECT_GT(record.alpha, 0.0f) << "fifty steps leave a little light";
        }
        previous = record.alpha;
    }
    EXPECT_EQ(darkening, 51);
    EXPECT_EQ(brightening, 51);
    EXPECT_EQ(cycle.m_skyColor[3], 1.0f);

    // Midnight: the last dusk step went just past zero, and the fog is black.
    DayCycle night;
    night.resetLights();
    while (!(night.m_sunAngle > 260.0f && night.m_sunAngle < 280.0f))
    {
        night.advanceFrame();
    }
    EXPECT_NEAR(night.m_skyColor[3], -0.02f, 1e-4f);
    EXPECT_NEAR(night.m_skyColor[0], 0.051f, 1e-4f);
    EXPECT_NEAR(night.m_skyColor[2], 0.949f, 1e-4f);
    float fog[4];
    night.fogColor(fog);
    EXPECT_FLOAT_EQ(fog[2], night.m_skyColor[2] * night.m_skyColor[3]);
    EXPECT_LE(fog[2], 0.0f);
    EXPECT_EQ(fog[3], night.m_skyColor[3]);

    DayCycle noon;
    noon.fogColor(fog);
    EXPECT_FLOAT_EQ(fog[0], 0.0f);
    EXPECT_FLOAT_EQ(fog[1], 0.2f);
    EXPECT_FLOAT_EQ(fog[2], 1.0f);
}

TEST(DayCycle, LightRampsReachTheirLevelsWithinOneWindowAndStayThereDayAfterDay)
{
    DayCycle cycle;
    cycle.resetLights();
    while (cycle.m_sunAngle > 300.0f)
    {
        cycle.advanceFrame();
    }
    EXPECT_NEAR(cycle.m_sunDiffuse[0], 0.297f, 1e-3f);
    EXPECT_NEAR(cycle.m_sunDiffuse[2], 0.198f, 1e-3f);
    EXPECT_NEAR(cycle.m_sunAmbient[0], 0.108f, 1e-3f);

    while (cycle.m_sunAngle < 250.0f)
    {
        cycle.advanceFrame();
    }
    EXPECT_NEAR(cycle.m_moonDiffuse[0], 0.25f, 0.01f);
    EXPECT_NEAR(cycle.m_moonDiffuse[2], 0.3f, 0.01f);
    EXPECT_NEAR(cycle.m_moonAmbient[2], 0.108f, 1e-3f);
    EXPECT_NEAR(cycle.m_sunDiffuse[0], 0.0f, 0.014f);
    EXPECT_NEAR(cycle.m_sunAmbient[0], 0.0f, 0.01f);

    // Colours are sent only in the frames that changed them, inside the two windows. The dawn
    // window holds one frame more than the dusk one, so the sun's daylight creeps up a step a day
    // until its cap; no ramp runs away.
    for (const FrameRecord& record : runFrames(cycle, 60 * 401))
    {
        if (anyColorSent(record.update))
        {
            const bool inDusk = record.angle > 180.0f && record.angle < 200.0f;
            const bool inDawn = record.angle > 340.0f && record.angle < 360.0f;
            EXPECT_TRUE(inDusk || inDawn) << record.angle;
        }
        for (const float* color :
             {cycle.m_sunDiffuse, cycle.m_sunAmbient, cycle.m_moonDiffuse, cycle.m_moonAmbient})
        {
            for (int i = 0; i < 3; ++i)
            {
                ASSERT_GT(color[i], -0.02f) << record.angle;
                ASSERT_LT(color[i], 0.82f) << record.angle;
            }
        }
    }
}

TEST(DayCycle, LightsPointAtTheSunAndTheMoon)
{
    DayCycle cycle;
    cycle.m_sunAngle = 30.0f;
    const SkyLightUpdate update = cycle.updateLights();
    EXPECT_NEAR(update.sunDirection[1], 50.0f, 1e-3f);
    EXPECT_NEAR(update.sunDirection[2], -86.6025f, 1e-3f);
    EXPECT_EQ(update.sunDirection[3], 0.0f);
    EXPECT_EQ(update.moonDirection[1], -update.sunDirection[1]);
    EXPECT_EQ(update.moonDirection[2], -update.sunDirection[2]);
    EXPECT_EQ(update.moonDirection[3], 0.0f);
}
