// Any bytes given to the MS3D reader: loaded or refused, never read or written out of bounds;
// whatever it keeps is then posed across its animation.
#include "creatures/ms3dreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MilkshapeModel model;
    model.loadFromMemory(data, size, "fuzz/model.ms3d", false);
    const float ranges[][2] = {{1, 100}, {0, 2}, {40, 30}, {-5, 1e6f}};
    for (const auto& range : ranges)
    {
        model.setFrameRange(range[0], range[1]);
        model.updatePose();
    }
    model.rewind();
    model.updatePose();
    return 0;
}
