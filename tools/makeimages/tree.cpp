// The tree's textures: bark with vertical furrows and a dense tile of overlapping leaves.
#include "canvas.h"
#include "images.h"
#include "noise.h"

#include <cmath>

RgbImage paintBark()
{
    return paintImage(
        128, 256,
        [](float u, float v)
        {
            // Few lattice cells along v stretch the noise into vertical ridges.
            const float warp = 0.04f * tileNoise(u, v, 4, 2, 1001);
            const float ridges = 1.0f - std::fabs(tileFbm(u + warp, v, 10, 3, 3, 0.5f, 1002));
            const float plates = tileFbm(u, v, 6, 12, 3, 0.5f, 1003);
            const float grain = tileNoise(u, v, 64, 128, 1004);
            const float height = clamp01(0.15f + 0.85f * std::pow(ridges, 2.5f) + 0.1f * plates);
            const Colour furrow = {0.17f, 0.12f, 0.08f};
            const Colour ridge = {0.50f, 0.42f, 0.33f};
            Colour c = blend(furrow, ridge, height) * (1.0f + 0.10f * grain);
            // Grey-green lichen on some ridges.
            const float lichen = smoothStep(0.35f, 0.7f, tileFbm(u, v, 8, 4, 0.5f, 1005));
            return blend(c, Colour{0.50f, 0.54f, 0.40f}, 0.45f * lichen * height);
        });
}

RgbImage paintLeafTile()
{
    const int size = 256;
    ShapeCanvas canvas(size, size, 2);
    canvas.setWrapping(true);
    // Deep shadow between the leaves.
    canvas.fillEllipse({128.0f, 128.0f}, 400.0f, 400.0f, 0.0f,
                       [](float, float) {
                           return Colour{0.05f, 0.12f, 0.04f};
                       });
    Scatter scatter(1101);
    const int leafCount = 900;
    for (int i = 0; i < leafCount; ++i)
    {
        const Point base = {scatter.range(0.0f, float(size)), scatter.range(0.0f, float(size))};
        const float angle = scatter.range(0.0f, 6.2831853f);
        const float length = scatter.range(14.0f, 28.0f);
        const Point tip = {base.x + length * std::cos(angle), base.y + length * std::sin(angle)};
        // Later leaves lie on top and catch more light.
        const float light =
            0.55f + 0.55f * float(i) / float(leafCount) + scatter.range(-0.1f, 0.1f);
        const Colour hue = blend(Colour{0.16f, 0.40f, 0.10f}, Colour{0.34f, 0.52f, 0.14f},
                                 scatter.range(0.0f, 1.0f));
        canvas.fillLeaf(base, tip, length * scatter.range(0.22f, 0.32f),
                        [=](float along, float across)
                        {
                            // One half turned to the light, a pale midrib.
                            const float side = across > 0.0f ? 1.08f : 0.88f;
                            const float rib = std::fabs(across) < 0.08f ? 1.25f : 1.0f;
                            const float edge = 1.0f - 0.2f * across * across;
                            return hue * (light * side * rib * edge * (0.9f + 0.2f * along));
                        });
    }
    const RgbaImage leaves = canvas.resolve();
    RgbImage image(size, size);
    for (size_t i = 0; i < image.pixels.size() / 3; ++i)
    {
        for (int c = 0; c < 3; ++c)
        {
            image.pixels[i * 3 + size_t(c)] = leaves.pixels[i * 4 + size_t(c)];
        }
    }
    return image;
}
