#include "app/park.h"
#include "glsupport.h"
#include "scratchdirectory.h"
#include "world/grove.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{
// Pictures go to the test's own working directory, whichever directory the test then enters.
const std::string g_pictureDirectory = std::filesystem::current_path().string();

// The tree standing at the origin, seen from 130 units away at half its height, lit from the eye.
Pixels drawTreeInFrontOfTheCamera(const Grove& grove)
{
    setFixedGlState();
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 40.0, 130.0, 0.0, 40.0, 0.0, 0.0, 1.0, 0.0);
    grove.drawTree();
    return readBackBuffer();
}

struct TreeColours
{
    int bark = 0;   // warm pixels: red above green and blue
    int leaves = 0; // green pixels
    int lit = 0;    // anything not background
};

TreeColours classify(const Pixels& pixels)
{
    TreeColours colours;
    for (int y = 0; y < pixels.height; ++y)
    {
        for (int x = 0; x < pixels.width; ++x)
        {
            const unsigned char* p = pixels.at(x, y);
            if (p[0] + p[1] + p[2] < 30)
            {
                continue;
            }
            ++colours.lit;
            if (p[0] > p[1] + 10 && p[0] > p[2] + 10)
            {
                ++colours.bark;
            }
            else if (p[1] > p[0] + 30 && p[1] > p[2] + 30)
            {
                ++colours.leaves;
            }
        }
    }
    return colours;
}

void expectListLeavesOnlyItsDocumentedState(const Grove& grove)
{
    GLfloat before[16] = {};
    GLfloat after[16] = {};
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    grove.drawTree();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(before[i], after[i]) << "model-view element " << i;
    }
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.4f);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 0.7f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
} // namespace

TEST(TreesGl, TreeShowsBarkAndLeavesAndKeepsTheMatrix)
{
    ASSERT_EQ(chdir(QUILLMERE_PARK_DIR), 0);
    Grove grove;
    grove.build();
    ASSERT_NE(grove.textures()[0], 0u) << "bark and leaf images load from the run folder";
    ASSERT_NE(grove.textures()[1], 0u);
    ASSERT_NE(grove.list(), 0u);
    EXPECT_EQ(grove.maxDepth(), 4);

    const Pixels pixels = drawTreeInFrontOfTheCamera(grove);
    EXPECT_TRUE(savePixelsPng(pixels, g_pictureDirectory + "/tree.png"));
    const TreeColours colours = classify(pixels);
    std::printf("tree pixels: %d bark, %d leaves, %d lit\n", colours.bark, colours.leaves,
                colours.lit);
    EXPECT_GT(colours.bark, 2000) << "the trunk shows its bark";
    EXPECT_GT(colours.leaves, 2500) << "the crown shows its leaves";
    // The tree stands in the middle and does not fill the view.
    EXPECT_LT(colours.lit, 800 * 600 / 3);
    const unsigned char* corner = pixels.at(5, 5);
    EXPECT_LT(corner[0] + corner[1] + corner[2], 30);

    expectListLeavesOnlyItsDocumentedState(grove);
}

TEST(TreesGl, WithoutItsImagesTheTreeIsStillBuiltAndDrawnUntextured)
{
    ScratchDirectory scratch("treesgl");
    Grove grove;
    grove.build();
    EXPECT_EQ(grove.textures()[0], 0u);
    EXPECT_EQ(grove.textures()[1], 0u);
    ASSERT_NE(grove.list(), 0u);

    const Pixels pixels = drawTreeInFrontOfTheCamera(grove);
    EXPECT_TRUE(savePixelsPng(pixels, g_pictureDirectory + "/tree-untextured.png"));
    EXPECT_GT(classify(pixels).leaves, 2500) << "the leaf colour alone still shows";
    expectListLeavesOnlyItsDocumentedState(grove);
}

// The tree grown ahead is grown at the park's step; asked for the list at another step, the grove
// grows that one instead (here one with too few sides to draw).
TEST(TreesGl, ATreeGrownAheadIsOnlyUsedForItsOwnStep)
{
    ScratchDirectory scratch("treesgl-ahead");
    Grove grove;
    testing::internal::CaptureStderr();
    grove.prepare();
    EXPECT_FALSE(grove.buildTreeList(150.0f));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("fewer than 3 sides"), std::string::npos);
    grove.prepare();
    testing::internal::CaptureStderr();
    grove.build();
    testing::internal::GetCapturedStderr();
    ASSERT_NE(grove.list(), 0u);
    EXPECT_GT(classify(drawTreeInFrontOfTheCamera(grove)).leaves, 2500);
}
