// The generated dinosaurs, read with the park's own readers and posed through its Model: they
// load, their clips are keyed and loop, the walkers stand on the ground and walk the way they
// face, outward faces wind counter-clockwise, and every pose fits the culling sphere.
#include "creatures/ms3dreader.h"
#include "fakeplatform.h"
#include "formats/dibloader.h"
#include "formats/tgareader.h"
#include "math/vector.h"
#include "testpaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct ClipRange
{
    const char* name;
    int first;
    int last;
};

// How the park places and draws each species.
struct SpeciesDraw
{
    const char* name;
    const char* modelFile;
    const char* skinFile; // the BMP the park binds, or null when another module supplies it
    double scale;
    double originAboveSurface; // the model's origin stands this high over the drawn ground
    double cullRadius;
    Vector3 facing; // model-space direction of the animal's front
    std::vector<ClipRange> clips;
    double minLength, maxLength, minHeight, maxHeight; // world units, at rest
    double minSpan; // the largest side-to-side extent of any pose, world units
};

const SpeciesDraw kSpecies[] = {
    {"triceratops",
     "data/tritex.ms3d",
     "textures/dinos/triceratops_goodOne.bmp",
     0.3,
     5.0,
     18.0,
     Vector3(1, 0, 0),
     {{"walk", 1, 85}, {"graze", 86, 195}, {"idle", 195, 270}},
     31,
     37,
     13,
     17,
     0},
    {"stegoceras",
     "data/running grazing headbutting standing.ms3d",
     "textures/dinos/stegoceras.bmp",
     0.3,
     13.0,
     16.0,
     Vector3(1, 0, 0),
     {{"run", 1, 110}, {"graze and butt", 120, 215}},
     22,
     27,
     8,
     12,
     0},
    {"tyrannosaur",
     "data/trex_WalkRoarEat.ms3d",
     "textures/dinos/tyrannos.bmp",
     0.7,
     8.0,
     20.0,
     Vector3(-1, 0, 0),
     {{"walk", 1, 60}, {"roar", 60, 135}, {"eat", 135, 210}},
     33,
     40,
     17,
     25,
     0},
    {"pterosaur",
     "data/petradon.ms3d",
     nullptr,
     1.0,
     80.0,
     18.0,
     Vector3(0, 0, 1),
     {{"flap", 0, 29}},
     20,
     30,
     0,
     100,
     30},
};

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

std::unique_ptr<MilkshapeModel> loadSpecies(const SpeciesDraw& species)
{
    const std::vector<unsigned char> bytes = readFile(parkPath(species.modelFile));
    auto model = std::make_unique<MilkshapeModel>();
    if (bytes.empty() ||
        !model->loadFromMemory(bytes.data(), bytes.size(), species.modelFile, false))
    {
        return nullptr;
    }
    return model;
}

// Model-space vertex positions at a frame, as Model::draw would place them.
std::vector<Vector3> posedAt(Model& model, int frame)
{
    model.setFrameRange(float(frame), float(frame));
    model.rewind();
    model.updatePose();
    std::vector<Vector3> out;
    for (const Vertex& vertex : model.m_vertices)
    {
        Vector3 p(vertex.m_position);
        if (vertex.m_joint >= 0)
        {
            p.transform(model.m_joints[size_t(vertex.m_joint)].m_final.m);
        }
        out.push_back(p);
    }
    return out;
}

// World height of a model-space point above the ground the animal stands on.
double aboveGround(const SpeciesDraw& species, const Vector3& p)
{
    return p.y * species.scale + species.originAboveSurface;
}

double lowest(const SpeciesDraw& species, const std::vector<Vector3>& points)
{
    double low = DBL_MAX;
    for (const Vector3& p : points)
    {
        low = std::min(low, aboveGround(species, p));
    }
    return low;
}

void PrintTo(const SpeciesDraw& species, std::ostream* out)
{
    *out << species.name;
}

bool walks(const SpeciesDraw& species)
{
    return species.originAboveSurface < 50.0;
}

class GeneratedDinosaurs : public ::testing::TestWithParam<SpeciesDraw>
{
protected:
    void SetUp() override
    {
        m_model = loadSpecies(GetParam());
        ASSERT_NE(m_model, nullptr) << GetParam().modelFile << " does not load";
    }

    FakeClock m_clock; // the pose then depends on the frame range only
    std::unique_ptr<MilkshapeModel> m_model;
};
} // namespace

