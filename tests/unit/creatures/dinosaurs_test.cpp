#include "creatures/dinosaurs.h"
#include "creatures/model.h"
#include "math/frustum.h"
#include "math/random.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// Records what a frame would draw, instead of drawing it.
class RecordingPainter : public DinosaurPainter
{
public:
    struct Draw
    {
        Model* model;
        Vector3 position;
        float angle;
        float scale;
        bool turnAround;
    };

    void bindTexture(unsigned textureName) override
    {
        events.push_back("bind " + std::to_string(textureName));
    }
    void drawAnimal(Model* model, const Vector3& position, float angle, float scale,
                    bool turnAround) override
    {
        events.push_back("draw");
        draws.push_back({model, position, angle, scale, turnAround});
    }

    std::vector<std::string> events;
    std::vector<Draw> draws;
};

// A terrain at height 0.25 everywhere (50 world units; the query adds 7).
class FlatTerrain : public Terrain
{
public:
    FlatTerrain()
    {
        allocateArrays();
        for (int z = 0; z < size; ++z)
        {
            for (int x = 0; x < size; ++x)
            {
                setHeight(x, z, 0.25f);
            }
        }
    }
};

const float kGround = 57.0f;

Frustum frustumLookingFrom(Vector3 eye, Vector3 at)
{
    Frustum frustum;
    frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
    frustum.setCamera(eye, at, Vector3(0, 1, 0));
    return frustum;
}

// A frustum that sees nothing of the park: far above it, looking up.
Frustum frustumSeeingNothing()
{
    return frustumLookingFrom(Vector3(0, 5000, 0), Vector3(0, -1, 0));
}

// Finds a seed whose first draw is `value`.
unsigned seedGiving(int value)
{
    for (unsigned seed = 0;; ++seed)
    {
        seedRandom(seed);
        if (nextRandom() == value)
        {
            return seed;
        }
    }
}

class DinosaurSetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        seedRandom(20261208);
        testing::internal::CaptureStderr(); // the models are absent here
        set.setUpAnimals();
        testing::internal::GetCapturedStderr();
    }

    DinosaurSet set;
    FlatTerrain terrain;
};

// A world tick and the frame drawn at its end, as the park runs them.
void tickAndDraw(DinosaurSet& set, const Terrain& terrain, const Frustum& frustum,
                 DinosaurPainter& painter)
{
    set.tick(terrain);
    set.draw(frustum, painter, 1.0f);
}

Triceratops walkerAt(float x, float z, float heading)
{
    Triceratops animal;
    animal.reset();
    animal.m_position = Vector3(x, 0, z);
    animal.m_heading = heading;
    animal.m_targetHeading = heading;
    return animal;
}
} // namespace

TEST_F(DinosaurSetTest, PlacesEveryAnimalOnWholeCoordinatesInsideThePark)
{
    auto expectPlaced = [](const Vector3& p)
    {
        EXPECT_EQ(p.x, std::trunc(p.x));
        EXPECT_EQ(p.z, std::trunc(p.z));
        EXPECT_LE(std::abs(p.x), 589.0f);
        EXPECT_LE(std::abs(p.z), 589.0f);
    };
    for (const Triceratops& animal : set.m_triceratops)
    {
        expectPlaced(animal.m_position);
        EXPECT_GE(animal.m_heading, 0.0f);
        EXPECT_LT(animal.m_heading, 180.0f);
        EXPECT_EQ(animal.m_heading, animal.m_targetHeading);
        EXPECT_EQ(animal.m_facing, 1);
        EXPECT_EQ(animal.m_hasStepped, 1);
        EXPECT_EQ(animal.m_walkDuration, 30.0f);
    }
    expectPlaced(set.m_stegoceras[0].m_position);
    for (const Pterosaur& animal : set.m_pterosaurs)
    {
        expectPlaced(animal.m_position);
    }
    expectPlaced(set.m_tyrannosaur.m_position);
    EXPECT_EQ(set.m_numTriceratops, 10);
    EXPECT_EQ(set.m_numStegoceras, 4);
    EXPECT_EQ(set.m_numPterosaurs, 4);
    EXPECT_STREQ(set.m_stegocerasFile, "data/running grazing headbutting standing.ms3d");
}

