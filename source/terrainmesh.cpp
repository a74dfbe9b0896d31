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

void addTileIndices(const CellRange& cells, unsigned firstVertex, std::vector<unsigned>& indices)
{
    const unsigned columnLength = unsigned(cells.zEnd - cells.zBegin + 1);
    auto vertexAt = [&](int vx, int vz) {
        return firstVertex + unsigned(vx - cells.xBegin) * columnLength +
               unsigned(vz - cells.zBegin);
    };
    for (int x = cells.xBegin; x < cells.xEnd; ++x)
    {
        for (int z = cells.zBegin; z < cells.zEnd; ++z)
        {
            const unsigned corners[6] = {
                vertexAt(x + 1, z), vertexAt(x, z),     vertexAt(x + 1, z + 1),
                vertexAt(x, z),     vertexAt(x, z + 1), vertexAt(x + 1, z + 1),
            };
            indices.insert(indices.end(), corners, corners + 6);
        }
    }
}
} // namespace

void TerrainMesh::build(const Terrain& terrain)
{
    m_vertices.clear();
    m_indices.clear();
    m_tiles.clear();
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
                tile.firstIndex = unsigned(m_indices.size());
                const unsigned firstVertex = unsigned(m_vertices.size());
                addTileVertices(terrain, cells, tile, m_vertices);
                addTileIndices(cells, firstVertex, m_indices);
                tile.indexCount = unsigned(m_indices.size()) - tile.firstIndex;
                m_tiles.push_back(tile);
            }
        }
    }
}
