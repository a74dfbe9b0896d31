// The park's trees: twenty of the one grown tree, scattered over the middle of the ground, standing
// on it, and drawn where the view can see them, nearest first. The tree is compiled once into a
// display list (one draw of all bark, one of all leaves) and replayed at every tree.
#pragma once

#include "math/vector.h"
#include "world/texture.h"
#include "world/treemesh.h"

#include <array>

class Frustum;
class Terrain;

const int kTreeCount = 20;

class Grove
{
public:
    Grove() = default;
    ~Grove();
    Grove(const Grove&) = delete;
    Grove& operator=(const Grove&) = delete;

    // The textures and the compiled tree, once the GL context exists.
    void build();
    // The texture files read and the tree grown ahead of build, without GL; a failure to read is
    // said now.
    void prepare();
    // The texture files alone.
    void readImages();
    // Both textures or none: the bark, then the leaves; loading stops at the first that fails.
    // Takes the images readImages read, if it ran since the last load.
    bool loadTextures();
    // Compiles the tree grown at this ring resolution; false, with a line on stderr, for a step
    // that grows no tree, and false when GL has no list name to give.
    bool buildTreeList(float angularStep);

    // Fills x and z of every tree's place with a whole number in -499 ... 499, from the park's
    // sequence (magnitude, then sign, x before z).
    void scatter();
    // Where tree `index` stands: its place, sunk below the ground there.
    Vector3 base(int index, const Terrain& ground) const;
    const std::array<Vector3, kTreeCount>& places() const { return m_places; }

    // The trees that pass the frustum test, nearest first: a crown in front then hides the ones
    // behind it from the depth test before their fragments are shaded.
    void draw(const Terrain& ground, const Frustum& frustum, const Vector3& eye) const;
    // The tree at the current model-view origin; nothing without a list.
    void drawTree() const;

    // The compiled tree (0 without one), the bark and leaf textures (0 until both load), and the
    // depth of the trunk pieces, which carry no leaves.
    unsigned list() const { return m_list; }
    const unsigned* textures() const { return m_textures; }
    int maxDepth() const { return m_maxDepth; }

private:
    std::array<Vector3, kTreeCount> m_places;
    unsigned m_list = 0;
    unsigned m_textures[2] = {};
    // The tree grown at a step, ahead of the list compiled from it.
    struct GrownTree
    {
        bool ready = false;
        float angularStep = 0.0f;
        int sides = 0;
        int maxDepth = 0;
        TreeMesh mesh;
    };
    void growAhead(float angularStep);

    RgbImageSet m_images; // read, until build uploads them
    GrownTree m_grown;    // grown, until the list is compiled
    int m_maxDepth = 0;
};
