// The park's ground: a square grid of generated heights with normals and texture coordinates,
// drawn as four multitextured quadrant display lists, and the ground-height query everything
// standing on the ground uses.
//
// Vertex (x, z) of the grid, 0 <= x, z < size, lives at index x + z * size and is drawn at world
// (x * cellSize - size * cellSize / 2, height * heightScale, z * cellSize - size * cellSize / 2).
#pragma once

#include "vector.h"

struct MaterialBand
{
    float low;
    float optimum;
    float high;
};

class Frustum;

class Terrain
{
public:
    Terrain() = default;
    ~Terrain();
    Terrain(const Terrain&) = delete;
    Terrain& operator=(const Terrain&) = delete;

    unsigned listBase = 0;
    int size = 256;
    float cellSize = 20.0f;
    float heightScale = 200.0f;
    float minHillRadius = 1.0f;
    float maxHillRadius = 10.0f;
    int hillCount = 1000;
    int flattenPower = 1;
    float* heightMap = nullptr;
    Vector3* normals = nullptr;
    MaterialBand materialBands[5] = {};
    unsigned sourceImages[5] = {};
    float* colourU = nullptr;
    float* colourV = nullptr;
    float* detailU = nullptr;
    float* detailV = nullptr;
    unsigned canvasImage = 0;
    unsigned detailImage = 0;
    unsigned colourMapTexture = 0;
    unsigned detailTexture = 0;
    int detailRepeat = 8;

    // Sets the grid constants and (re)allocates the six per-vertex arrays, releasing old ones.
    // Needs no GL context; tests use it to build a terrain by hand.
    void allocateArrays();
    void releaseArrays();

    // Grid accessors; no bounds checks (callers keep 0 <= x, z < size).
    float getHeight(int x, int z) const { return heightMap[x + z * size]; }
    void setHeight(int x, int z, float h) { heightMap[x + z * size] = h; }
    void addHeight(int x, int z, float dh) { heightMap[x + z * size] += dh; }
    Vector3 getNormal(int x, int z) const { return normals[x + z * size]; }
    void setNormal(int x, int z, Vector3 n) { normals[x + z * size] = n; }

    // World height of the ground at world (x, z) plus 7 units; 0.0 off the terrain (and before
    // any heights exist).
    float groundHeight(float x, float z) const;
};
