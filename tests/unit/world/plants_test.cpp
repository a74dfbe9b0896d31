#include "world/plants.h"

#include "math/frustum.h"
#include "math/random.h"
#include "world/terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace
{
// A hand-built terrain sloping up along x and z, so that every plant's ground height differs.
std::unique_ptr<Terrain> slopedTerrain()
{
    auto terrain = std::make_unique<Terrain>();
    terrain->allocateArrays();
    for (int z = 0; z < terrain->size; ++z)
    {
        for (int x = 0; x < terrain->size; ++x)
        {
            terrain->setHeight(x, z, float(x + z) / float(2 * (terrain->size - 1)));
        }
    }
    return terrain;
}

std::unique_ptr<PlantField> scatteredField(const Terrain& terrain, unsigned seed)
{
    auto field = std::make_unique<PlantField>();
    seedRandom(seed);
    field->scatter(terrain);
    return field;
}

// Eye at the origin looking along -z, as the camera's convention builds it (`at` points back).
Frustum frustumLookingAlongMinusZ()
{
    Frustum frustum;
    frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
    frustum.setCamera(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(0, 1, 0));
    return frustum;
}

// Every plant behind the eye and out of reach, so that a test places only the ones it needs.
std::unique_ptr<PlantField> fieldBehindTheEye()
{
    auto field = std::make_unique<PlantField>();
    for (int i = 0; i < kPlantCount; ++i)
    {
        field->m_positions[i].set(0.0f, 0.0f, 5000.0f);
        field->m_speciesIndex[i] = i < 500 ? 0 : i < 530 ? 1 : i < 2530 ? 2 : 3;
    }
    return field;
}

std::vector<int> farToNearOrder(const PlantField& field)
{
    std::vector<int> order;
    field.visitFarToNear([&](int i) { order.push_back(i); });
    return order;
}

struct SpeciesExpectation
{
    int first;
    int end;
    float minScale;
    float maxScale;
    float maxTilt;
    float baseBelowGround;
};
const SpeciesExpectation kExpected[4] = {
    {0, 500, 10, 20, 30, 8},
    {500, 530, 60, 150, 10, 8},
    {530, 2530, 5, 10, 10, 7},
    {2530, 3030, 10, 15, 20, 8},
};
} // namespace

TEST(PlantField, ScatterGivesEverySpeciesItsRangesAndStandsItOnTheGround)
{
    const auto terrain = slopedTerrain();
    const auto field = scatteredField(*terrain, 1234);
    for (int species = 0; species < 4; ++species)
    {
        const SpeciesExpectation& e = kExpected[species];
        float lowestScale = e.maxScale;
        float highestScale = e.minScale;
        for (int i = e.first; i < e.end; ++i)
        {
            SCOPED_TRACE(i);
            ASSERT_EQ(field->m_speciesIndex[i], species);
            EXPECT_GE(field->m_scales[i], e.minScale);
            EXPECT_LE(field->m_scales[i], e.maxScale);
            EXPECT_GE(field->m_tilts[i], -e.maxTilt);
            EXPECT_LE(field->m_tilts[i], e.maxTilt);
            const Vector3 p = field->m_positions[i];
            EXPECT_FLOAT_EQ(p.y, terrain->groundHeight(p.x, p.z) - e.baseBelowGround);
            const bool placedAtRandom = species != 2 || i % 10 == 0;
            if (placedAtRandom)
            {
                EXPECT_GE(p.x, -2565.0f);
                EXPECT_LE(p.x, 2555.0f);
                EXPECT_GE(p.z, -2565.0f);
                EXPECT_LE(p.z, 2555.0f);
            }
            lowestScale = std::min(lowestScale, field->m_scales[i]);
            highestScale = std::max(highestScale, field->m_scales[i]);
        }
        // The draws spread over the range rather than sticking to one end.
        const float span = e.maxScale - e.minScale;
        EXPECT_LT(lowestScale, e.minScale + span * 0.2f) << "species " << species;
        EXPECT_GT(highestScale, e.maxScale - span * 0.2f) << "species " << species;
    }
}

TEST(PlantField, BrushGrowsInClustersOfTenRunningTowardPlusX)
{
    const auto terrain = slopedTerrain();
    const auto field = scatteredField(*terrain, 77);
    int startsFarFromPredecessor = 0;
    for (int i = 531; i < 2530; ++i)
    {
        const Vector3 step = field->m_positions[i] - field->m_positions[i - 1];
        const bool looksLikeNextMember =
            step.x >= 3.0f && step.x <= 5.0f && std::fabs(step.z) <= 15.0f;
        if (i % 10 == 0)
        {
            startsFarFromPredecessor += looksLikeNextMember ? 0 : 1;
        }
        else
        {
            EXPECT_TRUE(looksLikeNextMember)
                << "plant " << i << " steps " << step.x << ", " << step.z;
        }
    }
    // 540, 550, ..., 2520 start anew somewhere over the whole terrain.
    EXPECT_GE(startsFarFromPredecessor, 195);
}

