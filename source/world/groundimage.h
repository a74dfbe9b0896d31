// The ground's colour map and its repeated detail image multiplied into one image ahead of time,
// so that each ground pixel samples one texture instead of two; and where that gives the picture
// the two texture stages give: the stages double the lit colour map and clamp it before the
// detail darkens it, the one image cannot, so it stands in only where that clamp never bites.
// None of it touches GL.
#pragma once

#include "formats/decodedimage.h"
#include "math/vector.h"

#include <vector>

// The widest or tallest image a DetailedColourMap makes; past it the two textures stay apart.
const int kMaxDetailedMapSide = 2048;

// The colour map as the GL samples it (bilinear, repeating at its edges) at the centre of each
// texel of the detail image laid `repeat` times across it, times that texel, times 2, clamped:
// what the ground's two texture stages (the colour map doubled, then the detail multiplied in)
// make of a white vertex colour, at the detail's resolution. Made a band of rows at a time, so that
// it goes to the GL in pieces that stay in the cache rather than as one image of many megabytes.
class DetailedColourMap
{
public:
    // False, with nothing to make, when an image is empty, not RGB or shorter than its size,
    // `repeat` is below 1, or the result would exceed kMaxDetailedMapSide on a side. Keeps
    // references to both images until the last band is made.
    bool begin(const DecodedImage& colourMap, const DecodedImage& detail, int repeat);
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Rows [first, first + count) into `out`, 4 bytes a texel (RGB, alpha opaque), tightly
    // packed, bottom row first. Quickest with the bands in rising order.
    void makeRows(int first, int count, unsigned char* out);

private:
    struct CoarseSample
    {
        int first;
        int second;
        float weight;
    };
    static std::vector<CoarseSample> coarseSamples(int fineCount, int coarseCount);
    void stretchRow(int coarseRow, float* fine) const;

    const DecodedImage* m_pColourMap = nullptr;
    const DecodedImage* m_pDetail = nullptr;
    int m_width = 0;
    int m_height = 0;
    std::vector<CoarseSample> m_columns;
    std::vector<CoarseSample> m_rows;
    std::vector<float> m_detailFactors; // 4 a detail texel, alpha's 1
    std::vector<float> m_below;         // the coarse rows either side, stretched across
    std::vector<float> m_above;
    int m_stretchedBelow = -1;
    int m_stretchedAbove = -1;
};

// The directions a patch of ground's vertex normals take: all within the angle whose cosine is
// `cosSpread` of the unit `axis`.
struct NormalCone
{
    Vector3 axis{0.0f, 1.0f, 0.0f};
    float cosSpread = -1.0f; // any direction at all
};
// The narrowest cone about the normals' mean holding them all; any direction for none.
NormalCone coneAround(const Vector3* normals, int count);
// The largest n . l (at least 0) over the unit normals n in `cone`, for a unit `light`.
float mostFacing(const NormalCone& cone, Vector3 light);

// The fixed-function lighting of the ground as the GL holds it, in world axes, the material's
// colours already multiplied in, per red, green and blue.
struct GroundLighting
{
    static const int kMostLights = 8;
    // Emission, the scene's and the lights' ambient and any specular: whatever the normal.
    float base[3] = {};
    // Lights from a direction: where they come from, and their diffuse colour.
    int directionalCount = 0;
    Vector3 directions[kMostLights];
    float diffuse[kMostLights][3] = {};
    // Lights at a point, which may meet any vertex head on: their diffuse colour, summed.
    float nearbyDiffuse[3] = {};
};
// The brightest the GL lights a vertex whose normal lies in `cone`: clamped to 1, as the GL
// clamps the colour it lights.
void brightestLit(const GroundLighting& lighting, const NormalCone& cone, float out[3]);
// Whether the detailed colour map draws what the two texture stages draw: 2 x colour x light and
// 2 x colour x detail at most 1 on every channel, for the largest colour of the patch's map, the
// brightest light on it and the largest detail.
bool detailedMapStandsIn(const float mostColour[3], const float brightestLight[3],
                         const float mostDetail[3]);
