// Building the ground's tiles: vertex blocks, indices and bounding boxes.
#include "terrainmesh.h"

#include "terrain.h"

#include <algorithm>

namespace
{
void addVertex(const MeshVertex& source, std::vector<TerrainVertex>& vertices)
{
    TerrainVertex vertex;
    vertex.colour[0] = source.colourS;
    vertex.colour[1] = source.colourT;
    vertex.detail[0] = source.detailS;
    vertex.detail[1] = source.detailT;
    vertex.normal[0] = source.normal.x;
    vertex.normal[1] = source.normal.y;
    vertex.normal[2] = source.normal.z;
    vertex.position[0] = source.position.x;
    vertex.position[1] = source.position.y;
    vertex.position[2] = source.position.z;
    vertices.push_back(vertex);
}

// The tile's vertices (x0 .. x1, z0 .. z1), each as the tile's cells see it, and the box round
// them in world coordinates.
void addTileVertices(const Terrain& terrain, const CellRange& cells, TerrainTile& tile,
                     std::vector<TerrainVertex>& vertices)
{
    const float halfExtent = float(terrain.size) * terrain.cellSize / 2.0f;
    float lowest = terrain.getHeight(cells.xBegin, cells.zBegin);
    float highest = lowest;
    for (int vx = cells.xBegin; vx <= cells.xEnd; ++vx)
    {
        for (int vz = cells.zBegin; vz <= cells.zEnd; ++vz)
        {
            // Inside a tile a vertex is a far corner only of the tile's last column or row.
            const int cellX = std::min(vx, cells.xEnd - 1);
            const int cellZ = std::min(vz, cells.zEnd - 1);
            addVertex(terrain.meshVertex(vx, vz, cellX, cellZ), vertices);
            lowest = std::min(lowest, terrain.getHeight(vx, vz));
            highest = std::max(highest, terrain.getHeight(vx, vz));
        }
    }
    tile.boxMin[0] = float(cells.xBegin) * terrain.cellSize - halfExtent;
    tile.boxMax[0] = float(cells.xEnd) * terrain.cellSize - halfExtent;
    tile.boxMin[1] = lowest * terrain.heightScale;
    tile.boxMax[1] = highest * terrain.heightScale;
    tile.boxMin[2] = float(cells.zBegin) * terrain.cellSize - halfExtent;
    tile.boxMax[2] = float(cells.zEnd) * terrain.cellSize - halfExtent;
}

void addIndexPattern(int cellsAcross, int cellsDeep, std::vector<unsigned short>& indices)
{
    const int columnLength = cellsDeep + 1;
    auto vertexAt = [&](int x, int z) { return static_cast<unsigned short>(x * columnLength + z); };
    for (int x = 0; x < cellsAcross; ++x)
    {
        for (int z = 0; z < cellsDeep; ++z)
        {
            const unsigned short corners[6] = {
                vertexAt(x + 1, z), vertexAt(x, z),     vertexAt(x + 1, z + 1),
                vertexAt(x, z),     vertexAt(x, z + 1), vertexAt(x + 1, z + 1),
            };
            indices.insert(indices.end(), corners, corners + 6);
        }
    }
}

struct TileShape
{
    int cellsAcross;
    int cellsDeep;
    unsigned firstIndex;
};

// Where the pattern for tiles of this shape starts, made on first use.
unsigned patternFor(int cellsAcross, int cellsDeep, std::vector<TileShape>& shapes,
                    std::vector<unsigned short>& indices)
{
    for (const TileShape& shape : shapes)
    {
        if (shape.cellsAcross == cellsAcross && shape.cellsDeep == cellsDeep)
        {
            return shape.firstIndex;
        }
    }
    const unsigned first = unsigned(indices.size());
    addIndexPattern(cellsAcross, cellsDeep, indices);
    shapes.push_back({cellsAcross, cellsDeep, first});
    return first;
}
} // namespace

void TerrainMesh::build(const Terrain& terrain)
{
    m_vertices.clear();
    m_indices.clear();
    m_tiles.clear();
    // At most 256 tiles of 17 x 17 vertices: reserved at once, not grown by copying.
    const int tilesAcross = (terrain.size + kTerrainTileCells - 1) / kTerrainTileCells;
    m_vertices.reserve(size_t(tilesAcross * tilesAcross) * (kTerrainTileCells + 1) *
                       (kTerrainTileCells + 1));
    m_tiles.reserve(size_t(tilesAcross * tilesAcross));
    std::vector<TileShape> shapes;
    for (int quadrant = 0; quadrant < 4; ++quadrant)
    {
        const CellRange quadrantCells = terrain.quadrantCells(quadrant);
        for (int x = quadrantCells.xBegin; x < quadrantCells.xEnd; x += kTerrainTileCells)
        {
            for (int z = quadrantCells.zBegin; z < quadrantCells.zEnd; z += kTerrainTileCells)
            {
                const CellRange cells = {x, std::min(x + kTerrainTileCells, quadrantCells.xEnd), z,
                                         std::min(z + kTerrainTileCells, quadrantCells.zEnd)};
                TerrainTile tile;
                tile.quadrant = quadrant;
                tile.firstVertex = unsigned(m_vertices.size());
                addTileVertices(terrain, cells, tile, m_vertices);
                const int cellsAcross = cells.xEnd - cells.xBegin;
                const int cellsDeep = cells.zEnd - cells.zBegin;
                tile.firstIndex = patternFor(cellsAcross, cellsDeep, shapes, m_indices);
                tile.indexCount = unsigned(6 * cellsAcross * cellsDeep);
                m_tiles.push_back(tile);
            }
        }
    }
}
