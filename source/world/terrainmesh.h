// The ground as vertex and index arrays for buffer objects: the same triangles, vertices and
// attributes the display lists hold, cut into tiles of 8 x 8 cells that can be skipped one by
// one when they lie outside the view. Building is plain computation (no GL).
#pragma once

#include "world/groundimage.h"

#include <cstddef>
#include <vector>

class Terrain;

// Small enough that drawing the tiles nearest first hides most of the ground's far slopes from
// the depth test before they are shaded (along the benchmark's flight, tiles of 16 cells shade
// 10 % more of the ground's pixels than the screen shows of it, tiles of 8 4 %); large enough
// that a frame draws a few dozen of them.
const int kTerrainTileCells = 8;
// The most tiles a ground of 256 x 256 vertices is cut into.
const int kMaxTerrainTiles = (256 / kTerrainTileCells) * (256 / kTerrainTileCells);

// Interleaved, as the vertex arrays read it.
struct TerrainVertex
{
    float colour[2]; // texture unit 0
    float detail[2]; // texture unit 1
    float normal[3];
    float position[3]; // in the frame translated by minus half the ground's extent
};

struct TerrainTile
{
    int quadrant = 0;
    unsigned firstVertex = 0; // the tile's block of vertices
    unsigned firstIndex = 0;  // its shape's index pattern
    unsigned indexCount = 0;
    float boxMin[3] = {}; // world coordinates, the heights included
    float boxMax[3] = {};
    // The largest of each channel of the colour map where the tile samples it (1 without a
    // map), and the directions its normals take: what light its colour can meet.
    float mostColour[3] = {1.0f, 1.0f, 1.0f};
    NormalCone normals;
};

class TerrainMesh
{
public:
    // Each tile has a block of vertices of its own: the detail texture runs on to 1.0 across the
    // last cell of a detail tile, so a vertex on that seam has two texture coordinates.
    std::vector<TerrainVertex> m_vertices;
    // One index pattern for each shape of tile (whole, or a cell short across or deep), counted
    // from the tile's first vertex: two triangles a cell, cell by cell as the lists draw them (x
    // outer, z inner). Tiles of one shape share it, so the patterns stay a few kilobytes.
    std::vector<unsigned short> m_indices;
    // Quadrant by quadrant (0 to 3), each quadrant's tiles in a row.
    std::vector<TerrainTile> m_tiles;

    // Rebuilds everything from the terrain's generated arrays into m_vertices, reusing the
    // storage.
    void build(const Terrain& terrain);
    // The same with the vertices written to `vertices` (vertexCount of them, for instance a
    // mapped buffer object), m_vertices left empty.
    void build(const Terrain& terrain, TerrainVertex* vertices);
    static size_t vertexCount(const Terrain& terrain);

private:
    void buildTiles(const Terrain& terrain, TerrainVertex* vertices);
};
