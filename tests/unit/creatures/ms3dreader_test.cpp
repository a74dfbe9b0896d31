#include "creatures/ms3dreader.h"
#include "fakeplatform.h"
#include "math/vector.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct KeySpec
{
    float seconds;
    std::array<float, 3> value;
};

struct JointSpec
{
    std::string name;
    std::string parent;
    std::array<float, 3> rotation;
    std::array<float, 3> translation;
    std::vector<KeySpec> rotationKeys;
    std::vector<KeySpec> translationKeys;
};

// The model a test writes into MS3D bytes.
struct Ms3dContents
{
    std::string identifier = "MS3D000000";
    int version = 4;
    std::vector<std::pair<int, std::array<float, 3>>> vertices;
    std::vector<std::array<int, 3>> triangles;
    std::vector<std::pair<std::vector<int>, int>> groups; // triangle list, material byte
    std::vector<std::string> textures;                    // one material per texture name
    std::vector<JointSpec> joints;
    std::vector<unsigned char> trailer; // sections after the joints
};

class Ms3dBytes
{
public:
    std::vector<unsigned char> bytes;

    void u8(int v) { bytes.push_back(static_cast<unsigned char>(v)); }
    void u16(int v)
    {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void s32(int v)
    {
        u16(v & 0xFFFF);
        u16((v >> 16) & 0xFFFF);
    }
    void f32(float v)
    {
        uint32_t raw = 0;
        std::memcpy(&raw, &v, 4);
        s32(int(raw));
    }
    void floats(const float* v, int count)
    {
        for (int i = 0; i < count; ++i)
        {
            f32(v[i]);
        }
    }
    // A fixed-width name field; a name as long as the field has no terminator.
    void field(const std::string& text, size_t size)
    {
        for (size_t i = 0; i < size; ++i)
        {
            u8(i < text.size() ? text[i] : 0);
        }
    }
    void keys(const std::vector<KeySpec>& keys)
    {
        for (const KeySpec& key : keys)
        {
            f32(key.seconds);
            floats(key.value.data(), 3);
        }
    }
};

std::vector<unsigned char> writeMs3d(const Ms3dContents& contents)
{
    Ms3dBytes out;
    out.field(contents.identifier, 10);
    out.s32(contents.version);
    out.u16(int(contents.vertices.size()));
    for (const auto& vertex : contents.vertices)
    {
        out.u8(0);
        out.floats(vertex.second.data(), 3);
        out.u8(vertex.first & 0xFF);
        out.u8(1);
    }
    out.u16(int(contents.triangles.size()));
    for (size_t t = 0; t < contents.triangles.size(); ++t)
    {
        out.u16(0);
        for (int k = 0; k < 3; ++k)
        {
            out.u16(contents.triangles[t][k]);
        }
        for (int k = 0; k < 3; ++k)
        {
            const float normal[3] = {0.0f, 0.0f, 1.0f};
            out.floats(normal, 3);
        }
        const float s[3] = {0.0f, 1.0f, 0.5f};
        const float t3[3] = {0.25f, 0.0f, 1.0f};
        out.floats(s, 3);
        out.floats(t3, 3);
        out.u8(1);
        out.u8(0);
    }
    out.u16(int(contents.groups.size()));
    for (const auto& group : contents.groups)
    {
        out.u8(0);
        out.field("group", 32);
        out.u16(int(group.first.size()));
        for (int index : group.first)
        {
            out.u16(index);
        }
        out.u8(group.second);
    }
    out.u16(int(contents.textures.size()));
    for (size_t m = 0; m < contents.textures.size(); ++m)
    {
        out.field("material", 32);
        for (int c = 0; c < 16; ++c)
        {
            out.f32(float(m) + c / 16.0f);
        }
        out.f32(12.5f);
        out.f32(1.0f);
        out.u8(0);
        out.field(contents.textures[m], 128);
        out.field("", 128);
    }
    out.f32(24.0f);
    out.f32(0.0f);
    out.s32(100);
    out.u16(int(contents.joints.size()));
    for (const JointSpec& joint : contents.joints)
    {
        out.u8(0);
        out.field(joint.name, 32);
        out.field(joint.parent, 32);
        out.floats(joint.rotation.data(), 3);
        out.floats(joint.translation.data(), 3);
        out.u16(int(joint.rotationKeys.size()));
        out.u16(int(joint.translationKeys.size()));
        out.keys(joint.rotationKeys);
        out.keys(joint.translationKeys);
    }
    out.bytes.insert(out.bytes.end(), contents.trailer.begin(), contents.trailer.end());
    return out.bytes;
}

// Two triangles on four vertices, two joints (the second skinning two vertices), one textured
// material and one group.
Ms3dContents smallModel()
{
    Ms3dContents contents;
    contents.vertices = {{-1, {0, 0, 0}}, {0, {1, 0, 0}}, {1, {1, 1, 0}}, {1, {0, 1, 0}}};
    contents.triangles = {{0, 1, 2}, {0, 2, 3}};
    contents.groups = {{{0, 1}, 0}};
    contents.textures = {".\\skin.tga"};
    contents.joints = {
        {"HIP", "", {0, 0, 0.5f}, {1, 0, 0}, {{0.0f, {0, 0, 0}}, {1.0f, {0, 0, 1}}}, {}},
        {"Tail", "hip", {0, 0, 0}, {0, 1, 0}, {}, {{0.5f, {0, 2, 0}}}},
    };
    return contents;
}

struct LoadResult
{
    bool loaded;
    std::string errors;
};

LoadResult load(MilkshapeModel& model, const std::vector<unsigned char>& bytes,
                const char* fileName = "data/test.ms3d")
{
    testing::internal::CaptureStderr();
    const bool loaded = model.loadFromMemory(bytes.data(), bytes.size(), fileName, false);
    return {loaded, testing::internal::GetCapturedStderr()};
}

std::string loadedTexturePath(const std::string& fileName, const std::string& storedName)
{
    Ms3dContents contents = smallModel();
    contents.textures = {storedName};
    MilkshapeModel model;
    const LoadResult result = load(model, writeMs3d(contents), fileName.c_str());
    EXPECT_TRUE(result.loaded) << result.errors;
    return result.loaded ? model.m_materials[0].m_texturePath : "";
}

int countLines(const std::string& text)
{
    int lines = 0;
    for (char c : text)
    {
        lines += c == '\n';
    }
    return lines;
}
} // namespace

