// Procedural skins: colour gradients, stripes, blotches and fine scales from tiling value noise.
#include "skins.h"

#include "geometry.h"

#include <cstdint>

namespace
{
uint32_t hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double lattice(int x, int y, int period, unsigned seed)
{
    const int wrapped = ((x % period) + period) % period;
    return (hash(uint32_t(wrapped), uint32_t(y), seed) & 0xFFFF) / 65535.0;
}

// Value noise in [0, 1] that repeats every `period` cells along x.
double tilingNoise(double x, double y, int period, unsigned seed)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const double fx = smoothstep(x - ix), fy = smoothstep(y - iy);
    const double a = lattice(ix, iy, period, seed), b = lattice(ix + 1, iy, period, seed);
    const double c = lattice(ix, iy + 1, period, seed), d = lattice(ix + 1, iy + 1, period, seed);
    return lerp(lerp(a, b, fx), lerp(c, d, fx), fy);
}

// Octaves of noise over an image of `size` pixels, tiling horizontally; `cells` at the base.
double fractalNoise(double px, double py, int size, int cells, unsigned seed)
{
    double total = 0.0, weight = 0.5, sum = 0.0;
    for (int octave = 0; octave < 4; ++octave)
    {
        const int period = cells << octave;
        const double scale = double(period) / size;
        total += weight * tilingNoise(px * scale, py * scale, period, seed + unsigned(octave));
        sum += weight;
        weight *= 0.5;
    }
    return total / sum;
}

// 1 at `centre`, falling smoothly to 0 at `width` either side.
double pulseAround(double value, double centre, double width)
{
    return 1.0 - smoothstep(std::fabs(value - centre) / width);
}

Colour mix(const Colour& a, const Colour& b, double u)
{
    return Colour{lerp(a.r, b.r, u), lerp(a.g, b.g, u), lerp(a.b, b.b, u)};
}

Colour scaled(const Colour& c, double factor)
{
    return Colour{c.r * factor, c.g * factor, c.b * factor};
}

void store(RgbImage& image, int x, int y, const Colour& c)
{
    unsigned char* p = image.at(x, y);
    const double channels[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i)
    {
        const double v = channels[i] < 0.0 ? 0.0 : (channels[i] > 255.0 ? 255.0 : channels[i]);
        p[i] = (unsigned char)(v + 0.5);
    }
}

// Small rounded scales: bright centres, dark seams, on a staggered grid.
double scalePattern(double px, double py, double cell)
{
    const double row = std::floor(py / cell);
    const double shifted = px / cell + (int(row) % 2 == 0 ? 0.0 : 0.5);
    const double u = shifted - std::floor(shifted) - 0.5;
    const double v = py / cell - row - 0.5;
    const double d = std::sqrt(u * u + v * v) * 2.0;
    return 1.0 - 0.18 * smoothstep((d - 0.55) / 0.45);
}

Colour bodyColour(const SkinPalette& palette, int size, double px, double py, double backness)
{
    const double wobble = fractalNoise(px, py, size, 4, palette.seed + 11) - 0.5;
    Colour base = backness < 0.5
                      ? mix(palette.belly, palette.flank, smoothstep(backness * 2.0))
                      : mix(palette.flank, palette.back, smoothstep(backness * 2.0 - 1.0));
    const double across = 2.0 * kPi * palette.stripeCount * px / size + wobble * 3.0;
    const double stripe = smoothstep((std::sin(across) - 0.25) / 0.5);
    const double stripeFade = smoothstep((backness - 0.35) / 0.45) * palette.stripeStrength;
    base = mix(base, palette.stripe, stripe * stripeFade);
    const double blotch = fractalNoise(px, py, size, 8, palette.seed + 23);
    const double spot = smoothstep((blotch - 0.58) / 0.08) * palette.spotStrength *
                        smoothstep((backness - 0.2) / 0.4);
    base = mix(base, palette.spot, spot);
    const double mottle = 0.85 + 0.3 * fractalNoise(px, py, size, 16, palette.seed + 37);
    return scaled(base, mottle * scalePattern(px, py, size / 64.0));
}

Colour swatchColour(const SkinPalette& palette, int size, int swatch, double px, double py,
                    double along)
{
    const double grain = 0.9 + 0.2 * fractalNoise(px, py, size, 32, palette.seed + 51);
    switch (swatch)
    {
        case SwatchHorn:
            return scaled(mix(palette.hornBase, palette.hornTip, smoothstep(along)), grain);
        case SwatchDark:
            return scaled(palette.dark, grain);
        case SwatchMouth:
            return scaled(mix(palette.mouth, scaled(palette.mouth, 0.6), along), grain);
        default:
        {
            // Irregular pale blotches with dark rims on the display colour.
            const double pattern = fractalNoise(px, py, size, 32, palette.seed + 71);
            const double blotch = smoothstep((pattern - 0.52) / 0.06);
            const double rim = pulseAround(pattern, 0.49, 0.05);
            Colour c = mix(palette.displayA, palette.displayB, blotch);
            return scaled(c, grain * (1.0 - 0.45 * rim));
        }
    }
}
} // namespace

double swatchLeft(Swatch swatch)
{
    return swatch * 0.25 + 0.04;
}
double swatchRight(Swatch swatch)
{
    return swatch * 0.25 + 0.21;
}

RgbImage paintSkin(const SkinPalette& palette, int size)
{
    RgbImage image(size, size);
    const double bodyTop = 0.6 * size;
    const double swatchBottom = 0.62 * size;
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const double px = x + 0.5, py = y + 0.5;
            Colour colour;
            if (py < bodyTop)
            {
                const double backness = (py / size - kBodyBottomT) / (kBodyTopT - kBodyBottomT);
                colour = bodyColour(palette, size, px, py, clamp01(backness));
            }
            else if (py < swatchBottom)
            {
                colour = bodyColour(palette, size, px, py, 1.0);
            }
            else
            {
                const int swatch = int(px * 4.0 / size);
                const double along =
                    clamp01((py / size - kSwatchBottomT) / (kSwatchTopT - kSwatchBottomT));
                colour = swatchColour(palette, size, swatch, px, py, along);
            }
            store(image, x, y, colour);
        }
    }
    return image;
}
