// Billboard plants: placement over the terrain, per-frame culling and far-to-near ordering, the
// RGBA textures and the blended draw pass.
#include "world/plants.h"

#include "formats/bytecursor.h"
#include "formats/imagelibrary.h"
#include "formats/loadreport.h"
#include "formats/pngcheck.h"
#include "math/frustum.h"
#include "math/random.h"
#include "world/terrain.h"
#include "world/texture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <string>
#include <vector>

namespace
{
struct SpeciesTraits
{
    const char* fileName;
    int firstPlant;
    int endPlant; // one past the last
    float minScale;
    float maxScale;
    float maxTilt; // tilts are drawn from -maxTilt to +maxTilt
    float baseBelowGround;
    float cullRadius;
    float maxDistance;
};

const SpeciesTraits kSpecies[kPlantSpeciesCount] = {
    {"terrainTexs/fgrass.png", 0, 500, 10.0f, 20.0f, 30.0f, 8.0f, 10.0f, 500.0f},
    {"terrainTexs/ohiatree2.png", 500, 530, 60.0f, 150.0f, 10.0f, 8.0f, 50.0f, 3000.0f},
    {"terrainTexs/brush.png", 530, 2530, 5.0f, 10.0f, 10.0f, 7.0f, 10.0f, 500.0f},
    {"terrainTexs/fern3.png", 2530, 3030, 10.0f, 15.0f, 20.0f, 8.0f, 10.0f, 500.0f},
};
const int kClusteredSpecies = 2;
const int kClusterSize = 10;

const Vector3 kBladeCentres[kBladeCount] = {
    Vector3(-0.25f, 0.0f, 0.0f), Vector3(-0.125f, 0.0f, 0.216f), Vector3(0.125f, 0.0f, 0.216f),
    Vector3(0.25f, 0.0f, 0.0f),  Vector3(0.125f, 0.0f, -0.216f), Vector3(-0.125f, 0.0f, -0.216f),
};

// A random world x or z over the whole terrain, shifted by -5 as the scattering always was.
float randomCoordinate(const Terrain& terrain)
{
    const float half = float(terrain.size) * terrain.cellSize / 2.0f;
    return randomRange(-half - 5.0f, half - 5.0f);
}

// Merges the sorted runs from[left, middle) and from[middle, right) into to[left, right); on
// equal keys the left run goes first.
void mergeRuns(const int* from, int left, int middle, int right, const float* keys, int* to)
{
    int i = left;
    int j = middle;
    int out = left;
    while (i < middle && j < right)
    {
        if (keys[from[j]] < keys[from[i]])
        {
            to[out++] = from[j++];
        }
        else
        {
            to[out++] = from[i++];
        }
    }
    while (i < middle)
    {
        to[out++] = from[i++];
    }
    while (j < right)
    {
        to[out++] = from[j++];
    }
}

bool isTransparent(const unsigned char* texel)
{
    return texel[3] == 0;
}

// Gives a fully transparent texel the alpha-weighted mean colour of its visible neighbours, if
// it has any. Visible texels are never changed, so one pass in place reads only originals.
void bleedIntoTexel(std::vector<unsigned char>& texels, int width, int height, int x, int y)
{
    unsigned sum[3] = {0, 0, 0};
    unsigned weight = 0;
    for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, height - 1); ++ny)
    {
        for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, width - 1); ++nx)
        {
            const unsigned char* neighbour = &texels[(size_t(ny) * width + nx) * 4];
            for (int c = 0; c < 3; ++c)
            {
                sum[c] += unsigned(neighbour[c]) * neighbour[3];
            }
            weight += neighbour[3];
        }
    }
    if (weight == 0)
    {
        return;
    }
    unsigned char* texel = &texels[(size_t(y) * width + x) * 4];
    for (int c = 0; c < 3; ++c)
    {
        texel[c] = (unsigned char)((sum[c] + weight / 2) / weight);
    }
}

const char* const kDrawnUntextured = "these plants are drawn untextured";

// Reads a species image as RGBA rows, bottom row (the base of the plant) first. The structure is
// checked before the image library sees the bytes: its PNG decoder keeps memory it never frees
// when the image data breaks off.
bool decodePlantImage(const char* fileName, DecodedImage& image, std::string& problem)
{
    std::vector<unsigned char> bytes;
    if (!readWholeFile(fileName, bytes))
    {
        return refuse(problem, "cannot be opened");
    }
    return checkPngStructure(bytes.data(), bytes.size(), problem) &&
           decodePngImage(bytes.data(), bytes.size(), 4, image, problem);
}

bool fitsLargestTexture(const DecodedImage& image, std::string& problem)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (image.width > largest || image.height > largest)
    {
        return refuse(problem, "%d x %d is larger than the largest texture, %d x %d", image.width,
                      image.height, int(largest), int(largest));
    }
    return true;
}