TEST(Ms3dReader, LoadsEverySectionOfASmallModel)
{
    FakeClock clock;
    MilkshapeModel model;
    const LoadResult result = load(model, writeMs3d(smallModel()));
    ASSERT_TRUE(result.loaded) << result.errors;
    EXPECT_EQ(result.errors, "");

    ASSERT_EQ(model.m_vertices.size(), 4u);
    ASSERT_EQ(model.m_triangles.size(), 2u);
    ASSERT_EQ(model.m_meshes.size(), 1u);
    ASSERT_EQ(model.m_materials.size(), 1u);
    ASSERT_EQ(model.m_joints.size(), 2u);
    EXPECT_EQ(model.m_vertices[0].m_joint, -1);
    EXPECT_EQ(model.m_vertices[2].m_joint, 1);
    EXPECT_EQ(model.m_triangles[1].m_cornerVertices[2], 3);
    EXPECT_EQ(model.m_triangles[0].m_texS[1], 1.0f);
    EXPECT_EQ(model.m_triangles[0].m_texT[0], 0.75f) << "t is flipped";
    EXPECT_EQ(model.m_triangles[0].m_texT[2], 0.0f);
    EXPECT_EQ(model.m_meshes[0].m_triangleList.size(), 2u);
    EXPECT_EQ(model.m_meshes[0].m_triangleList[1], 1);
    EXPECT_EQ(model.m_meshes[0].m_material, 0);
    EXPECT_EQ(model.m_materials[0].m_ambient[1], 1.0f / 16);
    EXPECT_EQ(model.m_materials[0].m_emissive[3], 15.0f / 16);
    EXPECT_EQ(model.m_materials[0].m_shininess, 12.5f);
    EXPECT_EQ(model.m_materials[0].m_texturePath, "data/skin.tga");
    EXPECT_EQ(model.m_materials[0].m_textureName, 0u);

    const Joint& tail = model.m_joints[1];
    EXPECT_EQ(tail.m_parentIndex, 0) << "parent names match whatever their letter case";
    EXPECT_EQ(model.m_joints[0].m_bindRotation[2], 0.5f);
    EXPECT_EQ(tail.m_bindTranslation[1], 1.0f);
    ASSERT_EQ(model.m_joints[0].m_rotationKeyframes.size(), 2u);
    EXPECT_EQ(model.m_joints[0].m_translationKeyframes.size(), 0u);
    EXPECT_EQ(model.m_joints[0].m_rotationKeyframes[1].m_time, 1000.0f) << "milliseconds";
    EXPECT_EQ(model.m_joints[0].m_rotationKeyframes[1].m_value[2], 1.0f);
    ASSERT_EQ(tail.m_translationKeyframes.size(), 1u);
    EXPECT_EQ(tail.m_translationKeyframes[0].m_time, 500.0f);
    EXPECT_EQ(tail.m_translationKeyframes[0].m_jointIndex, 1);

    // Loaded in the bind pose: skinned vertices sit where the file put them.
    const Ms3dContents written = smallModel();
    for (int i = 1; i < 4; ++i)
    {
        const Vertex& vertex = model.m_vertices[i];
        Vector3 position(vertex.m_position);
        position.transform(model.m_joints[size_t(vertex.m_joint)].m_final.m);
        const auto& original = written.vertices[size_t(i)].second;
        EXPECT_NEAR(position.x, original[0], 1e-5f);
        EXPECT_NEAR(position.y, original[1], 1e-5f);
        EXPECT_NEAR(position.z, original[2], 1e-5f);
    }
    EXPECT_EQ(model.m_vertices[0].m_position[0], 0.0f) << "a static vertex is not moved";
}

