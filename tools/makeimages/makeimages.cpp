// makeimages <park dir> [preview dir]: writes every image the park reads (ground materials and
// detail, plant cut-outs, sky and tree textures). With a preview directory it also writes each
// image as a PNG there (cut-outs over a neutral background) for looking at them.
#include "canvas.h"
#include "folders.h"
#include "images.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace
{
std::string g_previewDir;

bool writeBmpImage(const std::string& parkDir, const std::string& relative, const RgbImage& image)
{
    if (!g_previewDir.empty())
    {
        std::string name = relative.substr(relative.rfind('/') + 1);
        writePngRgb(g_previewDir + "/" + name.substr(0, name.size() - 4) + ".png", image);
    }
    return writeBmp24(parkDir + "/" + relative, image);
}

// The cut-out over a pale background, to see both the subject and its edges.
RgbImage composite(const RgbaImage& image)
{
    RgbImage result(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
    {
        for (int x = 0; x < image.width; ++x)
        {
            const unsigned char* p = image.at(x, y);
            const int background = ((x / 8 + y / 8) % 2) ? 200 : 230;
            for (int c = 0; c < 3; ++c)
            {
                result.at(x, y)[c] =
                    (unsigned char)((p[c] * p[3] + background * (255 - p[3]) + 127) / 255);
            }
        }
    }
    return result;
}

bool writePngImage(const std::string& parkDir, const std::string& relative, const RgbaImage& image)
{
    if (!g_previewDir.empty())
    {
        std::string name = relative.substr(relative.rfind('/') + 1);
        writePngRgb(g_previewDir + "/" + name.substr(0, name.size() - 4) + "-preview.png",
                    composite(image));
    }
    return writePngRgba(parkDir + "/" + relative, image);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: makeimages <park dir> [preview dir]\n");
        return 2;
    }
    const std::string park = argv[1];
    if (argc == 3)
    {
        g_previewDir = argv[2];
        if (!makeDirectories(g_previewDir))
        {
            return 1;
        }
    }
    if (!makeDirectories(park + "/terrainTexs") || !makeDirectories(park + "/textures/skybox") ||
        !makeDirectories(park + "/textures/lsystemstree"))
    {
        return 1;
    }

    bool ok = writeBmpImage(park, "terrainTexs/dirt.bmp", paintDirt());
    ok = writeBmpImage(park, "terrainTexs/terr1.bmp", paintDrySoil()) && ok;
    ok = writeBmpImage(park, "terrainTexs/grass-patchy.bmp", paintPatchyGrass()) && ok;
    ok = writeBmpImage(park, "terrainTexs/grass2.bmp", paintDryGrass()) && ok;
    ok = writeBmpImage(park, "terrainTexs/grass.bmp", paintLushGrass()) && ok;
    ok = writeBmpImage(park, "terrainTexs/detail.bmp", paintDetail()) && ok;

    ok = writePngImage(park, "terrainTexs/fgrass.png", paintGrassTuft()) && ok;
    ok = writePngImage(park, "terrainTexs/ohiatree2.png", paintTree()) && ok;
    ok = writePngImage(park, "terrainTexs/brush.png", paintShrub()) && ok;
    ok = writePngImage(park, "terrainTexs/fern3.png", paintFern()) && ok;

    ok = writeBmpImage(park, "textures/skybox/orvelstars_128.bmp", paintStars()) && ok;
    const SkyBody sun = paintSun();
    ok = writeBmpImage(park, "textures/skybox/sun.bmp", sun.body) && ok;
    ok = writeBmpImage(park, "textures/skybox/sunmask.bmp", sun.mask) && ok;
    const SkyBody moon = paintMoon();
    ok = writeBmpImage(park, "textures/skybox/moon.bmp", moon.body) && ok;
    ok = writeBmpImage(park, "textures/skybox/moonmask.bmp", moon.mask) && ok;
    ok = writeBmpImage(park, "textures/skybox/clouds.bmp", paintClouds()) && ok;

    ok = writeBmpImage(park, "textures/lsystemstree/bark2.bmp", paintBark()) && ok;
    ok = writeBmpImage(park, "textures/lsystemstree/leafytile.bmp", paintLeafTile()) && ok;
    return ok ? 0 : 1;
}
