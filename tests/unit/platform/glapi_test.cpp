// Which GL entry points are looked up, and when none are.
#include "platform/glapi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::string> g_askedFor;

void* anyName(const char* name)
{
    g_askedFor.push_back(name);
    static int something = 0;
    return &something;
}

void* noArbNames(const char* name)
{
    g_askedFor.push_back(name);
    static int something = 0;
    return std::string(name).find("ARB") == std::string::npos ? &something : nullptr;
}

void* onlyBlitMissing(const char* name)
{
    static int something = 0;
    return std::string(name) == "glBlitFramebuffer" ? nullptr : &something;
}
} // namespace

TEST(FramebufferObjects, AskedForFromVersionThreeOrTheExtensionAndWholeOrNotAtAll)
{
    g_askedFor.clear();
    EXPECT_TRUE(
        chooseFramebufferApi("", "4.5 (Compatibility Profile) Mesa 22.3.6", anyName).available());
    EXPECT_EQ(g_askedFor.size(), 10u);
    EXPECT_EQ(g_askedFor.front(), "glGenFramebuffers");
    g_askedFor.clear();
    EXPECT_TRUE(
        chooseFramebufferApi("GL_EXT_foo GL_ARB_framebuffer_object", "2.1", anyName).available());
    EXPECT_EQ(g_askedFor.size(), 10u);
    g_askedFor.clear();
    EXPECT_FALSE(
        chooseFramebufferApi("GL_EXT_framebuffer_object GL_ARB_framebuffer_objects", "2.1", anyName)
            .available());
    EXPECT_FALSE(chooseFramebufferApi(nullptr, nullptr, anyName).available());
    EXPECT_TRUE(g_askedFor.empty());
    EXPECT_FALSE(chooseFramebufferApi("", "3.3", onlyBlitMissing).available())
        << "without the scaled copy there is nothing to draw offscreen for";
}

TEST(BufferObjects, AskOnlyForWhatTheGlPromises)
{
    g_askedFor.clear();
    EXPECT_TRUE(chooseBufferObjectApi("GL_EXT_foo", "1.5 Mesa", anyName).available());
    EXPECT_EQ(g_askedFor,
              (std::vector<std::string>{"glGenBuffers", "glDeleteBuffers", "glBindBuffer",
                                        "glBufferData", "glMapBuffer", "glUnmapBuffer"}));
    g_askedFor.clear();
    EXPECT_TRUE(
        chooseBufferObjectApi("GL_ARB_multitexture GL_ARB_vertex_buffer_object", "1.4", anyName)
            .available());
    EXPECT_EQ(g_askedFor,
              (std::vector<std::string>{"glGenBuffersARB", "glDeleteBuffersARB", "glBindBufferARB",
                                        "glBufferDataARB", "glMapBufferARB", "glUnmapBufferARB"}));
    // Neither promised: nothing is asked for, and the ground keeps its display lists.
    g_askedFor.clear();
    EXPECT_FALSE(chooseBufferObjectApi("GL_ARB_vertex_buffer_objects", "1.4", anyName).available());
    EXPECT_FALSE(chooseBufferObjectApi(nullptr, nullptr, anyName).available());
    EXPECT_TRUE(g_askedFor.empty());
    EXPECT_TRUE(versionAtLeast("4.5 (Compatibility Profile) Mesa 22.3.6", 1, 5));
    EXPECT_FALSE(versionAtLeast("1.4", 1, 5));
    EXPECT_FALSE(versionAtLeast("garbage", 1, 0));
}

TEST(Multitexture, AsksOnlyForWhatTheGlPromises)
{
    g_askedFor.clear();
    EXPECT_TRUE(
        chooseMultitextureApi("GL_EXT_foo GL_ARB_multitexture GL_ARB_bar", "1.2 Mesa", anyName)
            .available());
    EXPECT_EQ(g_askedFor,
              (std::vector<std::string>{"glActiveTextureARB", "glMultiTexCoord2fARB",
                                        "glClientActiveTextureARB", "glMultiTexCoord4fARB"}));

    g_askedFor.clear();
    EXPECT_TRUE(chooseMultitextureApi("GL_EXT_foo", "2.1 Mesa 23.2", anyName).available());
    EXPECT_EQ(g_askedFor, (std::vector<std::string>{"glActiveTexture", "glMultiTexCoord2f",
                                                    "glClientActiveTexture", "glMultiTexCoord4f"}));

    // A longer name that merely starts alike promises nothing; neither does version 1.2.
    g_askedFor.clear();
    EXPECT_FALSE(chooseMultitextureApi("GL_ARB_multitexture_extra", "1.2", anyName).available());
    EXPECT_FALSE(chooseMultitextureApi(nullptr, nullptr, anyName).available());
    EXPECT_TRUE(g_askedFor.empty());

    // Listed but not found: core entry points still serve on 1.3.
    g_askedFor.clear();
    EXPECT_TRUE(chooseMultitextureApi("GL_ARB_multitexture", "1.3", noArbNames).available());
    EXPECT_FALSE(chooseMultitextureApi("GL_ARB_multitexture", "1.2", noArbNames).available());
}
