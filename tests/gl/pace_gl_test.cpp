// One pace on every screen: the whole park displayed at many rates on the test clock keeps the
// same world tick for tick, the walk is drawn evenly between ticks, a long day looks at each
// share as the park's own day does, and a held day stays while the animals go on.
#include "app/shell.h"
#include "fakeplatform.h"
#include "glsupport.h"
#include "platform/framepacing.h"
#include "platform/tickclock.h"
#include "scratchdirectory.h"
#include "world/sky.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const unsigned kSeed = 31415u;

class Pace : public testing::Test
{
protected:
    void SetUp() override
    {
        m_directory.copyFromPark({"data", "textures", "terrainTexs"});
        setTargetFramesPerSecond(0); // the test clock sets the pace
        setFixedGlState();
        g_terrain.startSeedsAt(kSeed);
        setUpScene();
    }

    // The park from its seed, a fresh eye and a fresh day, and the world's clock from nothing.
    void buildParkAfresh()
    {
        g_camera = Camera();
        g_terrain.startSeedsAt(kSeed);
        regenerateScene();
        g_dayCycle = DayCycle();
        g_dayClock = DayClock();
        initSkyLights();
        g_previousDay = g_dayCycle;
        restartWorldClock();
    }

    // Displayed frames at `rate` a second until the world has run `ticks` ticks; the last frame
    // falls on the tick itself.
    void displayAtRate(int rate, int64_t ticks)
    {
        const int64_t start = m_clock.counter;
        const int64_t end = start + ticks * FakeClock::kFrequency / kTicksPerSecond;
        for (int64_t frame = 0; worldTicksRun() < ticks; ++frame)
        {
            m_clock.counter = std::min(start + frame * FakeClock::kFrequency / rate, end);
            display();
        }
    }

    ScratchDirectory m_directory{"quillmere-pace"};
    FakeInput m_input;
    FakeClock m_clock;
};

// Every number the world's ticks change: the eye, every animal's place, heading and course,
// the behaviours and the day.
std::vector<float> worldState()
{
    std::vector<float> state = {
        g_camera.m_position.x, g_camera.m_position.y,    g_camera.m_position.z,
        g_camera.m_velocity.z, g_camera.m_yaw,           g_camera.m_pitch,
        g_dayCycle.m_sunAngle, g_dayCycle.m_skyColor[3], g_dayCycle.m_sunDiffuse[0]};
    auto add = [&state](const auto& animal)
    {
        state.insert(state.end(), {animal.m_position.x, animal.m_position.y, animal.m_position.z,
                                   animal.m_heading, animal.m_targetHeading});
    };
    std::for_each(std::begin(g_dinosaurs.m_triceratops), std::end(g_dinosaurs.m_triceratops), add);
    std::for_each(std::begin(g_dinosaurs.m_stegoceras), std::end(g_dinosaurs.m_stegoceras), add);
    std::for_each(std::begin(g_dinosaurs.m_pterosaurs), std::end(g_dinosaurs.m_pterosaurs), add);
    add(g_dinosaurs.m_tyrannosaur);
    state.insert(state.end(),
                 {float(g_dinosaurs.m_triceratopsMode), float(g_dinosaurs.m_stegocerasMode),
                  float(g_dinosaurs.m_tyrannosaurMode), float(g_dinosaurs.m_herdStartled)});
    return state;
}

// Every fifth pixel of every fifth row.
Pixels shrunk(const Pixels& pixels)
{
    Pixels small;
    small.width = pixels.width / 5;
    small.height = pixels.height / 5;
    for (int y = 0; y < small.height; ++y)
    {
        for (int x = 0; x < small.width; ++x)
        {
            const unsigned char* p = pixels.at(x * 5, y * 5);
            small.rgb.insert(small.rgb.end(), p, p + 3);
        }
    }
    return small;
}

// Rows of equal pictures side by side, the first row at the top.
Pixels strip(const std::vector<std::vector<Pixels>>& rows)
{
    Pixels sheet;
    sheet.width = rows[0][0].width * int(rows[0].size());
    sheet.height = rows[0][0].height * int(rows.size());
    sheet.rgb.resize(size_t(sheet.width) * size_t(sheet.height) * 3);
    for (size_t row = 0; row < rows.size(); ++row)
    {
        for (size_t column = 0; column < rows[row].size(); ++column)
        {
            const Pixels& picture = rows[row][column];
            const int left = int(column) * picture.width;
            const int bottom = int(rows.size() - 1 - row) * picture.height;
            for (int y = 0; y < picture.height; ++y)
            {
                std::copy(picture.at(0, y), picture.at(0, y) + picture.width * 3,
                          &sheet.rgb[(size_t(bottom + y) * sheet.width + left) * 3]);
            }
        }
    }
    return sheet;
}
} // namespace

TEST_F(Pace, TheSameTicksMakeTheSameWorldAtEveryDisplayRate)
{
    reshape(160, 120); // small frames: the world, not the drawing, is under test
    const int64_t ticks = 150;
    std::vector<float> first;
    for (int rate : {60, 24, 75, 144, 240})
    {
        buildParkAfresh();
        m_input.leftHeld = true; // walking throughout, the same on every tick
        displayAtRate(rate, ticks);
        ASSERT_EQ(worldTicksRun(), ticks) << rate;
        const std::vector<float> state = worldState();
        if (first.empty())
        {
            first = state;
            EXPECT_LT(g_camera.m_position.z, -300.0f) << "it walked";
            continue;
        }
        ASSERT_EQ(state.size(), first.size());
        for (size_t i = 0; i < state.size(); ++i)
        {
            EXPECT_EQ(state[i], first[i]) << rate << " frames a second, value " << i;
        }
    }
}

