// The sky around the viewer: a star box, a tint box that makes the day sky, a masked sun and
// moon turning about the x axis, a translucent, lit cloud box, and the scene's fog colour and its
// two lights (GL_LIGHT0 the sun, GL_LIGHT1 the moon), all driven by the day cycle.
#pragma once

#include "math/vector.h"
#include "platform/glapi.h"
#include "world/daycycle.h"
#include "world/skyboxes.h"
#include "world/texture.h"

const int kSkyTextureCount = 6;
const int kSkyListCount = 5;

// The sky of one GL context and the day it shows. The day moves on by the world's ticks and is
// drawn between its last two frames; the lights, the fog and the layers follow what is drawn.
class Sky
{
public:
    Sky() = default;
    ~Sky();
    Sky(const Sky&) = delete;
    Sky& operator=(const Sky&) = delete;

    // Lights, textures and display lists, once, after the GL context exists; the day's lights
    // as a new day's first light has them. Uses the images readImages read, if it ran.
    void build();
    // The texture files read ahead of build, without GL; a failure is said now.
    void readImages();

    // One world tick of the day: the frames of the day cycle that fall due, without GL (the
    // lights follow when the day is shown).
    void tick();
    // Moves the day `fraction` of the way through a day from the park's start, with the lights
    // and the sky as the day would have brought them there. Before the first tick.
    void startDayAt(double fraction);
    // The day from its first light again, as a park's first morning has it: the lights' latches
    // reset and the clock's place with them (its length and whether it is held stay).
    void restartDay();

    // The day as drawn `tickFraction` of the way from the previous world tick to the latest.
    DayCycle shownDay(float tickFraction) const;
    // The lights switched, coloured and aimed and the fog coloured as `day` has them. Under the
    // rotation-only matrix (it places the lights), before anything lit or fogged is drawn.
    void showDayLights(const DayCycle& day) const;
    // Clears colour and depth, the colour to the day's tint while it hides the stars wholly (in
    // full day a tint box adds nothing to that), else to black.
    void clearToSky(const DayCycle& day) const;
    // The stars or the day's tint (only the one that shows; both in one pass where the GL can mix
    // them in its texture stage), the masked sun and moon and the cloud box, behind what is already
    // drawn: only where the depth buffer still holds its clear value. While the stars show, where
    // the GL has two units that can multiply and add, stars, tint and clouds are one pass over the
    // cloud box cut along the star box's edges. For a frame begun with clearToSky, whose colour
    // stands in for the tint box. Under the rotation-only matrix, with fog off. Leaves the depth
    // test on, writing depth again over the whole range, lighting on and blending off. With
    // `pKeptSide`, the sky beneath the plane through the eye with that normal (in world axes),
    // which the ground surely hides, is cut away.
    void drawBehindScene(const DayCycle& day, const Vector3* pKeptSide = nullptr) const;
    // Each layer in a pass of its own even where the texture stages could mix them, as an
    // OpenGL 1.1 draws them: for comparing the two.
    void setLayersApart(bool apart) { m_layersApart = apart; }

    // The latest frame of the day, and the one before it.
    const DayCycle& day() const { return m_day; }
    DayCycle& day() { return m_day; }
    const DayCycle& previousDay() const { return m_previousDay; }
    // The day's length and whether it is held, against the world's ticks.
    DayClock& clock() { return m_clock; }
    const DayClock& clock() const { return m_clock; }
    // 0 stars, 1 sun, 2 sun mask, 3 moon, 4 moon mask, 5 clouds; all 0 unless all six loaded.
    const unsigned* textures() const { return m_textures; }
    // The five display lists (stars, tint, masks, sun and moon, clouds); 0 for a list GL had no
    // name for.
    const unsigned* lists() const { return m_lists; }

private:
    void setUpLights();
    void buildLists();
    void runDayFrames(int count);
    void drawLayers(const DayCycle& day, bool clearedToTint) const;
    void drawStarsOrTint(const DayCycle& day, bool starsShow, bool tintShows) const;
    void drawSunAndMoon(float sunAngle) const;
    void drawLayersInOnePass(const DayCycle& day) const;
    void drawPieces(const SkyPieces& pieces, unsigned projectedUnit, unsigned cloudUnit) const;
    void drawStarsTintAndClouds(const DayCycle& day, const SkyPieces& pieces) const;

    DayCycle m_day;
    DayCycle m_previousDay;
    DayClock m_clock;
    unsigned m_textures[kSkyTextureCount] = {};
    RgbImageSet m_images; // read, until build uploads them
    unsigned m_lists[kSkyListCount] = {};
    // Whether the texture stage can mix the tint into the stars (OpenGL 1.3's combine).
    bool m_tintWithStars = false;
    // Whether the stars, the tint and the clouds can be drawn in one pass: two texture units,
    // projected coordinates and the stage's multiply-and-add.
    bool m_cloudsWithStars = false;
    MultitextureApi m_multitexture;
    bool m_layersApart = false;
};

// Geometry, only while the lists are compiled.
void drawSkyCube(float halfSize);
void drawSunQuad(float halfSize, float z);
void drawMoonQuad(float halfSize, float z);
void drawCloudBox(float halfSize, unsigned sideTexture, unsigned topBottomTexture);