TEST_F(DinosaurSetTest, HerdFollowsItsLeaderOnADiagonal)
{
    const Stegoceras& leader = set.m_stegoceras[0];
    for (int i = 1; i < 4; ++i)
    {
        const Stegoceras& member = set.m_stegoceras[i];
        EXPECT_EQ(member.m_position.x, leader.m_position.x - 25.0f * i);
        EXPECT_EQ(member.m_position.z, leader.m_position.z - 25.0f * i);
        EXPECT_EQ(member.m_heading, leader.m_heading);
        EXPECT_EQ(member.m_targetHeading, leader.m_targetHeading);
        EXPECT_EQ(member.m_speed, 4.1f);
        EXPECT_EQ(member.m_turnTolerance, 3.5f);
    }
}

TEST(DinosaurSet, SwitchIntervalSpansTenToAHundred)
{
    for (const auto& [draw, interval] : {std::pair{0, 10}, std::pair{32767, 100}})
    {
        DinosaurSet set;
        seedRandom(seedGiving(draw));
        testing::internal::CaptureStderr();
        set.setUpAnimals();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(set.m_switchInterval, interval);
    }
}

TEST_F(DinosaurSetTest, BehavioursSwitchOnTheTenthFrameAndCycle)
{
    set.m_switchInterval = 10;
    const Frustum frustum = frustumSeeingNothing();
    RecordingPainter painter;
    float headings[4];
    for (int frame = 1; frame < 10; ++frame)
    {
        tickAndDraw(set, terrain, frustum, painter);
        ASSERT_EQ(set.m_triceratopsMode, 0) << "frame " << frame;
        for (int i = 0; i < 4; ++i)
        {
            headings[i] = set.m_pterosaurs[i].m_heading;
        }
    }
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_EQ(set.m_triceratopsMode, 1);
    EXPECT_EQ(set.m_stegocerasMode, 1);
    EXPECT_EQ(set.m_tyrannosaurMode, 1);
    EXPECT_EQ(set.m_framesSinceSwitch, 0);
    EXPECT_GE(set.m_switchInterval, 10);
    EXPECT_LE(set.m_switchInterval, 100);
    EXPECT_EQ(set.m_pTyrannosaurModel->m_startFrame, 135.0f) << "mode 1 of the tyrannosaur eats";
    EXPECT_EQ(set.m_pTriceratopsModel->m_startFrame, 86.0f);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(std::abs(set.m_pterosaurs[i].m_heading - headings[i]), 1.0f)
            << "every pterosaur circles from the switch on";
    }
    EXPECT_EQ(set.m_pPterosaurModel->m_startFrame, 0.0f);
    EXPECT_EQ(set.m_pPterosaurModel->m_endFrame, 29.0f);

    set.m_switchInterval = 1;
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_EQ(set.m_triceratopsMode, 2);
    EXPECT_EQ(set.m_stegocerasMode, 0);
    EXPECT_EQ(set.m_pTyrannosaurModel->m_startFrame, 60.0f) << "mode 2 roars";
    set.m_switchInterval = 1;
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_EQ(set.m_triceratopsMode, 0);
    EXPECT_EQ(set.m_tyrannosaurMode, 0);
}

TEST_F(DinosaurSetTest, GrazingTriceratopsStayPutButStandOnTheGround)
{
    const Frustum frustum = frustumSeeingNothing();
    RecordingPainter painter;
    set.m_switchInterval = 1000;
    for (int mode : {1, 2})
    {
        set.m_triceratopsMode = mode;
        const Vector3 before = set.m_triceratops[3].m_position;
        tickAndDraw(set, terrain, frustum, painter);
        const Vector3 after = set.m_triceratops[3].m_position;
        EXPECT_EQ(after.x, before.x);
        EXPECT_EQ(after.z, before.z);
        EXPECT_EQ(after.y, kGround - 2.0f);
    }
    EXPECT_TRUE(painter.draws.empty());
}

