#include "world/terrain.h"

#include "math/frustum.h"
#include "math/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace
{
// A terrain with allocated, cleared arrays and no GL.
struct BareTerrain : testing::Test
{
    Terrain terrain;
    void SetUp() override { terrain.allocateArrays(); }

    void setPlane(float slopeX, float slopeZ, float base)
    {
        for (int z = 0; z < terrain.size; ++z)
        {
            for (int x = 0; x < terrain.size; ++x)
            {
                terrain.setHeight(x, z, base + slopeX * float(x) + slopeZ * float(z));
            }
        }
    }
};

using GeneratedTerrain = BareTerrain;
using GroundHeight = BareTerrain;
using TerrainCells = BareTerrain;
} // namespace

TEST_F(GeneratedTerrain, HeightsSpanExactlyZeroToOneOnAnIslandOfHills)
{
    terrain.generateHeights(20240611u);
    float lowest = 1.0f;
    float highest = 0.0f;
    for (int i = 0; i < terrain.size * terrain.size; ++i)
    {
        ASSERT_GE(terrain.heightMap[i], 0.0f);
        ASSERT_LE(terrain.heightMap[i], 1.0f);
        lowest = std::min(lowest, terrain.heightMap[i]);
        highest = std::max(highest, terrain.heightMap[i]);
    }
    EXPECT_EQ(lowest, 0.0f);
    EXPECT_EQ(highest, 1.0f);
    // No hill reaches the corners; the centre is raised.
    EXPECT_EQ(terrain.getHeight(0, 0), 0.0f);
    EXPECT_EQ(terrain.getHeight(255, 255), 0.0f);
    EXPECT_GT(terrain.getHeight(128, 128), 0.0f);
}

TEST_F(GeneratedTerrain, SameSeedSameParkOtherSeedOtherPark)
{
    terrain.generateHeights(7u);
    const std::vector<float> first = terrain.heightMap;
    terrain.generateHeights(7u);
    EXPECT_TRUE(first == terrain.heightMap)
        << "a second generation with the same seed must start from a cleared map";
    terrain.generateHeights(8u);
    EXPECT_FALSE(first == terrain.heightMap);
}

TEST_F(GeneratedTerrain, HillDrawsRadiusThenAngleThenDistance)
{
    seedRandom(321u);
    const float r = randomRange(1.0f, 10.0f);
    const float theta = randomRange(0.0f, 6.28f);
    const float d = randomRange(r / 2.0f, 128.0f - r);
    const float cx = 128.0f + std::cos(theta) * d;
    const float cz = 128.0f + std::sin(theta) * d;
    const int nearestX = int(std::lround(cx));
    const int nearestZ = int(std::lround(cz));
    const float expected =
        r * r - ((cx - nearestX) * (cx - nearestX) + (cz - nearestZ) * (cz - nearestZ));

    seedRandom(321u);
    terrain.addHill();
    EXPECT_NEAR(terrain.getHeight(nearestX, nearestZ), expected, 1e-3f);
    // The next draw is the one after the hill's three.
    seedRandom(321u);
    for (int i = 0; i < 3; ++i)
    {
        nextRandom();
    }
    const int following = nextRandom();
    seedRandom(321u);
    terrain.addHill();
    EXPECT_EQ(nextRandom(), following);
}

TEST_F(GeneratedTerrain, HillPastTheGridEdgeIsClippedWithoutWrappingIntoTheNextRow)
{
    // The bounding box of this hill runs to x = 259: unclipped, those writes would land on
    // x = 0 ... 3 of the following rows.
    terrain.raiseHill(256.0f, 100.0f, 3.0f);
    EXPECT_GT(terrain.getHeight(255, 100), 0.0f);
    EXPECT_NEAR(terrain.getHeight(255, 100), 9.0f - 1.0f, 1e-5f);
    for (int z = 95; z <= 106; ++z)
    {
        for (int x = 0; x < 8; ++x)
        {
            EXPECT_EQ(terrain.getHeight(x, z), 0.0f) << "x " << x << " z " << z;
        }
    }
    // Low edges clamp as well; the hill's top stays where it belongs.
    terrain.raiseHill(-0.5f, 0.0f, 2.0f);
    EXPECT_NEAR(terrain.getHeight(0, 0), 4.0f - 0.25f, 1e-5f);
}

TEST_F(GeneratedTerrain, FlatMapStaysZeroAndFlattenSquaresOnlyFromPowerTwo)
{
    setPlane(0.0f, 0.0f, 0.4f);
    terrain.normalise();
    for (int i = 0; i < 256 * 256; ++i)
    {
        ASSERT_EQ(terrain.heightMap[i], 0.0f);
    }

    terrain.setHeight(3, 4, 0.5f);
    terrain.setHeight(5, 6, 0.3f);
    terrain.flatten();
    EXPECT_EQ(terrain.getHeight(3, 4), 0.5f);
    terrain.flattenPower = 2;
    terrain.flatten();
    EXPECT_EQ(terrain.getHeight(3, 4), 0.25f);
    EXPECT_FLOAT_EQ(terrain.getHeight(5, 6), 0.09f);
    EXPECT_EQ(terrain.getHeight(7, 7), 0.0f);
}

