// The MS3D reader against files written by other programs, compared with a plain walk over the
// same bytes.
#include "creatures/ms3dreader.h"
#include "fakeplatform.h"
#include "math/vector.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <vector>

namespace
{
std::vector<unsigned char> readFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    int c = 0;
    while (file && (c = std::fgetc(file)) != EOF)
    {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    if (file)
    {
        std::fclose(file);
    }
    return bytes;
}

// What a straightforward walk over the sections finds; `fits` is false when a section runs
// past the end of the file.
struct Walk
{
    bool fits = false;
    int vertices = 0;
    int triangles = 0;
    int groups = 0;
    int materials = 0;
    int joints = 0;
    long rotationKeys = 0;
    long translationKeys = 0;
    std::vector<int> groupMaterials;
    std::vector<std::array<float, 3>> positions;
    std::vector<int> vertexJoints;
};

Walk walk(const std::vector<unsigned char>& d)
{
    Walk w;
    size_t at = 14;
    auto u16 = [&](size_t offset) { return int(d[offset] | d[offset + 1] << 8); };
    auto has = [&](size_t count) { return at + count <= d.size(); };
    if (!has(2))
    {
        return w;
    }
    w.vertices = u16(at);
    at += 2;
    if (!has(size_t(w.vertices) * 15))
    {
        return w;
    }
    for (int i = 0; i < w.vertices; ++i, at += 15)
    {
        std::array<float, 3> position;
        std::memcpy(position.data(), &d[at + 1], 12);
        w.positions.push_back(position);
        w.vertexJoints.push_back(int(static_cast<signed char>(d[at + 13])));
    }
    if (!has(2))
    {
        return w;
    }
    w.triangles = u16(at);
    at += 2 + size_t(w.triangles) * 70;
    if (!has(2))
    {
        return w;
    }
    w.groups = u16(at);
    at += 2;
    for (int g = 0; g < w.groups; ++g)
    {
        if (!has(35))
        {
            return w;
        }
        at += 33 + 2 + size_t(u16(at + 33)) * 2;
        if (!has(1))
        {
            return w;
        }
        w.groupMaterials.push_back(int(static_cast<signed char>(d[at])));
        at += 1;
    }
    if (!has(2))
    {
        return w;
    }
    w.materials = u16(at);
    at += 2 + size_t(w.materials) * 361 + 12;
    if (!has(2))
    {
        return w;
    }
    w.joints = u16(at);
    at += 2;
    for (int j = 0; j < w.joints; ++j)
    {
        if (!has(93))
        {
            return w;
        }
        const int rotations = u16(at + 89);
        const int translations = u16(at + 91);
        w.rotationKeys += rotations;
        w.translationKeys += translations;
        at += 93 + 16 * size_t(rotations + translations);
    }
    w.fits = at <= d.size();
    return w;
}

std::vector<std::string> corpusFiles()
{
    std::vector<std::string> files;
    for (const char* folder : {"ms3d", "ms3d/malformed"})
    {
        const std::string directory = corporaPath(folder);
        DIR* dir = opendir(directory.c_str());
        if (!dir)
        {
            continue;
        }
        while (dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name.size() > 5 && name.substr(name.size() - 5) == ".ms3d")
            {
                files.push_back(directory + "/" + name);
            }
        }
        closedir(dir);
    }
    return files;
}
} // namespace