TEST_F(DinosaurSetTest, HerdTakesFrightJustUnderFiftyUnitsAndScatters)
{
    const Frustum frustum = frustumSeeingNothing();
    RecordingPainter painter;
    set.m_switchInterval = 1000;
    set.m_stegocerasMode = 1; // standing, so positions stay where the test puts them
    set.m_tyrannosaurMode = 1;
    set.m_stegoceras[0].m_position = Vector3(100, 0, 100);
    set.m_tyrannosaur.m_position = Vector3(150, 0, 100);
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_EQ(set.m_herdStartled, 0) << "exactly 50 units keeps the herd calm";

    set.m_tyrannosaur.m_position = Vector3(149.9f, 0, 100);
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_EQ(set.m_herdStartled, 1);
    EXPECT_EQ(set.m_scatterStarted, 0);

    float headings[4];
    for (int i = 0; i < 4; ++i)
    {
        headings[i] = set.m_stegoceras[i].m_heading;
    }
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_EQ(set.m_scatterStarted, 1);
    const float offsets[4] = {0.0f, 90.0f, 180.0f, -90.0f};
    for (int i = 0; i < 4; ++i)
    {
        const Stegoceras& member = set.m_stegoceras[i];
        EXPECT_EQ(member.m_targetHeading, headings[i] + offsets[i]) << "member " << i;
        EXPECT_EQ(member.m_speed, 7.1f);
        EXPECT_EQ(member.m_turnRate, 12.0f);
        EXPECT_EQ(member.m_turnTolerance, 12.0f);
    }

    // Once scattered, followers keep their own course.
    set.m_stegocerasMode = 0;
    tickAndDraw(set, terrain, frustum, painter);
    EXPECT_NE(set.m_stegoceras[2].m_targetHeading, set.m_stegoceras[0].m_targetHeading);
}

TEST_F(DinosaurSetTest, CalmFollowersTakeTheLeadersCourseEveryFrame)
{
    const Frustum frustum = frustumSeeingNothing();
    RecordingPainter painter;
    set.m_switchInterval = 1000;
    set.m_stegoceras[0].m_targetHeading = 42.0f;
    set.m_stegoceras[0].m_walkDuration = 77.0f;
    set.m_stegoceras[2].m_targetHeading = -13.0f;
    tickAndDraw(set, terrain, frustum, painter);
    for (int i = 1; i < 4; ++i)
    {
        EXPECT_EQ(set.m_stegoceras[i].m_targetHeading, set.m_stegoceras[0].m_targetHeading);
        EXPECT_EQ(set.m_stegoceras[i].m_walkDuration, 77.0f);
    }
}

TEST_F(DinosaurSetTest, TyrannosaurTextureIsBoundOnlyWhenItIsSeen)
{
    set.m_textures[0] = 100; // tyrannosaur
    set.m_textures[1] = 101;
    set.m_textures[2] = 102;
    set.m_textures[4] = 104;
    set.m_switchInterval = 1000;
    set.m_tyrannosaurMode = 1;
    Vector3& position = set.m_tyrannosaur.m_position;
    position = Vector3(0, 0, -100);

    RecordingPainter unseen;
    tickAndDraw(set, terrain, frustumLookingFrom(Vector3(0, kGround, 0), Vector3(0, 0, -1)), unseen);
    EXPECT_EQ(unseen.events.front(), "bind 101");
    for (const std::string& event : unseen.events)
    {
        EXPECT_NE(event, "bind 100");
    }

    RecordingPainter seen;
    tickAndDraw(set, terrain, frustumLookingFrom(Vector3(0, kGround, 0), Vector3(0, 0, 1)), seen);
    ASSERT_GE(seen.events.size(), 2u);
    EXPECT_EQ(seen.events[seen.events.size() - 2], "bind 100");
    const RecordingPainter::Draw& draw = seen.draws.back();
    EXPECT_EQ(draw.model, set.m_pTyrannosaurModel.get());
    EXPECT_EQ(draw.position.y, kGround + 1.0f);
    EXPECT_EQ(draw.scale, 0.7f);
    EXPECT_TRUE(draw.turnAround);
    EXPECT_EQ(draw.angle, set.m_tyrannosaur.m_heading);
}

TEST_F(DinosaurSetTest, PterosaursFlyHighAndAreDrawnTurnedAQuarter)
{
    set.m_switchInterval = 1000;
    for (Pterosaur& pterosaur : set.m_pterosaurs)
    {
        pterosaur.m_position = Vector3(0, 0, -150);
    }
    RecordingPainter painter;
    const float heading = set.m_pterosaurs[0].m_heading;
    tickAndDraw(set, terrain, frustumLookingFrom(Vector3(0, kGround, 0), Vector3(0, 0, 1)), painter);
    bool found = false;
    for (const RecordingPainter::Draw& draw : painter.draws)
    {
        if (draw.model == set.m_pPterosaurModel.get())
        {
            found = true;
            EXPECT_EQ(draw.position.y, kGround + 73.0f);
            EXPECT_EQ(draw.scale, 1.0f);
            EXPECT_EQ(draw.angle, heading + 90.0f);
            break;
        }
    }
    EXPECT_TRUE(found);
}

