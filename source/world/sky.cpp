// The sky: its textures, its five display lists, and per frame the day cycle applied to the fog,
// the lights and the replayed lists.
#include "world/sky.h"

#include "math/clipvolume.h"
#include "platform/glapi.h"
#include "world/skyboxes.h"
#include "world/texture.h"

#include <GL/gl.h>
#include <GL/glext.h>

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

enum SkyList
{
    kStarBoxList = 0,
    kSkyTintList = 1,
    kSunMoonMaskList = 2,
    kSunMoonList = 3,
    kCloudList = 4,
};

const float kSkyBoxHalfSize = 280.0f;
const float kSunHalfSize = 15.0f;
const float kSunDistance = -258.0f;
const float kMoonHalfSize = 10.0f;
const float kMoonDistance = 258.0f;
const float kCloudHalfSize = 100.0f;
const float kStarRepeat = 2.0f;

const GLfloat kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
// The clouds are two boxes of half strength turned alike about the same axis, one inside the
// other round the eye: they meet every line of sight at the same place of the same face, lit
// alike, so they add up to one box at full strength, drawn once.
const GLfloat kCloudColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};

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

// A list GL gave no name for draws nothing, as an empty list would.
void callList(unsigned list)
{
    if (list != 0)
    {
        glCallList(list);
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

Sky::~Sky()
{
    // A sky that was never built holds no names and makes no GL call.
    for (unsigned list : m_lists)
    {
        if (list != 0)
        {
            glDeleteLists(list, 1);
        }
    }
    if (m_textures[0] != 0)
    {
        glDeleteTextures(kSkyTextureCount, m_textures);
    }
}

void Sky::readImages()
{
    const char* const fileNames[kSkyTextureCount] = {
        "textures/skybox/orvelstars_128.bmp", "textures/skybox/sun.bmp",
        "textures/skybox/sunmask.bmp",        "textures/skybox/moon.bmp",
        "textures/skybox/moonmask.bmp",       "textures/skybox/clouds.bmp"};
    m_images = readRgbImageSet(fileNames, kSkyTextureCount, "the sky is drawn untextured");
}

void Sky::build()
{
    setUpLights();
    if (!m_images.read)
    {
        readImages();
    }
    uploadRgbTextureSet(m_images, m_textures);
    m_images = RgbImageSet();
    buildLists();
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    m_tintWithStars = versionAtLeast(version, 1, 3) ||
                      (extensions && listsExtension(extensions, "GL_ARB_texture_env_combine"));
    m_multitexture = detectMultitextureApi();
    m_cloudsWithStars = m_tintWithStars && m_multitexture.available() &&
                        m_multitexture.multiTexCoord4f && m_textures[kStars] != 0 && extensions &&
                        listsExtension(extensions, "GL_ATI_texture_env_combine3");
}

void Sky::setUpLights()
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
    m_day.resetLights();
}

void Sky::buildLists()
{
    // The blend switches around the star and tint boxes are made by the frame itself, which
    // leaves out a box that would not change a pixel.
    m_lists[kStarBoxList] = beginList();
    if (m_lists[kStarBoxList] != 0)
    {
        glColor4fv(kWhite);
        glBindTexture(GL_TEXTURE_2D, m_textures[kStars]);
        drawSkyCube(kSkyBoxHalfSize);
    }
    endList(m_lists[kStarBoxList]);

    m_lists[kSkyTintList] = beginList();
    if (m_lists[kSkyTintList] != 0)
    {
        glDisable(GL_TEXTURE_2D);
        drawSkyCube(kSkyBoxHalfSize);
        glEnable(GL_TEXTURE_2D);
    }
    endList(m_lists[kSkyTintList]);

    // Each mask darkens the sky by multiplication where its body is; the body is then added on
    // top, so sun and moon show through without a dark frame. The depth test is the frame's.
    m_lists[kSunMoonMaskList] = beginList();
    if (m_lists[kSunMoonMaskList] != 0)
    {
        glColor4fv(kWhite);
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        glBindTexture(GL_TEXTURE_2D, m_textures[kMoonMask]);
        drawMoonQuad(kMoonHalfSize, kMoonDistance);
        glBindTexture(GL_TEXTURE_2D, m_textures[kSunMask]);
        drawSunQuad(kSunHalfSize, kSunDistance);
        glBlendFunc(GL_ONE, GL_ONE);
    }
    endList(m_lists[kSunMoonMaskList]);

    // The moon is drawn with whatever texture the frame bound before the replay.
    m_lists[kSunMoonList] = beginList();
    if (m_lists[kSunMoonList] != 0)
    {
        drawMoonQuad(kMoonHalfSize, kMoonDistance);
        glBindTexture(GL_TEXTURE_2D, m_textures[kSun]);
        drawSunQuad(kSunHalfSize, kSunDistance);
    }
    endList(m_lists[kSunMoonList]);

    m_lists[kCloudList] = beginList();
    if (m_lists[kCloudList] != 0)
    {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        drawCloudBox(kCloudHalfSize, m_textures[kClouds], m_textures[kClouds]);
        glDisable(GL_BLEND);
        glEnable(GL_LIGHTING);
    }
    endList(m_lists[kCloudList]);
}

void Sky::runDayFrames(int count)
{
    for (int i = 0; i < count; ++i)
    {
        m_previousDay = m_day;
        m_day.advanceFrame();
    }
}

void Sky::tick()
{
    runDayFrames(m_clock.tick());
}

void Sky::startDayAt(double fraction)
{
    m_previousDay = m_day;
    runDayFrames(m_clock.startAt(fraction));
}

void Sky::restartDay()
{
    const double ticksPerDay = m_clock.ticksPerDay();
    const bool held = m_clock.isHeld();
    m_day = DayCycle();
    m_day.resetLights();
    m_previousDay = m_day;
    m_clock = DayClock();
    m_clock.setTicksPerDay(ticksPerDay);
    m_clock.setHeld(held);
}

DayCycle Sky::shownDay(float tickFraction) const
{
    return blendDays(m_previousDay, m_day, m_clock.weightAt(tickFraction));
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

bool tintHidesTheStars(const DayCycle& day)
{
    return day.m_skyColor[3] >= 1.0f;
}
} // namespace

void Sky::showDayLights(const DayCycle& day) const
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
// The active unit's stage switched to the combine at scale 1. Returns the scale it had (the
// ground doubles its own), to put back.
GLint beginCombine()
{
    GLint scale = 1;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_RGB_SCALE, &scale);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_RGB_SCALE, 1);
    return scale;
}