// The sequence is shared with the trees and dinosaurs that draw after the plants, so both the
// order and the number of draws are part of the contract.
TEST(PlantField, ScatterDrawsFourValuesPerPlantInTheFixedOrder)
{
    const auto terrain = slopedTerrain();
    const auto field = scatteredField(*terrain, 4242);
    const int afterPlacement = nextRandom();

    seedRandom(4242);
    float x = 0.0f;
    float z = 0.0f;
    for (int i = 0; i < kPlantCount; ++i)
    {
        SCOPED_TRACE(i);
        const int species = i < 500 ? 0 : i < 530 ? 1 : i < 2530 ? 2 : 3;
        const SpeciesExpectation& e = kExpected[species];
        float scale = 0.0f;
        if (species != 2)
        {
            scale = randomRange(e.minScale, e.maxScale);
            x = randomRange(-2565, 2555);
            z = randomRange(-2565, 2555);
        }
        else if (i % 10 == 0)
        {
            x = randomRange(-2565, 2555);
            z = randomRange(-2565, 2555);
        }
        else
        {
            x += randomRange(3, 5);
            z += randomRange(-15, 15);
        }
        if (species == 2)
        {
            scale = randomRange(e.minScale, e.maxScale);
        }
        const float tilt = randomRange(-e.maxTilt, e.maxTilt);
        ASSERT_EQ(field->m_positions[i].x, x);
        ASSERT_EQ(field->m_positions[i].z, z);
        ASSERT_EQ(field->m_scales[i], scale);
        ASSERT_EQ(field->m_tilts[i], tilt);
    }
    EXPECT_EQ(afterPlacement, nextRandom());
}

TEST(PlantField, CullingUsesEachSpeciesRadiusAndReach)
{
    auto field = fieldBehindTheEye();
    const Frustum frustum = frustumLookingAlongMinusZ();
    // Straight ahead the near-plane distance is the depth plus 3, bounded by the reach.
    field->m_positions[0].set(0, 0, -496.5f);    // grass, 499.5: in reach
    field->m_positions[1].set(0, 0, -497.5f);    // grass, 500.5: beyond 500
    field->m_positions[500].set(0, 0, -2996.5f); // tree, 2999.5: in reach
    field->m_positions[501].set(0, 0, -2997.5f); // tree, beyond 3000
    field->m_positions[502].set(0, 0, 52.5f);    // tree behind the eye by less than 50 + 3
    field->m_positions[530].set(0, 0, 12.5f);    // brush behind the eye by less than 10 + 3
    field->m_positions[531].set(0, 0, 13.5f);    // brush just too far behind
    field->m_positions[2530].set(200, 0, -50);   // fern far off to the right
    field->m_positions[2531].set(-20, 0, -50);   // fern inside the left side
    field->collectVisible(Vector3(0, 0, 0), frustum);

    std::vector<int> visible(field->m_visible, field->m_visible + field->m_visibleCount);
    std::sort(visible.begin(), visible.end());
    EXPECT_EQ(visible, (std::vector<int>{0, 500, 502, 530, 2531}));
    EXPECT_FLOAT_EQ(field->m_distances[500], 2996.5f);
}

TEST(PlantField, FrameWithNothingInViewVisitsNothing)
{
    auto field = fieldBehindTheEye();
    field->m_visibleCount = 7; // left over from an earlier frame
    field->collectVisible(Vector3(0, 0, 0), frustumLookingAlongMinusZ());
    EXPECT_EQ(field->m_visibleCount, 0);
    EXPECT_TRUE(farToNearOrder(*field).empty());
}

TEST(PlantField, VisiblePlantsAreVisitedFarToNearAndTiesInDescendingIndexOrder)
{
    auto field = fieldBehindTheEye();
    field->m_positions[10].set(0, 0, -40);
    field->m_positions[600].set(3, 0, -100);
    field->m_positions[20].set(0, 3, -100); // the same distance as 600 and 700
    field->m_positions[700].set(-3, 0, -100);
    field->m_positions[3000].set(0, 0, -20);
    field->m_positions[2000].set(0, 0, -300);
    field->collectVisible(Vector3(0, 0, 0), frustumLookingAlongMinusZ());
    EXPECT_EQ(farToNearOrder(*field), (std::vector<int>{2000, 700, 600, 20, 10, 3000}));
}

