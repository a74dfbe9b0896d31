// The tree's growth by fixed branching, and the bark and leaf pieces of each segment.
#include "world/trees.h"

#include "math/angles.h"

#include <cmath>

namespace
{
const int kTrunkDepth = 4;
const float kTrunkSpread = 7.0f;
const float kTrunkRadius = 2.0f;
const float kTrunkRadiusStep = 0.1f;
const float kBranchLength = 10.0f;
const float kChildTurn = 40.0f;
const float kChildSpreadFactor = 0.8f;
const float kChildRadiusFactor = 0.5f;
const float kLeafRise = 2.0f;

// The angle of ring vertex `index` when `sides` sides share a full turn between sides - 1 steps.
float ringAngle(int index, int sides)
{
    return radians(float(index) * 360.0f / float(sides - 1));
}

Vector3 ringPoint(Vector3 centre, float radius, float angle)
{
    return Vector3(centre.x + radius * std::sin(angle), centre.y,
                   centre.z + radius * std::cos(angle));
}
} // namespace

Vector3 branchEndPoint(float angleX, float angleZ, float length, float spread, Vector3 start)
{
    Vector3 end;
    end.x = start.x + spread * std::sin(radians(angleX));
    end.y = start.y + length;
    if (angleZ == 0.0f)
    {
        end.z = start.z + spread * std::cos(radians(angleZ + 90.0f));
    }
    else if (angleZ > 0.0f)
    {
        end.z = start.z + spread * std::cos(radians(angleZ));
    }
    else
    {
        end.z = start.z - spread * std::cos(radians(angleZ));
    }
    return end;
}

void growBranch(float angleX, float angleZ, float length, float spread, float endRadius, int depth,
                float startRadius, Vector3 start, int trunkPiece, int maxDepth,
                std::vector<BranchSegment>& segments)
{
    if (depth <= 0)
    {
        return;
    }
    BranchSegment segment;
    segment.trunkPiece = trunkPiece;
    segment.angleX = angleX;
    segment.angleZ = angleZ;
    segment.length = length;
    segment.spread = spread;
    segment.startRadius = startRadius;
    segment.endRadius = endRadius;
    segment.depth = depth;
    segment.start = start;
    segment.end = branchEndPoint(angleX, angleZ, length, spread, start);
    segment.hasLeaves = depth != maxDepth;
    segments.push_back(segment);

    const float childX = angleX + kChildTurn;
    const float childZ = angleZ + kChildTurn;
    const float childSpread = spread * kChildSpreadFactor;
    const float childEndRadius = endRadius * kChildRadiusFactor;
    growBranch(childX, childZ, length, childSpread, childEndRadius, depth - 1, endRadius,
               segment.end, trunkPiece, maxDepth, segments);
    growBranch(-childX, -childZ, length, childSpread, childEndRadius, depth - 1, endRadius,
               segment.end, trunkPiece, maxDepth, segments);
}

TreeShape growTree(float angularStep)
{
    TreeShape shape;
    shape.maxDepth = kTrunkDepth;
    // Written so that a non-number step fails it too; also keeps the int conversion in range.
    if (!(angularStep > 0.0f && 360.0f / angularStep >= 3.0f))
    {
        return shape;
    }
    shape.sides = int(360.0f / angularStep);
    // The radius steps are summed, not multiplied, so the radii carry single-precision sums.
    float radiusStep = 0.0f;
    for (int piece = 0; piece < kTreeTrunkPieces; ++piece)
    {
        growBranch(0.0f, 0.0f, kBranchLength, kTrunkSpread, kTrunkRadius + radiusStep, kTrunkDepth,
                   kTrunkRadius - radiusStep, Vector3(0.0f, 0.0f, 0.0f), piece, shape.maxDepth,
                   shape.segments);
        radiusStep += kTrunkRadiusStep;
    }
    return shape;
}

TubeStrip tubeStrip(const BranchSegment& segment, int sides, int index)
{
    TubeStrip strip;
    const float normalAngle = radians(float(index) * 360.0f / float(sides));
    strip.normal = Vector3(std::sin(normalAngle), 0.0f, std::cos(normalAngle));

    const float s = float(index + 1) / float(sides);
    const float t = float((index + 1) * sides) / 10000.0f;
    const float here = ringAngle(index, sides);
    const float next = ringAngle(index + 1, sides);
    const float texCoords[4][2] = {{s, 0.0f}, {s, t}, {s, 0.0f}, {s, t}};
    for (int i = 0; i < 4; ++i)
    {
        strip.texCoords[i][0] = texCoords[i][0];
        strip.texCoords[i][1] = texCoords[i][1];
    }
    strip.vertices[0] = ringPoint(segment.start, segment.startRadius, here);
    strip.vertices[1] = ringPoint(segment.start, segment.startRadius, next);
    strip.vertices[2] = ringPoint(segment.end, segment.endRadius, here);
    strip.vertices[3] = ringPoint(segment.end, segment.endRadius, next);
    return strip;
}

LeafFan leafFan(float startRadius, int sides, Vector3 start, float endRadius, int leafIndex)
{
    const float beta = radians(360.0f / float(sides - 1));
    const float r = startRadius;
    const float big = endRadius;
    const float h = start.y + kLeafRise * float(leafIndex);
    const float cos2 = std::cos(2.0f * beta);
    const float cos3 = std::cos(3.0f * beta);
    const float sin1 = std::sin(beta);

    LeafFan fan;
    const float texCoords[6][2] = {{0.0f, 0.0f}, {1.0f, 0.0f},         {0.5f, 2.0f / 3.0f},
                                   {0.0f, 1.0f}, {-0.5f, 2.0f / 3.0f}, {-1.0f, 0.0f}};
    for (int i = 0; i < 6; ++i)
    {
        fan.texCoords[i][0] = texCoords[i][0];
        fan.texCoords[i][1] = texCoords[i][1];
    }
    fan.vertices[0] = Vector3(start.x, h, start.z + r * cos2);
    fan.vertices[1] = Vector3(start.x + 3.0f + r * sin1, h, start.z + r * cos3);
    fan.vertices[2] = Vector3(start.x + 1.5f, h + 2.0f, start.z + big * cos2);
    fan.vertices[3] = Vector3(start.x + big * sin1, h + 3.0f, start.z + big * cos3);
    fan.vertices[4] = Vector3(start.x - 1.5f, h + 2.0f, start.z + big * cos2);
    fan.vertices[5] = Vector3(start.x - 3.0f + r * sin1, h, start.z + r * cos3);
    return fan;
}