// The tint over the stars as the texture stage's own mix, tint x alpha + stars x (1 - alpha):
// what blending the tint box over the star box gives. The third argument (the constant's alpha)
// is the stage's default. Returns the stage's scale, to put back.
GLint mixTintOverStars(const float* tint)
{
    const GLint scale = beginCombine();
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_INTERPOLATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_TEXTURE);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, tint);
    return scale;
}

// texture x light + what the stage before made: the cloud box's additive blend, for clouds whose
// alpha is 1. Returns the stage's scale, to put back.
GLint addLitTexture()
{
    const GLint scale = beginCombine();
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE_ADD_ATI);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PREVIOUS);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_PRIMARY_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_COLOR);
    return scale;
}

// The stage as the ground's combine relies on finding it: the defaults, at `scale`.
void restoreStageDefaults(GLint scale)
{
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PREVIOUS);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB, GL_CONSTANT);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_RGB_SCALE, scale);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// Where the moon and the sun are drawn, in that order, as their display lists draw them.
void sunAndMoonSquares(float sunAngle, SkySquare squares[2])
{
    squares[0] = {kMoonHalfSize, kMoonDistance, sunAngle};
    squares[1] = {kSunHalfSize, kSunDistance, sunAngle};
}

// Whether the view, as the GL's matrices now place it, may see the sun or the moon: their passes
// are left out when it cannot.
bool sunOrMoonMayShow(const SkySquare squares[2])
{
    GLfloat projection[16];
    GLfloat modelView[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    ClipVolume view;
    view.set(projection, modelView);
    for (int i = 0; i < 2; ++i)
    {
        float corners[4][3];
        squareCorners(squares[i], corners);
        if (view.mayTouchPoints(corners, 4))
        {
            return true;
        }
    }
    return false;
}
} // namespace

// The tint is blended over the stars by its alpha, the daylight: in full day it hides them
// wholly, at night it adds nothing. Only the box that shows is drawn, and in full day not even
// that when the frame was cleared to the tint, whose clouds are then the sky's one pass. While
// the stars show, where the GL can, the clouds join them in one pass that writes the sky instead
// of blending over it, everywhere but behind the sun and the moon, where the layers are drawn as
// before: each sky pixel is then shaded once, not twice.
void Sky::drawLayers(const DayCycle& day, bool clearedToTint) const
{
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_LIGHTING);

    const bool starsShow = !tintHidesTheStars(day);
    if (starsShow && m_cloudsWithStars && !m_layersApart)
    {
        drawLayersInOnePass(day);
    }
    else
    {
        const float daylight = day.m_skyColor[3];
        const bool tintShows = daylight > 0.0f && !(clearedToTint && tintHidesTheStars(day));
        drawStarsOrTint(day, starsShow, tintShows);
        SkySquare squares[2];
        sunAndMoonSquares(day.m_sunAngle, squares);
        if (sunOrMoonMayShow(squares))
        {
            drawSunAndMoon(day.m_sunAngle);
        }
        glRotatef(day.m_cloudAngle, 1.0f, 1.0f, 0.0f);
        callList(m_lists[kCloudList]);
        glRotatef(-day.m_cloudAngle, 1.0f, 1.0f, 0.0f);
    }
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}

