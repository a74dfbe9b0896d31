#include "world/grove.h"
#include "world/trees.h"

#include "bmpwriter.h"
#include "scratchdirectory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
const BranchSegment* findSegment(const TreeShape& shape, int piece, int depth, float angleX,
                                 float angleZ)
{
    for (const BranchSegment& segment : shape.segments)
    {
        if (segment.trunkPiece == piece && segment.depth == depth && segment.angleX == angleX &&
            segment.angleZ == angleZ)
        {
            return &segment;
        }
    }
    return nullptr;
}

void expectReach(const BranchSegment* segment, float x, float y, float z)
{
    ASSERT_NE(segment, nullptr);
    EXPECT_NEAR(segment->end.x - segment->start.x, x, 5e-4f);
    EXPECT_NEAR(segment->end.y - segment->start.y, y, 5e-4f);
    EXPECT_NEAR(segment->end.z - segment->start.z, z, 5e-4f);
}

float distance(Vector3 a, Vector3 b)
{
    return (a - b).length();
}

// A private working directory holding textures/lsystemstree/, left again after the test.
class TreeTextureFiles : public testing::Test
{
protected:
    static void writeValidImage(const char* path) { ASSERT_TRUE(writeBmp24(path, RgbImage(4, 4))); }
    // A file that exists but is not a BMP: loading it shows an error.
    static void writeBrokenImage(const char* path)
    {
        ASSERT_TRUE(writeBytes(path, std::vector<unsigned char>(64, 0x7f)));
    }

    ScratchDirectory m_directory{"treetextures", {"textures/lsystemstree"}};
    Grove m_grove;
};
} // namespace

TEST(Trees, FullTreeHasSixtySegmentsAndOnlyTheTrunkPiecesLackLeaves)
{
    const TreeShape shape = growTree(22.5f);
    EXPECT_EQ(shape.sides, 16);
    EXPECT_EQ(shape.maxDepth, 4);
    ASSERT_EQ(shape.segments.size(), 60u);

    int withLeaves = 0;
    int perPiece[kTreeTrunkPieces] = {};
    for (const BranchSegment& segment : shape.segments)
    {
        ASSERT_GE(segment.trunkPiece, 0);
        ASSERT_LT(segment.trunkPiece, kTreeTrunkPieces);
        ++perPiece[segment.trunkPiece];
        EXPECT_EQ(segment.hasLeaves, segment.depth != 4);
        withLeaves += segment.hasLeaves ? 1 : 0;
    }
    EXPECT_EQ(withLeaves * kTreeLeafFans, 224);
    for (int count : perPiece)
    {
        EXPECT_EQ(count, 15);
    }
}

TEST(Trees, TrunkPiecesRiseStraightWithRadiiSteppingByATenth)
{
    const TreeShape shape = growTree(22.5f);
    for (int piece = 0; piece < kTreeTrunkPieces; ++piece)
    {
        const BranchSegment* trunk = findSegment(shape, piece, 4, 0.0f, 0.0f);
        ASSERT_NE(trunk, nullptr);
        EXPECT_EQ(trunk->start.x, 0.0f);
        EXPECT_EQ(trunk->start.y, 0.0f);
        EXPECT_EQ(trunk->start.z, 0.0f);
        EXPECT_EQ(trunk->end.x, 0.0f);
        EXPECT_EQ(trunk->end.y, 10.0f);
        EXPECT_NEAR(trunk->end.z, 0.0f, 1e-5f);
        EXPECT_FLOAT_EQ(trunk->startRadius, 2.0f - 0.1f * float(piece));
        EXPECT_FLOAT_EQ(trunk->endRadius, 2.0f + 0.1f * float(piece));
        EXPECT_EQ(trunk->spread, 7.0f);
    }
}

