// The painted skins. Every skin shares one layout, which the models' texture coordinates follow:
// the lower band (t 0 ... 0.6) is the body, belly at the bottom and back at the top, tiling
// left to right; above it (t 0.62 ... 1) four swatches side by side for horn or bone, dark
// parts (eyes, claws, beak), the mouth, and a species' own display colour.
#pragma once

#include "bmpwriter.h"

struct Colour
{
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

struct SkinPalette
{
    Colour belly, flank, back;
    Colour stripe;       // painted across the back, fading towards the belly
    int stripeCount = 8; // across the width of the image
    double stripeStrength = 0.6;
    double spotStrength = 0.0; // dark blotches
    Colour spot;
    Colour hornBase, hornTip;
    Colour dark;
    Colour mouth;
    Colour displayA, displayB; // the fourth swatch: a two-colour pattern
    unsigned seed = 1;
};

// Texture-coordinate ranges of the layout (OpenGL convention, t = 0 at the bottom row).
const double kBodyBottomT = 0.01;
const double kBodyTopT = 0.59;
const double kSwatchBottomT = 0.66;
const double kSwatchTopT = 0.97;
enum Swatch
{
    SwatchHorn = 0,
    SwatchDark = 1,
    SwatchMouth = 2,
    SwatchDisplay = 3,
};
// Horizontal range of a swatch, kept clear of its neighbours.
double swatchLeft(Swatch swatch);
double swatchRight(Swatch swatch);

// A size x size skin (size a power of two).
RgbImage paintSkin(const SkinPalette& palette, int size);
