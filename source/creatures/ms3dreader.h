// The MS3D model file reader: fills a Model from a packed little-endian MS3D file (version 3
// or later), resolves joint parents by name, loads the materials' TGA textures and prepares the
// skeleton.
#pragma once

#include "creatures/model.h"

#include <cstddef>

class MilkshapeModel : public Model
{
public:
    ~MilkshapeModel() override;

    // Reads the whole file and loads it with its textures (needs a current GL context when a
    // material names a texture). False, with one line on stderr, when the file is refused.
    bool loadFile(const char* fileName) override;
    // The same without the textures and without GL (loadMaterialTextures adds them later).
    bool readFile(const char* fileName);

    // The same over a whole file already in memory; `fileName` names it in messages and places
    // relative texture paths. Without loadTextures it touches no GL.
    bool loadFromMemory(const unsigned char* data, size_t size, const char* fileName,
                        bool loadTextures);

private:
    bool loadFile(const char* fileName, bool loadTextures);
};