TEST(Trees, BranchesReachTheListedEndPoints)
{
    const TreeShape shape = growTree(22.5f);
    expectReach(findSegment(shape, 0, 3, 40.0f, 40.0f), 3.600f, 10.0f, 4.290f);
    expectReach(findSegment(shape, 0, 3, -40.0f, -40.0f), -3.600f, 10.0f, -4.290f);
    expectReach(findSegment(shape, 0, 1, 120.0f, 120.0f), 3.104f, 10.0f, -1.792f);
    expectReach(findSegment(shape, 2, 1, -120.0f, -120.0f), -3.104f, 10.0f, 1.792f);
}

TEST(Trees, EachLevelTurnsByFortyHalvesTheRadiusAndShortensTheReach)
{
    const TreeShape shape = growTree(22.5f);
    const float expectedAngles[8] = {120, -120, -40, 40, 40, -40, 40, -40};
    const float spreadAtDepth[5] = {0.0f, 3.584f, 4.48f, 5.6f, 7.0f};
    const float endRadiusAtDepth[5] = {0.0f, 0.25f, 0.5f, 1.0f, 2.0f};
    int leaf = 0;
    const BranchSegment* previous = nullptr;
    for (const BranchSegment& segment : shape.segments)
    {
        if (segment.trunkPiece != 0)
        {
            continue;
        }
        EXPECT_NEAR(segment.spread, spreadAtDepth[segment.depth], 1e-5f);
        EXPECT_FLOAT_EQ(segment.endRadius, endRadiusAtDepth[segment.depth]);
        EXPECT_EQ(segment.angleX, segment.angleZ);
        if (previous && segment.depth == previous->depth - 1)
        {
            // A first child starts where its parent ends, at the parent's end radius.
            EXPECT_EQ(segment.start.x, previous->end.x);
            EXPECT_EQ(segment.start.z, previous->end.z);
            EXPECT_EQ(segment.startRadius, previous->endRadius);
            EXPECT_EQ(segment.angleX, previous->angleX + 40.0f);
        }
        if (segment.depth == 1)
        {
            ASSERT_LT(leaf, 8);
            EXPECT_EQ(segment.angleX, expectedAngles[leaf]) << "depth-1 segment " << leaf;
            ++leaf;
        }
        previous = &segment;
    }
    EXPECT_EQ(leaf, 8);
}

TEST(Trees, ZeroAnglesOfEitherSignRiseStraightSoTheirBranchesCoincide)
{
    const Vector3 start(1.0f, 20.0f, -3.0f);
    const Vector3 plusZero = branchEndPoint(0.0f, 0.0f, 10.0f, 4.48f, start);
    const Vector3 minusZero = branchEndPoint(-0.0f, -0.0f, 10.0f, 4.48f, start);
    EXPECT_EQ(plusZero.x, start.x);
    EXPECT_NEAR(plusZero.z, start.z, 1e-5f);
    EXPECT_EQ(plusZero.y, 30.0f);
    EXPECT_EQ(minusZero.x, plusZero.x);
    EXPECT_EQ(minusZero.z, plusZero.z);

    // A (-40, -40) segment's children come out as (0, 0) and (-0, -0).
    std::vector<BranchSegment> segments;
    growBranch(-40.0f, -40.0f, 10.0f, 5.6f, 1.0f, 2, 2.0f, start, 0, 4, segments);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ(segments[1].angleX, 0.0f);
    EXPECT_TRUE(std::signbit(segments[2].angleX));
    EXPECT_EQ(segments[1].end.x, segments[2].end.x);
    EXPECT_EQ(segments[1].end.z, segments[2].end.z);
    EXPECT_EQ(segments[1].end.x, segments[0].end.x);
}

TEST(Trees, NonPositiveDepthGrowsNothing)
{
    std::vector<BranchSegment> segments;
    growBranch(40.0f, 40.0f, 10.0f, 5.6f, 1.0f, 0, 2.0f, Vector3(), 0, 4, segments);
    growBranch(40.0f, 40.0f, 10.0f, 5.6f, 1.0f, -3, 2.0f, Vector3(), 0, 4, segments);
    EXPECT_TRUE(segments.empty());
}

