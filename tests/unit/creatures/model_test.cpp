#include "creatures/model.h"
#include "fakeplatform.h"
#include "math/vector.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

namespace
{
const double kPi = 3.14159265358979323846;

// A model filled by the test itself.
class TestModel : public Model
{
public:
    bool loadFile(const char*) override { return false; }

    void setJoints(int count) { m_joints.resize(size_t(count)); }
    void setJoint(int index, int parent, const float* rotation, const float* translation)
    {
        Joint& joint = m_joints[size_t(index)];
        joint.m_parentIndex = parent;
        std::memcpy(joint.m_bindRotation, rotation, sizeof joint.m_bindRotation);
        std::memcpy(joint.m_bindTranslation, translation, sizeof joint.m_bindTranslation);
    }
    // Keys as (time ms, x, y, z) rows.
    void setKeys(int jointIndex, bool isRotation, std::initializer_list<std::array<float, 4>> rows)
    {
        Joint& joint = m_joints[size_t(jointIndex)];
        (isRotation ? joint.m_rotationKeyframes : joint.m_translationKeyframes).resize(rows.size());
        int index = 0;
        for (const auto& row : rows)
        {
            setKeyframe(jointIndex, index++, row[0], &row[1], isRotation);
        }
    }
    void setVertices(std::initializer_list<std::pair<int, std::array<float, 3>>> vertices)
    {
        m_vertices.clear();
        for (const auto& vertex : vertices)
        {
            m_vertices.emplace_back();
            m_vertices.back().m_joint = int8_t(vertex.first);
            std::memcpy(m_vertices.back().m_position, vertex.second.data(), 12);
        }
    }
};

// Rotation of a point about one axis, applied X then Y then Z: the reference for setRotationXYZ.
void rotateAbout(int axis, double angle, double* p)
{
    const int a = (axis + 1) % 3;
    const int b = (axis + 2) % 3;
    const double pa = p[a] * std::cos(angle) - p[b] * std::sin(angle);
    const double pb = p[a] * std::sin(angle) + p[b] * std::cos(angle);
    p[a] = pa;
    p[b] = pb;
}

Vector3 apply(const Matrix4& matrix, Vector3 point)
{
    return point.transform(matrix.m);
}

void expectNear(Vector3 actual, Vector3 expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectMatrixNear(const Matrix4& actual, const Matrix4& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
    }
}

// Translation x of a root joint whose translation keys run x = time: the time the pose used.
float poseTime(TestModel& model)
{
    model.updatePose();
    return model.m_joints[0].m_final.m[12];
}

std::unique_ptr<TestModel> clockModel()
{
    auto model = std::make_unique<TestModel>();
    model->setJoints(1);
    const float zero[3] = {0, 0, 0};
    model->setJoint(0, -1, zero, zero);
    model->setKeys(0, false, {{0, 0, 0, 0}, {100000, 100000, 0, 0}});
    model->prepareSkeleton();
    model->rewind();
    return model;
}
} // namespace

