// Any bytes given to the WAV structure check: accepted or refused, never read out of bounds,
// and a refusal always says why.
#include "formats/wavcheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string problem;
    if (!checkWavStructure(data, size, problem) && problem.empty())
    {
        std::abort();
    }
    return 0;
}