TEST(Dinosaur, WalkerAtTheParkEdgeTurnsBackThenStepsInside)
{
    seedRandom(1);
    Triceratops inside = walkerAt(589.9f, 0.0f, 0.0f);
    inside.step();
    EXPECT_FLOAT_EQ(inside.m_position.x, 589.9f + 1.1f);

    for (const auto& [x, z] : {std::pair{590.0f, 0.0f}, std::pair{0.0f, -590.5f}})
    {
        Triceratops animal = walkerAt(x, z, 10.0f);
        animal.step();
        EXPECT_EQ(animal.m_position.x, x) << "turns back instead of moving";
        EXPECT_EQ(animal.m_position.z, z);
        EXPECT_EQ(animal.m_targetHeading, 190.0f);
        EXPECT_EQ(animal.m_hasStepped, 0);
        EXPECT_EQ(animal.m_turning, 1);

        animal.step();
        const float angle = 190.0f * 3.14159265358979f / 180.0f;
        EXPECT_NEAR(animal.m_position.x, x + std::cos(angle) * 1.1f, 1e-4f);
        EXPECT_NEAR(animal.m_position.z, z - std::sin(angle) * 1.1f, 1e-4f);
        EXPECT_EQ(animal.m_heading, 13.5f) << "turning on while it steps back";
        EXPECT_EQ(animal.m_hasStepped, 1);
    }
}

TEST(Dinosaur, TurningAnimalStandsUntilItFacesItsCourse)
{
    Triceratops animal = walkerAt(0, 0, 0);
    animal.m_targetHeading = 20.0f;
    animal.m_facing = 0;
    animal.m_turning = 1;
    int standing = 0;
    while (animal.m_turning)
    {
        animal.step();
        if (animal.m_turning)
        {
            EXPECT_EQ(animal.m_position.x, 0.0f);
            ++standing;
        }
    }
    // 3.5 degrees a frame: 17.5 is within 3.5 of 20 on the fifth frame, which then steps.
    EXPECT_EQ(standing, 4);
    EXPECT_EQ(animal.m_heading, 17.5f);
    EXPECT_GT(animal.m_position.x, 0.0f);
}

TEST(Dinosaur, NewCourseDrawsHeadingCoinAndDurationInOrder)
{
    Tyrannosaur animal;
    animal.reset();
    animal.m_walkTime = 31.0f;
    seedRandom(7);
    const int heading = nextRandom() % 90;
    const bool odd = nextRandom() % 2 == 1;
    const int duration = 50 + nextRandom() % 150;
    seedRandom(7);
    animal.step();
    EXPECT_EQ(animal.m_targetHeading, odd ? -float(heading) : float(heading));
    EXPECT_EQ(animal.m_walkDuration, float(duration));

    Triceratops noCoin;
    noCoin.reset();
    noCoin.m_walkTime = 31.0f;
    seedRandom(7);
    noCoin.step();
    EXPECT_EQ(noCoin.m_targetHeading, float(heading));
}

TEST(Dinosaur, PterosaurCirclesForItsFramesThenFliesStraight)
{
    Pterosaur pterosaur;
    pterosaur.reset();
    pterosaur.m_heading = 30.0f;
    pterosaur.m_circling = 1;
    pterosaur.m_circleFrames = 0;
    pterosaur.m_circleDirection = 1;
    pterosaur.step();
    EXPECT_EQ(pterosaur.m_heading, 31.0f) << "zero frames still circle once";
    EXPECT_EQ(pterosaur.m_circling, 0);
    pterosaur.step();
    EXPECT_EQ(pterosaur.m_heading, 31.0f);

    pterosaur.m_circling = 1;
    pterosaur.m_circleFrames = 3;
    pterosaur.m_circleDirection = 0;
    for (int i = 0; i < 3; ++i)
    {
        pterosaur.step();
    }
    EXPECT_EQ(pterosaur.m_heading, 28.0f);
    EXPECT_EQ(pterosaur.m_circling, 0);
    EXPECT_EQ(pterosaur.m_targetHeading, 28.0f);
}

