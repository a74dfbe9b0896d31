#include "world/plants.h"

#include "app/park.h"
#include "glsupport.h"
#include "math/frustum.h"
#include "world/terrain.h"

#include <GL/gl.h>
#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace
{
struct Rgb
{
    int r;
    int g;
    int b;
};
const Rgb kWhite = {255, 255, 255};
const Rgb kOrange = {240, 120, 40};
const Rgb kBlue = {40, 60, 220};

// Writes an RGBA PNG from rows given bottom row first (the image library's own order for an
// image it is handed, which its PNG writer turns top row first).
void writeRgbaPng(const std::string& path, int width, int height,
                  std::vector<unsigned char> bottomRowFirst)
{
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ASSERT_TRUE(ilTexImage(ILuint(width), ILuint(height), 1, 4, IL_RGBA, IL_UNSIGNED_BYTE,
                           bottomRowFirst.data()));
    ilEnable(IL_FILE_OVERWRITE);
    ASSERT_TRUE(ilSaveImage(path.c_str())) << path;
    ilDeleteImages(1, &image);
}

// 8 x 8: the lower half opaque orange, the upper half clear and black.
void writeHalfOpaqueImage(const std::string& path)
{
    std::vector<unsigned char> rows(8 * 8 * 4, 0);
    for (int i = 0; i < 8 * 4; ++i)
    {
        rows[i * 4 + 0] = (unsigned char)kOrange.r;
        rows[i * 4 + 1] = (unsigned char)kOrange.g;
        rows[i * 4 + 2] = (unsigned char)kOrange.b;
        rows[i * 4 + 3] = 255;
    }
    writeRgbaPng(path, 8, 8, rows);
}

void writeOpaqueBlueImage(const std::string& path)
{
    std::vector<unsigned char> rows;
    for (int i = 0; i < 4 * 4; ++i)
    {
        rows.insert(rows.end(),
                    {(unsigned char)kBlue.r, (unsigned char)kBlue.g, (unsigned char)kBlue.b, 255});
    }
    writeRgbaPng(path, 4, 4, rows);
}

// Runs the test in a folder of its own holding the four plant images: species 0 to 2 half
// opaque orange, species 3 opaque blue.
void enterFolderWithPlantImages(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::current_path() / "plants_gl" / name;
    std::filesystem::create_directories(folder / "terrainTexs");
    std::filesystem::current_path(folder);
    writeHalfOpaqueImage("terrainTexs/fgrass.png");
    writeHalfOpaqueImage("terrainTexs/ohiatree2.png");
    writeHalfOpaqueImage("terrainTexs/brush.png");
    writeOpaqueBlueImage("terrainTexs/fern3.png");
}

// Moves every plant out of sight, so that a test shows only the ones it puts back.
void hideAllPlants(PlantField& field)
{
    for (Vector3& position : field.m_positions)
    {
        position.set(0.0f, 0.0f, 5000.0f);
    }
}

void showPlant(PlantField& field, int index, Vector3 base, float scale)
{
    field.m_positions[index] = base;
    field.m_scales[index] = scale;
    field.m_tilts[index] = 0.0f;
}

// The frame's state with the eye at the origin looking along -z over a white background;
// lighting off so that the pixels show the texture alone.
Frustum startFrame()
{
    setFixedGlState();
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    glDisable(GL_LIGHTING);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    frustum.setCamera(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(0, 1, 0));
    return frustum;
}

::testing::AssertionResult isNear(const Pixels& pixels, int x, int y, Rgb expected,
                                  int tolerance = 8)
{
    const unsigned char* p = pixels.at(x, y);
    if (std::abs(p[0] - expected.r) <= tolerance && std::abs(p[1] - expected.g) <= tolerance &&
        std::abs(p[2] - expected.b) <= tolerance)
    {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is " << int(p[0]) << ", " << int(p[1]) << ", "
           << int(p[2]) << "; expected " << expected.r << ", " << expected.g << ", " << expected.b;
}

int countLiveTextures()
{
    int count = 0;
    for (GLuint name = 1; name < 4096; ++name)
    {
        count += glIsTexture(name) ? 1 : 0;
    }
    return count;
}

int countLiveImages()
{
    int count = 0;
    for (ILuint name = 1; name < 4096; ++name)
    {
        count += ilIsImage(name) ? 1 : 0;
    }
    return count;
}

// One orange plant of scale 20 standing 40 units ahead: its quad covers screen rows ~119 to
// ~481, the orange lower half of the image rows ~119 to ~300.
void checkUprightPlantWithoutFringe(const std::string& pictureName)
{
    Terrain terrain;
    auto field = std::make_unique<PlantField>();
    field->place(terrain);
    hideAllPlants(*field);
    showPlant(*field, 0, Vector3(0, -10, -40), 20.0f);
    const Frustum frustum = startFrame();
    field->draw(Vector3(0, 0, 0), frustum);
    const Pixels pixels = readBackBuffer();
    savePixelsPng(pixels, pictureName);

    // The base of the image stands on the ground, the clear top lets the background through.
    EXPECT_TRUE(isNear(pixels, 400, 125, kOrange));
    EXPECT_TRUE(isNear(pixels, 400, 250, kOrange));
    EXPECT_TRUE(isNear(pixels, 400, 350, kWhite, 2));
    // The top edge must not pick up the base row (as a repeating texture would).
    EXPECT_TRUE(isNear(pixels, 400, 476, kWhite, 2));
    EXPECT_TRUE(isNear(pixels, 480, 476, kWhite, 2));
    EXPECT_TRUE(isNear(pixels, 400, 100, kWhite, 2)); // below the base

    // No dark fringe: every pixel is a blend of orange and white, never darker than both.
    int darker = 0;
    for (int y = 100; y < 500; ++y)
    {
        for (int x = 200; x < 600; ++x)
        {
            const unsigned char* p = pixels.at(x, y);
            darker += (p[0] < kOrange.r - 6 || p[1] < kOrange.g - 6 || p[2] < kOrange.b - 6);
        }
    }
    EXPECT_EQ(darker, 0);
}
} // namespace

TEST(PlantsGl, PlantStandsUprightWithClearTopAndNoDarkFringe)
{
    enterFolderWithPlantImages("upright");
    checkUprightPlantWithoutFringe("plant_upright.png");
}

TEST(PlantsGl, PlantStandsUprightWhenTheImageLibraryTurnsRowsOnLoading)
{
    enterFolderWithPlantImages("upright_origin_set");
    // Another module may have asked the image library for bottom-first rows on every load.
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    checkUprightPlantWithoutFringe("plant_upright_origin_set.png");
}

TEST(PlantsGl, ClearTexelsDoNotHideANearerPlantBehindThem)
{
    enterFolderWithPlantImages("clear_depth");
    Terrain terrain;
    auto field = std::make_unique<PlantField>();
    field->place(terrain);
    hideAllPlants(*field);
    // A large grass plant, drawn first (farther base); one of its blades reaches toward the eye
    // and crosses, with its clear upper part, the line of sight to a small fern drawn after it.
    showPlant(*field, 0, Vector3(0, -25, -50), 40.0f);
    showPlant(*field, 2530, Vector3(-8, 0, -45), 5.0f);
    const Frustum frustum = startFrame();
    field->draw(Vector3(0, 0, 0), frustum);
    const Pixels pixels = readBackBuffer();
    savePixelsPng(pixels, "clear_depth.png");
    EXPECT_TRUE(isNear(pixels, 271, 340, kBlue));
}

TEST(PlantsGl, RepeatedPlacementKeepsTexturesAndImagesSteady)
{
    enterFolderWithPlantImages("repeat");
    Terrain terrain;
    auto field = std::make_unique<PlantField>();
    const int texturesBefore = countLiveTextures();
    const int imagesBefore = countLiveImages();
    for (int round = 0; round < 3; ++round)
    {
        field->place(terrain);
        EXPECT_EQ(countLiveTextures(), texturesBefore + 4) << "round " << round;
        EXPECT_EQ(countLiveImages(), imagesBefore) << "round " << round;
        for (const PlantSpecies& species : field->m_species)
        {
            EXPECT_NE(species.m_texture, 0u);
        }
    }
}

TEST(PlantsGl, MissingImageIsReportedAndItsSpeciesDrawnUntextured)
{
    enterFolderWithPlantImages("missing");
    Terrain terrain;
    auto field = std::make_unique<PlantField>();
    field->place(terrain);
    const int texturesWithAll = countLiveTextures();

    std::filesystem::remove("terrainTexs/brush.png");
    testing::internal::CaptureStderr();
    field->place(terrain);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("terrainTexs/brush.png"), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_EQ(field->m_species[2].m_texture, 0u);
    EXPECT_EQ(countLiveTextures(), texturesWithAll - 1);

    // Drawn in the plain current colour over its whole quad, not with another image.
    hideAllPlants(*field);
    showPlant(*field, 530, Vector3(0, -10, -40), 20.0f);
    const Frustum frustum = startFrame();
    glColor3f(0.2f, 0.8f, 0.2f);
    field->draw(Vector3(0, 0, 0), frustum);
    const Pixels pixels = readBackBuffer();
    savePixelsPng(pixels, "missing.png");
    EXPECT_TRUE(isNear(pixels, 400, 150, {51, 204, 51}));
    EXPECT_TRUE(isNear(pixels, 400, 450, {51, 204, 51}));

    writeHalfOpaqueImage("terrainTexs/brush.png");
    field->place(terrain);
    EXPECT_NE(field->m_species[2].m_texture, 0u);
    EXPECT_EQ(countLiveTextures(), texturesWithAll);
}

// The plants take only ambient light: two blades of one cross, one turned towards the light and
// one away from it, are equally bright; the frame's other passes get colour material back.
TEST(PlantsGl, BladesFacingAwayFromEachOtherAreEquallyBright)
{
    enterFolderWithPlantImages("ambient");
    Terrain terrain;
    auto field = std::make_unique<PlantField>();
    field->place(terrain);
    hideAllPlants(*field);
    showPlant(*field, 2530, Vector3(0, -10, -40), 20.0f); // opaque blue
    const Frustum frustum = startFrame();
    glEnable(GL_LIGHTING);
    const GLfloat towardsViewer[] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat dim[] = {0.3f, 0.3f, 0.3f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_AMBIENT, dim);
    field->draw(Vector3(0, 0, 0), frustum);
    const Pixels pixels = readBackBuffer();
    savePixelsPng(pixels, "ambient.png");

    // Left of the axis the nearest blade is turned 60 degrees (its normal half towards the
    // light), right of it 120 degrees (its normal half away).
    const unsigned char* towards = pixels.at(350, 300);
    const unsigned char* away = pixels.at(450, 300);
    for (int channel = 0; channel < 3; ++channel)
    {
        EXPECT_NEAR(towards[channel], away[channel], 2) << "channel " << channel;
    }
    // Global ambient 0.2 and the light's 0.3 on a full ambient material: half the texture.
    EXPECT_TRUE(isNear(pixels, 350, 300, {kBlue.r / 2, kBlue.g / 2, kBlue.b / 2}, 4));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
}

// Plants drawn only as far as their outlines reach show the very pixels the whole halves show:
// a crown over a trunk, of odd size, near and tilted, lit, over another plant.
TEST(PlantsGl, OutlinedBladesShowWhatWholeBladesShow)
{
    const std::filesystem::path folder = std::filesystem::current_path() / "plants_gl" / "outline";
    std::filesystem::create_directories(folder / "terrainTexs");
    std::filesystem::current_path(folder);
    const int width = 41;
    const int height = 33;
    std::vector<unsigned char> rows(size_t(width * height * 4), 0);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const double dx = (x - 18.4) / 13.0;
            const double dy = (y - 22.7) / 8.5;
            const bool crown = dx * dx + dy * dy < 1.0;
            const bool trunk = y < 16 && (x == 21 || x == 22);
            unsigned char* texel = &rows[size_t((y * width + x) * 4)];
            texel[0] = (unsigned char)(40 + 5 * x);
            texel[1] = (unsigned char)(90 + 4 * y);
            texel[2] = (unsigned char)(200 - 3 * x);
            texel[3] = crown || trunk ? (unsigned char)(120 + 3 * y) : 0;
        }
    }
    for (const char* name : {"fgrass", "ohiatree2", "brush", "fern3"})
    {
        writeRgbaPng("terrainTexs/" + std::string(name) + ".png", width, height, rows);
    }
    Terrain terrain;
    auto field = std::make_unique<PlantField>();
    field->place(terrain);
    hideAllPlants(*field);
    showPlant(*field, 0, Vector3(-3.7f, -11.0f, -31.0f), 23.0f);
    showPlant(*field, 1, Vector3(4.1f, -12.0f, -52.0f), 35.0f);
    field->m_tilts[0] = 17.3f;
    auto drawPlants = [&]()
    {
        const Frustum frustum = startFrame();
        glEnable(GL_LIGHTING);
        field->draw(Vector3(0, 0, 0), frustum);
        return readBackBuffer();
    };
    const Pixels outlined = drawPlants();
    for (PlantSpecies& species : field->m_species)
    {
        species.m_outlines[0] = wholeHalf(true);
        species.m_outlines[1] = wholeHalf(false);
    }
    const Pixels whole = drawPlants();
    savePixelsPng(outlined, "outlined.png");
    EXPECT_GT(outlined.contrast(), 5.0);
    EXPECT_LE(outlined.differingFraction(whole, 1), 0.0001);
}