TEST(Trees, AngularStepsGivingFewerThanThreeSidesGrowNoTree)
{
    for (float step : {0.0f, -22.5f, 121.0f, 400.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        const TreeShape shape = growTree(step);
        EXPECT_EQ(shape.sides, 0) << "step " << step;
        EXPECT_TRUE(shape.segments.empty()) << "step " << step;
    }
    EXPECT_EQ(growTree(120.0f).sides, 3);
}

TEST(Trees, TubeOfSixteenSidesClosesItsRingWithFifteenQuads)
{
    BranchSegment segment;
    segment.start = Vector3(1.0f, 2.0f, 3.0f);
    segment.end = Vector3(4.0f, 12.0f, 5.0f);
    segment.startRadius = 2.0f;
    segment.endRadius = 1.0f;
    const int sides = 16;
    const TubeStrip first = tubeStrip(segment, sides, 0);
    const TubeStrip last = tubeStrip(segment, sides, sides - 2);
    // Neighbouring quads share an edge, and the last one ends on the first vertex.
    for (int i = 0; i + 2 < sides; ++i)
    {
        const TubeStrip here = tubeStrip(segment, sides, i);
        const TubeStrip next = tubeStrip(segment, sides, i + 1);
        EXPECT_LT(distance(here.vertices[1], next.vertices[0]), 1e-5f) << "quad " << i;
        EXPECT_LT(distance(here.vertices[3], next.vertices[2]), 1e-5f) << "quad " << i;
        EXPECT_EQ(here.vertices[0].y, 2.0f);
        EXPECT_EQ(here.vertices[2].y, 12.0f);
        EXPECT_NEAR(distance(here.vertices[0], segment.start), 2.0f, 1e-5f);
        EXPECT_NEAR(distance(here.vertices[2], segment.end), 1.0f, 1e-5f);
    }
    EXPECT_LT(distance(last.vertices[1], first.vertices[0]), 1e-5f);
    EXPECT_LT(distance(last.vertices[3], first.vertices[2]), 1e-5f);
    // The normals step by a sixteenth of a turn, one short of closing the circle.
    EXPECT_NEAR(last.normal.x, std::sin(14.0f * 22.5f * 3.14159265f / 180.0f), 1e-5f);
    EXPECT_NEAR(last.normal.z, std::cos(14.0f * 22.5f * 3.14159265f / 180.0f), 1e-5f);
    EXPECT_FLOAT_EQ(last.texCoords[1][0], 15.0f / 16.0f);
    EXPECT_FLOAT_EQ(last.texCoords[1][1], 15.0f * 16.0f / 10000.0f);
}

TEST_F(TreeTextureFiles, MissingBarkMeansTheLeafFileIsNotEvenTried)
{
    writeBrokenImage("textures/lsystemstree/leafytile.bmp");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m_grove.loadTextures());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "textures/lsystemstree/bark2.bmp: cannot be opened; the trees are drawn untextured\n")
        << "the missing bark alone is named";
    EXPECT_EQ(m_grove.textures()[0], 0u);
    EXPECT_EQ(m_grove.textures()[1], 0u);
}

TEST_F(TreeTextureFiles, MissingOrBrokenLeavesLeaveNoTextures)
{
    writeValidImage("textures/lsystemstree/bark2.bmp");
    EXPECT_FALSE(m_grove.loadTextures());
    EXPECT_EQ(m_grove.textures()[0], 0u);

    writeBrokenImage("textures/lsystemstree/leafytile.bmp");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m_grove.loadTextures());
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message, "textures/lsystemstree/leafytile.bmp: Unknown DIB file format; the trees "
                       "are drawn untextured\n")
        << "the broken leaf file was tried and refused";
    EXPECT_EQ(m_grove.textures()[0], 0u);
    EXPECT_EQ(m_grove.textures()[1], 0u);
}