TEST(Dinosaur, StartCirclingAddsToUnfinishedFrames)
{
    Pterosaur pterosaur;
    pterosaur.reset();
    pterosaur.m_circleFrames = 5;
    seedRandom(3);
    const int frames = nextRandom() % 50;
    const int direction = nextRandom() % 2;
    seedRandom(3);
    pterosaur.startCircling();
    EXPECT_EQ(pterosaur.m_circleFrames, uint32_t(5 + frames));
    EXPECT_EQ(pterosaur.m_circleDirection, direction);
    EXPECT_EQ(pterosaur.m_circling, 1);
}

TEST(Dinosaur, PterosaurTurnsAroundAtItsWiderEdge)
{
    Pterosaur pterosaur;
    pterosaur.reset();
    pterosaur.m_heading = 0.0f;
    pterosaur.m_targetHeading = 0.0f;
    pterosaur.m_position = Vector3(1476.0f, 0, 0);
    pterosaur.step(); // 1480.1: outside after the step, so it turns on the spot
    EXPECT_FLOAT_EQ(pterosaur.m_position.x, 1480.1f);
    EXPECT_EQ(pterosaur.m_heading, 180.0f);
    EXPECT_EQ(pterosaur.m_hasStepped, 0);
    EXPECT_EQ(pterosaur.m_facing, 1);
    pterosaur.step(); // forced back inwards
    EXPECT_LT(pterosaur.m_position.x, 1480.0f);
    EXPECT_EQ(pterosaur.m_hasStepped, 1);
}

TEST(Dinosaur, PlanarDistanceIgnoresHeight)
{
    EXPECT_FLOAT_EQ(planarDistance(1, 2, 4, 6), 5.0f);
    EXPECT_FLOAT_EQ(planarDistance(-3, 0, -3, 0), 0.0f);
}

// Drawing between ticks: each animal part of the way from where the tick before stood it to
// where the latest did, its heading likewise; settled, it stands where set-up put it.
TEST_F(DinosaurSetTest, AnimalsAreDrawnPartWayBetweenTheirLastTwoTicks)
{
    set.m_switchInterval = 1000;
    set.m_triceratopsMode = 0; // walking
    Triceratops& walker = set.m_triceratops[3];
    walker.m_position = Vector3(-170.0f, 0.0f, 310.0f);
    walker.m_heading = walker.m_targetHeading = 33.0f;
    set.settle(terrain);
    EXPECT_EQ(walker.m_shownBefore.position.x, -170.0f);
    EXPECT_EQ(walker.m_shown.position.y, kGround - 2.0f) << "on the ground at once";

    set.tick(terrain);
    set.tick(terrain);
    const Vector3 from = walker.m_shownBefore.position;
    const Vector3 to = walker.m_shown.position;
    ASSERT_GT(std::hypot(to.x - from.x, to.z - from.z), 1.0f) << "it walked between the ticks";
    // From above the walker, looking down at it.
    const Frustum frustum = frustumLookingFrom(Vector3(to.x, 300, to.z), Vector3(0, 1, 0));
    for (float fraction : {0.0f, 0.37f, 1.0f})
    {
        RecordingPainter painter;
        set.draw(frustum, painter, fraction);
        ASSERT_FALSE(painter.draws.empty());
        const RecordingPainter::Draw* pDrawn = &painter.draws[0];
        for (const RecordingPainter::Draw& draw : painter.draws)
        {
            if (std::hypot(draw.position.x - to.x, draw.position.z - to.z) <
                std::hypot(pDrawn->position.x - to.x, pDrawn->position.z - to.z))
            {
                pDrawn = &draw;
            }
        }
        EXPECT_FLOAT_EQ(pDrawn->position.x, from.x + (to.x - from.x) * fraction) << fraction;
        EXPECT_FLOAT_EQ(pDrawn->position.z, from.z + (to.z - from.z) * fraction) << fraction;
        const float heading = walker.m_shownBefore.heading +
                              (walker.m_shown.heading - walker.m_shownBefore.heading) * fraction;
        EXPECT_FLOAT_EQ(pDrawn->angle, heading) << fraction;
    }
}
