#include "world/treemesh.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Point
{
    double x, y, z;
};

// A rotation by `degrees` about `axis` (Rodrigues, in double), independent of the mesh's own.
Point rotated(Point p, double degrees, Point axis)
{
    const double length = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    const Point k = {axis.x / length, axis.y / length, axis.z / length};
    const double a = degrees * M_PI / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double dot = k.x * p.x + k.y * p.y + k.z * p.z;
    const Point cross = {k.y * p.z - k.z * p.y, k.z * p.x - k.x * p.z, k.x * p.y - k.y * p.x};
    return {p.x * c + cross.x * s + k.x * dot * (1 - c),
            p.y * c + cross.y * s + k.y * dot * (1 - c),
            p.z * c + cross.z * s + k.z * dot * (1 - c)};
}

// Trunk piece k's frame: turned by 90 k degrees about +y, lifted by 10 k.
Point inTrunkFrame(Point p, int piece)
{
    Point q = rotated(p, 90.0 * piece, {0, 1, 0});
    q.y += 10.0 * piece;
    return q;
}

Point pointOf(Vector3 v)
{
    return {v.x, v.y, v.z};
}

void expectNear(const float* actual, Point expected, const char* what)
{
    EXPECT_NEAR(actual[0], expected.x, 2e-4) << what;
    EXPECT_NEAR(actual[1], expected.y, 2e-4) << what;
    EXPECT_NEAR(actual[2], expected.z, 2e-4) << what;
}

double length(const float* v)
{
    return std::sqrt(double(v[0]) * v[0] + double(v[1]) * v[1] + double(v[2]) * v[2]);
}
} // namespace

TEST(TreeMesh, HoldsEveryStripAndFanAsTrianglesInTheirDrawingOrder)
{
    const TreeShape shape = growTree(22.5f);
    const TreeMesh mesh = buildTreeMesh(shape);
    // 60 segments of 15 strips, two triangles each; 56 leafy segments of four fans of four.
    ASSERT_EQ(mesh.barkIndices.size(), size_t(60 * 15 * 2 * 3));
    ASSERT_EQ(mesh.leafIndices.size(), size_t(56 * 4 * 4 * 3));
    ASSERT_EQ(mesh.vertices.size(), size_t(60 * 15 * 4 + 56 * 4 * 6));

    // A strip's second triangle is (2, 1, 3), so both face the same way.
    const unsigned short* strip = &mesh.barkIndices[6 * 7];
    EXPECT_EQ(strip[3], strip[2]);
    EXPECT_EQ(strip[4], strip[1]);
    EXPECT_EQ(strip[5], strip[1] + 2);
    // Fans turn round their hub.
    const unsigned short* fan = &mesh.leafIndices[12 * 5];
    for (int t = 0; t < 4; ++t)
    {
        EXPECT_EQ(fan[3 * t], fan[0]);
        EXPECT_EQ(fan[3 * t + 2], fan[0] + t + 2);
    }
    EXPECT_TRUE(buildTreeMesh(growTree(200.0f)).vertices.empty());
}

// Each tube in its trunk piece's frame; each leaf fan besides turned about its start axis by
// 0, 90, 270 and 540 degrees (the turns add up), lit by its tube's last normal turned alike.
TEST(TreeMesh, PlacesTubesAndFansWhereTheMatricesWouldHavePutThem)
{
    const TreeShape shape = growTree(22.5f);
    const TreeMesh mesh = buildTreeMesh(shape);
    const int sides = shape.sides;
    size_t vertex = 0;
    for (const BranchSegment& segment : shape.segments)
    {
        for (int i = 0; i + 1 < sides; ++i)
        {
            const TubeStrip strip = tubeStrip(segment, sides, i);
            for (int k = 0; k < 4; ++k)
            {
                const TreeVertex& v = mesh.vertices[vertex++];
                expectNear(v.position, inTrunkFrame(pointOf(strip.vertices[k]), segment.trunkPiece),
                           "tube");
                EXPECT_EQ(v.texCoord[0], strip.texCoords[k][0]);
            }
        }
    }
    const double turns[4] = {0.0, 90.0, 270.0, 540.0};
    for (const BranchSegment& segment : shape.segments)
    {
        if (!segment.hasLeaves)
        {
            continue;
        }
        const Vector3 tubeNormal = tubeStrip(segment, sides, sides - 2).normal;
        const Point axis = pointOf(segment.start);
        for (int leaf = 0; leaf < 4; ++leaf)
        {
            const LeafFan fan =
                leafFan(segment.startRadius, sides, segment.start, segment.endRadius, leaf);
            for (int k = 0; k < 6; ++k)
            {
                const TreeVertex& v = mesh.vertices[vertex++];
                expectNear(v.position,
                           inTrunkFrame(rotated(pointOf(fan.vertices[k]), turns[leaf], axis),
                                        segment.trunkPiece),
                           "leaf");
                // Normals are compared by direction: the GL normalises them.
                const Point n = inTrunkFrame(rotated(pointOf(tubeNormal), turns[leaf], axis),
                                             segment.trunkPiece);
                const Point unit = {n.x, n.y - 10.0 * segment.trunkPiece, n.z};
                const double scale = length(v.normal);
                const float direction[3] = {float(v.normal[0] / scale), float(v.normal[1] / scale),
                                            float(v.normal[2] / scale)};
                expectNear(direction, unit, "leaf normal");
                EXPECT_EQ(v.texCoord[1], fan.texCoords[k][1]);
            }
        }
    }
    EXPECT_EQ(vertex, mesh.vertices.size());
}
