// One pace on every screen: the whole park displayed at many rates on the test clock keeps the
// same world tick for tick, the walk is drawn evenly between ticks, a long day looks at each
// share as the park's own day does, and a held day stays while the animals go on.
#include "fakeplatform.h"
#include "glsupport.h"
#include "platform/tickclock.h"
#include "runningpark.h"
#include "scratchdirectory.h"

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
        m_running.build(kSeed); // unpaced: the test clock sets the pace
    }

    // The park from its seed, a fresh eye and a fresh day, and the world's clock from nothing.
    void buildParkAfresh()
    {
        m_park.camera() = Camera();
        m_park.build(kSeed);
        m_park.sky().restartDay();
        m_park.sky().clock() = DayClock();
        m_park.restartClock();
    }

    // Displayed frames at `rate` a second until the world has run `ticks` ticks; the last frame
    // falls on the tick itself.
    void displayAtRate(int rate, int64_t ticks)
    {
        const int64_t start = m_clock.counter;
        const int64_t end = start + ticks * FakeClock::kFrequency / kTicksPerSecond;
        for (int64_t frame = 0; m_park.ticksRun() < ticks; ++frame)
        {
            m_clock.counter = std::min(start + frame * FakeClock::kFrequency / rate, end);
            m_running.shell.display();
        }
    }

    ScratchDirectory m_directory{"quillmere-pace"};
    FakeInput m_input;
    FakeClock m_clock;
    RunningPark m_running;
    Park& m_park = m_running.park;
};

// Every number the world's ticks change: the eye, every animal's place, heading and course,
// the behaviours and the day.
std::vector<float> worldState(const Park& park)
{
    const Camera& camera = park.camera();
    const DayCycle& day = park.sky().day();
    const DinosaurSet& animals = park.animals();
    std::vector<float> state = {camera.m_position.x, camera.m_position.y, camera.m_position.z,
                                camera.m_velocity.z, camera.m_yaw,        camera.m_pitch,
                                day.m_sunAngle,      day.m_skyColor[3],   day.m_sunDiffuse[0]};
    auto add = [&state](const auto& animal)
    {
        state.insert(state.end(), {animal.m_position.x, animal.m_position.y, animal.m_position.z,
                                   animal.m_heading, animal.m_targetHeading});
    };
    std::for_each(std::begin(animals.m_triceratops), std::end(animals.m_triceratops), add);
    std::for_each(std::begin(animals.m_stegoceras), std::end(animals.m_stegoceras), add);
    std::for_each(std::begin(animals.m_pterosaurs), std::end(animals.m_pterosaurs), add);
    add(animals.m_tyrannosaur);
    state.insert(state.end(), {float(animals.m_triceratopsMode), float(animals.m_stegocerasMode),
                               float(animals.m_tyrannosaurMode), float(animals.m_herdStartled)});
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
    m_running.shell.reshape(160, 120); // small frames: the world, not the drawing, is under test
    const int64_t ticks = 150;
    std::vector<float> first;
    for (int rate : {60, 24, 75, 144, 240})
    {
        buildParkAfresh();
        m_input.leftHeld = true; // walking throughout, the same on every tick
        displayAtRate(rate, ticks);
        ASSERT_EQ(m_park.ticksRun(), ticks) << rate;
        const std::vector<float> state = worldState(m_park);
        if (first.empty())
        {
            first = state;
            EXPECT_LT(m_park.camera().m_position.z, -300.0f) << "it walked";
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
    m_running.shell.reshape(160, 120);
    buildParkAfresh();
    m_input.leftHeld = true;
    displayAtRate(144, 60); // a second up to the walk's full speed
    std::vector<double> drawnSteps;
    std::vector<double> latestTickSteps;
    Vector3 drawn = m_park.camera().shownPosition(m_park.tickFraction());
    Vector3 latest = m_park.camera().m_position;
    const int64_t start = m_clock.counter;
    for (int frame = 1; frame <= 144; ++frame)
    {
        m_clock.counter = start + frame * FakeClock::kFrequency / 144;
        m_running.shell.display();
        const Vector3 nowDrawn = m_park.camera().shownPosition(m_park.tickFraction());
        drawnSteps.push_back(std::hypot(nowDrawn.x - drawn.x, nowDrawn.z - drawn.z));
        latestTickSteps.push_back(std::hypot(m_park.camera().m_position.x - latest.x,
                                             m_park.camera().m_position.z - latest.z));
        drawn = nowDrawn;
        latest = m_park.camera().m_position;
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
    m_running.shell.reshape(800, 600);
    m_park.camera().m_position.set(40.0f, m_park.ground().groundHeight(40.0f, 90.0f) + 3.0f, 90.0f);
    m_park.camera().m_previousPosition = m_park.camera().m_position;
    m_park.camera().m_yaw = 3.7f;
    m_park.camera().m_pitch = -9.3f;
    // The first frame of a process starts from the fixed state alone, every later one from what
    // the frame before left (face culling, for one, which the plants switch off).
    m_park.draw(1.0f);
    std::vector<std::vector<Pixels>> rows(2);
    for (double share : {0.05, 0.3, 0.5, 0.62, 0.85})
    {
        Pixels pictures[2];
        for (int row = 0; row < 2; ++row)
        {
            Sky& sky = m_park.sky();
            sky.clock() = DayClock();
            sky.clock().setTicksPerDay(row == 0 ? kFramesPerDay : 600.0 * kTicksPerSecond);
            sky.restartDay();
            // Drawing shows the world part of a tick behind the latest tick.
            const double ticks = share * sky.clock().ticksPerDay() + 1.0;
            for (int64_t tick = 0; tick < int64_t(ticks); ++tick)
            {
                sky.tick();
            }
            m_park.draw(float(ticks - std::floor(ticks)));
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
    m_park.animals().m_pterosaurs[0].m_circling = 0;
    m_running.shell.keyboard('t');
    ASSERT_TRUE(m_park.isDayHeld());
    const float sun = m_park.sky().day().m_sunAngle;
    const Vector3 flyer = m_park.animals().m_pterosaurs[0].m_position;
    for (int tick = 0; tick < 200; ++tick)
    {
        m_park.tick();
    }
    EXPECT_EQ(m_park.sky().day().m_sunAngle, sun);
    EXPECT_EQ(m_park.sky().shownDay(0.6f).m_sunAngle, sun);
    const Vector3 flown = m_park.animals().m_pterosaurs[0].m_position;
    EXPECT_GT(std::hypot(flown.x - flyer.x, flown.z - flyer.z), 10.0f) << "the animals go on";
    m_running.shell.keyboard('t');
    m_park.tick();
    EXPECT_NE(m_park.sky().day().m_sunAngle, sun) << "let go, the day goes on";
}
