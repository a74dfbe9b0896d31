// Ground materials and the detail image: noise-built, tileable, in one family of earth and
// grass colours so the blended colour map reads as one landscape.
#include "canvas.h"
#include "images.h"
#include "noise.h"

#include <cmath>

namespace
{
const int kMaterialSize = 256;

const Colour kEarth = {0.40f, 0.29f, 0.19f};
const Colour kDryEarth = {0.58f, 0.50f, 0.38f};
const Colour kStone = {0.56f, 0.54f, 0.50f};
const Colour kLushGrass = {0.23f, 0.39f, 0.13f};
const Colour kDryGrass = {0.47f, 0.54f, 0.21f};

// Bare earth with moist patches, clods, grain and a few half-buried pebbles.
Colour earthAt(float u, float v, uint32_t seed, float pebbles)
{
    const float patches = tileFbm(u, v, 4, 5, 0.5f, seed);
    const float clods = tileFbm(u, v, 16, 3, 0.5f, seed + 3);
    const float grain = tileFbm(u, v, 64, 2, 0.5f, seed + 11);
    Colour c = kEarth * (1.0f + 0.20f * patches + 0.12f * clods + 0.08f * grain);
    // Moist hollows are darker and redder.
    const float moist = smoothStep(0.1f, 0.6f, -patches);
    c = blend(c, Colour{0.30f, 0.19f, 0.12f}, 0.6f * moist);
    const float warpU = 0.012f * tileNoise(u, v, 32, seed + 17);
    const float warpV = 0.012f * tileNoise(u, v, 32, seed + 19);
    const CellularSample pebble = tileCellular(u + warpU, v + warpV, 24, seed + 23);
    const float radius = 0.12f + 0.18f * float(pebble.id % 89) / 89.0f;
    if (pebble.id % 4 == 0 && pebble.nearest < radius)
    {
        const float r = pebble.nearest / radius;
        const float dome = std::sqrt(1.0f - r * r);
        const float tint = 0.9f + 0.25f * float(pebble.id % 97) / 97.0f;
        const Colour stone = Colour{0.50f, 0.43f, 0.34f} * (tint * (0.75f + 0.3f * dome));
        c = blend(c, stone, pebbles * smoothStep(1.0f, 0.7f, r));
    }
    return c;
}

// Grass colour with fine blade streaks and clumps.
Colour grassAt(float u, float v, Colour base, uint32_t seed)
{
    const float clumps = tileFbm(u, v, 6, 4, 0.55f, seed);
    const float streaks = tileFbm(u, v, 64, 16, 2, 0.5f, seed + 5);
    const float fine = tileNoise(u, v, 128, seed + 9);
    Colour c = base * (1.0f + 0.20f * clumps + 0.14f * streaks + 0.07f * fine);
    // Sunlit clumps yellow slightly, shaded ones blue-green.
    c.r *= 1.0f + 0.10f * clumps;
    c.b *= 1.0f - 0.10f * clumps;
    return c;
}
} // namespace

RgbImage paintDirt()
{
    return paintImage(kMaterialSize, kMaterialSize,
                      [](float u, float v) { return earthAt(u, v, 101, 0.8f); });
}

