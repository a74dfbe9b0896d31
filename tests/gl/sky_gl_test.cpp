// The sky as the frame draws it: a tick of the day, the day's lights, the clear, and the layers
// behind a scene that left the whole depth buffer clear.
#include "app/park.h"
#include "glsupport.h"
#include "referencescene.h"
#include "scratchdirectory.h"
#include "world/sky.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unistd.h>

namespace
{
// Where the pictures go: the test's own working directory, not the run folder it reads from.
std::string g_pictureDirectory;

void setUpSkyInRunFolder(Sky& sky)
{
    char directory[4096] = {};
    ASSERT_NE(getcwd(directory, sizeof directory), nullptr);
    g_pictureDirectory = directory;
    ASSERT_EQ(chdir(QUILLMERE_PARK_DIR), 0);
    setFixedGlState();
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    sky.build();
}

void savePicture(const Pixels& pixels, const std::string& name)
{
    EXPECT_TRUE(savePixelsPng(pixels, g_pictureDirectory + "/" + name));
}

// The sky part of a frame of one tick as the park draws it, for a view turned by pitch about x
// and then by yaw about y, with nothing in front of the sky.
Pixels drawSkyFrame(Sky& sky, float pitch, float yaw)
{
    sky.tick();
    glLoadIdentity();
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    const DayCycle day = sky.shownDay(1.0f);
    sky.showDayLights(day);
    sky.clearToSky(day);
    sky.drawBehindScene(day);
    return readBackBuffer();
}

// Draws frames (each one advancing the day) until the sun stands between the two angles.
Pixels drawUntilSunBetween(Sky& sky, float low, float high, float pitch, float yaw)
{
    Pixels pixels;
    for (int frame = 0; frame < 1000; ++frame)
    {
        pixels = drawSkyFrame(sky, pitch, yaw);
        if (sky.day().m_sunAngle > low && sky.day().m_sunAngle < high)
        {
            return pixels;
        }
    }
    ADD_FAILURE() << "the sun never came between " << low << " and " << high;
    return pixels;
}

struct Colour
{
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double brightest = 0.0; // of the three channels, over the region
    double brightness() const { return (red + green + blue) / 3.0; }
};

// Mean colour of the square of half-size `radius` around (x, y).
Colour regionColour(const Pixels& pixels, int x, int y, int radius)
{
    Colour colour;
    int count = 0;
    for (int j = y - radius; j <= y + radius; ++j)
    {
        for (int i = x - radius; i <= x + radius; ++i)
        {
            const unsigned char* p = pixels.at(i, j);
            colour.red += p[0];
            colour.green += p[1];
            colour.blue += p[2];
            colour.brightest =
                std::max({colour.brightest, double(p[0]), double(p[1]), double(p[2])});
            ++count;
        }
    }
    colour.red /= count;
    colour.green /= count;
    colour.blue /= count;
    return colour;
}

const float kLookingUp = -90.0f;
const float kLookingAhead = 0.0f;
} // namespace