// At 144 frames a second a tick falls on some frames and not on others. Drawn as the latest
// tick left it, the eye would move a step and then stand still in turns; drawn between ticks it
// moves as evenly as the screen is refreshed.
TEST_F(Pace, AWalkAt144FramesASecondMovesEvenlyFromFrameToFrame)
{
    reshape(160, 120);
    buildParkAfresh();
    m_input.leftHeld = true;
    displayAtRate(144, 60); // a second up to the walk's full speed
    std::vector<double> drawnSteps;
    std::vector<double> latestTickSteps;
    Vector3 drawn = g_camera.shownPosition(worldTickFraction());
    Vector3 latest = g_camera.m_position;
    const int64_t start = m_clock.counter;
    for (int frame = 1; frame <= 144; ++frame)
    {
        m_clock.counter = start + frame * FakeClock::kFrequency / 144;
        display();
        const Vector3 nowDrawn = g_camera.shownPosition(worldTickFraction());
        drawnSteps.push_back(std::hypot(nowDrawn.x - drawn.x, nowDrawn.z - drawn.z));
        latestTickSteps.push_back(
            std::hypot(g_camera.m_position.x - latest.x, g_camera.m_position.z - latest.z));
        drawn = nowDrawn;
        latest = g_camera.m_position;
    }
    auto spread = [](const std::vector<double>& steps)
    {
        double mean = 0.0;
        for (double step : steps)
        {
            mean += step / double(steps.size());
        }
        double widest = 0.0;
        for (double step : steps)
        {
            widest = std::max(widest, std::fabs(step - mean) / mean);
        }
        return widest;
    };
    std::printf("eye's move between frames at 144 a second, widest departure from its mean: "
                "%.1f %% drawn between ticks, %.1f %% drawn at the latest tick\n",
                100.0 * spread(drawnSteps), 100.0 * spread(latestTickSteps));
    EXPECT_LE(spread(drawnSteps), 0.10);
    EXPECT_GT(spread(latestTickSteps), 0.5) << "the judder the drawing between ticks removes";
}

// A ten-minute day drawn at a share of the day is the picture of the park's own day at that
// share. Only the day moves here; the eye looks east over the morning sun's way.
TEST_F(Pace, ATenMinuteDayLooksAtEachShareAsTheParksOwnDay)
{
    reshape(800, 600);
    g_camera.m_position.set(40.0f, g_terrain.groundHeight(40.0f, 90.0f) + 3.0f, 90.0f);
    g_camera.m_previousPosition = g_camera.m_position;
    g_camera.m_yaw = 3.7f;
    g_camera.m_pitch = -9.3f;
    // The first frame of a process starts from the fixed state alone, every later one from what
    // the frame before left (face culling, for one, which the plants switch off).
    drawWorld(1.0f);
    std::vector<std::vector<Pixels>> rows(2);
    for (double share : {0.05, 0.3, 0.5, 0.62, 0.85})
    {
        Pixels pictures[2];
        for (int row = 0; row < 2; ++row)
        {
            g_dayCycle = DayCycle();
            g_dayClock = DayClock();
            g_dayClock.setTicksPerDay(row == 0 ? kFramesPerDay : 600.0 * kTicksPerSecond);
            initSkyLights();
            g_previousDay = g_dayCycle;
            // Drawing shows the world part of a tick behind the latest tick.
            const double ticks = share * g_dayClock.ticksPerDay() + 1.0;
            for (int64_t tick = 0; tick < int64_t(ticks); ++tick)
            {
                tickSky();
            }
            drawWorld(float(ticks - std::floor(ticks)));
            glFinish();
            pictures[row] = readBackBuffer();
            rows[size_t(row)].push_back(shrunk(pictures[row]));
        }
        const double differing = pictures[0].differingFraction(pictures[1], 2);
        std::printf("share %.2f of the day: %.3f %% of the pixels differ by more than 2 levels\n",
                    share, 100.0 * differing);
        EXPECT_LE(differing, 0.005) << share;
        EXPECT_GT(pictures[0].contrast(), 3.0) << "a picture, not a flat colour";
    }
    EXPECT_TRUE(savePixelsPng(strip(rows), m_directory.previous() + "/day-strip.png"));
}

TEST_F(Pace, HeldDayStaysWhileTheAnimalsGoOn)
{
    g_dinosaurs.m_pterosaurs[0].m_circling = 0;
    keyboard('t', 0, 0);
    ASSERT_TRUE(g_dayClock.isHeld());
    const float sun = g_dayCycle.m_sunAngle;
    const Vector3 flyer = g_dinosaurs.m_pterosaurs[0].m_position;
    for (int tick = 0; tick < 200; ++tick)
    {
        tickWorld();
    }
    EXPECT_EQ(g_dayCycle.m_sunAngle, sun);
    EXPECT_EQ(shownDay(0.6f).m_sunAngle, sun);
    const Vector3 flown = g_dinosaurs.m_pterosaurs[0].m_position;
    EXPECT_GT(std::hypot(flown.x - flyer.x, flown.z - flyer.z), 10.0f) << "the animals go on";
    keyboard('t', 0, 0);
    tickWorld();
    EXPECT_NE(g_dayCycle.m_sunAngle, sun) << "let go, the day goes on";
}
