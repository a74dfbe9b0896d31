// Deterministic, tileable noise for the image generator. Every function takes texture
// coordinates u, v in [0, 1) and a number of lattice cells across the image; the pattern repeats
// exactly with period 1 in u and v, so images built from it tile without seams.
#pragma once

#include <cstdint>

// A well-mixed 32-bit hash of lattice coordinates and a seed.
uint32_t hashCell(int x, int y, uint32_t seed);
// The hash as a float in [0, 1).
float hashUnit(int x, int y, uint32_t seed);

// Gradient noise in about [-1, 1], smooth, with cellsU x cellsV lattice cells per period
// (unequal counts stretch the pattern: few cells along v make vertical streaks).
float tileNoise(float u, float v, int cellsU, int cellsV, uint32_t seed);
inline float tileNoise(float u, float v, int cells, uint32_t seed)
{
    return tileNoise(u, v, cells, cells, seed);
}
// Sum of `octaves` layers of tileNoise, each with twice the cells and `gain` times the
// amplitude of the previous; normalised to about [-1, 1].
float tileFbm(float u, float v, int cellsU, int cellsV, int octaves, float gain, uint32_t seed);
inline float tileFbm(float u, float v, int cells, int octaves, float gain, uint32_t seed)
{
    return tileFbm(u, v, cells, cells, octaves, gain, seed);
}

// Distances (in cell units) to the nearest and second-nearest feature point of a tileable
// cellular pattern with `cells` x `cells` cells, one jittered point per cell, and an id of the
// nearest point's cell.
struct CellularSample
{
    float nearest;
    float second;
    uint32_t id;
};
CellularSample tileCellular(float u, float v, int cells, uint32_t seed);

// A small deterministic generator for scattering shapes.
class Scatter
{
public:
    explicit Scatter(uint32_t seed) : m_state((seed * 2654435761u + 0x9E3779B9u) | 1u) {}
    uint32_t next();
    // Uniform in [low, high).
    float range(float low, float high);

private:
    uint32_t m_state;
};

float clamp01(float value);
float smoothStep(float edge0, float edge1, float value);
float mix(float a, float b, float t);
