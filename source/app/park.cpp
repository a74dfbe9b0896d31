// The park: its build from a seed, its ticks and the order of one drawn frame.
#include "app/park.h"

#include "math/matrix4.h"
#include "world/skycover.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

namespace
{
const float kNearDistance = 3.0f;
const float kFarDistance = 600.0f;
// Of the ground's merged texture a frame: its 2048 rows in 16 frames, about a millisecond each
// on the software renderer (allocating the texture, before the first band, about 10).
const int kDetailRowsPerFrame = 128;

// What drawing the sky leaves for the ground, which is drawn before it: lighting on, no
// blending, and the clouds' colour as the current one (the ground's material follows it).
void leaveSkyState()
{
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}
} // namespace

void setFixedGlState()
{
    const GLfloat fogColor[] = {0.0f, 0.2f, 1.0f, 1.0f};

    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_COLOR_MATERIAL);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.35f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 600.0f);
}

void Park::build(unsigned seed)
{
    m_hasPreparedSeed = false;
    m_seed = seed;
    m_seeds.noteBuilt(seed);
    m_camera.reset();
    if (!m_glReady)
    {
        setFixedGlState();
    }
    m_ground.init(detectMultitextureApi(), seed, m_mergeDetailLater);
    m_mergeDetailLater = false;
    m_plants.place(m_ground);
    if (!m_glReady)
    {
        m_sky.build();
        m_grove.build();
        m_glReady = true;
    }
    m_animals.setUp();
    m_animals.settle(m_ground);
    // A park made in a pause waits, still, for the pause to end.
    m_animals.holdClocks(m_paused);
    m_camera.settle(m_ground);
    m_grove.scatter();
}

void Park::regenerate()
{
    const unsigned seed = m_hasPreparedSeed ? m_preparedSeed : m_seeds.next();
    m_hasPreparedSeed = false;
    build(seed);
}

void Park::prepareNext()
{
    m_preparedSeed = m_seeds.next();
    m_hasPreparedSeed = true;
    m_ground.prepare(m_preparedSeed);
    m_plants.readImages();
    if (!m_glReady)
    {
        m_sky.readImages();
        m_grove.prepare();
    }
    m_animals.readFiles();
}

void Park::finishStart()
{
    m_ground.startMergingDetail();
}

void Park::startSeedsAt(unsigned seed)
{
    m_seeds.startAt(seed);
}

void Park::resize(int width, int height)
{
    setViewProjection(width, height, m_fieldOfView, m_frustum);
}