TEST(Model, RotationXyzTurnsAboutXThenYThenZ)
{
    Matrix4 matrix;
    const float quarterZ[3] = {0.0f, 0.0f, float(kPi / 2)};
    matrix.setRotationXYZ(quarterZ);
    EXPECT_NEAR(matrix.m[0], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(matrix.m[1], 1.0f);
    EXPECT_FLOAT_EQ(matrix.m[4], -1.0f);
    EXPECT_NEAR(matrix.m[5], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(matrix.m[10], 1.0f);

    const float angles[3] = {0.3f, -1.1f, 2.0f};
    matrix.setTranslation(angles); // translation and bottom row stay untouched by a rotation
    matrix.setRotationXYZ(angles);
    EXPECT_EQ(matrix.m[12], 0.3f);
    EXPECT_EQ(matrix.m[15], 1.0f);
    double p[3] = {1.0, 2.0, -3.0};
    rotateAbout(0, angles[0], p);
    rotateAbout(1, angles[1], p);
    rotateAbout(2, angles[2], p);
    Matrix4 rotation;
    rotation.setRotationXYZ(angles);
    expectNear(apply(rotation, Vector3(1, 2, -3)), Vector3(float(p[0]), float(p[1]), float(p[2])));
}

TEST(Model, MultiplyAffineComposesAndKeepsTheBottomRow)
{
    Matrix4 b;
    const float angles[3] = {0.5f, 0.2f, -0.7f};
    const float offset[3] = {4.0f, -5.0f, 6.0f};
    b.setRotationXYZ(angles);
    b.setTranslation(offset);
    b.m[3] = 9.0f; // a stray bottom row is not carried into the product

    Matrix4 product;
    product.multiplyAffine(b);
    for (int i = 0; i < 15; ++i)
    {
        if (i != 3 && i != 7 && i != 11)
        {
            EXPECT_FLOAT_EQ(product.m[i], b.m[i]) << "element " << i;
        }
    }
    EXPECT_EQ(product.m[3], 0.0f);
    EXPECT_EQ(product.m[15], 1.0f);

    Matrix4 a;
    const float anglesA[3] = {-0.4f, 1.3f, 0.1f};
    const float offsetA[3] = {-1.0f, 2.0f, 0.5f};
    a.setRotationXYZ(anglesA);
    a.setTranslation(offsetA);
    b.m[3] = 0.0f;
    Matrix4 ab;
    ab.assign(a);
    ab.multiplyAffine(b);
    const Vector3 point(0.7f, -2.0f, 3.0f);
    expectNear(apply(ab, point), apply(a, apply(b, point)));
}

TEST(Model, UntranslateThenUnrotateUndoesARigidTransform)
{
    Matrix4 matrix;
    const float angles[3] = {1.0f, -0.6f, 2.5f};
    const float offset[3] = {10.0f, 20.0f, -30.0f};
    matrix.setRotationXYZ(angles);
    matrix.setTranslation(offset);
    const Vector3 moved = apply(matrix, Vector3(1.5f, -2.5f, 4.0f));
    float v[3] = {moved.x, moved.y, moved.z};
    matrix.untranslate(v);
    matrix.unrotate(v);
    expectNear(Vector3(v), Vector3(1.5f, -2.5f, 4.0f));
}

// Over a small hierarchy with turned and shifted joints, listed child first: preparing the
// skeleton and posing it without keys puts every vertex and normal back where the file had it.
TEST(Model, BindPoseReturnsVerticesAndNormalsToTheirPlaces)
{
    FakeClock clock;
    TestModel model;
    model.setJoints(4);
    const float r0[3] = {0.1f, 0.2f, 0.3f}, t0[3] = {1, 2, 3};
    const float r1[3] = {-0.5f, 0.4f, 1.2f}, t1[3] = {0, 5, 0};
    const float r2[3] = {0.9f, -1.0f, 0.0f}, t2[3] = {2, -1, 4};
    const float r3[3] = {0.0f, 0.0f, 1.5f}, t3[3] = {-3, 0, 1};
    model.setJoint(0, 2, r2, t2); // child of joint 2, listed before it
    model.setJoint(1, -1, r0, t0);
    model.setJoint(2, 1, r1, t1);
    model.setJoint(3, 0, r3, t3);
    model.setVertices(
        {{0, {1, 2, 3}}, {1, {-4, 5, 6}}, {2, {7, -8, 9}}, {3, {0, 1, 0}}, {-1, {3, 3, 3}}});
    model.m_triangles.resize(2);
    const float normal[3] = {0.0f, 0.6f, 0.8f};
    for (int t = 0; t < 2; ++t)
    {
        for (int k = 0; k < 3; ++k)
        {
            model.m_triangles[t].m_cornerVertices[k] = t * 2 + k;
            std::memcpy(model.m_triangles[t].m_normals[k], normal, sizeof normal);
        }
    }
    ASSERT_TRUE(model.checkStructure("bind"));
    model.prepareSkeleton();
    model.rewind();
    model.updatePose();

    const float original[5][3] = {{1, 2, 3}, {-4, 5, 6}, {7, -8, 9}, {0, 1, 0}, {3, 3, 3}};
    for (int i = 0; i < 5; ++i)
    {
        const Vertex& vertex = model.m_vertices[i];
        Vector3 position(vertex.m_position);
        if (vertex.m_joint >= 0)
        {
            const Joint& joint = model.m_joints[size_t(vertex.m_joint)];
            expectMatrixNear(joint.m_final, joint.m_absolute);
            position.transform(joint.m_final.m);
        }
        expectNear(position, Vector3(original[i]));
    }
    for (int t = 0; t < 2; ++t)
    {
        for (int k = 0; k < 3; ++k)
        {
            const int joint = model.m_vertices[t * 2 + k].m_joint;
            Vector3 turned(model.m_triangles[t].m_normals[k]);
            if (joint >= 0)
            {
                turned.rotate(model.m_joints[joint].m_final.m);
            }
            expectNear(turned, Vector3(normal));
        }
    }
    // The child listed first hangs from its parent's bind pose, not from an identity.
    Matrix4 expected;
    expected.setRotationXYZ(r0);
    expected.setTranslation(t0);
    Matrix4 middle;
    middle.setRotationXYZ(r1);
    middle.setTranslation(t1);
    expected.multiplyAffine(middle);
    Matrix4 child;
    child.setRotationXYZ(r2);
    child.setTranslation(t2);
    expected.multiplyAffine(child);
    expectMatrixNear(model.m_joints[0].m_absolute, expected);
}

TEST(Model, KeysHoldBeforeTheFirstAndAfterTheLastAndInterpolateBetween)
{
    FakeClock clock;
    TestModel model;
    model.setJoints(1);
    const float zero[3] = {0, 0, 0};
    model.setJoint(0, -1, zero, zero);
    // Frame 1 is at 41.67 ms: the first key lies after it.
    model.setKeys(0, false, {{100, 10, 0, 0}, {200, 20, 0, 0}, {400, 40, -4, 0}});
    model.prepareSkeleton();
    model.rewind();

    model.updatePose();
    EXPECT_EQ(model.m_joints[0].m_final.m[12], 10.0f) << "before the first key";
    clock.advanceMilliseconds(200 - 1000.0 / 24);
    model.updatePose();
    EXPECT_NEAR(model.m_joints[0].m_final.m[12], 20.0f, 1e-3f) << "at a key";
    clock.advanceMilliseconds(100);
    model.updatePose();
    EXPECT_NEAR(model.m_joints[0].m_final.m[12], 30.0f, 1e-3f);
    EXPECT_NEAR(model.m_joints[0].m_final.m[13], -2.0f, 1e-3f);
    clock.advanceMilliseconds(1000);
    model.updatePose();
    EXPECT_EQ(model.m_joints[0].m_final.m[12], 40.0f) << "after the last key";
    EXPECT_EQ(model.m_joints[0].m_final.m[13], -4.0f);
}

TEST(Model, ExactKeyTimeGivesExactlyThatKey)
{
    FakeClock clock;
    TestModel model;
    model.setJoints(1);
    const float zero[3] = {0, 0, 0};
    model.setJoint(0, -1, zero, zero);
    const float start = float(1000.0 / 24);
    model.setKeys(0, false, {{0, 0, 0, 0}, {start, 7.25f, 0, 0}, {500, 100, 0, 0}});
    model.prepareSkeleton();
    model.rewind();
    model.updatePose();
    EXPECT_NEAR(model.m_joints[0].m_final.m[12], 7.25f, 1e-5f);
}

TEST(Model, DefaultRangeLoopsFromFrameOneAfterFrameHundred)
{
    FakeClock clock;
    auto model = clockModel();
    EXPECT_NEAR(poseTime(*model), 1000.0 / 24, 0.01);
    clock.advanceMilliseconds(4000);
    EXPECT_NEAR(poseTime(*model), 4000 + 1000.0 / 24, 0.01);
    clock.advanceMilliseconds(124); // 4165.7 ms: still inside frame 100 at 4166.7 ms
    EXPECT_NEAR(poseTime(*model), 4124 + 1000.0 / 24, 0.01);
    clock.advanceMilliseconds(2); // past 100000 / 24 ms
    EXPECT_NEAR(poseTime(*model), 1000.0 / 24, 0.01);
    clock.advanceMilliseconds(10);
    EXPECT_NEAR(poseTime(*model), 10 + 1000.0 / 24, 0.01) << "the clock restarted";
}

TEST(Model, RangeThatEndedRewindsToItsFirstFrame)
{
    FakeClock clock;
    auto model = clockModel();
    model->setFrameRange(24, 48);
    clock.advanceMilliseconds(1500);
    EXPECT_NEAR(poseTime(*model), 1000.0, 0.01) << "1000 + 1500 ms is past frame 48";
    clock.advanceMilliseconds(250);
    EXPECT_NEAR(poseTime(*model), 1250.0, 0.01);
}

TEST(Model, RangeMovedBackWithoutRewindStillPosesCorrectly)
{
    FakeClock clock;
    auto model = clockModel();
    model->setFrameRange(48, 96);
    clock.advanceMilliseconds(500);
    EXPECT_NEAR(poseTime(*model), 2500.0, 0.01);
    model->setFrameRange(0, 96);
    EXPECT_NEAR(poseTime(*model), 500.0, 0.01);
}

TEST(Model, OneChannelJointsTakeZeroForTheEmptyChannel)
{
    FakeClock clock;
    TestModel model;
    model.setJoints(2);
    const float zero[3] = {0, 0, 0};
    const float bindOffset[3] = {0, 3, 0};
    model.setJoint(0, -1, zero, bindOffset);
    model.setJoint(1, 0, zero, bindOffset);
    const float quarter = float(kPi / 2);
    model.setKeys(0, true, {{0, 0, 0, quarter}}); // rotation only
    model.setKeys(1, false, {{0, 1, 0, 0}});      // translation only
    model.prepareSkeleton();
    model.rewind();
    model.updatePose();

    // Root: turned a quarter about z at its bind place, not shifted.
    expectNear(apply(model.m_joints[0].m_final, Vector3(1, 0, 0)), Vector3(0, 4, 0));
    // Child: shifted one unit along its parent's turned x, not turned itself.
    const Matrix4& child = model.m_joints[1].m_final;
    expectNear(apply(child, Vector3(0, 0, 0)), Vector3(-3, 4, 0));
    expectNear(apply(child, Vector3(1, 0, 0)), Vector3(-3, 5, 0));
}

TEST(Model, JointWithoutKeysFollowsItsAnimatedParent)
{
    FakeClock clock;
    TestModel model;
    model.setJoints(2);
    const float zero[3] = {0, 0, 0};
    const float bindOffset[3] = {2, 0, 0};
    model.setJoint(0, -1, zero, zero);
    model.setJoint(1, 0, zero, bindOffset);
    model.setKeys(0, false, {{0, 0, 10, 0}});
    model.prepareSkeleton();
    model.rewind();
    EXPECT_EQ(model.m_joints[1].m_final.m[12], 2.0f) << "bind pose after a rewind";
    model.updatePose();
    expectNear(apply(model.m_joints[1].m_final, Vector3(0, 0, 0)), Vector3(2, 10, 0));
}

// A fault in the skeleton leaves the meshes to stand still; one in the meshes leaves nothing to
// draw. The line says which, and the model is left that way, safe to pose and draw.
TEST(Model, CheckStructureRefusesBadIndicesAndLeavesTheModelAsItsLineSays)
{
    const float zero[3] = {0, 0, 0};
    const std::string still = "; the model is drawn still, in its bind pose\n";
    const std::string notDrawn = "; the model is not drawn\n";
    {
        TestModel model;
        model.setJoints(3);
        model.setJoint(0, -1, zero, zero);
        model.setJoint(1, 2, zero, zero);
        model.setJoint(2, 1, zero, zero);
        model.setVertices({{2, {1, 2, 3}}});
        testing::internal::CaptureStderr();
        EXPECT_FALSE(model.checkStructure("ring.ms3d"));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "ring.ms3d: joint 1 has parent 2: the parents do not form a tree" + still);
        EXPECT_TRUE(model.m_joints.empty());
        ASSERT_EQ(model.m_vertices.size(), 1u);
        EXPECT_EQ(model.m_vertices[0].m_joint, -1) << "no vertex follows a removed joint";
        model.prepareSkeleton();
        model.updatePose();
        EXPECT_EQ(model.m_vertices[0].m_position[2], 3.0f) << "left where the file put it";
    }
    {
        TestModel model;
        model.setJoints(1);
        model.setJoint(0, 0, zero, zero);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(model.checkStructure("self.ms3d"));
        testing::internal::GetCapturedStderr();
    }
    {
        TestModel model;
        model.setVertices({{1, {0, 0, 0}}});
        testing::internal::CaptureStderr();
        EXPECT_FALSE(model.checkStructure("v.ms3d"));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "v.ms3d: vertex 0 follows joint 1, but there are 0 joints" + still);
        ASSERT_EQ(model.m_vertices.size(), 1u);
        EXPECT_EQ(model.m_vertices[0].m_joint, -1);
    }
    {
        TestModel model;
        model.setVertices({{-1, {0, 0, 0}}});
        model.m_triangles.resize(1);
        model.m_triangles[0].m_cornerVertices[2] = 1;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(model.checkStructure("t.ms3d"));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "t.ms3d: triangle 0 uses vertex 1, but there are 1 vertices" + notDrawn);
        EXPECT_TRUE(model.m_triangles.empty() && model.m_vertices.empty());
    }
    {
        // A bad vertex joint as well: the mesh fault, the graver one, is the one told.
        TestModel model;
        model.setVertices({{4, {0, 0, 0}}});
        model.m_meshes.resize(2);
        model.m_meshes[1].m_triangleList = {0};
        testing::internal::CaptureStderr();
        EXPECT_FALSE(model.checkStructure("m.ms3d"));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "m.ms3d: group 1 lists triangle 0, but there are 0 triangles" + notDrawn);
        EXPECT_TRUE(model.m_meshes.empty() && model.m_vertices.empty());
    }
    {
        TestModel model;
        model.m_meshes.resize(1);
        model.m_meshes[0].m_material = 3;
        EXPECT_TRUE(model.checkStructure("m.ms3d"));
        EXPECT_EQ(model.m_meshes[0].m_material, -1) << "missing material: drawn without one";
    }
}