RgbImage paintDrySoil()
{
    return paintImage(kMaterialSize, kMaterialSize,
                      [](float u, float v)
                      {
                          const float patches = tileFbm(u, v, 5, 5, 0.5f, 201);
                          const float grain = tileFbm(u, v, 64, 2, 0.5f, 202);
                          Colour c = kDryEarth * (1.0f + 0.12f * patches + 0.10f * grain);
                          // Coordinates bent by noise, so cracks and stones lose the cell pattern's
                          // straight edges.
                          const float warpU = 0.035f * tileNoise(u, v, 8, 206);
                          const float warpV = 0.035f * tileNoise(u, v, 8, 207);
                          // Dry cracks along the borders of a cellular pattern, only where the
                          // ground is driest.
                          const CellularSample crack = tileCellular(u + warpU, v + warpV, 9, 203);
                          const float edge = crack.second - crack.nearest;
                          const float dryness =
                              smoothStep(-0.1f, 0.3f, tileFbm(u, v, 4, 3, 0.5f, 208));
                          c = c * (1.0f - 0.28f * dryness * (1.0f - smoothStep(0.0f, 0.05f, edge)));
                          // Stones: dusty, lit from the upper left, some large and some small.
                          const CellularSample rock =
                              tileCellular(u + 1.6f * warpU, v + 1.6f * warpV, 12, 204);
                          const float radius = 0.22f + 0.25f * float(rock.id % 13) / 13.0f;
                          if (rock.id % 5 < 2 && rock.nearest < radius)
                          {
                              const float r = rock.nearest / radius;
                              const float dome = std::sqrt(1.0f - r * r);
                              const float texture = tileFbm(u, v, 96, 2, 0.5f, 205);
                              const float tint = 0.85f + 0.3f * float(rock.id % 31) / 31.0f;
                              const float shade = (0.62f + 0.4f * dome + 0.12f * texture) * tint;
                              const Colour stone = blend(kStone, kDryEarth, 0.35f) * shade;
                              c = blend(c * 0.85f, stone, smoothStep(1.0f, 0.8f, r));
                          }
                          return c;
                      });
}

RgbImage paintPatchyGrass()
{
    return paintImage(kMaterialSize, kMaterialSize,
                      [](float u, float v)
                      {
                          const Colour soil = earthAt(u, v, 301, 0.4f);
                          const Colour grass = grassAt(u, v, Colour{0.32f, 0.42f, 0.16f}, 302);
                          const float cover =
                              tileFbm(u, v, 6, 5, 0.55f, 303) + 0.25f * tileNoise(u, v, 64, 304);
                          return blend(soil, grass, smoothStep(-0.12f, 0.12f, cover));
                      });
}

RgbImage paintDryGrass()
{
    return paintImage(kMaterialSize, kMaterialSize,
                      [](float u, float v)
                      {
                          Colour c = grassAt(u, v, kDryGrass, 401);
                          // Straw-coloured dry streaks.
                          const float dry =
                              smoothStep(0.2f, 0.6f, tileFbm(u, v, 8, 32, 3, 0.5f, 402));
                          return blend(c, Colour{0.62f, 0.58f, 0.32f}, 0.5f * dry);
                      });
}

RgbImage paintLushGrass()
{
    return paintImage(kMaterialSize, kMaterialSize,
                      [](float u, float v)
                      {
                          Colour c = grassAt(u, v, kLushGrass, 501);
                          // A few darker hollows and small pale flowers.
                          const float hollow =
                              smoothStep(0.2f, 0.7f, tileFbm(u, v, 5, 4, 0.5f, 502));
                          c = c * (1.0f - 0.25f * hollow);
                          const CellularSample flower = tileCellular(u, v, 40, 503);
                          if (flower.id % 11 == 0 && flower.nearest < 0.16f)
                          {
                              c = blend(c, Colour{0.85f, 0.82f, 0.55f}, 0.7f);
                          }
                          return c;
                      });
}

RgbImage paintDetail()
{
    RgbImage image =
        paintImage(kMaterialSize, kMaterialSize,
                   [](float u, float v)
                   {
                       const float large = tileFbm(u, v, 8, 5, 0.55f, 601);
                       const float grain = tileNoise(u, v, 128, 602);
                       const CellularSample crack = tileCellular(u, v, 16, 603);
                       const float crease =
                           1.0f - smoothStep(0.0f, 0.06f, crack.second - crack.nearest);
                       const float value = 0.5f + 0.22f * large + 0.07f * grain - 0.10f * crease;
                       return Colour{value, value, value};
                   });
    // Centre the mean exactly on 128, so the detail neither brightens nor darkens the ground.
    double sum = 0.0;
    for (unsigned char p : image.pixels)
    {
        sum += p;
    }
    const int shift = 128 - int(std::lround(sum / double(image.pixels.size())));
    for (unsigned char& p : image.pixels)
    {
        const int value = int(p) + shift;
        p = (unsigned char)(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
    return image;
}
