#include "app/shell.h"
#include "glsupport.h"
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

void setUpSkyInRunFolder()
{
    char directory[4096] = {};
    ASSERT_NE(getcwd(directory, sizeof directory), nullptr);
    g_pictureDirectory = directory;
    ASSERT_EQ(chdir(QUILLMERE_PARK_DIR), 0);
    setFixedGlState();
    reshape(800, 600);
    initSky();
}

void savePicture(const Pixels& pixels, const std::string& name)
{
    EXPECT_TRUE(savePixelsPng(pixels, g_pictureDirectory + "/" + name));
}

// The sky part of a frame as the display callback draws it, for a view turned by pitch about x
// and then by yaw about y.
Pixels drawSkyFrame(float pitch, float yaw)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    drawSky();
    glEnable(GL_DEPTH_TEST);
    return readBackBuffer();
}

// Draws frames (each one advancing the day) until the sun stands between the two angles.
Pixels drawUntilSunBetween(float low, float high, float pitch, float yaw)
{
    Pixels pixels;
    for (int frame = 0; frame < 1000; ++frame)
    {
        pixels = drawSkyFrame(pitch, yaw);
        if (g_dayCycle.m_sunAngle > low && g_dayCycle.m_sunAngle < high)
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
    setUpSkyInRunFolder();
    ASSERT_NE(g_skyTextures[0], 0u) << "the six sky images load from the run folder";
    for (unsigned list : {g_starBoxList, g_skyTintList, g_sunMoonMaskList, g_sunMoonList,
                          g_outerCloudList, g_innerCloudList})
    {
        EXPECT_NE(list, 0u);
    }

    // Looking straight up, the sun stands in the middle of the view at noon.
    const Pixels noon = drawUntilSunBetween(89.5f, 90.5f, kLookingUp, 0.0f);
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
    EXPECT_FLOAT_EQ(diffuse[0], g_dayCycle.m_sunDiffuse[0]);
    EXPECT_EQ(diffuse[3], 1.0f);

    // The sky leaves lighting on and blending and depth testing off for the frame after it.
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    // At midnight the moon has taken the sun's place overhead.
    const Pixels midnight = drawUntilSunBetween(269.5f, 270.5f, kLookingUp, 0.0f);
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
    EXPECT_FLOAT_EQ(diffuse[2], g_dayCycle.m_moonDiffuse[2]);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SkyGl, AtDuskTheSunSetsTowardsPlusZAndTheSkyDarkens)
{
    setUpSkyInRunFolder();
    const Pixels morning = drawUntilSunBetween(10.0f, 11.0f, kLookingAhead, 180.0f);
    savePicture(morning, "sky-morning-towards-plus-z.png");
    const Pixels dusk = drawUntilSunBetween(184.0f, 185.0f, kLookingAhead, 180.0f);
    savePicture(dusk, "sky-dusk.png");

    // Half an hour past sunset: the tint has faded part of the way.
    EXPECT_GT(g_dayCycle.m_skyColor[3], 0.0f);
    EXPECT_LT(g_dayCycle.m_skyColor[3], 1.0f);
    EXPECT_LT(dusk.meanChannel(2), morning.meanChannel(2) - 30.0);
    // At 184.5 degrees the sun stands 4.5 degrees below the horizon straight ahead: 56 rows
    // under the middle of a 45-degree, 600-row view.
    const Colour sun = regionColour(dusk, 400, 300 - 56, 5);
    EXPECT_GT(sun.red, 200.0) << "the setting sun";
    EXPECT_GT(sun.red, sun.blue + 40.0);
}
