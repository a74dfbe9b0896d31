#include "creatures/model.h"
#include "creatures/ms3dreader.h"
#include "fakeplatform.h"
#include "glsupport.h"
#include "math/vector.h"
#include "testpaths.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
const float kQuarterTurn = 1.5707964f;

class TestModel : public Model
{
public:
    bool loadFile(const char*) override { return false; }
};

// Two quads: a bar skinned to joint 1 that lies along +x in the bind pose, and a static square
// at the lower left. Joint 1's one rotation key turns it a quarter about z.
void buildBarModel(TestModel& model)
{
    model.m_joints.resize(2);
    model.m_joints[1].m_parentIndex = 0;
    model.m_joints[1].m_rotationKeyframes.resize(1);
    const float turn[3] = {0.0f, 0.0f, kQuarterTurn};
    model.setKeyframe(1, 0, 0.0f, turn, true);

    const float corners[8][3] = {{0.2f, -0.1f, 0},  {0.8f, -0.1f, 0},  {0.8f, 0.1f, 0},
                                 {0.2f, 0.1f, 0},   {-0.9f, -0.9f, 0}, {-0.6f, -0.9f, 0},
                                 {-0.6f, -0.6f, 0}, {-0.9f, -0.6f, 0}};
    model.m_vertices.resize(8);
    for (int i = 0; i < 8; ++i)
    {
        model.m_vertices[i].m_joint = int8_t(i < 4 ? 1 : -1);
        std::memcpy(model.m_vertices[i].m_position, corners[i], sizeof corners[i]);
    }
    const int triangles[4][3] = {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}};
    model.m_triangles.resize(4);
    for (int t = 0; t < 4; ++t)
    {
        for (int k = 0; k < 3; ++k)
        {
            model.m_triangles[t].m_cornerVertices[k] = triangles[t][k];
            model.m_triangles[t].m_normals[k][2] = 1.0f;
        }
    }
    model.m_meshes.resize(1);
    model.m_meshes[0].m_triangleList = {0, 1, 2, 3};
}

void prepareFlatView()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
}

// Window pixel of a point of the flat view.
bool litAt(const Pixels& pixels, float x, float y)
{
    const int px = int((x + 1.0f) * 0.5f * 800.0f);
    const int py = int((y + 1.0f) * 0.5f * 600.0f);
    return pixels.at(px, py)[0] > 128;
}

void writeFile(const char* path, const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}
} // namespace

TEST(Model, DrawsSkinnedVerticesWhereTheirJointsPutThem)
{
    FakeClock clock;
    TestModel model;
    buildBarModel(model);
    ASSERT_TRUE(model.checkStructure("bar"));
    model.prepareSkeleton();
    model.rewind();

    prepareFlatView();
    model.draw();
    const Pixels pixels = readBackBuffer();
    savePixelsPng(pixels, "model_skinned_bar.png");
    EXPECT_TRUE(litAt(pixels, 0.0f, 0.5f)) << "the bar turned up by its joint";
    EXPECT_FALSE(litAt(pixels, 0.5f, 0.0f)) << "not left in its bind place";
    EXPECT_TRUE(litAt(pixels, -0.75f, -0.75f)) << "the static square";
    EXPECT_FALSE(litAt(pixels, 0.5f, 0.5f));
}

TEST(Model, EmptyModelDrawsNothing)
{
    FakeClock clock;
    TestModel model;
    prepareFlatView();
    model.draw();
    EXPECT_EQ(readBackBuffer().meanChannel(0), 0.0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// An odd-width 24-bit image: rows are packed without padding, and the texels come back as the
// file's pixels turned to red-green-blue, bottom row first even from a file stored top down.
TEST(Model, TgaTextureHoldsTheFilesTexels)
{
    std::vector<unsigned char> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, 24, 0};
    std::vector<unsigned char> topDown = tga;
    topDown[17] = 0x20;
    std::vector<unsigned char> expected;
    for (int i = 0; i < 6; ++i)
    {
        const unsigned char b = static_cast<unsigned char>(10 * i);
        const unsigned char g = static_cast<unsigned char>(100 + i);
        const unsigned char r = static_cast<unsigned char>(250 - i);
        tga.insert(tga.end(), {b, g, r});
        expected.insert(expected.end(), {r, g, b});
    }
    // The same picture, its top row (pixels 3 to 5) stored first.
    topDown.insert(topDown.end(), tga.begin() + 18 + 9, tga.end());
    topDown.insert(topDown.end(), tga.begin() + 18, tga.begin() + 18 + 9);
    writeFile("model_texture.tga", tga);
    writeFile("model_texture_top_down.tga", topDown);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const unsigned topDownName = loadTgaTexture("model_texture_top_down.tga");
    ASSERT_NE(topDownName, 0u);
    const unsigned name = loadTgaTexture("model_texture.tga");
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(glIsTexture(name));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4) << "the unpack alignment is given back";

    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    std::vector<unsigned char> texels(expected.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels, expected);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);

    glBindTexture(GL_TEXTURE_2D, topDownName);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels, expected) << "a skin saved top down maps the right way up";
}

