// The MS3D writer, checked against the park's own reader: what is written comes back the same.
#include "creatures/ms3dreader.h"
#include "fakeplatform.h"
#include "math/vector.h"
#include "ms3dwriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
void setVec(float* out, float x, float y, float z)
{
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

Ms3dKey key(float time, float x, float y, float z)
{
    Ms3dKey k;
    k.time = time;
    setVec(k.value, x, y, z);
    return k;
}

// Two joints, the child turned in its bind pose; four vertices (one static) in two triangles;
// a textured group and an untextured, empty one.
Ms3dModel smallModel()
{
    Ms3dModel model;
    const float positions[4][3] = {{0, 0, 0}, {2, 0, 0}, {2, 3, 0}, {-1, 1, 5}};
    const int joints[4] = {0, 1, 1, -1};
    for (int v = 0; v < 4; ++v)
    {
        Ms3dVertex vertex;
        setVec(vertex.position, positions[v][0], positions[v][1], positions[v][2]);
        vertex.joint = joints[v];
        model.vertices.push_back(vertex);
    }
    for (int t = 0; t < 2; ++t)
    {
        Ms3dTriangle triangle;
        const int corners[2][3] = {{0, 1, 2}, {0, 2, 3}};
        for (int k = 0; k < 3; ++k)
        {
            triangle.vertices[k] = corners[t][k];
            setVec(triangle.normals[k], 0.0f, 0.6f, 0.8f);
            triangle.s[k] = 0.1f * float(k + t);
            triangle.t[k] = 0.25f * float(k);
        }
        model.triangles.push_back(triangle);
    }
    Ms3dGroup skin;
    skin.name = "skin";
    skin.triangles = {0, 1};
    skin.material = 0;
    Ms3dGroup empty;
    empty.name = "nothing";
    model.groups = {skin, empty};

    Ms3dMaterial textured;
    textured.name = "hide";
    textured.diffuse[1] = 0.5f;
    textured.shininess = 12.0f;
    textured.texture = ".\\hide.tga";
    Ms3dMaterial plain;
    plain.name = "plain";
    plain.texture = "elsewhere/plain.tga";
    model.materials = {textured, plain};

    Ms3dJoint root;
    root.name = "Root";
    setVec(root.translation, 0, 1, 0);
    root.rotationKeys = {key(0.0f, 0, 0, 0), key(1.0f, 0, 0.5f, 0)};
    root.translationKeys = {key(0.0f, 0, 0, 0), key(1.0f, 1, 0, 0)};
    Ms3dJoint child;
    child.name = "arm";
    child.parent = "ROOT"; // the reader matches names without regard to case
    setVec(child.rotation, 0, 0, float(M_PI / 2));
    setVec(child.translation, 2, 0, 0);
    child.rotationKeys = {key(0.5f, 0.2f, 0, 0)};
    child.translationKeys = {key(0.5f, 0, 0, 0)};
    model.joints = {root, child};
    model.totalFrames = 24;
    return model;
}

bool loadBytes(MilkshapeModel& model, const std::vector<unsigned char>& bytes, const char* name)
{
    return model.loadFromMemory(bytes.data(), bytes.size(), name, false);
}

// Where the reader's model puts a vertex in the bind pose (it keeps vertices in joint space).
Vector3 bindPosition(const Model& model, int index)
{
    const Vertex& vertex = model.m_vertices[index];
    Vector3 p(vertex.m_position);
    if (vertex.m_joint >= 0)
    {
        p.transform(model.m_joints[vertex.m_joint].m_absolute.m);
    }
    return p;
}

Vector3 bindNormal(const Model& model, int triangle, int corner)
{
    const Triangle& t = model.m_triangles[triangle];
    Vector3 n(t.m_normals[corner]);
    const int joint = model.m_vertices[t.m_cornerVertices[corner]].m_joint;
    if (joint >= 0)
    {
        n.rotate(model.m_joints[joint].m_absolute.m);
    }
    return n;
}
} // namespace