TEST_F(GeneratedTerrain, NormalsPointUpBorderIsVerticalAndPlanesGetTheirOwnNormal)
{
    terrain.generateHeights(99u);
    for (int i = 0; i < 256; ++i)
    {
        for (Vector3 n : {terrain.getNormal(i, 0), terrain.getNormal(i, 255),
                          terrain.getNormal(0, i), terrain.getNormal(255, i)})
        {
            ASSERT_EQ(n.x, 0.0f);
            ASSERT_EQ(n.y, 1.0f);
            ASSERT_EQ(n.z, 0.0f);
        }
    }
    for (int z = 1; z < 255; ++z)
    {
        for (int x = 1; x < 255; ++x)
        {
            ASSERT_GT(terrain.getNormal(x, z).y, 0.0f) << x << ", " << z;
        }
    }

    // Flat: straight up, unit length.
    terrain.clear();
    terrain.computeNormals();
    const Vector3 flat = terrain.getNormal(50, 60);
    EXPECT_EQ(flat.x, 0.0f);
    EXPECT_EQ(flat.y, 1.0f);
    EXPECT_EQ(flat.z, 0.0f);

    // A tilted plane: all six triangles share its normal, tilted against the rise.
    setPlane(0.002f, -0.001f, 0.2f);
    terrain.computeNormals();
    Vector3 expected(-0.002f * 200.0f / 20.0f, 1.0f, 0.001f * 200.0f / 20.0f);
    expected.normalize();
    const Vector3 tilted = terrain.getNormal(100, 100);
    EXPECT_NEAR(tilted.x, expected.x, 1e-5f);
    EXPECT_NEAR(tilted.y, expected.y, 1e-5f);
    EXPECT_NEAR(tilted.z, expected.z, 1e-5f);
}

TEST_F(GeneratedTerrain, TextureCoordinatesCoverTheMapOnceAndTheDetailEightTimes)
{
    terrain.computeTexCoords();
    EXPECT_EQ(terrain.getDetailU(31, 0), 31.0f / 32.0f);
    EXPECT_EQ(terrain.getDetailU(32, 0), 0.0f);
    EXPECT_EQ(terrain.getDetailV(0, 63), 31.0f / 32.0f);
    EXPECT_EQ(terrain.getDetailV(0, 64), 0.0f);
    EXPECT_EQ(terrain.getColourU(255, 9), 255.0f / 256.0f);
    EXPECT_EQ(terrain.getColourV(9, 128), 0.5f);
}

TEST_F(GroundHeight, AnswersAtTheVerticesCornersAndEdgesOfTheGround)
{
    EXPECT_EQ(Terrain().groundHeight(0.0f, 0.0f), 0.0f) << "no heights yet";

    terrain.generateHeights(5u);
    EXPECT_FLOAT_EQ(terrain.groundHeight(0.0f, 0.0f), terrain.getHeight(128, 128) * 200.0f + 7.0f);
    EXPECT_FLOAT_EQ(terrain.groundHeight(-2560.0f, -2560.0f),
                    terrain.getHeight(0, 0) * 200.0f + 7.0f);
    EXPECT_EQ(terrain.groundHeight(-2560.0f, -2560.0f), 7.0f);
    EXPECT_EQ(terrain.groundHeight(-2560.01f, 0.0f), 0.0f);
    EXPECT_EQ(terrain.groundHeight(0.0f, -2560.01f), 0.0f);
    EXPECT_EQ(terrain.groundHeight(2540.0f, 0.0f), 0.0f) << "vertex 255 has no cell beyond it";
    EXPECT_EQ(terrain.groundHeight(0.0f, 2540.0f), 0.0f);
    EXPECT_EQ(terrain.groundHeight(9000.0f, 0.0f), 0.0f);
    EXPECT_EQ(terrain.groundHeight(2539.0f, 2539.0f), 7.0f);
}

TEST_F(GroundHeight, QueryDiagonalAndCellEdgesInterpolateLinearlyFromBothSides)
{
    // One warped cell, (130, 140) .. (131, 141); grid g lies at world 20 g - 2560.
    terrain.setHeight(130, 140, 0.1f);
    terrain.setHeight(131, 140, 0.4f);
    terrain.setHeight(130, 141, 0.3f);
    terrain.setHeight(131, 141, 0.9f);
    auto worldX = [](float gx) { return gx * 20.0f - 2560.0f; };
    auto query = [&](float gx, float gz) { return terrain.groundHeight(worldX(gx), worldX(gz)); };

    for (float t : {0.0f, 0.25f, 0.5f, 0.75f})
    {
        // The query diagonal from (130, 141) to (131, 140), reached from both triangles.
        const float onDiagonal = (0.3f + t * (0.4f - 0.3f)) * 200.0f + 7.0f;
        EXPECT_NEAR(query(130.0f + t, 141.0f - t), onDiagonal, 1e-3f) << t;
        EXPECT_NEAR(query(130.0f + t + 1e-4f, 141.0f - t + 1e-4f), onDiagonal, 0.05f) << t;
        EXPECT_NEAR(query(130.0f + t - 1e-4f, 141.0f - t - 1e-4f), onDiagonal, 0.05f) << t;
        // Edges of the cell.
        EXPECT_NEAR(query(130.0f + t, 140.0f), (0.1f + t * 0.3f) * 200.0f + 7.0f, 1e-3f);
        EXPECT_NEAR(query(130.0f, 140.0f + t), (0.1f + t * 0.2f) * 200.0f + 7.0f, 1e-3f);
        EXPECT_NEAR(query(130.0f + t, 140.999f), (0.3f + t * 0.6f) * 200.0f + 7.0f, 0.15f);
    }
    EXPECT_NEAR(query(130.999f, 140.999f), 0.9f * 200.0f + 7.0f, 0.25f);
}