TEST(Ms3dReader, CorpusFilesLoadWithTheCountsOfAPlainWalkOrAreRefused)
{
    SKIP_WITHOUT_CORPORA();
    const std::vector<std::string> files = corpusFiles();
    ASSERT_GE(files.size(), 9u);
    int refused = 0;
    for (const std::string& path : files)
    {
        const std::vector<unsigned char> bytes = readFile(path);
        const Walk expected = walk(bytes);
        MilkshapeModel model;
        testing::internal::CaptureStderr();
        const bool loaded = model.loadFromMemory(bytes.data(), bytes.size(), path.c_str(), false);
        const std::string errors = testing::internal::GetCapturedStderr();
        if (!expected.fits)
        {
            ++refused;
            EXPECT_FALSE(loaded) << path;
            EXPECT_EQ(errors.rfind(path + ": ", 0), 0u) << errors;
            EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
            continue;
        }
        ASSERT_TRUE(loaded) << path << ": " << errors;
        EXPECT_EQ(errors, "") << path;
        EXPECT_EQ(model.m_vertices.size(), size_t(expected.vertices)) << path;
        EXPECT_EQ(model.m_triangles.size(), size_t(expected.triangles)) << path;
        EXPECT_EQ(model.m_meshes.size(), size_t(expected.groups)) << path;
        EXPECT_EQ(model.m_materials.size(), size_t(expected.materials)) << path;
        ASSERT_EQ(model.m_joints.size(), size_t(expected.joints)) << path;
        long rotationKeys = 0;
        long translationKeys = 0;
        for (const Joint& joint : model.m_joints)
        {
            rotationKeys += long(joint.m_rotationKeyframes.size());
            translationKeys += long(joint.m_translationKeyframes.size());
        }
        EXPECT_EQ(rotationKeys, expected.rotationKeys) << path;
        EXPECT_EQ(translationKeys, expected.translationKeys) << path;
        for (size_t g = 0; g < model.m_meshes.size(); ++g)
        {
            const int material = expected.groupMaterials[g];
            EXPECT_EQ(model.m_meshes[g].m_material, material < expected.materials ? material : -1)
                << path << " group " << g;
        }
    }
    EXPECT_EQ(refused, 1) << "the file with two bytes lost";
}

TEST(Ms3dReader, InvalidMaterialIndexInACorpusFileMeansNoMaterial)
{
    SKIP_WITHOUT_CORPORA();
    MilkshapeModel model;
    const std::string path = corporaPath("ms3d/assimp_invalid_InvalidMaterialIndex.ms3d");
    const std::vector<unsigned char> bytes = readFile(path);
    ASSERT_TRUE(model.loadFromMemory(bytes.data(), bytes.size(), path.c_str(), false));
    ASSERT_EQ(model.m_meshes.size(), 1u);
    EXPECT_EQ(model.m_meshes[0].m_material, -1);
}

// The motion-captured character: in the bind pose every skinned vertex is back where the file
// put it, and its whole animation (channels of different lengths) poses to finite matrices.
TEST(Ms3dReader, CorpusCharacterBindsAndPosesThroughItsAnimation)
{
    SKIP_WITHOUT_CORPORA();
    FakeClock clock;
    MilkshapeModel model;
    const std::string path = corporaPath("ms3d/glscene_Woman4.ms3d");
    const std::vector<unsigned char> bytes = readFile(path);
    ASSERT_TRUE(model.loadFromMemory(bytes.data(), bytes.size(), path.c_str(), false));
    const Walk original = walk(bytes);
    ASSERT_EQ(model.m_joints.size(), 31u);

    for (size_t i = 0; i < model.m_vertices.size(); ++i)
    {
        const Vertex& vertex = model.m_vertices[i];
        ASSERT_EQ(vertex.m_joint, original.vertexJoints[i]);
        Vector3 position(vertex.m_position);
        if (vertex.m_joint >= 0)
        {
            position.transform(model.m_joints[size_t(vertex.m_joint)].m_final.m);
        }
        const auto& expected = original.positions[i];
        const float tolerance = 1e-4f * (1.0f + std::fabs(expected[1]));
        ASSERT_NEAR(position.x, expected[0], tolerance) << "vertex " << i;
        ASSERT_NEAR(position.y, expected[1], tolerance) << "vertex " << i;
        ASSERT_NEAR(position.z, expected[2], tolerance) << "vertex " << i;
    }

    float lastKey = 0.0f;
    for (const Joint& joint : model.m_joints)
    {
        if (!joint.m_rotationKeyframes.empty())
        {
            lastKey = std::max(lastKey, joint.m_rotationKeyframes.back().m_time);
        }
    }
    model.setFrameRange(0.0f, lastKey * 24.0f / 1000.0f);
    model.rewind();
    int cursorMoves = 0;
    for (double t = 0.0; t < lastKey; t += 97.0)
    {
        model.updatePose();
        for (size_t j = 0; j < model.m_joints.size(); ++j)
        {
            for (float element : model.m_joints[j].m_final.m)
            {
                ASSERT_TRUE(std::isfinite(element)) << "joint " << j << " at " << t << " ms";
            }
        }
        cursorMoves = model.m_joints[1].m_rotationCursor;
        clock.advanceMilliseconds(97.0);
    }
    EXPECT_GT(cursorMoves, 1000) << "the keys were walked through";
}