TEST_P(GeneratedDinosaurs, LoadWithTheirSkins)
{
    const SpeciesDraw& species = GetParam();
    ASSERT_GE(m_model->m_materials.size(), 1u);
    const std::string texture = m_model->m_materials[0].m_texturePath;
    EXPECT_EQ(texture.rfind("data/", 0), 0u) << texture;
    TgaImage tga;
    ASSERT_TRUE(loadTga(&tga, parkPath(texture).c_str())) << texture;
    const unsigned width = tga.width, height = tga.height;
    EXPECT_EQ(width & (width - 1), 0u);
    EXPECT_EQ(height & (height - 1), 0u);
    if (species.skinFile)
    {
        DecodedImage skin;
        ASSERT_TRUE(loadBitmapFile(parkPath(species.skinFile).c_str(), skin)) << species.skinFile;
        EXPECT_EQ(skin.width & (skin.width - 1), 0);
        EXPECT_EQ(skin.height & (skin.height - 1), 0);
    }
    EXPECT_GT(m_model->m_joints.size(), 10u);
    EXPECT_LE(m_model->m_triangles.size(), 4000u);
    for (size_t v = 0; v < m_model->m_vertices.size(); ++v)
    {
        ASSERT_GE(m_model->m_vertices[v].m_joint, 0) << "vertex " << v << " follows no joint";
    }
    for (const Triangle& triangle : m_model->m_triangles)
    {
        for (int k = 0; k < 3; ++k)
        {
            // Texture coordinates stay within a few repeats of the image.
            EXPECT_LE(std::fabs(triangle.m_texS[k]), 8.0f);
            EXPECT_LE(std::fabs(triangle.m_texT[k] - 0.5f), 0.5f);
        }
    }
}

TEST_P(GeneratedDinosaurs, KeysCoverEveryClip)
{
    const SpeciesDraw& species = GetParam();
    int animated = 0;
    for (size_t j = 0; j < m_model->m_joints.size(); ++j)
    {
        const Joint& joint = m_model->m_joints[j];
        ASSERT_GT(joint.m_rotationKeyframes.size(), 0u) << "joint " << j;
        ASSERT_GT(joint.m_translationKeyframes.size(), 0u) << "joint " << j;
        for (const std::vector<Keyframe>* keys :
             {&joint.m_rotationKeyframes, &joint.m_translationKeyframes})
        {
            if (keys->size() == 1)
            {
                continue; // held for the whole animation
            }
            ++animated;
            const float firstFrame = keys->front().m_time * 24.0f / 1000.0f;
            const float lastFrame = keys->back().m_time * 24.0f / 1000.0f;
            for (const ClipRange& clip : species.clips)
            {
                EXPECT_LE(firstFrame, clip.first + 1e-3f) << clip.name << ", joint " << j;
                EXPECT_GE(lastFrame, clip.last - 1e-3f) << clip.name << ", joint " << j;
            }
        }
    }
    EXPECT_GE(size_t(animated), m_model->m_joints.size() / 2);
}

TEST_P(GeneratedDinosaurs, ClipsLoopWithoutAJumpAndMove)
{
    const SpeciesDraw& species = GetParam();
    for (const ClipRange& clip : species.clips)
    {
        const std::vector<Vector3> first = posedAt(*m_model, clip.first);
        const std::vector<Vector3> last = posedAt(*m_model, clip.last);
        double jump = 0.0, motion = 0.0;
        for (size_t v = 0; v < first.size(); ++v)
        {
            jump = std::max(jump, double((first[v] - last[v]).length()));
        }
        for (int frame = clip.first + 1; frame < clip.last; frame += 4)
        {
            const std::vector<Vector3> now = posedAt(*m_model, frame);
            for (size_t v = 0; v < first.size(); ++v)
            {
                motion = std::max(motion, double((first[v] - now[v]).length()));
            }
        }
        EXPECT_LT(jump * species.scale, 0.01) << clip.name;
        EXPECT_GT(motion * species.scale, 0.5) << clip.name << " hardly moves";
    }
}

TEST_P(GeneratedDinosaurs, StandOnTheGroundAndNeverSinkIntoIt)
{
    const SpeciesDraw& species = GetParam();
    if (!walks(species))
    {
        GTEST_SKIP() << "flies";
    }
    for (const ClipRange& clip : species.clips)
    {
        EXPECT_NEAR(lowest(species, posedAt(*m_model, clip.first)), 0.0, 1.0)
            << clip.name << " at frame " << clip.first;
        for (int frame = clip.first; frame <= clip.last; frame += 3)
        {
            EXPECT_GT(lowest(species, posedAt(*m_model, frame)), -1.0)
                << clip.name << " at frame " << frame;
        }
    }
}