// The clock's frame runs at 24 a second from the range's start and wraps as drawing restarts
// it, drawn or not.
TEST(Model, ClockFrameRunsAtTwentyFourASecondAndWrapsIntoTheRange)
{
    FakeClock clock;
    TestModel model;
    model.setFrameRange(60.0f, 135.0f);
    model.rewind();
    EXPECT_FLOAT_EQ(model.clockFrame(), 60.0f);
    clock.advanceMilliseconds(500.0);
    EXPECT_NEAR(model.clockFrame(), 72.0f, 1e-3f);
    clock.advanceMilliseconds(3000.0); // 84 frames in all: 9 past the 75 of the range
    EXPECT_NEAR(model.clockFrame(), 69.0f, 1e-3f);
}

// Corners alike to the bit (vertex, normal, texture coordinate) are one shared corner, and every
// triangle corner points at one that is exactly itself.
TEST(Model, TriangleCornersAlikeToTheBitAreSharedAndEveryCornerKeepsItsOwn)
{
    TestModel model;
    model.setVertices({{-1, {0, 0, 0}}, {-1, {1, 0, 0}}, {-1, {0, 1, 0}}, {-1, {1, 1, 0.5f}}});
    // Two triangles sharing an edge, then the first again in a mesh of its own.
    const int corners[3][3] = {{0, 1, 2}, {2, 1, 3}, {0, 1, 2}};
    model.m_triangles.resize(3);
    for (int i = 0; i < 9; ++i)
    {
        Triangle& triangle = model.m_triangles[size_t(i / 3)];
        const int vertex = corners[i / 3][i % 3];
        triangle.m_cornerVertices[i % 3] = vertex;
        triangle.m_normals[i % 3][2] = 1.0f;
        triangle.m_texS[i % 3] = 0.25f * float(vertex);
        triangle.m_texT[i % 3] = 0.125f * float(vertex);
    }
    // The second's corner on vertex 1 differs in the normal's last bit, on vertex 2 in s.
    model.m_triangles[1].m_normals[1][2] = std::nextafter(1.0f, 0.0f);
    model.m_triangles[1].m_texS[0] = 0.3f;
    model.m_meshes.resize(2);
    model.m_meshes[0].m_triangleList = {0, 1};
    model.m_meshes[1].m_triangleList = {2};
    ASSERT_TRUE(model.checkStructure("shared"));
    model.prepareSkeleton();

    EXPECT_EQ(model.m_sharedCorners.size(), 6u); // 0, 1, 2, then 2, 1 and 3 anew
    ASSERT_EQ(model.m_cornerIndices.size(), 9u);
    for (size_t i = 0; i < 9; ++i)
    {
        const Triangle& triangle = model.m_triangles[i / 3];
        const Model::SharedCorner& shared = model.m_sharedCorners[model.m_cornerIndices[i]];
        EXPECT_EQ(shared.m_vertex, triangle.m_cornerVertices[i % 3]) << i;
        EXPECT_EQ(std::memcmp(shared.m_normal, triangle.m_normals[i % 3], 12), 0) << i;
        EXPECT_EQ(shared.m_texCoord[0], triangle.m_texS[i % 3]) << i;
        EXPECT_EQ(shared.m_texCoord[1], triangle.m_texT[i % 3]) << i;
    }
    EXPECT_EQ(model.m_cornerIndices[6], model.m_cornerIndices[0]);
}
