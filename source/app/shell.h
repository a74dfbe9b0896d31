// The application shell: the scene's global objects, the fixed GL state, the GLUT callbacks and
// scene regeneration. main() opens the window and hands over to these.
#pragma once

#include "creatures/dinosaurs.h"
#include "math/frustum.h"
#include "math/vector.h"
#include "world/camera.h"
#include "world/plants.h"
#include "world/terrain.h"

const int kWindowWidth = 800;
const int kWindowHeight = 600;
const int kTreeCount = 20;

extern Terrain g_terrain;
extern DinosaurSet g_dinosaurs;
extern Frustum g_frustum;
extern PlantField g_plants;
extern Camera g_camera;
extern Vector3 g_treePositions[kTreeCount];
extern int g_fullScreen;

// The state every frame relies on; set once after the window exists.
void setFixedGlState();
// Builds every scene object once (needs the GL context).
void setUpScene();

// Registers the reshape, display and key callbacks on the current window; the walking keys
// report their presses and releases without the keyboard's repeats.
void registerCallbacks();

void reshape(int width, int height);
// One displayed frame: runFrame(), then a screenshot if one was asked for, the pace, the swap,
// and a request for the next frame (or the end, after the last frame of a limit).
void display();
// The command keys (Esc, f, p, r, t, m, h) and the presses of the walking keys.
void keyboard(unsigned char key, int x, int y);
// The releases of the walking keys.
void keyboardUp(unsigned char key, int x, int y);
// The arrow keys: Up and Down walk, Left and Right turn, as long as they are held; F1 shows and
// hides the help panel.
void specialKey(int key, int x, int y);
void specialKeyUp(int key, int x, int y);

// The program leaves with status 0 once `frames` more frames have been shown (0: never), having
// saved a screenshot of the last one when asked to.
void setFrameLimit(int frames, bool screenshotOnLastFrame);

// The passes of a frame. The world's ticks come first; then the terrain is drawn (with the clear
// and the day's lights), then the trees and the animals; the sky then fills in behind them, and
// the plants come last.
enum class FramePass
{
    Sky,
    Terrain,
    Trees,
    Dinosaurs,
    Plants,
    Ticks,
};
const int kFramePassCount = 6;

// Called after every pass of every frame with the pass just drawn (timing, tests that read the
// pixels a pass left); null for none.
using FramePassHook = void (*)(FramePass pass, void* pContext);
void setFramePassHook(FramePassHook hook, void* pContext);

// One world tick: the camera's motion, the day, the animals' behaviour and steering.
void tickWorld();
// Draws the world into the back buffer, from the clear to the plants, `fraction` (0 ... 1) of
// the way from the previous tick to the latest.
void drawWorld(float fraction);
// The input of a displayed frame, the ticks real time has brought since the last (on the
// platform clock), and the world drawn between the last two.
void runFrame();
// Ticks run since the world's clock started, and how far past the latest the last frame drew.
int64_t worldTicksRun();
float worldTickFraction();
// The world's clock starts again at the next frame, owing nothing (for a world built anew).
void restartWorldClock();
// A frame of exactly one tick, drawn as that tick left the world (the input read as for a
// sixtieth of a second): the same frame whatever the clock says.
void drawFrame();

// Asks for a screenshot of the next frame, taken before its swap at the window's size.
void requestScreenshot();

// A new landscape from the terrain's next seed, announced on stdout as "seed <N>" so that the
// park can be made again with --seed.
void generateLandscape();
// The `r` key: the camera back at the centre, then a new landscape, plants, animals and trees,
// drawing from the new seed's sequence in the order the start-up does, so that a park reached by
// `r` is the one its seed makes at start-up.
void regenerateScene();
// Fills x and z of every tree position with a whole number in -499 ... 499.
void scatterTrees();

// Paces the frames at the screen's refresh rate, read again whenever the window changes size.
void followDisplayRefreshRate();

// The `t` key: holds the time of day or lets it go on, and says which.
void toggleTimeOfDay();

// The help panel over the park (F1, h), drawn after any screenshot is taken.
void toggleHelpPanel();
bool isHelpPanelShown();
// A line of news at the foot of the window, printf-style, shown for three seconds and fading.
void announce(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The news line's text and how much of it shows now.
const char* statusLineText();
float statusLineOpacity();
// The panel, when shown, and the news line over the finished frame.
void drawOverlay();