// In the walking clip the feet on the ground slide backwards under the body: the animal walks
// towards its front, where the park moves it.
TEST_P(GeneratedDinosaurs, WalkTowardsTheirFront)
{
    const SpeciesDraw& species = GetParam();
    if (!walks(species))
    {
        GTEST_SKIP() << "flies";
    }
    const ClipRange& walk = species.clips.front();
    double along = 0.0, across = 0.0;
    for (int frame = walk.first; frame < walk.last; ++frame)
    {
        const std::vector<Vector3> now = posedAt(*m_model, frame);
        const std::vector<Vector3> next = posedAt(*m_model, frame + 1);
        for (size_t v = 0; v < now.size(); ++v)
        {
            if (aboveGround(species, now[v]) < 0.15 && aboveGround(species, next[v]) < 0.15)
            {
                const Vector3 step = next[v] - now[v];
                along += step.x * species.facing.x + step.z * species.facing.z;
                across += std::fabs(step.x * species.facing.z - step.z * species.facing.x);
            }
        }
    }
    EXPECT_LT(along, 0.0);
    EXPECT_LT(across, std::fabs(along) * 0.2);
}

TEST_P(GeneratedDinosaurs, FitTheirCullingSphereAndTheirSize)
{
    const SpeciesDraw& species = GetParam();
    double reach = 0.0, span = 0.0;
    for (const ClipRange& clip : species.clips)
    {
        for (int frame = clip.first; frame <= clip.last; frame += 2)
        {
            double left = DBL_MAX, right = -DBL_MAX;
            for (const Vector3& p : posedAt(*m_model, frame))
            {
                reach = std::max(reach, double(p.length()) * species.scale);
                const double across = p.x * species.facing.z - p.z * species.facing.x;
                left = std::min(left, across);
                right = std::max(right, across);
            }
            span = std::max(span, (right - left) * species.scale);
        }
    }
    EXPECT_GE(span, species.minSpan);
    EXPECT_LE(reach, species.cullRadius);
    EXPECT_GT(reach, species.cullRadius * 0.85) << "could be larger";

    const std::vector<Vector3> rest = posedAt(*m_model, species.clips.front().first);
    double front = -DBL_MAX, back = DBL_MAX, top = -DBL_MAX, bottom = DBL_MAX;
    for (const Vector3& p : rest)
    {
        const double along = p.x * species.facing.x + p.z * species.facing.z;
        front = std::max(front, along);
        back = std::min(back, along);
        top = std::max(top, double(p.y));
        bottom = std::min(bottom, double(p.y));
    }
    const double length = (front - back) * species.scale;
    const double height = (top - bottom) * species.scale;
    EXPECT_GE(length, species.minLength);
    EXPECT_LE(length, species.maxLength);
    EXPECT_GE(height, species.minHeight);
    EXPECT_LE(height, species.maxHeight);
}

TEST_P(GeneratedDinosaurs, OutwardFacesWindCounterClockwise)
{
    const std::vector<Vector3> bind = posedAt(*m_model, GetParam().clips.front().first);
    int agreeing = 0, counted = 0;
    for (const Triangle& triangle : m_model->m_triangles)
    {
        const Vector3 a = bind[size_t(triangle.m_cornerVertices[0])];
        const Vector3 b = bind[size_t(triangle.m_cornerVertices[1])];
        const Vector3 c = bind[size_t(triangle.m_cornerVertices[2])];
        const Vector3 face = a.cross(b - a, c - a);
        if (face.length() < 1e-4f)
        {
            continue;
        }
        Vector3 normal;
        for (int k = 0; k < 3; ++k)
        {
            Vector3 n(triangle.m_normals[k]);
            const Vertex& vertex = m_model->m_vertices[size_t(triangle.m_cornerVertices[k])];
            n.rotate(m_model->m_joints[size_t(vertex.m_joint)].m_final.m);
            normal += n;
        }
        ++counted;
        agreeing += face.dot(face, normal) > 0.0f ? 1 : 0;
    }
    EXPECT_GT(size_t(counted), m_model->m_triangles.size() * 9 / 10);
    EXPECT_GE(agreeing, counted * 995 / 1000) << counted - agreeing << " faces wind backwards";
}