TEST(Model, MaterialTexturesLoadOnceAndMissingOnesStayZero)
{
    std::vector<unsigned char> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0};
    tga.insert(tga.end(), {1, 2, 3, 4});
    writeFile("model_material.tga", tga);

    TestModel model;
    model.m_materials.resize(3);
    model.m_materials[0].m_texturePath = "model_material.tga";
    model.m_materials[1].m_texturePath = "model_absent.tga";

    testing::internal::CaptureStderr();
    model.loadMaterialTextures();
    const unsigned first = model.m_materials[0].m_textureName;
    model.loadMaterialTextures();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "model_absent.tga: Could not open texture file\n")
        << "a skin loaded twice is named once";
    EXPECT_NE(model.m_materials[0].m_textureName, 0u);
    EXPECT_FALSE(glIsTexture(first) && first != model.m_materials[0].m_textureName)
        << "the texture of the first load is released by the second";
    EXPECT_EQ(model.m_materials[1].m_textureName, 0u);
    EXPECT_EQ(model.m_materials[2].m_textureName, 0u);
}

// Skins read ahead (without GL) are what the upload then holds; the next load reads the files
// again rather than uploading the same pixels twice.
TEST(Model, SkinsReadAheadAreUploadedOnceAndAMissingOneIsNamedOnce)
{
    std::vector<unsigned char> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0};
    tga.insert(tga.end(), {30, 20, 10});
    writeFile("model_ahead.tga", tga);
    TestModel model;
    model.m_materials.resize(2);
    model.m_materials[0].m_texturePath = "model_ahead.tga";
    model.m_materials[1].m_texturePath = "model_ahead_absent.tga";

    model.readMaterialImages();
    tga[18] = 200; // its blue, changed after the read: the upload takes the pixels as they were
    writeFile("model_ahead.tga", tga);
    testing::internal::CaptureStderr();
    model.loadMaterialTextures();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "model_ahead_absent.tga: Could not open texture file\n");
    unsigned char texel[3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, model.m_materials[0].m_textureName);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[2], 30);
    EXPECT_EQ(model.m_materials[1].m_textureName, 0u);

    model.loadMaterialTextures();
    glBindTexture(GL_TEXTURE_2D, model.m_materials[0].m_textureName);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[2], 200) << "a second load reads the file again";
}

// The motion-captured corpus character, drawn lit at its bind pose and mid-animation: a figure
// covering a sensible part of the view both times, and a different one.
TEST(Model, CorpusCharacterDrawsAsAFigure)
{
    SKIP_WITHOUT_CORPORA();
    FakeClock clock;
    MilkshapeModel model;
    testing::internal::CaptureStderr(); // its textures are not in the corpus
    ASSERT_TRUE(model.loadFile(corporaPath("ms3d/glscene_Woman4.ms3d").c_str()));
    testing::internal::GetCapturedStderr();

    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 800.0 / 600.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    const float lightPosition[4] = {0.5f, 1.0f, 1.0f, 0.0f};
    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);

    // Each picture is framed on the pose it shows (the capture walks away from its start).
    auto drawFrame = [&](const char* file)
    {
        model.updatePose();
        Vector3 low(1e9f, 1e9f, 1e9f);
        Vector3 high(-1e9f, -1e9f, -1e9f);
        for (const Vertex& vertex : model.m_vertices)
        {
            Vector3 p(vertex.m_position);
            if (vertex.m_joint >= 0)
            {
                p.transform(model.m_joints[size_t(vertex.m_joint)].m_final.m);
            }
            for (int a = 0; a < 3; ++a)
            {
                low[a] = std::min(low[a], p[a]);
                high[a] = std::max(high[a], p[a]);
            }
        }
        const Vector3 centre = (low + high) * 0.5f;
        const float size = (high - low).length();
        glLoadIdentity();
        gluLookAt(centre.x, centre.y, centre.z + 1.5f * size, centre.x, centre.y, centre.z, 0, 1,
                  0);
        glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(0.9f, 0.7f, 0.5f);
        model.draw();
        Pixels pixels = readBackBuffer();
        savePixelsPng(pixels, file);
        return pixels;
    };
    model.setFrameRange(0.0f, 2000.0f);
    model.rewind();
    const Pixels bind = drawFrame("model_character_start.png");
    clock.advanceMilliseconds(1500.0);
    const Pixels moved = drawFrame("model_character_moving.png");
    for (const Pixels* pixels : {&bind, &moved})
    {
        const double covered = pixels->differingFraction(
            Pixels{800, 600, std::vector<unsigned char>(800 * 600 * 3, 0)}, 60);
        EXPECT_GT(covered, 0.02);
        EXPECT_LT(covered, 0.6);
        EXPECT_GT(pixels->contrast(), 10.0);
    }
    EXPECT_GT(bind.differingFraction(moved, 30), 0.005) << "the figure moved";
}
