// makedinosaurs <park directory>: writes the four animal models into data/ with the TGA skins
// their materials name, and the BMP skins the park binds into textures/dinos/. Prints each
// model's figures. Deterministic: the same files every run.
#include "dinosaurs.h"
#include "tgawriter.h"

#include <cstdio>
#include <string>

namespace
{
const int kSkinSize = 256;

struct Output
{
    Species (*make)();
    int tgaChannels;
};

TrueColourImage withAlpha(const RgbImage& image)
{
    TrueColourImage out(image.width, image.height, 4);
    for (size_t i = 0; i < size_t(image.width) * size_t(image.height); ++i)
    {
        for (int c = 0; c < 3; ++c)
        {
            out.pixels[i * 4 + size_t(c)] = image.pixels[i * 3 + size_t(c)];
        }
        out.pixels[i * 4 + 3] = 255;
    }
    return out;
}

// One line of figures in world units (the model as the park scales it).
void report(const Species& species, const Ms3dModel& model)
{
    const CreatureFigures f = measureCreature(species.creature);
    const double s = species.scale;
    std::printf("%-12s %4zu triangles, %4zu vertices, %2zu joints; x, y, z extent at rest %.1f, "
                "%.1f, %.1f, in any pose %.1f, %.1f, %.1f; reach %.1f of %.0f; ",
                species.creature.name.c_str(), model.triangles.size(), model.vertices.size(),
                model.joints.size(), (f.restHigh.x - f.restLow.x) * s,
                (f.restHigh.y - f.restLow.y) * s, (f.restHigh.z - f.restLow.z) * s,
                (f.high.x - f.low.x) * s, (f.high.y - f.low.y) * s, (f.high.z - f.low.z) * s,
                f.largestReach * s, species.cullRadius);
    if (!species.creature.feet.empty())
    {
        std::printf("feet at rest %+.2f, lowest %+.2f, rest of the body lowest %+.2f; ",
                    (f.restFootLow - species.groundY) * s, (f.lowestFoot - species.groundY) * s,
                    (f.lowestBody - species.groundY) * s);
    }
    std::printf("largest loop jump %.4f\n", f.largestLoopJump * s);
}

bool writeSpecies(const std::string& park, const Species& species, int tgaChannels)
{
    const Ms3dModel model = species.creature.toMs3d();
    if (!writeMs3d(park + "/data/" + species.modelFile, model))
    {
        return false;
    }
    const RgbImage skin = paintSkin(species.palette, kSkinSize);
    const TrueColourImage tga = tgaChannels == 4 ? withAlpha(skin) : TrueColourImage(skin);
    if (!writeTga(park + "/data/" + species.creature.textureName, tga, species.runLengthTga))
    {
        return false;
    }
    if (!species.skinBmp.empty() && !writeBmp24(park + "/textures/" + species.skinBmp, skin))
    {
        return false;
    }
    report(species, model);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: makedinosaurs <park directory>\n");
        return 2;
    }
    const std::string park = argv[1];
    const Output outputs[] = {
        {makeTriceratops, 3}, {makeStegoceras, 3}, {makeTyrannosaur, 4}, {makePterosaur, 4}};
    for (const Output& output : outputs)
    {
        if (!writeSpecies(park, output.make(), output.tgaChannels))
        {
            return 1;
        }
    }
    return 0;
}
