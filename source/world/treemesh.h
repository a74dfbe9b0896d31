// The grown tree as two batches of indexed triangles in the tree's own frame: all bark tubes,
// then all leaf fans. Every trunk piece's lift and turn and every fan's turn about its start
// axis is applied here, once, instead of by the matrix for each fan whenever a tree is drawn;
// the triangles are those the strips and fans make, each in the order OpenGL takes them.
// Building is plain computation (no GL).
#pragma once

#include "world/trees.h"

#include <vector>

struct TreeVertex
{
    float texCoord[2];
    float normal[3];
    float position[3];
};

struct TreeMesh
{
    std::vector<TreeVertex> vertices; // the bark's first, then the leaves'
    std::vector<unsigned short> barkIndices;
    std::vector<unsigned short> leafIndices;
};

// Empty for an empty shape.
TreeMesh buildTreeMesh(const TreeShape& shape);