// A blade's turn about the plant's upright axis, as glRotatef would turn it.
struct BladeTurn
{
    float cosine;
    float sine;
};

BladeTurn turnByDegrees(float degrees)
{
    const float radians = degrees * 3.14159265358979f / 180.0f;
    return {std::cos(radians), std::sin(radians)};
}

// Blades 0..2 are left halves, 3..5 right halves, each turned by 0, 60 or 120 degrees.
const BladeTurn kBladeTurns[3] = {{1.0f, 0.0f}, turnByDegrees(60.0f), turnByDegrees(120.0f)};

// One half of the unit blade (normal (0, 0, 1) before its turn) as far as its outline reaches,
// as the triangles of the outline's fan.
void emitBladeOutline(const BladeOutline& outline, const BladeTurn& turn)
{
    glNormal3f(turn.sine, 0.0f, turn.cosine);
    for (int i = 1; i + 1 < outline.cornerCount; ++i)
    {
        for (int corner : {0, i, i + 1})
        {
            const float* texCoord = outline.corners[corner];
            const float x = texCoord[0] - 0.5f;
            glTexCoord2f(texCoord[0], texCoord[1]);
            glVertex3f(turn.cosine * x, texCoord[1], -turn.sine * x);
        }
    }
}
} // namespace

const char* plantTextureFile(int species)
{
    return kSpecies[species].fileName;
}

float plantCullRadius(int species)
{
    return kSpecies[species].cullRadius;
}

float plantMaxDistance(int species)
{
    return kSpecies[species].maxDistance;
}

PlantField::~PlantField()
{
    for (PlantSpecies& species : m_species)
    {
        if (species.m_texture != 0)
        {
            glDeleteTextures(1, &species.m_texture);
        }
    }
}

void PlantField::place(const Terrain& terrain)
{
    scatter(terrain);
    setBladeCentres();
    loadTextures();
}

void PlantField::scatter(const Terrain& terrain)
{
    for (int species = 0; species < kPlantSpeciesCount; ++species)
    {
        const SpeciesTraits& traits = kSpecies[species];
        for (int i = traits.firstPlant; i < traits.endPlant; ++i)
        {
            float x = 0.0f;
            float z = 0.0f;
            if (species != kClusteredSpecies)
            {
                m_scales[i] = randomRange(traits.minScale, traits.maxScale);
                x = randomCoordinate(terrain);
                z = randomCoordinate(terrain);
            }
            else if (i % kClusterSize == 0)
            {
                x = randomCoordinate(terrain);
                z = randomCoordinate(terrain);
            }
            else
            {
                // Each cluster runs toward +x and wanders in z; members may leave the terrain.
                x = m_positions[i - 1].x + randomRange(3.0f, 5.0f);
                z = m_positions[i - 1].z + randomRange(-15.0f, 15.0f);
            }
            m_positions[i].set(x, terrain.groundHeight(x, z) - traits.baseBelowGround, z);
            if (species == kClusteredSpecies)
            {
                m_scales[i] = randomRange(traits.minScale, traits.maxScale);
            }
            m_tilts[i] = randomRange(-traits.maxTilt, traits.maxTilt);
            m_speciesIndex[i] = species;
        }
    }
}

void PlantField::setBladeCentres()
{
    for (PlantSpecies& species : m_species)
    {
        std::copy(kBladeCentres, kBladeCentres + kBladeCount, species.m_bladeCentres);
    }
}

void PlantField::collectVisible(Vector3 cameraPosition, const Frustum& frustum)
{
    m_visibleCount = 0;
    for (int i = 0; i < kPlantCount; ++i)
    {
        const int species = m_speciesIndex[i];
        assert(species >= 0 && species < kPlantSpeciesCount && "plant species in 0..3");
        if (frustum.isSphereVisible(m_positions[i], kSpecies[species].cullRadius,
                                    kSpecies[species].maxDistance))
        {
            m_visible[m_visibleCount++] = i;
            m_distances[i] = (m_positions[i] - cameraPosition).length();
        }
    }
    stableSortByKey(m_visible, m_visibleCount, m_distances, m_sortScratch);
}

void stableSortByKey(int* items, int count, const float* keys, int* scratch)
{
    int* from = items;
    int* to = scratch;
    for (int width = 1; width < count; width *= 2)
    {
        for (int left = 0; left < count; left += 2 * width)
        {
            const int middle = std::min(left + width, count);
            const int right = std::min(left + 2 * width, count);
            mergeRuns(from, left, middle, right, keys, to);
        }
        std::swap(from, to);
    }
    if (from != items)
    {
        std::copy(from, from + count, items);
    }
}

