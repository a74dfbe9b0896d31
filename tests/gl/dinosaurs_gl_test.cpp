#include "bmpwriter.h"
#include "creatures/dinosaurs.h"
#include "scratchdirectory.h"
#include "testpaths.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

namespace
{
// A scratch working directory holding the dinosaur skins (all five, or all but one).
class SkinDirectory
{
public:
    explicit SkinDirectory(const char* missing)
    {
        RgbImage skin(8, 8);
        for (const char* file :
             {"textures/dinos/tyrannos.bmp", "textures/dinos/triceratops_goodOne.bmp",
              "textures/dinos/stegoceras.bmp", "textures/lsystemstree/leafytile.bmp"})
        {
            if (!missing || std::string(file) != missing)
            {
                writeBmp24(file, skin);
            }
        }
    }

private:
    ScratchDirectory m_directory{"quillmere-skins", {"textures/dinos", "textures/lsystemstree"}};
};
} // namespace

TEST(DinosaurTextures, AllFiveOrNone)
{
    {
        SkinDirectory skins("textures/dinos/stegoceras.bmp");
        DinosaurSet set;
        set.loadTextures();
        for (unsigned name : set.m_textures)
        {
            EXPECT_EQ(name, 0u) << "no texture is created when one file is missing";
        }
    }
    SkinDirectory skins(nullptr);
    DinosaurSet set;
    set.loadTextures();
    for (unsigned name : set.m_textures)
    {
        EXPECT_NE(name, 0u);
        EXPECT_TRUE(glIsTexture(name));
    }
    GLint mode = 0;
    glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
    EXPECT_EQ(mode, GL_SPHERE_MAP);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S)) << "configured, never enabled";

    // A later failed load keeps the working set; a later good one replaces and releases it.
    const unsigned first = set.m_textures[0];
    set.loadTextures();
    EXPECT_FALSE(glIsTexture(first)) << "the earlier set is released";
    EXPECT_TRUE(glIsTexture(set.m_textures[0]));
}

namespace
{
int liveTextures()
{
    int live = 0;
    for (GLuint name = 1; name < 4000; ++name)
    {
        live += glIsTexture(name) ? 1 : 0;
    }
    return live;
}
} // namespace

// The models' own skins as well as the set's textures go with each new set-up (the r key).
TEST(DinosaurTextures, RepeatedSetUpHoldsTheLiveTexturesSteady)
{
    ScratchDirectory directory("quillmere-dinosaurs");
    directory.copyFromPark({"data", "textures"});
    {
        DinosaurSet set;
        set.setUp();
        const int afterFirst = liveTextures();
        EXPECT_GE(afterFirst, 5 + 4) << "five skins and a skin for each of the four models";
        for (int i = 0; i < 5; ++i)
        {
            set.setUp();
        }
        EXPECT_EQ(liveTextures(), afterFirst);
    }
    EXPECT_EQ(liveTextures(), 0) << "a deleted set leaves no texture behind";
}
