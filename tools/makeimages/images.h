// The painters of every image the park reads. Each is a pure function of nothing: the same
// pixels on every run.
#pragma once

#include "bmpwriter.h"
#include "pngwriter.h"

// Ground materials, 256 x 256, tileable: bare earth, dry rocky soil, patchy grass over soil,
// dry grass, lush grass.
RgbImage paintDirt();
RgbImage paintDrySoil();
RgbImage paintPatchyGrass();
RgbImage paintDryGrass();
RgbImage paintLushGrass();
// Grey detail, 256 x 256, tileable, mean 128 (neutral under the doubled modulation).
RgbImage paintDetail();

// Night sky, 128 x 128, tileable.
RgbImage paintStars();
// A sky body premultiplied on black, and its mask: 255 minus the body's coverage, so the mask
// multiplies the sky down exactly where the body adds itself.
struct SkyBody
{
    RgbImage body;
    RgbImage mask;
};
SkyBody paintSun();
SkyBody paintMoon();
// Light clouds on black, 256 x 256, tileable.
RgbImage paintClouds();

// Tree textures: vertical bark and a dense leaf tile, both tileable.
RgbImage paintBark();
RgbImage paintLeafTile();

// Plant cut-outs standing on the bottom edge, centred, with alpha.
RgbaImage paintGrassTuft();
RgbaImage paintTree();
RgbaImage paintShrub();
RgbaImage paintFern();
