#include "world/terrain.h"

#include "app/park.h"
#include "bmpwriter.h"
#include "glsupport.h"
#include "platform/platform.h"
#include "scratchdirectory.h"
#include "world/camera.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const unsigned kSeed = 20240611u;

// The test runs in a fresh directory of its own, with ground images of clearly different hues
// (red-brown low ground, green hills) and a grey detail image.
struct ScratchPark
{
    ScratchDirectory directory{"terrain-gl", {"terrainTexs"}};
    explicit ScratchPark(bool withImages = true)
    {
        if (!withImages)
        {
            return;
        }
        const struct
        {
            const char* name;
            int r, g, b;
        } grounds[] = {
            {"dirt", 170, 90, 50},   {"terr1", 150, 110, 70}, {"grass-patchy", 120, 140, 60},
            {"grass2", 80, 160, 40}, {"grass", 60, 170, 50},  {"detail", 128, 128, 128},
        };
        unsigned seed = 1;
        for (const auto& ground : grounds)
        {
            std::mt19937 generator(seed++);
            std::uniform_int_distribution<int> noise(-30, 30);
            RgbImage image(256, 256);
            for (int y = 0; y < 256; ++y)
            {
                for (int x = 0; x < 256; ++x)
                {
                    const int n = noise(generator);
                    unsigned char* p = image.at(x, y);
                    p[0] = static_cast<unsigned char>(std::clamp(ground.r + n, 0, 255));
                    p[1] = static_cast<unsigned char>(std::clamp(ground.g + n, 0, 255));
                    p[2] = static_cast<unsigned char>(std::clamp(ground.b + n, 0, 255));
                }
            }
            writeBmp24("terrainTexs/" + std::string(ground.name) + ".bmp", image);
        }
    }
};

struct Pose
{
    float x;
    float z;
    float pitch; // up from level is negative
    float yaw;
    float below = 0.0f; // the eye this far under where it would stand
};

struct Sun
{
    float diffuse;
    float ambient;
};
const Sun kTestSun = {1.0f, 0.15f};