void Sky::drawStarsOrTint(const DayCycle& day, bool starsShow, bool tintShows) const
{
    if (starsShow && tintShows && m_tintWithStars && !m_layersApart)
    {
        const GLint scale = mixTintOverStars(day.m_skyColor);
        callList(m_lists[kStarBoxList]);
        restoreStageDefaults(scale);
        return;
    }
    if (starsShow)
    {
        callList(m_lists[kStarBoxList]);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (tintShows)
    {
        glColor4fv(day.m_skyColor);
        callList(m_lists[kSkyTintList]);
    }
    glDisable(GL_BLEND);
}

void Sky::drawSunAndMoon(float sunAngle) const
{
    glRotatef(sunAngle, 1.0f, 0.0f, 0.0f);
    callList(m_lists[kSunMoonMaskList]);
    glBindTexture(GL_TEXTURE_2D, m_textures[kMoon]);
    callList(m_lists[kSunMoonList]);
    glRotatef(-sunAngle, 1.0f, 0.0f, 0.0f);
}

// Beside the sun and the moon the stars under the tint and the clouds are one pass. Behind them
// the layers are drawn in turn as the boxes drew them, since their masks darken the sky under
// them but not the clouds in front: the stars there are written first, the masks and bodies go
// over them, and the clouds are added last.
void Sky::drawLayersInOnePass(const DayCycle& day) const
{
    SkyPieces pieces;
    cutCloudBoxAlongStars(kCloudHalfSize, day.m_cloudAngle, kStarRepeat, pieces);
    SkySquare squares[2];
    sunAndMoonSquares(day.m_sunAngle, squares);
    SkyPieces besideMoon;
    SkyPieces beside;
    cutPiecesAroundSquare(pieces, squares[0], besideMoon);
    cutPiecesAroundSquare(besideMoon, squares[1], beside);
    drawStarsTintAndClouds(day, beside);
    if (!sunOrMoonMayShow(squares))
    {
        return;
    }

    SkyPieces behind[2];
    glBindTexture(GL_TEXTURE_2D, m_textures[kStars]);
    const GLint scale = mixTintOverStars(day.m_skyColor);
    for (int i = 0; i < 2; ++i)
    {
        cutPiecesToSquare(pieces, squares[i], behind[i]);
        drawPieces(behind[i], GL_TEXTURE0, GL_TEXTURE1);
    }
    restoreStageDefaults(scale);
    drawSunAndMoon(day.m_sunAngle);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_LIGHTING);
    glColor4fv(kCloudColor);
    glBindTexture(GL_TEXTURE_2D, m_textures[kClouds]);
    for (const SkyPieces& pieceSet : behind)
    {
        drawPieces(pieceSet, GL_TEXTURE1, GL_TEXTURE0);
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
}

void Sky::drawPieces(const SkyPieces& pieces, unsigned projectedUnit, unsigned cloudUnit) const
{
    for (int p = 0; p < pieces.count; ++p)
    {
        const SkyPiece& piece = pieces.pieces[p];
        glBegin(GL_POLYGON);
        glNormal3fv(piece.normal);
        for (int i = 0; i < piece.cornerCount; ++i)
        {
            const SkyPieceCorner& corner = piece.corners[i];
            m_multitexture.multiTexCoord4f(projectedUnit, corner.projected[0], corner.projected[1],
                                           corner.projected[2], corner.projected[3]);
            m_multitexture.multiTexCoord2f(cloudUnit, corner.cloudCoords[0], corner.cloudCoords[1]);
            glVertex3fv(corner.position);
        }
        glEnd();
    }
}

// The stars under the tint on the first unit and the lit clouds added on the second: what the
// star pass and the blended cloud pass gave, in one pass.
void Sky::drawStarsTintAndClouds(const DayCycle& day, const SkyPieces& pieces) const
{
    glBindTexture(GL_TEXTURE_2D, m_textures[kStars]);
    const GLint scale = mixTintOverStars(day.m_skyColor);
    m_multitexture.activeTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_textures[kClouds]);
    const GLint cloudScale = addLitTexture();
    glEnable(GL_LIGHTING);
    glColor4fv(kCloudColor);
    drawPieces(pieces, GL_TEXTURE0, GL_TEXTURE1);
    glDisable(GL_LIGHTING);
    restoreStageDefaults(cloudScale);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    m_multitexture.activeTexture(GL_TEXTURE0);
    restoreStageDefaults(scale);
}

void Sky::clearToSky(const DayCycle& day) const
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

void Sky::drawBehindScene(const DayCycle& day, const Vector3* pKeptSide) const
{
    // Every layer lands at the far end of the depth range and passes only where the depth
    // buffer still holds its clear value: what was drawn before stays, and no sky is shaded
    // under it. Where the ground surely covers it, it is not even rasterised.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glDepthRange(1.0, 1.0);
    if (pKeptSide)
    {
        const GLdouble kept[4] = {pKeptSide->x, pKeptSide->y, pKeptSide->z, 0.0};
        glClipPlane(GL_CLIP_PLANE0, kept);
        glEnable(GL_CLIP_PLANE0);
    }
    drawLayers(day, true);
    glDisable(GL_CLIP_PLANE0);
    glDepthRange(0.0, 1.0);
    glDepthMask(GL_TRUE);
}