// The park binds the BMP; the material names the TGA. Both must hold the same picture, the same
// way up, or the skins and the texture coordinates part ways.
TEST_P(GeneratedDinosaurs, BmpAndTgaSkinsAgree)
{
    const SpeciesDraw& species = GetParam();
    if (!species.skinFile)
    {
        GTEST_SKIP() << "the park binds another module's image";
    }
    TgaImage tga;
    ASSERT_TRUE(loadTga(&tga, parkPath(m_model->m_materials[0].m_texturePath).c_str()));
    DecodedImage bmp;
    ASSERT_TRUE(loadBitmapFile(parkPath(species.skinFile).c_str(), bmp));
    ASSERT_EQ(int(tga.width), bmp.width);
    ASSERT_EQ(int(tga.height), bmp.height);
    const size_t bytesPerPixel = tga.bitsPerPixel / 8;
    size_t differing = 0;
    for (size_t i = 0; i < size_t(bmp.width) * size_t(bmp.height); ++i)
    {
        for (size_t c = 0; c < 3; ++c)
        {
            differing += tga.pixels[i * bytesPerPixel + c] != bmp.pixels[i * 3 + c] ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0u);
}

// A triangle whose corners lie far apart in the image smears the whole skin across it.
TEST_P(GeneratedDinosaurs, NoTriangleSpansTheSkin)
{
    int spanning = 0;
    for (const Triangle& triangle : m_model->m_triangles)
    {
        const float* s = triangle.m_texS;
        const float* u = triangle.m_texT;
        const float sSpan = std::max({s[0], s[1], s[2]}) - std::min({s[0], s[1], s[2]});
        const float tSpan = std::max({u[0], u[1], u[2]}) - std::min({u[0], u[1], u[2]});
        spanning += sSpan > 0.5f || tSpan > 0.5f ? 1 : 0;
    }
    EXPECT_EQ(spanning, 0);
}

INSTANTIATE_TEST_SUITE_P(Species, GeneratedDinosaurs, ::testing::ValuesIn(kSpecies),
                         [](const ::testing::TestParamInfo<SpeciesDraw>& info)
                         { return std::string(info.param.name); });

// The generator takes no seed and reads no clock: a second run writes the very same bytes.
TEST(Makedinosaurs, WritesTheSameFilesEveryRun)
{
    char folder[] = "/tmp/makedinosaurs-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string root = folder;
    const std::string generator = parkPath("../tools/makedinosaurs/makedinosaurs");
    const std::string command = "mkdir -p '" + root + "/data' '" + root + "/textures/dinos' && '" +
                                generator + "' '" + root + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const char* files[] = {"data/tritex.ms3d",
                           "data/tritex.tga",
                           "data/running grazing headbutting standing.ms3d",
                           "data/stegoceras.tga",
                           "data/trex_WalkRoarEat.ms3d",
                           "data/trex.tga",
                           "data/petradon.ms3d",
                           "data/petradon.tga",
                           "textures/dinos/triceratops_goodOne.bmp",
                           "textures/dinos/stegoceras.bmp",
                           "textures/dinos/tyrannos.bmp"};
    for (const char* file : files)
    {
        const std::vector<unsigned char> again = readFile(root + "/" + file);
        EXPECT_FALSE(again.empty()) << file;
        EXPECT_TRUE(again == readFile(parkPath(file))) << file << " differs between runs";
    }
    std::system(("rm -rf '" + root + "'").c_str());
}

// The wings are mirror images in every frame of the beat: neither wing may lag or flap the
// other way.
TEST(GeneratedPterosaur, BeatsBothWingsAlike)
{
    FakeClock clock;
    const SpeciesDraw& pterosaur = kSpecies[3];
    std::unique_ptr<MilkshapeModel> model = loadSpecies(pterosaur);
    ASSERT_NE(model, nullptr);
    for (int frame = 0; frame <= 29; ++frame)
    {
        // Per side: the highest, lowest and outermost points of the wing.
        double high[2] = {-DBL_MAX, -DBL_MAX}, low[2] = {DBL_MAX, DBL_MAX}, out[2] = {0, 0};
        for (const Vector3& p : posedAt(*model, frame))
        {
            if (std::fabs(p.x) < 3.0f)
            {
                continue;
            }
            const int side = p.x > 0.0f ? 0 : 1;
            high[side] = std::max(high[side], double(p.y));
            low[side] = std::min(low[side], double(p.y));
            out[side] = std::max(out[side], double(std::fabs(p.x)));
        }
        EXPECT_NEAR(high[0], high[1], 0.01) << "frame " << frame;
        EXPECT_NEAR(low[0], low[1], 0.01) << "frame " << frame;
        EXPECT_NEAR(out[0], out[1], 0.01) << "frame " << frame;
    }
}