void orderBladesFarToNear(Vector3 cameraPosition, Vector3 position, float scale,
                          const Vector3* bladeCentres, int* order)
{
    float keys[kBladeCount];
    for (int k = 0; k < kBladeCount; ++k)
    {
        keys[k] = (position + bladeCentres[k] * scale - cameraPosition).length();
        order[k] = k;
    }
    // Insertion sort: a blade moves ahead only past strictly nearer ones.
    for (int i = 1; i < kBladeCount; ++i)
    {
        const int blade = order[i];
        int j = i;
        while (j > 0 && keys[blade] > keys[order[j - 1]])
        {
            order[j] = order[j - 1];
            --j;
        }
        order[j] = blade;
    }
}

void bleedIntoClearTexels(DecodedImage& image)
{
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            if (isTransparent(image.at(x, y)))
            {
                bleedIntoTexel(image.pixels, image.width, image.height, x, y);
            }
        }
    }
}

void PlantField::readImages()
{
    for (int species = 0; species < kPlantSpeciesCount; ++species)
    {
        ReadImage& read = m_images[species];
        read.problem.clear();
        if (decodePlantImage(kSpecies[species].fileName, read.image, read.problem))
        {
            bleedIntoClearTexels(read.image);
        }
    }
    m_imagesRead = true;
}

void PlantField::loadTextures()
{
    if (!m_imagesRead)
    {
        readImages();
    }
    for (int species = 0; species < kPlantSpeciesCount; ++species)
    {
        loadSpeciesTexture(m_species[species], kSpecies[species].fileName, m_images[species]);
        m_images[species] = ReadImage();
    }
    m_imagesRead = false;
}

bool PlantField::loadSpeciesTexture(PlantSpecies& species, const char* fileName, ReadImage& read)
{
    const DecodedImage& image = read.image;
    std::string& problem = read.problem;
    if (!problem.empty() || !fitsLargestTexture(image, problem))
    {
        reportLoadFailure(fileName, problem, kDrawnUntextured);
        // Texture 0 has no image, so the plants are drawn in plain colour, not stale texels,
        // over the whole of each half.
        species.m_outlines[0] = wholeHalf(true);
        species.m_outlines[1] = wholeHalf(false);
        if (species.m_texture != 0)
        {
            glDeleteTextures(1, &species.m_texture);
            species.m_texture = 0;
        }
        return false;
    }
    // A reload (the regenerate key) refills the same texture name instead of adding one.
    if (species.m_texture == 0)
    {
        glGenTextures(1, &species.m_texture);
    }
    glBindTexture(GL_TEXTURE_2D, species.m_texture);
    uploadTexture(image);
    species.m_outlines[0] = outlineVisibleTexels(image, true);
    species.m_outlines[1] = outlineVisibleTexels(image, false);
    // Repeating would filter the base row into the top edge of every plant.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return true;
}

void PlantField::draw(Vector3 cameraPosition, const Frustum& frustum)
{
    static const GLfloat kFullAmbient[] = {1.0f, 1.0f, 1.0f, 1.0f};
    static const GLfloat kNone[] = {0.0f, 0.0f, 0.0f, 0.0f};
    // Lighting takes a vertex's alpha from the diffuse material: no diffuse light, but opaque.
    static const GLfloat kNoDiffuse[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Only ambient light: with colour material on, the current colour would stand in for the
    // ambient and diffuse material, and each blade would be shaded by its own normal.
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, kFullAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, kNoDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, kNone);
    // Clear texels must not write depth: they would cut holes into neighbouring plants that
    // overlap them in depth but are drawn later.
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);

    collectVisible(cameraPosition, frustum);
    visitFarToNear(
        [&](int i)
        {
            drawPlant(m_species[m_speciesIndex[i]], cameraPosition, m_positions[i], m_scales[i],
                      m_tilts[i]);
        });

    glDisable(GL_ALPHA_TEST);
    // Every other pass colours its material by the current colour.
    glEnable(GL_COLOR_MATERIAL);
}

void PlantField::drawPlant(const PlantSpecies& species, Vector3 cameraPosition, Vector3 position,
                           float scale, float tilt) const
{
    int order[kBladeCount];
    orderBladesFarToNear(cameraPosition, position, scale, species.m_bladeCentres, order);

    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glScalef(scale, scale, scale);
    glRotatef(tilt, 1.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, species.m_texture);
    glDisable(GL_CULL_FACE);
    // The blades are turned here rather than by a matrix each, which would end the renderer's
    // batch at every blade: the plant is one draw.
    glBegin(GL_TRIANGLES);
    for (int blade : order)
    {
        emitBladeOutline(species.m_outlines[blade < 3 ? 0 : 1], kBladeTurns[blade % 3]);
    }
    glEnd();
    glPopMatrix();
}