TEST(StableSortByKey, MatchesAnExchangeSortOnRandomInputsWithTies)
{
    seedRandom(99);
    std::vector<float> keys(kPlantCount);
    for (int round = 0; round < 200; ++round)
    {
        const int count = round < 5 ? round : nextRandom() % 400;
        const int distinctKeys = 1 + nextRandom() % 20; // few distinct keys: many ties
        std::vector<int> items;
        for (int i = 0; i < count; ++i)
        {
            const int item = nextRandom() % kPlantCount;
            keys[item] = float(nextRandom() % distinctKeys);
            items.push_back(item);
        }
        // An item may appear twice; both copies then share a key, which is only another tie.
        std::vector<int> expected = items;
        for (int pass = 0; pass < count; ++pass)
        {
            for (int i = 0; i + 1 < count; ++i)
            {
                if (keys[expected[i + 1]] < keys[expected[i]])
                {
                    std::swap(expected[i], expected[i + 1]);
                }
            }
        }
        std::vector<int> scratch(count);
        stableSortByKey(items.data(), count, keys.data(), scratch.data());
        ASSERT_EQ(items, expected) << "round " << round << ", " << count << " items";
    }
}

TEST(PlantBlades, AreOrderedFarthestFirstWithTiesInIndexOrder)
{
    PlantField field;
    field.setBladeCentres();
    const Vector3* centres = field.m_species[0].m_bladeCentres;
    int order[kBladeCount];

    // Camera on the +z side: blades 4 and 5 are farthest, 1 and 2 nearest and drawn last.
    orderBladesFarToNear(Vector3(0, 5, 100), Vector3(0, 0, 0), 10.0f, centres, order);
    EXPECT_EQ(std::vector<int>(order, order + 6), (std::vector<int>{4, 5, 0, 3, 1, 2}));

    // Camera on the +x side of a plant elsewhere: blade 0 first, blade 3 last.
    orderBladesFarToNear(Vector3(300, 0, 0), Vector3(200, 0, 0), 20.0f, centres, order);
    EXPECT_EQ(std::vector<int>(order, order + 6), (std::vector<int>{0, 1, 5, 2, 4, 3}));
}

TEST(PlantTexels, ClearEdgeTexelsTakeTheirNeighboursColour)
{
    // 3 x 2 RGBA image, bottom row first: the bottom row opaque, the top row clear.
    DecodedImage image;
    image.width = 3;
    image.height = 2;
    image.channels = 4;
    image.pixels = {
        200, 100, 50, 255, 100, 50, 25, 255, 200, 100, 50, 255, // bottom
        0,   0,   0,  0,   0,   0,  0,  0,   9,   9,   9,  0,   // top
    };
    const std::vector<unsigned char> bottomRow(image.pixels.begin(), image.pixels.begin() + 12);
    bleedIntoClearTexels(image);
    EXPECT_EQ(std::vector<unsigned char>(image.pixels.begin(), image.pixels.begin() + 12),
              bottomRow)
        << "visible texels are unchanged";
    // Clear texels keep alpha 0 and take the mean colour of their opaque neighbours.
    const unsigned char* topLeft = image.at(0, 1);
    EXPECT_EQ(topLeft[0], 150);
    EXPECT_EQ(topLeft[1], 75);
    EXPECT_EQ(topLeft[2], 38); // (50 + 25) / 2 rounded
    EXPECT_EQ(topLeft[3], 0);
    const unsigned char* topMiddle = image.at(1, 1);
    EXPECT_EQ(topMiddle[0], 167); // (200 + 100 + 200) / 3 rounded
    EXPECT_EQ(topMiddle[3], 0);

    // Clear texels with no visible neighbour are left alone.
    DecodedImage sparse;
    sparse.width = 4;
    sparse.height = 4;
    sparse.channels = 4;
    sparse.pixels.assign(4 * 4 * 4, 0);
    sparse.pixels[0] = 90; // texel (0, 0): opaque dark red
    sparse.pixels[3] = 255;
    sparse.pixels[(3 * 4 + 3) * 4 + 1] = 7; // texel (3, 3): clear, far from it
    bleedIntoClearTexels(sparse);
    EXPECT_EQ(sparse.at(1, 1)[0], 90); // diagonal neighbour of the opaque texel
    EXPECT_EQ(sparse.at(2, 2)[0], 0);
    EXPECT_EQ(sparse.at(3, 3)[1], 7);
}
