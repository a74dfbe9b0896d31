// The four animals of the park, each built from scratch: skeleton, surface, clips and skin.
#pragma once

#include "creature.h"
#include "skins.h"

struct Species
{
    Creature creature;
    SkinPalette palette;
    std::string modelFile; // under data/
    std::string skinBmp;   // under textures/, empty when another module supplies it
    bool runLengthTga = false;
    double scale = 1.0;      // as the park draws it
    double cullRadius = 0.0; // world units, about the placed origin
    double groundY = 0.0;    // model y of the ground under a standing animal
};

Species makeTriceratops();
Species makeStegoceras();
Species makeTyrannosaur();
Species makePterosaur();
