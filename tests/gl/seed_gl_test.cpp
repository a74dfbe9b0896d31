// A park's seed brings it back: the whole scene built from a chosen seed, at start-up and by the
// `r` key, in one GL context.
#include "fakeplatform.h"
#include "glsupport.h"
#include "runningpark.h"
#include "scratchdirectory.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace
{
// Everything a seed decides: the ground, its saved colour map, and where every plant, tree and
// animal stands when the park begins.
struct ParkSnapshot
{
    std::vector<float> heights;
    std::vector<char> colourMap;
    std::vector<float> plants;
    std::vector<float> trees;
    std::vector<float> animals;
};

void addPlace(std::vector<float>& places, const Vector3& position)
{
    places.push_back(position.x);
    places.push_back(position.z);
}

ParkSnapshot snapshot(Park& scene)
{
    ParkSnapshot park;
    for (float x = -2000.0f; x <= 2000.0f; x += 125.0f)
    {
        for (float z = -2000.0f; z <= 2000.0f; z += 125.0f)
        {
            park.heights.push_back(scene.ground().groundHeight(x, z));
        }
    }
    std::ifstream file("terrainTexs/finalMapTexture.bmp", std::ios::binary);
    park.colourMap.assign(std::istreambuf_iterator<char>(file), {});
    for (const Vector3& plant : scene.plants().m_positions)
    {
        addPlace(park.plants, plant);
    }
    for (const Vector3& tree : scene.grove().places())
    {
        addPlace(park.trees, tree);
    }
    for (const Triceratops& animal : scene.animals().m_triceratops)
    {
        addPlace(park.animals, animal.m_position);
    }
    for (const Stegoceras& animal : scene.animals().m_stegoceras)
    {
        addPlace(park.animals, animal.m_position);
    }
    for (const Pterosaur& animal : scene.animals().m_pterosaurs)
    {
        addPlace(park.animals, animal.m_position);
    }
    addPlace(park.animals, scene.animals().m_tyrannosaur.m_position);
    return park;
}

// What main() does with --seed.
ParkSnapshot startWithSeed(RunningPark& running, unsigned seed)
{
    running.park.startSeedsAt(seed);
    running.shell.makePark();
    return snapshot(running.park);
}

void expectSamePark(const ParkSnapshot& actual, const ParkSnapshot& expected)
{
    EXPECT_EQ(actual.heights, expected.heights);
    EXPECT_EQ(actual.colourMap, expected.colourMap);
    EXPECT_EQ(actual.plants, expected.plants);
    EXPECT_EQ(actual.trees, expected.trees);
    EXPECT_EQ(actual.animals, expected.animals);
}
// A park of seed 41 in a fresh object, its files and ground made ahead on another thread as the
// start does while the window opens, or by the build alone; three frames of it drawn.
Pixels drawFreshPark(bool preparedAhead, ParkSnapshot& seen)
{
    Park park;
    park.startSeedsAt(41);
    if (preparedAhead)
    {
        std::thread preparing([&park] { park.prepareNext(); });
        preparing.join();
    }
    park.regenerate();
    seen = snapshot(park);
    park.resize(800, 600);
    for (int frame = 0; frame < 3; ++frame)
    {
        park.drawFrame();
    }
    glFinish();
    return readBackBuffer();
}
} // namespace

TEST(SeededPark, AParkPreparedOnAnotherThreadIsTheOneItsSeedBuilds)
{
    ScratchDirectory directory("quillmere-prepared");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    ParkSnapshot built;
    ParkSnapshot prepared;
    const Pixels builtPicture = drawFreshPark(false, built);
    const Pixels preparedPicture = drawFreshPark(true, prepared);
    ASSERT_FALSE(built.colourMap.empty());
    expectSamePark(prepared, built);
    EXPECT_GT(builtPicture.contrast(), 10.0);
    EXPECT_EQ(preparedPicture.differingFraction(builtPicture, 0), 0.0);
}

TEST(SeededPark, ASeedMakesOneParkAtStartUpAndByTheRKeyAndAnnouncesIt)
{
    ScratchDirectory directory("quillmere-seed");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    FakeInput input;
    RunningPark running;
    running.shell.setFramesPerSecond(0);

    testing::internal::CaptureStdout();
    const ParkSnapshot first = startWithSeed(running, 41);
    running.shell.reshape(800, 600);
    ASSERT_FALSE(first.colourMap.empty());
    // The animals roam and draw from the sequence; the next park must not depend on how long.
    for (int frame = 0; frame < 30; ++frame)
    {
        running.shell.display();
    }
    running.shell.keyboard('r');
    const ParkSnapshot byKey = snapshot(running.park);
    const std::string announced = testing::internal::GetCapturedStdout();
    EXPECT_EQ(announced, "seed 41\nseed 42\n");

    testing::internal::CaptureStdout();
    expectSamePark(startWithSeed(running, 41), first);
    expectSamePark(startWithSeed(running, 42), byKey);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(byKey.heights, first.heights);
    EXPECT_NE(byKey.colourMap, first.colourMap);
    EXPECT_NE(byKey.trees, first.trees);
    EXPECT_NE(byKey.animals, first.animals);

    // The last seed is followed by the first.
    running.park.startSeedsAt(4294967295u);
    testing::internal::CaptureStdout();
    running.shell.makePark();
    running.shell.makePark();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "seed 4294967295\nseed 0\n");
}
