// The park's one tree: grown by a fixed recursive branching rule (no randomness) into a list of
// branch segments, without GL; treemesh turns them into triangles and the grove draws them.
#pragma once

#include "math/vector.h"

#include <vector>

const int kTreeTrunkPieces = 4;
const int kTreeLeafFans = 4;
const float kTreeAngularStep = 22.5f;

// One segment of the grown tree, in the frame of its trunk piece (that frame is raised by
// 10 * trunkPiece and turned by 90 * trunkPiece degrees about +y).
struct BranchSegment
{
    int trunkPiece = 0;
    float angleX = 0.0f; // degrees
    float angleZ = 0.0f; // degrees
    float length = 0.0f;
    float spread = 0.0f;
    float startRadius = 0.0f;
    float endRadius = 0.0f;
    int depth = 0;
    Vector3 start;
    Vector3 end;
    bool hasLeaves = false;
};

// The whole tree in drawing order: trunk piece by trunk piece, each segment before its children,
// the (+angle) child before the (-angle) one.
struct TreeShape
{
    int sides = 0;
    int maxDepth = 0;
    std::vector<BranchSegment> segments;
};

// Where a segment starting at `start` ends. A zero angleZ of either sign leaves z where it was
// (up to rounding); a negative one mirrors the z reach.
Vector3 branchEndPoint(float angleX, float angleZ, float length, float spread, Vector3 start);

// Appends the segment and, recursively, everything above it. Depth 0 or less adds nothing.
void growBranch(float angleX, float angleZ, float length, float spread, float endRadius, int depth,
                float startRadius, Vector3 start, int trunkPiece, int maxDepth,
                std::vector<BranchSegment>& segments);

// The full tree for a ring resolution of 360 / angularStep sides. A step that would give fewer
// than 3 sides (or is not a positive number) yields an empty shape.
TreeShape growTree(float angularStep);

// One quad of a segment's bark tube as a four-vertex triangle strip.
struct TubeStrip
{
    Vector3 normal;
    float texCoords[4][2];
    Vector3 vertices[4];
};

// Quad `index` (0 ... sides - 2) of the tube: vertex angles step by 360 / (sides - 1), so the
// last quad closes the ring on its first vertex.
TubeStrip tubeStrip(const BranchSegment& segment, int sides, int index);

// One leaf outline as a six-vertex triangle fan, hub first, before its turn about the start.
struct LeafFan
{
    float texCoords[6][2];
    Vector3 vertices[6];
};

LeafFan leafFan(float startRadius, int sides, Vector3 start, float endRadius, int leafIndex);
