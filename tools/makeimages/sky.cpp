// The sky's images: a tileable star field, sun and moon with exactly complementary masks, and
// tileable clouds.
#include "canvas.h"
#include "images.h"
#include "noise.h"

#include <algorithm>
#include <cmath>

namespace
{
// Coverage of a disc of the given radius at distance r, with a one-pixel soft edge.
float discCoverage(float r, float radius)
{
    return clamp01(radius + 0.5f - r);
}

// Fills body (premultiplied colour) and mask (255 minus coverage) from a coverage and colour
// function of the pixel centre relative to the image centre, in pixels.
template <typename Paint> SkyBody paintBody(int size, Paint paint)
{
    SkyBody result{RgbImage(size, size), RgbImage(size, size)};
    const float centre = float(size) / 2.0f;
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float dx = float(x) + 0.5f - centre;
            const float dy = float(y) + 0.5f - centre;
            Colour colour;
            const float coverage = clamp01(paint(dx, dy, colour));
            const unsigned char alpha = toByte(coverage);
            unsigned char* body = result.body.at(x, y);
            // Channels are premultiplied; the brightest channel is 1, so it equals the coverage.
            body[0] = (unsigned char)(std::lround(float(alpha) * clamp01(colour.r)));
            body[1] = (unsigned char)(std::lround(float(alpha) * clamp01(colour.g)));
            body[2] = (unsigned char)(std::lround(float(alpha) * clamp01(colour.b)));
            unsigned char* mask = result.mask.at(x, y);
            mask[0] = mask[1] = mask[2] = (unsigned char)(255 - alpha);
        }
    }
    return result;
}
} // namespace

RgbImage paintStars()
{
    const int size = 128;
    // A faint dark-blue sky with a barely visible haze, then stars added on top.
    std::vector<Colour> sky(size_t(size) * size_t(size));
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const float u = (float(x) + 0.5f) / float(size);
            const float v = (float(y) + 0.5f) / float(size);
            const float haze = clamp01(tileFbm(u, v, 3, 4, 0.5f, 701) * 0.5f + 0.5f);
            sky[size_t(y) * size + x] =
                Colour{0.010f, 0.014f, 0.035f} + Colour{0.02f, 0.02f, 0.05f} * (haze * haze);
        }
    }
    Scatter scatter(702);
    const int starCount = 170;
    for (int i = 0; i < starCount; ++i)
    {
        const float sx = scatter.range(0.0f, float(size));
        const float sy = scatter.range(0.0f, float(size));
        // Most stars faint, a few bright.
        const float magnitude = std::pow(scatter.range(0.0f, 1.0f), 3.0f);
        const float brightness = 0.25f + 0.95f * magnitude;
        const float spread = 0.45f + 0.5f * magnitude;
        const float temperature = scatter.range(0.0f, 1.0f);
        const Colour tint = temperature < 0.25f   ? Colour{0.75f, 0.85f, 1.0f}
                            : temperature < 0.85f ? Colour{1.0f, 1.0f, 1.0f}
                                                  : Colour{1.0f, 0.88f, 0.70f};
        const int reach = 3;
        for (int dy = -reach; dy <= reach; ++dy)
        {
            for (int dx = -reach; dx <= reach; ++dx)
            {
                const int px = int(std::floor(sx)) + dx;
                const int py = int(std::floor(sy)) + dy;
                const float distanceX = float(px) + 0.5f - sx;
                const float distanceY = float(py) + 0.5f - sy;
                const float weight = std::exp(-(distanceX * distanceX + distanceY * distanceY) /
                                              (2.0f * spread * spread));
                // Wrap around the edges so the field tiles.
                const int wx = (px % size + size) % size;
                const int wy = (py % size + size) % size;
                Colour& c = sky[size_t(wy) * size + wx];
                c = c + tint * (brightness * weight);
            }
        }
    }
    RgbImage image(size, size);
    for (size_t i = 0; i < sky.size(); ++i)
    {
        image.pixels[i * 3 + 0] = toByte(sky[i].r);
        image.pixels[i * 3 + 1] = toByte(sky[i].g);
        image.pixels[i * 3 + 2] = toByte(sky[i].b);
    }
    return image;
}

SkyBody paintSun()
{
    const float radius = 34.0f;
    const float haloRadius = 62.0f;
    return paintBody(
        128,
        [=](float dx, float dy, Colour& colour)
        {
            const float r = std::hypot(dx, dy);
            // Limb darkening: the rim is warmer and a little dimmer (red stays at full strength).
            const float limb = clamp01(r / radius);
            colour = Colour{1.0f, 0.97f - 0.17f * limb * limb, 0.86f - 0.40f * limb * limb};
            const float disc = discCoverage(r, radius);
            // A soft corona, fading to nothing before the image's edge.
            const float halo =
                0.55f * std::pow(clamp01(1.0f - (r - radius) / (haloRadius - radius)), 2.2f);
            if (disc < 1.0f)
            {
                colour = blend(Colour{1.0f, 0.78f, 0.42f}, colour, disc);
            }
            return std::max(disc, halo);
        });
}

SkyBody paintMoon()
{
    const float radius = 54.0f;
    return paintBody(128,
                     [=](float dx, float dy, Colour& colour)
                     {
                         const float r = std::hypot(dx, dy);
                         const float u = (dx + 64.0f) / 128.0f;
                         const float v = (dy + 64.0f) / 128.0f;
                         // Dark seas, craters and a gently darkened limb.
                         const float seas =
                             smoothStep(0.05f, 0.45f, tileFbm(u, v, 3, 5, 0.5f, 801));
                         const CellularSample crater = tileCellular(u, v, 7, 802);
                         const float craterRadius = 0.12f + 0.22f * float(crater.id % 53) / 53.0f;
                         float craterShade = 0.0f;
                         if (crater.id % 4 == 0)
                         {
                             // A thin bright rim around a slightly darker floor.
                             const float rim = std::fabs(crater.nearest - craterRadius);
                             craterShade =
                                 0.10f * (1.0f - smoothStep(0.0f, 0.05f, rim)) -
                                 0.07f * (1.0f - smoothStep(0.0f, craterRadius, crater.nearest));
                         }
                         const float speckle = 0.05f * tileNoise(u, v, 24, 803);
                         const float limb = 1.0f - 0.15f * std::pow(clamp01(r / radius), 4.0f);
                         const float light = (0.93f - 0.28f * seas + craterShade + speckle) * limb;
                         // Cool grey, the blue channel brightest.
                         colour = Colour{light * 0.93f, light * 0.95f, light};
                         return discCoverage(r, radius);
                     });
}

RgbImage paintClouds()
{
    return paintImage(256, 256,
                      [](float u, float v)
                      {
                          // Warped coordinates draw the clouds out into drifting shapes.
                          const float warpU = 0.08f * tileNoise(u, v, 3, 903);
                          const float warpV = 0.05f * tileNoise(u, v, 3, 904);
                          const float shape = tileFbm(u + warpU, v + warpV, 3, 6, 0.48f, 901);
                          const float density = smoothStep(-0.02f, 0.42f, shape);
                          // Thicker parts are brighter; a second noise gives them shaded folds.
                          const float folds = 0.85f + 0.15f * tileFbm(u, v, 12, 3, 0.5f, 902);
                          const float light = std::pow(density, 1.3f) * folds;
                          return Colour{light * 0.97f, light * 0.97f, light};
                      });
}