TEST(SkyGl, NoonIsBlueWithTheSunOverheadAndMidnightDarkWithStarsAndTheMoon)
{
    Sky sky;
    setUpSkyInRunFolder(sky);
    ASSERT_NE(sky.textures()[0], 0u) << "the six sky images load from the run folder";
    for (int list = 0; list < kSkyListCount; ++list)
    {
        EXPECT_NE(sky.lists()[list], 0u);
    }

    // Looking straight up, the sun stands in the middle of the view at noon.
    const Pixels noon = drawUntilSunBetween(sky, 89.5f, 90.5f, kLookingUp, 0.0f);
    savePicture(noon, "sky-noon.png");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    const Colour sun = regionColour(noon, 400, 300, 8);
    const Colour daySky = regionColour(noon, 80, 80, 30);
    EXPECT_GT(sun.brightness(), daySky.brightness() + 40.0) << "the sun outshines the sky";
    EXPECT_GT(sun.red, 180.0);
    EXPECT_GT(daySky.blue, daySky.red + 60.0) << "the day sky is blue";
    EXPECT_GT(daySky.blue, 150.0);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    GLfloat fog[4] = {};
    glGetFloatv(GL_FOG_COLOR, fog);
    EXPECT_NEAR(fog[2], 1.0f, 1e-3f) << "blue fog by day";
    GLfloat diffuse[4] = {};
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], sky.day().m_sunDiffuse[0]);
    EXPECT_EQ(diffuse[3], 1.0f);

    // The sky leaves lighting on and blending off for the plants after it.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    // At midnight the moon has taken the sun's place overhead.
    const Pixels midnight = drawUntilSunBetween(sky, 269.5f, 270.5f, kLookingUp, 0.0f);
    savePicture(midnight, "sky-midnight.png");
    const Colour moon = regionColour(midnight, 400, 300, 6);
    const Colour nightSky = regionColour(midnight, 150, 150, 100);
    EXPECT_GT(moon.brightness(), nightSky.brightness() + 60.0) << "the moon shines";
    EXPECT_LT(nightSky.brightness(), 70.0) << "the night sky is dark";
    EXPECT_GT(nightSky.brightest, nightSky.brightness() + 80.0) << "stars show in the dark";
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    glGetFloatv(GL_FOG_COLOR, fog);
    EXPECT_LE(fog[2], 0.0f) << "black fog at night";
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[2], sky.day().m_moonDiffuse[2]);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SkyGl, AtDuskTheSunSetsTowardsPlusZAndTheSkyDarkens)
{
    Sky sky;
    setUpSkyInRunFolder(sky);
    const Pixels morning = drawUntilSunBetween(sky, 10.0f, 11.0f, kLookingAhead, 180.0f);
    savePicture(morning, "sky-morning-towards-plus-z.png");
    const Pixels dusk = drawUntilSunBetween(sky, 184.0f, 185.0f, kLookingAhead, 180.0f);
    savePicture(dusk, "sky-dusk.png");

    // Half an hour past sunset: the tint has faded part of the way.
    EXPECT_GT(sky.day().m_skyColor[3], 0.0f);
    EXPECT_LT(sky.day().m_skyColor[3], 1.0f);
    EXPECT_LT(dusk.meanChannel(2), morning.meanChannel(2) - 30.0);
    // At 184.5 degrees the sun stands 4.5 degrees below the horizon straight ahead: 56 rows
    // under the middle of a 45-degree, 600-row view.
    const Colour sun = regionColour(dusk, 400, 300 - 56, 5);
    EXPECT_GT(sun.red, 200.0) << "the setting sun";
    EXPECT_GT(sun.red, sun.blue + 40.0);
}

// Stars, tint and clouds drawn in one pass over the cut cloud box make the park's sky the layers
// made each in a pass of its own: by night, with the moon in view and clouds over it (pose 1), at
// dusk with the tint half faded, after the ground has left its doubled combine behind, and by day.
TEST(SkyGl, OnePassDrawsTheSkyTheSeparateLayersDrew)
{
    ScratchDirectory directory("quillmere-sky-one-pass");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    for (float sunAngle : {224.9f, 184.5f, 134.9f})
    {
        for (int pose : {0, 1})
        {
            const Pixels layers = renderReferenceFrame(271828u, pose, sunAngle, true);
            const Pixels onePass = renderReferenceFrame(271828u, pose, sunAngle, false);
            ASSERT_GT(onePass.contrast(), 3.0) << "a flat frame";
            EXPECT_LE(onePass.differingFraction(layers, 2), 0.0005)
                << "pose " << pose << ", sun at " << sunAngle;
            if (onePass.differingFraction(layers, 2) > 0.0005)
            {
                const std::string name =
                    "/sky-pose" + std::to_string(pose) + "-sun" + std::to_string(int(sunAngle));
                savePixelsPng(layers, directory.previous() + name + "-layers.png");
                savePixelsPng(onePass, directory.previous() + name + "-one-pass.png");
            }
        }
    }
}
