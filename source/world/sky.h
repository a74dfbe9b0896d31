// The sky around the viewer: a star box, a tint box that makes the day sky, a masked sun and
// moon turning about the x axis, two translucent cloud boxes, and the scene's fog colour and its
// two lights (GL_LIGHT0 the sun, GL_LIGHT1 the moon), all driven by the day cycle.
#pragma once

#include "world/daycycle.h"

const int kSkyTextureCount = 6;

// The day as its latest frame left it; advanced once per drawSky, or by the ticks.
extern DayCycle g_dayCycle;
// The frame of the day before the latest, which drawing starts from.
extern DayCycle g_previousDay;
// The day's length and whether it is held, against the world's ticks.
extern DayClock g_dayClock;
// 0 stars, 1 sun, 2 sun mask, 3 moon, 4 moon mask, 5 clouds; all 0 unless all six loaded.
extern unsigned g_skyTextures[kSkyTextureCount];
extern unsigned g_starBoxList;
extern unsigned g_skyTintList;
extern unsigned g_sunMoonMaskList;
extern unsigned g_sunMoonList;
extern unsigned g_outerCloudList;
extern unsigned g_innerCloudList;

// Lights, textures and display lists, once, after the GL context exists.
void initSky();
void initSkyLights();
// All six textures or none; loading stops at the first image that fails.
bool loadSkyTextures();
void buildSkyLists();

// One frame of sky: advanceSky and drawSkyLayers, drawn first, under a rotation-only model-view
// matrix with lighting, fog and depth testing off. Leaves lighting on, blending off, the cloud
// texture bound and the matrix turned by the cloud angle: the caller reloads its matrix.
void drawSky();
// The frame's step of the day: the sun, the light switches, colours and directions, the clouds'
// turn, the sky's fade and the fog colour. Under the rotation-only matrix (it places the
// lights), before anything lit or fogged is drawn.
void advanceSky();
// The stars or the day's tint (only the one that shows, or both at dawn and dusk), the masked
// sun and moon, the two cloud boxes; the state of drawSky.
void drawSkyLayers();
// One world tick of the day: the frames of the day cycle that fall due, without GL (the lights
// follow when the day is shown).
void tickSky();
// Moves the day `fraction` of the way through a day from the park's start, with the lights and
// the sky as the day would have brought them there. Before the first tick.
void startDayAt(double fraction);
// The day as drawn `tickFraction` of the way from the previous world tick to the latest.
DayCycle shownDay(float tickFraction);
// The lights switched, coloured and aimed and the fog coloured as `day` has them. Under the
// rotation-only matrix (it places the lights), before anything lit or fogged is drawn.
void showDayLights(const DayCycle& day);

// Clears colour and depth, the colour to the day's tint while it hides the stars wholly (in full
// day a tint box adds nothing to that), else to black. After advanceSky.
void clearToSky();
void clearToSky(const DayCycle& day);
// drawSkyLayers behind what is already drawn, with the depth test on: only where the depth
// buffer still holds its clear value. For a frame begun with clearToSky, whose colour stands in
// for the tint box. Under the rotation-only matrix; with fog off. Leaves the depth test on,
// writing depth again over the whole range.
void drawSkyBehindScene();
void drawSkyBehindScene(const DayCycle& day);
// Sends the light switches, colours and directions a frame of the day cycle asked for.
void updateSkyLights(const SkyLightUpdate& update);

// Geometry, only while the lists are compiled.
void drawSkyCube(float halfSize);
void drawSunQuad(float halfSize, float z);
void drawMoonQuad(float halfSize, float z);
void drawCloudBox(float halfSize, unsigned sideTexture, unsigned topBottomTexture);