TEST(Ms3dWriter, RoundTripsThroughTheReader)
{
    FakeClock clock;
    const Ms3dModel written = smallModel();
    ASSERT_EQ(validateMs3d(written), "");
    MilkshapeModel model;
    ASSERT_TRUE(loadBytes(model, encodeMs3d(written), "models/small.ms3d"));

    ASSERT_EQ(model.m_vertices.size(), 4u);
    ASSERT_EQ(model.m_triangles.size(), 2u);
    ASSERT_EQ(model.m_meshes.size(), 2u);
    ASSERT_EQ(model.m_materials.size(), 2u);
    ASSERT_EQ(model.m_joints.size(), 2u);
    for (int v = 0; v < 4; ++v)
    {
        const Vector3 p = bindPosition(model, v);
        EXPECT_NEAR(p.x, written.vertices[v].position[0], 1e-5f) << "vertex " << v;
        EXPECT_NEAR(p.y, written.vertices[v].position[1], 1e-5f) << "vertex " << v;
        EXPECT_NEAR(p.z, written.vertices[v].position[2], 1e-5f) << "vertex " << v;
        EXPECT_EQ(model.m_vertices[v].m_joint, written.vertices[v].joint);
    }
    for (int t = 0; t < 2; ++t)
    {
        for (int k = 0; k < 3; ++k)
        {
            EXPECT_EQ(model.m_triangles[t].m_cornerVertices[k], written.triangles[t].vertices[k]);
            EXPECT_FLOAT_EQ(model.m_triangles[t].m_texS[k], written.triangles[t].s[k]);
            EXPECT_FLOAT_EQ(model.m_triangles[t].m_texT[k], 1.0f - written.triangles[t].t[k]);
            const Vector3 n = bindNormal(model, t, k);
            EXPECT_NEAR(n.y, 0.6f, 1e-5f);
            EXPECT_NEAR(n.z, 0.8f, 1e-5f);
        }
    }
    EXPECT_EQ(model.m_meshes[0].m_triangleList.size(), 2u);
    EXPECT_EQ(model.m_meshes[0].m_material, 0);
    EXPECT_EQ(model.m_meshes[1].m_triangleList.size(), 0u);
    EXPECT_EQ(model.m_meshes[1].m_material, -1);
    EXPECT_EQ(model.m_materials[0].m_texturePath, "models/hide.tga");
    EXPECT_EQ(model.m_materials[1].m_texturePath, "elsewhere/plain.tga");
    EXPECT_FLOAT_EQ(model.m_materials[0].m_diffuse[1], 0.5f);
    EXPECT_FLOAT_EQ(model.m_materials[0].m_shininess, 12.0f);

    const Joint& root = model.m_joints[0];
    const Joint& arm = model.m_joints[1];
    EXPECT_EQ(root.m_parentIndex, -1);
    EXPECT_EQ(arm.m_parentIndex, 0);
    EXPECT_FLOAT_EQ(arm.m_bindRotation[2], float(M_PI / 2));
    EXPECT_FLOAT_EQ(arm.m_bindTranslation[0], 2.0f);
    ASSERT_EQ(root.m_rotationKeyframes.size(), 2u);
    ASSERT_EQ(root.m_translationKeyframes.size(), 2u);
    EXPECT_FLOAT_EQ(root.m_rotationKeyframes[1].m_time, 1000.0f);
    EXPECT_FLOAT_EQ(root.m_rotationKeyframes[1].m_value[1], 0.5f);
    EXPECT_FLOAT_EQ(root.m_translationKeyframes[1].m_value[0], 1.0f);
    ASSERT_EQ(arm.m_rotationKeyframes.size(), 1u);
    EXPECT_FLOAT_EQ(arm.m_rotationKeyframes[0].m_time, 500.0f);
    EXPECT_FLOAT_EQ(arm.m_rotationKeyframes[0].m_value[0], 0.2f);
}

TEST(Ms3dWriter, WritesVersionFourWithTheAnimationHeader)
{
    Ms3dModel model = smallModel();
    model.framesPerSecond = 30.0f;
    model.totalFrames = 77;
    const std::vector<unsigned char> bytes = encodeMs3d(model);
    ASSERT_GT(bytes.size(), 14u);
    EXPECT_EQ(std::memcmp(bytes.data(), "MS3D000000", 10), 0);
    EXPECT_EQ(bytes[10], 4);
    // The animation header follows the materials: vertices, triangles, groups and materials
    // of the model above take this many bytes after the 14-byte header.
    const size_t groups = 2 + (1 + 32 + 2 + 2 * 2 + 1) + (1 + 32 + 2 + 0 + 1);
    const size_t offset = 14 + 2 + 4 * 15 + 2 + 2 * 70 + groups + 2 + 2 * 361;
    float fps = 0.0f;
    int32_t frames = 0;
    std::memcpy(&fps, &bytes[offset], 4);
    std::memcpy(&frames, &bytes[offset + 8], 4);
    EXPECT_FLOAT_EQ(fps, 30.0f);
    EXPECT_EQ(frames, 77);
}

TEST(Ms3dWriter, RefusesWhatTheFormatCannotHold)
{
    struct Case
    {
        const char* what;
        void (*spoil)(Ms3dModel&);
    };
    const Case cases[] = {
        {"vertex joint out of range", [](Ms3dModel& m) { m.vertices[0].joint = 2; }},
        {"corner out of range", [](Ms3dModel& m) { m.triangles[1].vertices[2] = 4; }},
        {"group triangle out of range", [](Ms3dModel& m) { m.groups[0].triangles.push_back(2); }},
        {"group material out of range", [](Ms3dModel& m) { m.groups[1].material = 2; }},
        {"name too long", [](Ms3dModel& m) { m.joints[1].name = std::string(32, 'a'); }},
        {"texture too long", [](Ms3dModel& m) { m.materials[0].texture = std::string(128, 't'); }},
        {"unknown parent", [](Ms3dModel& m) { m.joints[1].parent = "nobody"; }},
        {"child before parent", [](Ms3dModel& m) { std::swap(m.joints[0], m.joints[1]); }},
        {"same name twice", [](Ms3dModel& m) { m.joints[1].name = "root"; }},
        {"keys out of order", [](Ms3dModel& m) { m.joints[0].rotationKeys[1].time = -1.0f; }},
        {"too many vertices", [](Ms3dModel& m) { m.vertices.resize(65536); }},
    };
    for (const Case& c : cases)
    {
        Ms3dModel model = smallModel();
        c.spoil(model);
        EXPECT_NE(validateMs3d(model), "") << c.what;
        EXPECT_FALSE(writeMs3d("refused.ms3d", model)) << c.what;
    }
}

// Names that fill their field but for the terminator still find their parents.
TEST(Ms3dWriter, LongestNamesSurviveTheRoundTrip)
{
    FakeClock clock;
    Ms3dModel written = smallModel();
    const std::string longest(31, 'j');
    written.joints[0].name = longest;
    written.joints[1].parent = longest;
    written.groups[0].name = std::string(31, 'g');
    written.materials[1].texture = std::string(127, 't');
    ASSERT_EQ(validateMs3d(written), "");
    MilkshapeModel model;
    ASSERT_TRUE(loadBytes(model, encodeMs3d(written), "long.ms3d"));
    EXPECT_EQ(model.m_joints[1].m_parentIndex, 0);
    EXPECT_EQ(model.m_materials[1].m_texturePath, std::string(127, 't'));
}