TEST(Ms3dReader, AcceptsVersionsFromThreeAndOnlyTheExactIdentifier)
{
    Ms3dContents contents = smallModel();
    for (int version : {3, 4})
    {
        contents.version = version;
        MilkshapeModel model;
        EXPECT_TRUE(load(model, writeMs3d(contents)).loaded) << "version " << version;
    }
    contents.version = 2;
    MilkshapeModel old;
    LoadResult result = load(old, writeMs3d(contents));
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.errors,
              "data/test.ms3d: I know nothing about MS3D v1.2; the model is not drawn\n");
    EXPECT_EQ(old.m_vertices.size(), 0u);

    contents = smallModel();
    contents.identifier = "ms3d000000";
    MilkshapeModel lower;
    result = load(lower, writeMs3d(contents));
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.errors, "data/test.ms3d: Not an MS3D file; the model is not drawn\n");
}

TEST(Ms3dReader, RelativeTexturePathsTakeTheModelsDirectory)
{
    EXPECT_EQ(loadedTexturePath("data/dino.ms3d", ".\\skin.tga"), "data/skin.tga");
    EXPECT_EQ(loadedTexturePath("a\\b\\dino.ms3d", ".\\skin.tga"), "a\\b/skin.tga");
    EXPECT_EQ(loadedTexturePath("dino.ms3d", ".\\skin.tga"), "skin.tga");
    EXPECT_EQ(loadedTexturePath("/m.ms3d", ".\\skin.tga"), "skin.tga");
    EXPECT_EQ(loadedTexturePath("data/dino.ms3d", "textures/skin.tga"), "textures/skin.tga");
    EXPECT_EQ(loadedTexturePath("data/dino.ms3d", "./skin.tga"), "./skin.tga");
    EXPECT_EQ(loadedTexturePath("data/dino.ms3d", ""), "");
}

TEST(Ms3dReader, OverlongNamesAreCutNeverOverrun)
{
    const std::string full(128, 'n');
    EXPECT_EQ(loadedTexturePath("data/dino.ms3d", full), full) << "a name filling its field";
    const std::string longDirectory(2000, 'd');
    const std::string path = loadedTexturePath(longDirectory + "/m.ms3d", ".\\skin.tga");
    EXPECT_EQ(path.size(), 1027u);
    EXPECT_EQ(path, (longDirectory + "/skin.tga").substr(0, 1027));

    // Joint names that fill all 32 characters still match their children's parent names.
    Ms3dContents contents = smallModel();
    contents.joints[0].name = std::string(32, 'J');
    contents.joints[1].parent = std::string(32, 'j');
    MilkshapeModel model;
    const LoadResult result = load(model, writeMs3d(contents));
    ASSERT_TRUE(result.loaded) << result.errors;
    EXPECT_EQ(model.m_joints[1].m_parentIndex, 0);
}