// The frame's fixed state, a sun high in the sky (or below the ground), and the terrain seen
// from a pose (by default in the middle of the park), drawn as the frame draws it.
Pixels drawGround(Terrain& terrain, float lightY, Pose pose = {0.0f, 0.0f, 4.0f, 30.0f},
                  Sun sun = kTestSun)
{
    setFixedGlState();
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    const GLfloat position[] = {0.4f, lightY, 0.3f, 0.0f};
    const GLfloat diffuse[] = {sun.diffuse, sun.diffuse, sun.diffuse, 1.0f};
    const GLfloat ambient[] = {sun.ambient, sun.ambient, sun.ambient, 1.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);

    Camera camera;
    camera.m_position.set(pose.x, 0.0f, pose.z);
    camera.m_pitch = pose.pitch;
    camera.m_yaw = pose.yaw;
    camera.settle(terrain);
    camera.m_position.y -= pose.below;
    camera.m_previousPosition = camera.m_position;
    const Vector3 eye = camera.shownPosition(1.0f);
    camera.aimFrustum(frustum, eye);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    camera.applyRotation();
    glTranslatef(-eye.x, -eye.y, -eye.z);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPushAttrib(GL_ENABLE_BIT | GL_ACCUM_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    terrain.draw(frustum);
    glPopAttrib();
    glFinish();
    return readBackBuffer();
}

struct GroundStatistics
{
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double covered = 0.0; // fraction of pixels not left at the black clear colour
};

GroundStatistics statistics(const Pixels& pixels)
{
    GroundStatistics s;
    const size_t count = size_t(pixels.width) * size_t(pixels.height);
    for (size_t i = 0; i < count; ++i)
    {
        const unsigned char* p = &pixels.rgb[i * 3];
        s.red += p[0];
        s.green += p[1];
        s.blue += p[2];
        s.covered += (p[0] | p[1] | p[2]) != 0 ? 1.0 : 0.0;
    }
    s.red /= double(count);
    s.green /= double(count);
    s.blue /= double(count);
    s.covered /= double(count);
    return s;
}

// Pictures for a person to look at land in the tests' working directory.
const fs::path g_workDirectory = fs::current_path();

std::string outputPath(const std::string& name)
{
    return (g_workDirectory / (name + ".png")).string();
}

int countNames(GLboolean (*isName)(GLuint))
{
    int count = 0;
    for (GLuint name = 1; name < 4000; ++name)
    {
        count += isName(name) ? 1 : 0;
    }
    return count;
}

// Display lists and buffer objects: the ground keeps its triangles in one or the other.
GLboolean isGeometry(GLuint name)
{
    using IsBuffer = GLboolean (*)(GLuint);
    static const IsBuffer isBuffer = reinterpret_cast<IsBuffer>(
        detectBufferObjectApi().available() ? getGlProcAddress("glIsBuffer") : nullptr);
    return glIsList(name) || (isBuffer && isBuffer(name));
}
GLboolean isTexture(GLuint name)
{
    return glIsTexture(name);
}
GLboolean isImage(GLuint name)
{
    return ilIsImage(name);
}

std::vector<unsigned char> colourMapTexels(const Terrain& terrain)
{
    std::vector<unsigned char> texels(256 * 256 * 3);
    glBindTexture(GL_TEXTURE_2D, terrain.colourMapTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

// Pixels of a bottom-up 24-bit BMP in the same order as the texture (row 0 first), or empty.
std::vector<unsigned char> bmpPixels(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    if (bytes.size() < 54 || (bytes[18] | bytes[19] << 8) != 256 ||
        (bytes[22] | bytes[23] << 8) != 256)
    {
        return {};
    }
    const size_t offset = bytes[10] | bytes[11] << 8;
    std::vector<unsigned char> pixels;
    for (size_t i = 0; i < 256 * 256; ++i)
    {
        const unsigned char* p = &bytes[offset + i * 3];
        pixels.insert(pixels.end(), {p[2], p[1], p[0]});
    }
    return pixels;
}
} // namespace

TEST(TerrainGl, FrameShowsTheLitColourMapOnTheHills)
{
    ScratchPark park;
    Terrain terrain;
    const MultitextureApi api = detectMultitextureApi();
    ASSERT_TRUE(api.available()) << "the test GL offers multitexturing";
    terrain.init(api, kSeed);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    const Pixels sunlit = drawGround(terrain, 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    savePixelsPng(sunlit, outputPath("terrain-gl-sunlit"));
    const GroundStatistics lit = statistics(sunlit);
    EXPECT_GT(lit.covered, 0.3) << "the ground fills much of the view";
    EXPECT_GT(sunlit.contrast(), 10.0) << "hills, bands and detail make it uneven";
    EXPECT_GT(lit.green, lit.red) << "the hills show the grass of the colour map";
    EXPECT_GT(lit.green, lit.blue);
    EXPECT_GT(lit.green, 30.0);

    // The same view with the light under the ground: only the ambient part remains.
    const Pixels unlit = drawGround(terrain, -1.0f);
    savePixelsPng(unlit, outputPath("terrain-gl-unlit"));
    EXPECT_LT(statistics(unlit).green, lit.green * 0.6) << "the ground is lit by its normals";

    // The frame's later drawing finds unit 0 in doubled combine mode with nothing bound.
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_COMBINE_ARB);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
}

TEST(TerrainGl, RepeatedInitHoldsGeometryTexturesAndTheSavedMapInStep)
{
    ScratchPark park;
    Terrain terrain;
    const int listsBefore = countNames(isGeometry);
    const int texturesBefore = countNames(isTexture);
    terrain.init(detectMultitextureApi(), kSeed);
    const int imagesAfterOne = countNames(isImage);
    const int listsAfterOne = countNames(isGeometry);
    const int texturesAfterOne = countNames(isTexture);
    ASSERT_TRUE(terrain.drawsFromBuffers()) << "the test GL has buffer objects";
    EXPECT_EQ(listsAfterOne, listsBefore + 2) << "a vertex and an index buffer";
    EXPECT_EQ(texturesAfterOne, texturesBefore + 3) << "the colour map, the detail, their product";

    for (int i = 0; i < 5; ++i)
    {
        // Whatever stands in the file's place is replaced by the map now on screen.
        writeBmp24("terrainTexs/finalMapTexture.bmp", RgbImage(16, 16));
        terrain.init(detectMultitextureApi(), kSeed + unsigned(i));
        EXPECT_EQ(countNames(isGeometry), listsAfterOne);
        EXPECT_EQ(countNames(isTexture), texturesAfterOne);
        EXPECT_EQ(countNames(isImage), imagesAfterOne);
        const std::vector<unsigned char> saved = bmpPixels("terrainTexs/finalMapTexture.bmp");
        ASSERT_FALSE(saved.empty()) << "the saved map was not replaced";
        EXPECT_TRUE(saved == colourMapTexels(terrain)) << "generation " << i;
    }
    terrain.releaseGlObjects();
    EXPECT_EQ(countNames(isGeometry), listsBefore);
    EXPECT_EQ(countNames(isTexture), texturesBefore);
}

TEST(TerrainGl, WithoutMultitexturingTheGroundIsDrawnSingleTextured)
{
    ScratchPark park;
    Terrain terrain;
    testing::internal::CaptureStderr();
    terrain.init(MultitextureApi(), kSeed);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("no multitexturing"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_GT(terrain.groundHeight(0.0f, 0.0f), 7.0f) << "the heights are generated all the same";

    const Pixels pixels = drawGround(terrain, 1.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    savePixelsPng(pixels, outputPath("terrain-gl-single"));
    const GroundStatistics s = statistics(pixels);
    EXPECT_GT(s.covered, 0.3);
    EXPECT_GT(s.green, s.red);
    EXPECT_GT(pixels.contrast(), 10.0);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_COMBINE_ARB);
}

TEST(TerrainGl, MissingGroundImagesAreNamedAndTheGroundStillDraws)
{
    ScratchPark park(false);
    Terrain terrain;
    testing::internal::CaptureStderr();
    terrain.init(detectMultitextureApi(), kSeed);
    const std::string errors = testing::internal::GetCapturedStderr();
    for (const char* name : {"dirt", "terr1", "grass-patchy", "grass2", "grass", "detail"})
    {
        EXPECT_NE(errors.find("terrainTexs/" + std::string(name) +
                              ".bmp: cannot be opened; using a plain colour\n"),
                  std::string::npos)
            << name;
    }
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 6) << errors;
    const Pixels pixels = drawGround(terrain, 1.0f);
    savePixelsPng(pixels, outputPath("terrain-gl-plain"));
    const GroundStatistics s = statistics(pixels);
    EXPECT_GT(s.covered, 0.3);
    EXPECT_GT(s.green, 20.0);
}

// Drawn from buffer objects, tile by tile as far as each tile can reach the view, the ground is
// the same picture the display lists drew; a GL without buffer objects still gets the lists.
TEST(TerrainGl, BuffersDrawTheSameGroundAsTheLists)
{
    ScratchPark park;
    Terrain terrain;
    terrain.init(detectMultitextureApi(), kSeed);
    ASSERT_TRUE(terrain.drawsFromBuffers());
    // Level, steeply down into a corner of the view, up at a hill, from the park's edge.
    const Pose poses[] = {{0.0f, 0.0f, 4.0f, 30.0f},
                          {-613.0f, 407.0f, 37.3f, 211.7f},
                          {350.0f, -260.0f, 71.0f, 333.0f},
                          {1100.0f, -950.0f, -12.9f, 97.1f}};
    std::vector<Pixels> fromBuffers;
    for (const Pose& pose : poses)
    {
        fromBuffers.push_back(drawGround(terrain, 1.0f, pose));
    }
    terrain.buildGeometry(BufferObjectApi());
    ASSERT_FALSE(terrain.drawsFromBuffers());
    ASSERT_NE(terrain.listBase, 0u);
    for (size_t i = 0; i < fromBuffers.size(); ++i)
    {
        const Pixels fromLists = drawGround(terrain, 1.0f, poses[i]);
        EXPECT_GT(statistics(fromLists).covered, 0.2) << "pose " << i;
        EXPECT_LE(fromBuffers[i].differingFraction(fromLists, 2), 0.0005) << "pose " << i;
        if (i == 1)
        {
            savePixelsPng(fromBuffers[i], outputPath("terrain-gl-buffers"));
            savePixelsPng(fromLists, outputPath("terrain-gl-lists"));
        }
    }
}

// The colour map and the detail merged into one texture draw the park's own ground as the two
// texture stages drew it, high and low in the sun, near and far. Under a sun as the park's day
// has it every tile takes the merged texture; under a brighter one the stages clamp the doubled
// colour map on some tiles, which keep the two textures.
TEST(TerrainGl, TheMergedDetailDrawsTheGroundTheTwoStagesDrew)
{
    ScratchDirectory directory("terrain-gl-merged");
    directory.copyFromPark({"terrainTexs"});
    Terrain terrain;
    terrain.init(detectMultitextureApi(), kSeed, true);
    const Pose poses[] = {{-613.0f, 407.0f, 37.3f, 211.7f},
                          {1100.0f, -950.0f, -12.9f, 97.1f},
                          {350.0f, -260.0f, 71.0f, 333.0f}};
    const float heights[] = {1.0f, 0.23f};
    const Sun suns[] = {{0.31f, 0.1f}, {0.8f, 0.1f}};
    std::vector<Pixels> apart;
    for (const Pose& pose : poses)
    {
        for (float height : heights)
        {
            for (const Sun& sun : suns)
            {
                apart.push_back(drawGround(terrain, height, pose, sun));
            }
        }
    }
    // Made a few rows at a time; until the last is in, the ground draws the two stages.
    const int texturesApart = countNames(isTexture);
    terrain.startMergingDetail();
    EXPECT_FALSE(terrain.mergeDetailRows(1000));
    drawGround(terrain, heights[0], poses[0], suns[0]);
    EXPECT_EQ(terrain.tilesDrawnDetailed(), 0);
    EXPECT_TRUE(terrain.mergeDetailRows(1000 + 48));
    EXPECT_TRUE(terrain.mergeDetailRows(1));
    EXPECT_EQ(countNames(isTexture), texturesApart + 1);
    int brightTiles = 0;
    int brightTilesMerged = 0;
    for (size_t i = 0; i < apart.size(); ++i)
    {
        const Sun& sun = suns[i % 2];
        const Pixels merged = drawGround(terrain, heights[i / 2 % 2], poses[i / 4], sun);
        EXPECT_GT(statistics(merged).covered, 0.2) << "view " << i;
        EXPECT_LE(apart[i].differingFraction(merged, 2), 0.005) << "view " << i;
        EXPECT_LE(apart[i].differingFraction(merged, 1), 0.05) << "view " << i;
        if (i % 2 == 0)
        {
            EXPECT_EQ(terrain.tilesDrawnDetailed(), terrain.tilesDrawn()) << "view " << i;
        }
        else
        {
            brightTiles += terrain.tilesDrawn();
            brightTilesMerged += terrain.tilesDrawnDetailed();
        }
    }
    EXPECT_GT(brightTilesMerged, 0);
    EXPECT_LT(brightTilesMerged, brightTiles);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The eye stays above the ground, which is drawn with its back faces culled: seen from under it,
// looking up, next to nothing shows. The culling is the ground's own; it leaves it as it was.
TEST(TerrainGl, FromUnderTheGroundItsBackFacesAreCulledAndCullingIsLeftAsItWas)
{
    ScratchPark park;
    Terrain terrain;
    terrain.init(detectMultitextureApi(), kSeed);
    const Pose above = {-613.0f, 407.0f, 23.9f, 211.7f};
    const Pose under = {-613.0f, 407.0f, -31.3f, 211.7f, 300.0f};
    EXPECT_GT(statistics(drawGround(terrain, 1.0f, above)).covered, 0.4);
    const Pixels fromUnder = drawGround(terrain, 1.0f, under);
    savePixelsPng(fromUnder, outputPath("terrain-gl-from-under"));
    EXPECT_LT(statistics(fromUnder).covered, 0.02);

    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    for (bool culling : {false, true})
    {
        culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        terrain.draw(frustum);
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, culling);
    }
}

// The ground made ahead on another thread is the ground init makes of that seed; made ahead for
// another seed than the one init is given, it is made again.
TEST(TerrainGl, AGroundPreparedAheadIsTheOneItsSeedMakesAndNoOther)
{
    ScratchPark park;
    Terrain direct;
    direct.init(detectMultitextureApi(), kSeed);
    const Pixels expected = drawGround(direct, 1.0f);
    direct.releaseGlObjects();

    Terrain ahead;
    std::thread preparing([&ahead] { ahead.prepare(kSeed); });
    preparing.join();
    ahead.init(detectMultitextureApi(), kSeed);
    EXPECT_TRUE(ahead.drawsFromBuffers());
    EXPECT_EQ(drawGround(ahead, 1.0f).differingFraction(expected, 0), 0.0);

    ahead.prepare(kSeed + 1);
    ahead.init(detectMultitextureApi(), kSeed);
    EXPECT_EQ(drawGround(ahead, 1.0f).differingFraction(expected, 0), 0.0);
    EXPECT_TRUE(bmpPixels("terrainTexs/finalMapTexture.bmp") == colourMapTexels(ahead));
    ahead.releaseGlObjects();
}
