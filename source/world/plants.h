// Ground vegetation: some three thousand cross-billboard plants of four species, scattered over
// the terrain, culled against the view, sorted by distance and drawn far to near with blending.
//
// Placement, culling and both orderings are plain computations (no GL) so they can be checked
// without a window; only texture loading and the draw pass talk to OpenGL.
#pragma once

#include "formats/decodedimage.h"
#include "math/vector.h"
#include "world/bladeoutline.h"

#include <string>

class Frustum;
class Terrain;

const int kPlantCount = 3030;
const int kPlantSpeciesCount = 4;
const int kBladeCount = 6;

struct PlantSpecies
{
    unsigned m_texture = 0;              // RGBA texture; 0 when the image could not be loaded
    Vector3 m_bladeCentres[kBladeCount]; // centre of each half-quad at unit size
    // What is drawn of the image's left and right halves: where the texture can show.
    BladeOutline m_outlines[2] = {wholeHalf(true), wholeHalf(false)};
};

class PlantField
{
public:
    PlantField() = default;
    // Releases the species' textures (no GL call for a field that loaded none).
    ~PlantField();
    PlantField(const PlantField&) = delete;
    PlantField& operator=(const PlantField&) = delete;

    PlantSpecies m_species[kPlantSpeciesCount];
    Vector3 m_positions[kPlantCount]; // base point of each plant, world coordinates
    float m_scales[kPlantCount] = {}; // height and width in world units
    int m_visible[kPlantCount] = {};  // indices that passed culling, nearest first after sorting
    int m_speciesIndex[kPlantCount] = {};
    float m_distances[kPlantCount] = {}; // from the camera; valid for visible plants only
    float m_tilts[kPlantCount] = {};     // lean in degrees
    int m_visibleCount = 0;

    // Scatters the plants over the terrain and (re)loads the four textures, reusing the texture
    // names of an earlier call. Needs the current GL context; call after the terrain exists.
    void place(const Terrain& terrain);

    // The placement part of place(): positions, scales, species and tilts, drawing four random
    // values per plant from the park's sequence. No GL.
    void scatter(const Terrain& terrain);

    // The blade centres of every species (the same for all). No GL.
    void setBladeCentres();

    // Fills the visible slots with the plants that pass the frustum test, nearest first; plants
    // at equal distances keep ascending index order. No GL, no allocation.
    void collectVisible(Vector3 cameraPosition, const Frustum& frustum);

    // Calls visit(plantIndex) for every visible plant, farthest first (the last slot first).
    template <class Visit> void visitFarToNear(Visit visit) const
    {
        for (int slot = m_visibleCount - 1; slot >= 0; --slot)
        {
            visit(m_visible[slot]);
        }
    }

    // One frame's plant pass: pass state, culling, sorting and drawing. Needs the GL context.
    void draw(Vector3 cameraPosition, const Frustum& frustum);

    // Loads the species images as RGBA textures, reporting each file that fails on stderr. Takes
    // the images readImages read, if it ran since the last load.
    void loadTextures();
    // The species images read ahead of loadTextures, without GL; a failure is said when loaded.
    void readImages();

private:
    // A species image with its clear texels bled, or why it could not be read.
    struct ReadImage
    {
        DecodedImage image;
        std::string problem;
    };

    void drawPlant(const PlantSpecies& species, Vector3 cameraPosition, Vector3 position,
                   float scale, float tilt) const;
    bool loadSpeciesTexture(PlantSpecies& species, const char* fileName, ReadImage& read);

    int m_sortScratch[kPlantCount] = {};
    ReadImage m_images[kPlantSpeciesCount];
    bool m_imagesRead = false;
};

// Image file of a species, cull radius and far limit of its frustum test.
const char* plantTextureFile(int species);
float plantCullRadius(int species);
float plantMaxDistance(int species);

// Sorts items[0..count) by keys[item] ascending; items with equal keys keep their order.
// O(n log n) with the caller's scratch of count entries; never allocates.
void stableSortByKey(int* items, int count, const float* keys, int* scratch);

// Blade indices 0..5 ordered farthest from the camera first; blades at equal distances keep
// ascending index order. Blade k's centre is position + scale * bladeCentres[k] (no tilt).
void orderBladesFarToNear(Vector3 cameraPosition, Vector3 position, float scale,
                          const Vector3* bladeCentres, int* order);

// Gives every fully transparent texel of the RGBA image that is next to a visible one its
// neighbours' colour, so that linear filtering cannot pull black into the edges.
void bleedIntoClearTexels(DecodedImage& image);