TEST(Ms3dReader, MaterialIndicesThatNameNoMaterialBecomeNone)
{
    Ms3dContents contents = smallModel();
    contents.groups = {{{0}, 0xFF}, {{1}, 1}, {{}, 0}};
    MilkshapeModel model;
    const LoadResult result = load(model, writeMs3d(contents));
    ASSERT_TRUE(result.loaded) << result.errors;
    EXPECT_EQ(model.m_meshes[0].m_material, -1);
    EXPECT_EQ(model.m_meshes[1].m_material, -1) << "index 1 with one material";
    EXPECT_EQ(model.m_meshes[2].m_triangleList.size(), 0u);
    EXPECT_EQ(model.m_meshes[2].m_material, 0);
}

TEST(Ms3dReader, LoadsAModelWithoutJointsAsStatic)
{
    Ms3dContents contents = smallModel();
    contents.joints.clear();
    for (auto& vertex : contents.vertices)
    {
        vertex.first = -1;
    }
    MilkshapeModel model;
    const LoadResult result = load(model, writeMs3d(contents));
    ASSERT_TRUE(result.loaded) << result.errors;
    EXPECT_EQ(model.m_joints.size(), 0u);
    EXPECT_EQ(model.m_vertices[2].m_position[1], 1.0f);
}

TEST(Ms3dReader, IgnoresSectionsAfterTheJoints)
{
    Ms3dContents contents = smallModel();
    contents.trailer = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 'c', 'o', 'm'};
    MilkshapeModel model;
    EXPECT_TRUE(load(model, writeMs3d(contents)).loaded);
}

// Cut anywhere before the end of the joints, the file is refused with one line, and the model
// is left empty.
TEST(Ms3dReader, RefusesEveryTruncationWithOneLine)
{
    const std::vector<unsigned char> bytes = writeMs3d(smallModel());
    for (size_t size = 0; size < bytes.size(); ++size)
    {
        MilkshapeModel model;
        const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + long(size));
        const LoadResult result = load(model, cut);
        ASSERT_FALSE(result.loaded) << size << " bytes";
        EXPECT_EQ(countLines(result.errors), 1) << size << " bytes: " << result.errors;
        EXPECT_EQ(result.errors.rfind("data/test.ms3d: ", 0), 0u) << result.errors;
        EXPECT_NE(result.errors.find("; the model is not drawn\n"), std::string::npos)
            << result.errors;
        EXPECT_EQ(model.m_vertices.size() + model.m_triangles.size() + model.m_meshes.size() +
                      model.m_materials.size() + model.m_joints.size(),
                  0u);
    }
}

TEST(Ms3dReader, TruncationMessagesGiveNeededAndLeftBytes)
{
    Ms3dContents contents = smallModel();
    std::vector<unsigned char> bytes = writeMs3d(contents);
    bytes.resize(14 + 2 + 4 * 15 + 2 + 100);
    MilkshapeModel model;
    EXPECT_EQ(load(model, bytes).errors,
              "data/test.ms3d: 2 triangles need 140 bytes, 100 left; the model is not drawn\n");

    // A lying key count: 65535 translation keys on the last joint.
    bytes = writeMs3d(contents);
    const size_t countOffset = bytes.size() - 16 - 2;
    bytes[countOffset] = 0xFF;
    bytes[countOffset + 1] = 0xFF;
    EXPECT_EQ(load(model, bytes).errors,
              "data/test.ms3d: joint 1 has 0 rotation and 65535 translation keys that need "
              "1048560 bytes, 16 left; the model is not drawn\n");
}

TEST(Ms3dReader, RefusesIndicesOutOfRange)
{
    struct Case
    {
        const char* what;
        void (*spoil)(Ms3dContents&);
        const char* message;
    };
    const Case cases[] = {
        {"corner", [](Ms3dContents& s) { s.triangles[1][2] = 4; },
         "data/test.ms3d: triangle 1 uses vertex 4, but there are 4 vertices; the model is not "
         "drawn\n"},
        {"group", [](Ms3dContents& s) { s.groups[0].first.push_back(2); },
         "data/test.ms3d: group 0 lists triangle 2, but there are 2 triangles; the model is not "
         "drawn\n"},
        {"joint", [](Ms3dContents& s) { s.vertices[3].first = 2; },
         "data/test.ms3d: vertex 3 follows joint 2, but there are 2 joints; the model is not "
         "drawn\n"},
        {"negative joint", [](Ms3dContents& s) { s.vertices[3].first = -2; },
         "data/test.ms3d: vertex 3 follows joint -2, but there are 2 joints; the model is not "
         "drawn\n"},
        {"key time", [](Ms3dContents& s) { s.joints[1].translationKeys[0].seconds = 1e38f; },
         "data/test.ms3d: joint 1 translation key 0 has time 1e+38; the model is not drawn\n"},
    };
    for (const Case& c : cases)
    {
        Ms3dContents contents = smallModel();
        c.spoil(contents);
        MilkshapeModel model;
        const LoadResult result = load(model, writeMs3d(contents));
        EXPECT_FALSE(result.loaded) << c.what;
        EXPECT_EQ(result.errors, c.message) << c.what;
        EXPECT_EQ(model.m_vertices.size(), 0u) << c.what;
    }
}

