// The application shell: the scene's global objects, the fixed GL state, the GLUT callbacks and
// scene regeneration. main() opens the window and hands over to these.
#pragma once

#include "camera.h"
#include "dinosaurs.h"
#include "frustum.h"
#include "plants.h"
#include "terrain.h"
#include "vector.h"

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

void reshape(int width, int height);
void display();
void keyboard(unsigned char key, int x, int y);

void regenerateScene();
// Fills x and z of every tree position with a whole number in -499 ... 499.
void scatterTrees();
