// The sky: its textures, its six display lists, and per frame the day cycle applied to the fog,
// the lights and the replayed lists.
#include "world/sky.h"

#include "world/texture.h"

#include <GL/gl.h>

DayCycle g_dayCycle;
DayCycle g_previousDay;
DayClock g_dayClock;
unsigned g_skyTextures[kSkyTextureCount] = {0, 0, 0, 0, 0, 0};
unsigned g_starBoxList = 0;
unsigned g_skyTintList = 0;
unsigned g_sunMoonMaskList = 0;
unsigned g_sunMoonList = 0;
unsigned g_outerCloudList = 0;
unsigned g_innerCloudList = 0;

namespace
{
enum SkyTexture
{
    kStars = 0,
    kSun = 1,
    kSunMask = 2,
    kMoon = 3,
    kMoonMask = 4,
    kClouds = 5,
};

const float kSkyBoxHalfSize = 280.0f;
const float kSunHalfSize = 15.0f;
const float kSunDistance = -258.0f;
const float kMoonHalfSize = 10.0f;
const float kMoonDistance = 258.0f;
const float kOuterCloudHalfSize = 180.0f;
const float kInnerCloudHalfSize = 100.0f;
const float kStarRepeat = 2.0f;

const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat kCloudColor[4] = {1.0f, 1.0f, 1.0f, 0.5f};

// One quad of a box: corner signs (x, y, z) and texture coordinates in units of the repeat.
struct BoxFace
{
    float normal[3];
    float corners[4][3];
    float texCoords[4][2];
};

// Wound so that each face's inner side is its front: back faces are culled.
const BoxFace kSkyCubeFaces[6] = {
    {{0, 0, 0},
     {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0}, {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0}, {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0},
     {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0},
     {{1, -1, 1}, {1, -1, -1}, {-1, -1, -1}, {-1, -1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, 0}, {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
};

// The four sides first, then bottom and top; normals point inwards.
const BoxFace kCloudBoxFaces[6] = {
    {{0, 0, 1},
     {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{-1, 0, 0},
     {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 0, -1},
     {{1, -1, 1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{1, 0, 0},
     {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{0, 1, 0},
     {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
     {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},
    {{0, -1, 0},
     {{-1, 1, 1}, {-1, 1, -1}, {1, 1, -1}, {1, 1, 1}},
     {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
};

void drawBoxFace(const BoxFace& face, float halfSize, float texScale, bool withNormal)
{
    glBegin(GL_QUADS);
    if (withNormal)
    {
        glNormal3fv(face.normal);
    }
    for (int i = 0; i < 4; ++i)
    {
        glTexCoord2f(face.texCoords[i][0] * texScale, face.texCoords[i][1] * texScale);
        glVertex3f(face.corners[i][0] * halfSize, face.corners[i][1] * halfSize,
                   face.corners[i][2] * halfSize);
    }
    glEnd();
}

// Corner signs (x, y) with texture coordinates (0,0), (1,0), (1,1), (0,1), for a square in the
// plane z; the x signs are mirrored for a square seen from the other side of the origin.
void drawSquare(float halfSize, float z, float xSign)
{
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const float texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i)
    {
        glTexCoord2fv(texCoords[i]);
        glVertex3f(xSign * corners[i][0] * halfSize, corners[i][1] * halfSize, z);
    }
    glEnd();
}

// A new list name, or 0 (the list is then skipped and its replay draws nothing).
unsigned beginList()
{
    const unsigned list = glGenLists(1);
    if (list != 0)
    {
        glNewList(list, GL_COMPILE);
    }
    return list;
}

void endList(unsigned list)
{
    if (list != 0)
    {
        glEndList();
    }
}

void sendColor(GLenum light, GLenum parameter, const float* rgb)
{
    const GLfloat color[4] = {rgb[0], rgb[1], rgb[2], 1.0f};
    glLightfv(light, parameter, color);
}
} // namespace

void drawSkyCube(float halfSize)
{
    for (const BoxFace& face : kSkyCubeFaces)
    {
        drawBoxFace(face, halfSize, kStarRepeat, false);
    }
}

void drawSunQuad(float halfSize, float z)
{
    drawSquare(halfSize, z, 1.0f);
}

void drawMoonQuad(float halfSize, float z)
{
    drawSquare(halfSize, z, -1.0f);
}

void drawCloudBox(float halfSize, unsigned sideTexture, unsigned topBottomTexture)
{
    glEnable(GL_LIGHTING);
    glColor4fv(kCloudColor);
    glBindTexture(GL_TEXTURE_2D, sideTexture);
    for (int i = 0; i < 4; ++i)
    {
        drawBoxFace(kCloudBoxFaces[i], halfSize, 1.0f, true);
    }
    glColor4fv(kCloudColor);
    glBindTexture(GL_TEXTURE_2D, topBottomTexture);
    for (int i = 4; i < 6; ++i)
    {
        drawBoxFace(kCloudBoxFaces[i], halfSize, 1.0f, true);
    }
    glDisable(GL_LIGHTING);
}

void initSky()
{
    initSkyLights();
    loadSkyTextures();
    buildSkyLists();
}

void initSkyLights()
{
    const GLfloat sunPosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat sunAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    const GLfloat moonPosition[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat moonSpecular[4] = {0.5f, 0.5f, 0.5f, 1.0f};

    glLightfv(GL_LIGHT0, GL_POSITION, sunPosition);
    glLightfv(GL_LIGHT0, GL_AMBIENT, sunAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, kWhite);
    glLightfv(GL_LIGHT0, GL_SPECULAR, kWhite);
    glLightfv(GL_LIGHT1, GL_POSITION, moonPosition);
    glLightfv(GL_LIGHT1, GL_AMBIENT, black);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, black);
    glLightfv(GL_LIGHT1, GL_SPECULAR, moonSpecular);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    g_dayCycle.resetLights();
}

bool loadSkyTextures()
{
    const char* const fileNames[kSkyTextureCount] = {
        "textures/skybox/orvelstars_128.bmp", "textures/skybox/sun.bmp",
        "textures/skybox/sunmask.bmp",        "textures/skybox/moon.bmp",
        "textures/skybox/moonmask.bmp",       "textures/skybox/clouds.bmp"};
    return loadRgbTextureSet(fileNames, kSkyTextureCount, g_skyTextures,
                             "the sky is drawn untextured");
}

void buildSkyLists()
{
    // The blend switches around the star and tint boxes are made by the frame itself, which
    // leaves out a box that would not change a pixel.
    g_starBoxList = beginList();
    if (g_starBoxList != 0)
    {
        glColor4fv(kWhite);
        glBindTexture(GL_TEXTURE_2D, g_skyTextures[kStars]);
        drawSkyCube(kSkyBoxHalfSize);
    }
    endList(g_starBoxList);

    g_skyTintList = beginList();
    if (g_skyTintList != 0)
    {
        glDisable(GL_TEXTURE_2D);
        drawSkyCube(kSkyBoxHalfSize);
        glEnable(GL_TEXTURE_2D);
    }
    endList(g_skyTintList);

    // Each mask darkens the sky by multiplication where its body is; the body is then added on
    // top, so sun and moon show through without a dark frame. The depth test is the frame's:
    // off when the sky is drawn first, on when it fills in behind the ground.
    g_sunMoonMaskList = beginList();
    if (g_sunMoonMaskList != 0)
    {
        glColor4fv(kWhite);
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glBindTexture(GL_TEXTURE_2D, g_skyTextures[kMoonMask]);
        drawMoonQuad(kMoonHalfSize, kMoonDistance);
        glBindTexture(GL_TEXTURE_2D, g_skyTextures[kSunMask]);
        drawSunQuad(kSunHalfSize, kSunDistance);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    endList(g_sunMoonMaskList);

    // The moon is drawn with whatever texture the frame bound before the replay.
    g_sunMoonList = beginList();
    if (g_sunMoonList != 0)
    {
        drawMoonQuad(kMoonHalfSize, kMoonDistance);
        glBindTexture(GL_TEXTURE_2D, g_skyTextures[kSun]);
        drawSunQuad(kSunHalfSize, kSunDistance);
    }
    endList(g_sunMoonList);

    g_outerCloudList = beginList();
    if (g_outerCloudList != 0)
    {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4fv(kCloudColor);
        drawCloudBox(kOuterCloudHalfSize, g_skyTextures[kClouds], g_skyTextures[kClouds]);
    }
    endList(g_outerCloudList);

    g_innerCloudList = beginList();
    if (g_innerCloudList != 0)
    {
        drawCloudBox(kInnerCloudHalfSize, g_skyTextures[kClouds], g_skyTextures[kClouds]);
        glDisable(GL_BLEND);
        glEnable(GL_LIGHTING);
    }
    endList(g_innerCloudList);
}

void updateSkyLights(const SkyLightUpdate& update)
{
    if (update.enableMoon)
    {
        glEnable(GL_LIGHT1);
    }
    if (update.enableSun)
    {
        glEnable(GL_LIGHT0);
    }
    if (update.disableSun)
    {
        glDisable(GL_LIGHT0);
    }
    if (update.disableMoon)
    {
        glDisable(GL_LIGHT1);
    }
    if (update.sunDiffuseChanged)
    {
        sendColor(GL_LIGHT0, GL_DIFFUSE, g_dayCycle.m_sunDiffuse);
    }
    if (update.sunAmbientChanged)
    {
        sendColor(GL_LIGHT0, GL_AMBIENT, g_dayCycle.m_sunAmbient);
    }
    if (update.moonDiffuseChanged)
    {
        sendColor(GL_LIGHT1, GL_DIFFUSE, g_dayCycle.m_moonDiffuse);
    }
    if (update.moonAmbientChanged)
    {
        sendColor(GL_LIGHT1, GL_AMBIENT, g_dayCycle.m_moonAmbient);
    }
    glLightfv(GL_LIGHT0, GL_POSITION, update.sunDirection);
    glLightfv(GL_LIGHT1, GL_POSITION, update.moonDirection);
}

void advanceSky()
{
    updateSkyLights(g_dayCycle.advanceFrame());
    GLfloat fogColor[4];
    g_dayCycle.fogColor(fogColor);
    glFogfv(GL_FOG_COLOR, fogColor);
}

namespace
{
void switchLight(GLenum light, bool on)
{
    if (on)
    {
        glEnable(light);
    }
    else
    {
        glDisable(light);
    }
}

void runDayFrames(int count)
{
    for (int i = 0; i < count; ++i)
    {
        g_previousDay = g_dayCycle;
        g_dayCycle.advanceFrame();
    }
}
} // namespace

void tickSky()
{
    runDayFrames(g_dayClock.tick());
}

void startDayAt(double fraction)
{
    g_previousDay = g_dayCycle;
    runDayFrames(g_dayClock.startAt(fraction));
}

DayCycle shownDay(float tickFraction)
{
    return blendDays(g_previousDay, g_dayCycle, g_dayClock.weightAt(tickFraction));
}

void showDayLights(const DayCycle& day)
{
    switchLight(GL_LIGHT0, day.m_sunShining);
    switchLight(GL_LIGHT1, day.m_moonShining);
    sendColor(GL_LIGHT0, GL_DIFFUSE, day.m_sunDiffuse);
    sendColor(GL_LIGHT0, GL_AMBIENT, day.m_sunAmbient);
    sendColor(GL_LIGHT1, GL_DIFFUSE, day.m_moonDiffuse);
    sendColor(GL_LIGHT1, GL_AMBIENT, day.m_moonAmbient);
    GLfloat sunDirection[4];
    GLfloat moonDirection[4];
    lightDirections(day.m_sunAngle, sunDirection, moonDirection);
    glLightfv(GL_LIGHT0, GL_POSITION, sunDirection);
    glLightfv(GL_LIGHT1, GL_POSITION, moonDirection);
    GLfloat fogColor[4];
    day.fogColor(fogColor);
    glFogfv(GL_FOG_COLOR, fogColor);
}

namespace
{
bool tintHidesTheStars(const DayCycle& day)
{
    return day.m_skyColor[3] >= 1.0f;
}

// The tint is blended over the stars by its alpha, the daylight: in full day it hides them
// wholly, at night it adds nothing. Only the box that shows is drawn, and in full day not even
// that when the frame was cleared to the tint.
void drawLayers(const DayCycle& day, bool clearedToTint)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_LIGHTING);

    const float daylight = day.m_skyColor[3];
    if (!tintHidesTheStars(day))
    {
        glCallList(g_starBoxList);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (daylight > 0.0f && !(clearedToTint && tintHidesTheStars(day)))
    {
        glColor4fv(day.m_skyColor);
        glCallList(g_skyTintList);
    }
    glDisable(GL_BLEND);

    const float sunAngle = day.m_sunAngle;
    glRotatef(sunAngle, 1.0f, 0.0f, 0.0f);
    glCallList(g_sunMoonMaskList);
    glBindTexture(GL_TEXTURE_2D, g_skyTextures[kMoon]);
    glCallList(g_sunMoonList);
    glRotatef(-sunAngle, 1.0f, 0.0f, 0.0f);

    const float cloudAngle = day.m_cloudAngle;
    glRotatef(cloudAngle, 0.1f, 0.1f, 0.0f);
    glCallList(g_outerCloudList);
    glRotatef(-cloudAngle, 0.1f, 0.1f, 0.0f);

    glRotatef(cloudAngle, 0.4f, 0.4f, 0.0f);
    glCallList(g_innerCloudList);
}
} // namespace

void drawSkyLayers()
{
    drawLayers(g_dayCycle, false);
}

void clearToSky()
{
    clearToSky(g_dayCycle);
}

void clearToSky(const DayCycle& day)
{
    if (tintHidesTheStars(day))
    {
        const float* tint = day.m_skyColor;
        glClearColor(tint[0], tint[1], tint[2], 0.0f);
    }
    else
    {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void drawSky()
{
    advanceSky();
    drawSkyLayers();
}

void drawSkyBehindScene()
{
    drawSkyBehindScene(g_dayCycle);
}

void drawSkyBehindScene(const DayCycle& day)
{
    // Every layer lands at the far end of the depth range and passes only where the depth
    // buffer still holds its clear value: what was drawn before stays, and no sky is shaded
    // under it.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glDepthRange(1.0, 1.0);
    drawLayers(day, true);
    glDepthRange(0.0, 1.0);
    glDepthMask(GL_TRUE);
}