// Joints that cannot form a skeleton: a parent name no joint has, or parents in a ring. The
// model keeps its meshes and materials and stands still in its bind pose, the vertices where the
// file put them, however the clock runs; one line names the file and the joint.
TEST(Ms3dReader, JointsThatFormNoSkeletonLeaveTheModelStillInItsBindPose)
{
    const struct
    {
        const char* what;
        void (*spoil)(Ms3dContents&);
        const char* message;
    } cases[] = {
        {"missing parent", [](Ms3dContents& c) { c.joints[1].parent = "Spine"; },
         "data/test.ms3d: Unable to find parent bone \"Spine\" of joint 1 \"Tail\"; the model is "
         "drawn still, in its bind pose\n"},
        {"ring", [](Ms3dContents& c) { c.joints[0].parent = "Tail"; },
         "data/test.ms3d: joint 0 \"HIP\" has parent 1 \"Tail\": the parents do not form a tree; "
         "the model is drawn still, in its bind pose\n"},
        {"own parent", [](Ms3dContents& c) { c.joints[1].parent = "tail"; },
         "data/test.ms3d: joint 1 \"Tail\" has parent 1 \"Tail\": the parents do not form a "
         "tree; the model is drawn still, in its bind pose\n"},
    };
    for (const auto& c : cases)
    {
        FakeClock clock;
        Ms3dContents contents = smallModel();
        c.spoil(contents);
        MilkshapeModel model;
        const LoadResult result = load(model, writeMs3d(contents));
        EXPECT_FALSE(result.loaded) << c.what;
        EXPECT_EQ(result.errors, c.message) << c.what;
        ASSERT_EQ(model.m_vertices.size(), 4u) << c.what;
        EXPECT_EQ(model.m_triangles.size(), 2u) << c.what;
        EXPECT_EQ(model.m_meshes.size(), 1u) << c.what;
        EXPECT_EQ(model.m_materials.size(), 1u) << c.what;
        EXPECT_EQ(model.m_joints.size(), 0u) << c.what;
        for (int step = 0; step < 3; ++step)
        {
            clock.advanceMilliseconds(400);
            model.updatePose();
            for (int i = 0; i < 4; ++i)
            {
                const Vertex& vertex = model.m_vertices[i];
                EXPECT_EQ(vertex.m_joint, -1) << c.what;
                const auto& original = contents.vertices[size_t(i)].second;
                EXPECT_EQ(vertex.m_position[0], original[0]) << c.what << ", vertex " << i;
                EXPECT_EQ(vertex.m_position[1], original[1]) << c.what << ", vertex " << i;
                EXPECT_EQ(vertex.m_position[2], original[2]) << c.what << ", vertex " << i;
            }
        }
    }
}

TEST(Ms3dReader, ChildBeforeParentIsPosedFromItsParent)
{
    FakeClock clock;
    Ms3dContents contents = smallModel();
    std::swap(contents.joints[0], contents.joints[1]);
    for (auto& vertex : contents.vertices)
    {
        vertex.first = vertex.first == -1 ? -1 : 1 - vertex.first;
    }
    MilkshapeModel swapped;
    ASSERT_TRUE(load(swapped, writeMs3d(contents)).loaded);
    MilkshapeModel ordered;
    ASSERT_TRUE(load(ordered, writeMs3d(smallModel())).loaded);
    clock.advanceMilliseconds(700);
    swapped.updatePose();
    ordered.updatePose();
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_NEAR(swapped.m_joints[0].m_final.m[i], ordered.m_joints[1].m_final.m[i], 1e-6f);
        EXPECT_NEAR(swapped.m_joints[1].m_final.m[i], ordered.m_joints[0].m_final.m[i], 1e-6f);
    }
}

TEST(Ms3dReader, MissingFileIsReported)
{
    MilkshapeModel model;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(model.loadFile("no/such/model.ms3d"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "no/such/model.ms3d: Couldn't open the model file; the model is not drawn\n");
}