void setViewProjection(int width, int height, float fieldOfView, Frustum& frustum)
{
    height = height > 0 ? height : 1;
    const double aspect = double(width) / double(height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, aspect, kNearDistance, kFarDistance);
    frustum.setPerspective(fieldOfView, float(aspect), kNearDistance, kFarDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Park::setPassHook(FramePassHook hook, void* pContext)
{
    m_pPassHook = hook;
    m_pPassContext = pContext;
}

void Park::endPass(FramePass pass)
{
    if (m_pPassHook)
    {
        m_pPassHook(pass, m_pPassContext);
    }
}

// Real time since the frame before, for what turns by the second; no more than the most ticks
// a frame may run, so that a stalled frame does not spin the view.
double Park::secondsSinceLastFrame(int64_t now)
{
    const double most = double(kMostTicksPerFrame) / kTicksPerSecond;
    const double seconds = m_hasFrameTime ? double(now - m_lastFrameMicroseconds) / 1e6 : 0.0;
    m_hasFrameTime = true;
    m_lastFrameMicroseconds = now;
    return seconds < 0.0 ? 0.0 : seconds < most ? seconds : most;
}

double Park::advance(int64_t nowMicroseconds)
{
    const double seconds = secondsSinceLastFrame(nowMicroseconds);
    m_camera.readPointer();
    const int ticks = m_clock.advanceTo(nowMicroseconds);
    // The turns by the second run along the frame's time with the ticks where they fall in it:
    // a tick then walks along the heading of its own moment, whatever the frame rate.
    const double tickSeconds = 1.0 / kTicksPerSecond;
    double turned = 0.0;
    for (int i = 0; i < ticks; ++i)
    {
        const double sinceTick = (double(m_clock.fraction()) + double(ticks - 1 - i)) * tickSeconds;
        const double at = std::clamp(seconds - sinceTick, turned, seconds);
        m_camera.turnFor(at - turned);
        turned = at;
        tick();
    }
    m_camera.turnFor(seconds - turned);
    endPass(FramePass::Ticks);
    return seconds;
}

void Park::tick()
{
    m_camera.tick(m_ground);
    if (!m_paused)
    {
        m_sky.tick();
        m_animals.tick(m_ground);
    }
}

void Park::pause(bool paused)
{
    m_paused = paused;
    m_animals.holdClocks(paused);
}

void Park::draw(float fraction)
{
    // A merge of the ground's textures left by the start goes on, a little each frame, so that
    // no frame waits for all of it.
    m_ground.mergeDetailRows(kDetailRowsPerFrame);
    const Vector3 eye = m_camera.shownPosition(fraction);
    m_camera.aimFrustum(m_frustum, eye);
    glLoadIdentity();
    m_camera.applyRotation();
    // The sky is centred on the eye: it is placed by the rotation alone.
    GLfloat skyRotation[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, skyRotation);

    // The lights and the fog follow the day before anything lit is drawn. The sky itself is
    // drawn once the ground, the trees and the animals are there, only where they left the
    // clear depth: no sky is shaded under them.
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    // The world is drawn where its last ticks stand; in a pause, where the pause caught it.
    if (!m_paused)
    {
        m_worldFraction = fraction;
    }
    const DayCycle day = m_sky.shownDay(m_worldFraction);
    m_sky.showDayLights(day);
    m_sky.clearToSky(day);
    leaveSkyState();

    glEnable(GL_DEPTH_TEST);
    glTranslatef(-eye.x, -eye.y, -eye.z);

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_FOG);
    glPushAttrib(GL_ENABLE_BIT | GL_ACCUM_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_ground.draw(m_frustum);
    glPopAttrib();
    endPass(FramePass::Terrain);

    m_grove.draw(m_ground, m_frustum, eye);
    endPass(FramePass::Trees);

    glColor3f(1.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, 0);
    m_animals.drawWithGl(m_frustum, m_worldFraction);
    endPass(FramePass::Dinosaurs);

    // Everything opaque is in place; the plants, blended with what lies behind them, come last.
    Vector3 keptSky;
    const bool groundHidesSky = planeOverSkyHiddenByGround(eye, skyRotation, keptSky);
    glPushMatrix();
    glLoadMatrixf(skyRotation);
    glDisable(GL_FOG);
    m_sky.drawBehindScene(day, groundHidesSky ? &keptSky : nullptr);
    glEnable(GL_FOG);
    glPopMatrix();
    endPass(FramePass::Sky);

    m_plants.draw(eye, m_frustum);
    endPass(FramePass::Plants);
}

bool Park::planeOverSkyHiddenByGround(Vector3 eye, const float* skyRotation,
                                      Vector3& keptSide) const
{
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float tanHalfWidth = 1.0f / projection[0];
    const float tanHalfHeight = 1.0f / projection[5];
    const float nearReach = nearPlaneReach(kNearDistance, tanHalfWidth, tanHalfHeight);
    // The view's corners turned back from the eye's axes to the world's.
    Matrix4 turn;
    std::copy(skyRotation, skyRotation + 16, turn.m);
    Vector3 corners[4];
    for (int i = 0; i < 4; ++i)
    {
        float corner[3] = {(i & 1) != 0 ? tanHalfWidth : -tanHalfWidth,
                           (i & 2) != 0 ? tanHalfHeight : -tanHalfHeight, -1.0f};
        turn.unrotate(corner);
        corners[i] = Vector3(corner);
    }
    ViewSector sector;
    GroundAround around;
    return viewSector(corners, sector) &&
           m_ground.groundAround(eye, kFarDistance, nearReach, around, &sector) &&
           planeOverHiddenSky(hiddenFallSine(eye.y, around, nearReach), sector, keptSide);
}

void Park::drawFrame()
{
    m_camera.readInput(1.0 / kTicksPerSecond);
    tick();
    endPass(FramePass::Ticks);
    draw(1.0f);
}

void Park::restartClock()
{
    m_clock = TickClock();
    m_hasFrameTime = false;
}

void Park::setDayLength(double seconds)
{
    m_sky.clock().setTicksPerDay(seconds * kTicksPerSecond);
}

void Park::startDayAt(double fraction)
{
    m_sky.startDayAt(fraction);
}

void Park::holdDay(bool held)
{
    m_sky.clock().setHeld(held);
}

double Park::clockHours() const
{
    return clockHoursOfSunAngle(m_sky.day().m_sunAngle);
}

void Park::setLook(float pixelsPerDegree, float stickDegreesPerSecond, bool invert)
{
    m_camera.m_pixelsPerDegree = pixelsPerDegree;
    m_camera.m_stickDegreesPerSecond = stickDegreesPerSecond;
    m_camera.m_invertMouse = invert;
}
