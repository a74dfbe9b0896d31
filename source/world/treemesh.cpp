// Building the tree's two triangle batches.
#include "world/treemesh.h"

#include "math/angles.h"
#include "math/matrix4.h"

#include <cmath>

namespace
{
const float kTrunkRise = 10.0f;
const float kTrunkTurn = 90.0f;
const float kLeafTurn = 90.0f;

// A rotation by `degrees` about an axis, as glRotatef makes it (an axis of no length turns
// nothing).
Matrix4 rotation(float degrees, Vector3 axis)
{
    Matrix4 matrix;
    const float length = axis.length();
    if (length <= 1.0e-4f)
    {
        return matrix;
    }
    const float x = axis.x / length;
    const float y = axis.y / length;
    const float z = axis.z / length;
    const float s = std::sin(radians(degrees));
    const float c = std::cos(radians(degrees));
    const float oneMinusC = 1.0f - c;
    float* m = matrix.m;
    m[0] = oneMinusC * x * x + c;
    m[4] = oneMinusC * x * y - z * s;
    m[8] = oneMinusC * z * x + y * s;
    m[1] = oneMinusC * x * y + z * s;
    m[5] = oneMinusC * y * y + c;
    m[9] = oneMinusC * y * z - x * s;
    m[2] = oneMinusC * z * x - y * s;
    m[6] = oneMinusC * y * z + x * s;
    m[10] = oneMinusC * z * z + c;
    return matrix;
}

// The frame of trunk piece k: lifted by 10 k and turned by 90 k degrees about +y.
Matrix4 trunkPieceFrame(int piece)
{
    Matrix4 frame;
    const float lift[3] = {0.0f, kTrunkRise * float(piece), 0.0f};
    frame.setTranslation(lift);
    frame.multiplyAffine(rotation(kTrunkTurn * float(piece), Vector3(0.0f, 1.0f, 0.0f)));
    return frame;
}

void addVertex(const Matrix4& frame, const float* texCoord, Vector3 normal, Vector3 position,
               std::vector<TreeVertex>& vertices)
{
    normal.rotate(frame.m);
    position.transform(frame.m);
    vertices.push_back({{texCoord[0], texCoord[1]},
                        {normal.x, normal.y, normal.z},
                        {position.x, position.y, position.z}});
}

// A strip's two triangles: (0, 1, 2), then (2, 1, 3) to keep the winding.
void addStrip(const Matrix4& frame, const TubeStrip& strip, TreeMesh& mesh)
{
    const unsigned short first = static_cast<unsigned short>(mesh.vertices.size());
    for (int i = 0; i < 4; ++i)
    {
        addVertex(frame, strip.texCoords[i], strip.normal, strip.vertices[i], mesh.vertices);
    }
    const unsigned short order[6] = {0, 1, 2, 2, 1, 3};
    for (unsigned short k : order)
    {
        mesh.barkIndices.push_back(static_cast<unsigned short>(first + k));
    }
}

// A fan's four triangles round its hub.
void addFan(const Matrix4& frame, const LeafFan& fan, Vector3 normal, TreeMesh& mesh)
{
    const unsigned short first = static_cast<unsigned short>(mesh.vertices.size());
    for (int i = 0; i < 6; ++i)
    {
        addVertex(frame, fan.texCoords[i], normal, fan.vertices[i], mesh.vertices);
    }
    for (unsigned short k = 1; k + 1 < 6; ++k)
    {
        const unsigned short triangle[3] = {0, k, static_cast<unsigned short>(k + 1)};
        for (unsigned short corner : triangle)
        {
            mesh.leafIndices.push_back(static_cast<unsigned short>(first + corner));
        }
    }
}

void addTubes(const TreeShape& shape, TreeMesh& mesh)
{
    for (const BranchSegment& segment : shape.segments)
    {
        const Matrix4 frame = trunkPieceFrame(segment.trunkPiece);
        for (int i = 0; i + 1 < shape.sides; ++i)
        {
            addStrip(frame, tubeStrip(segment, shape.sides, i), mesh);
        }
    }
}

// The fans carry no normal of their own: they take their tube's last one. Their turns about the
// start axis accumulate, so they stand at 0, 90, 270 and 540 degrees.
void addLeaves(const TreeShape& shape, TreeMesh& mesh)
{
    for (const BranchSegment& segment : shape.segments)
    {
        if (!segment.hasLeaves)
        {
            continue;
        }
        const Vector3 normal = tubeStrip(segment, shape.sides, shape.sides - 2).normal;
        Matrix4 frame = trunkPieceFrame(segment.trunkPiece);
        for (int leaf = 0; leaf < kTreeLeafFans; ++leaf)
        {
            frame.multiplyAffine(rotation(float(leaf) * kLeafTurn, segment.start));
            const LeafFan fan =
                leafFan(segment.startRadius, shape.sides, segment.start, segment.endRadius, leaf);
            addFan(frame, fan, normal, mesh);
        }
    }
}
} // namespace

TreeMesh buildTreeMesh(const TreeShape& shape)
{
    TreeMesh mesh;
    if (shape.sides < 3)
    {
        return mesh;
    }
    addTubes(shape, mesh);
    addLeaves(shape, mesh);
    return mesh;
}