TEST_F(TerrainCells, QuadrantsCoverEveryCellOnceAndNoCellPastTheLastVertex)
{
    std::vector<int> drawn(255 * 255, 0);
    const int expectedCells[4] = {128 * 128, 127 * 128, 128 * 127, 127 * 127};
    for (int k = 0; k < 4; ++k)
    {
        const CellRange cells = terrain.quadrantCells(k);
        EXPECT_EQ((cells.xEnd - cells.xBegin) * (cells.zEnd - cells.zBegin), expectedCells[k]);
        for (int x = cells.xBegin; x < cells.xEnd; ++x)
        {
            for (int z = cells.zBegin; z < cells.zEnd; ++z)
            {
                ASSERT_LT(x, 255);
                ASSERT_LT(z, 255);
                ++drawn[x + z * 255];
            }
        }
    }
    for (int count : drawn)
    {
        ASSERT_EQ(count, 1);
    }
}

TEST_F(TerrainCells, CellIsTwoUpFacingTrianglesAndDetailRunsOnToOneAtTileSeams)
{
    terrain.generateHeights(11u);
    MeshVertex v[6];
    terrain.cellVertices(40, 50, v);
    for (int t = 0; t < 2; ++t)
    {
        const Vector3 a = v[3 * t + 1].position - v[3 * t].position;
        const Vector3 b = v[3 * t + 2].position - v[3 * t].position;
        EXPECT_GT(a.cross(a, b).y, 0.0f) << "triangle " << t << " faces down";
    }
    // Split along (x, z) - (x + 1, z + 1): both triangles hold those two corners.
    EXPECT_EQ(v[1].position.x, 800.0f);
    EXPECT_EQ(v[1].position.z, 1000.0f);
    EXPECT_EQ(v[5].position.x, 820.0f);
    EXPECT_EQ(v[5].position.z, 1020.0f);
    EXPECT_EQ(v[2].position.x, v[5].position.x);
    EXPECT_EQ(v[2].position.z, v[5].position.z);
    EXPECT_EQ(v[1].position.y, terrain.getHeight(40, 50) * 200.0f);
    EXPECT_EQ(v[0].colourS, 41.0f / 256.0f);

    terrain.cellVertices(31, 63, v);
    std::set<float> detailS;
    std::set<float> detailT;
    for (const MeshVertex& vertex : v)
    {
        detailS.insert(vertex.detailS);
        detailT.insert(vertex.detailT);
    }
    EXPECT_EQ(detailS, (std::set<float>{31.0f / 32.0f, 1.0f}));
    EXPECT_EQ(detailT, (std::set<float>{31.0f / 32.0f, 1.0f}));
    // The next cell starts the new tile from 0.
    terrain.cellVertices(32, 0, v);
    EXPECT_EQ(v[1].detailS, 0.0f);
    EXPECT_EQ(v[0].detailS, 1.0f / 32.0f);
}

TEST_F(TerrainCells, OnlyQuadrantsInViewAreDrawn)
{
    terrain.generateHeights(3u);
    Frustum frustum;
    frustum.setPerspective(45.0f, 800.0f / 600.0f, 3.0f, 600.0f);
    // Near the corner of quadrant 0, looking along -z, away from the rest of the ground.
    frustum.setCamera(Vector3(-1200.0f, 50.0f, -1200.0f), Vector3(0.0f, 0.0f, 1.0f),
                      Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(terrain.visibleQuadrants(frustum), 1u);
    // Turned around towards +z: quadrant 1, off to the side behind, drops out.
    frustum.setCamera(Vector3(-1200.0f, 50.0f, -1200.0f), Vector3(0.0f, 0.0f, -1.0f),
                      Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(terrain.visibleQuadrants(frustum), 1u | 4u | 8u);
    // From the middle of the park every quadrant is in reach.
    frustum.setCamera(Vector3(0.0f, 50.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f),
                      Vector3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(terrain.visibleQuadrants(frustum), 15u);

    const Vector3 centre = terrain.quadrantCentre(1);
    EXPECT_EQ(centre.x, 1280.0f);
    EXPECT_EQ(centre.z, -1280.0f);
    EXPECT_EQ(centre.y, terrain.getHeight(192, 64) * 200.0f);
    EXPECT_FLOAT_EQ(terrain.quadrantRadius(), 64.0f * 20.0f * 1.4142f);
}
