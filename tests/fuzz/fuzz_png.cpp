// Any bytes given to the PNG structure check: accepted or refused, never read out of bounds,
// and a refusal always says why.
#include "formats/pngcheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string problem;
    if (!checkPngStructure(data, size, problem) && problem.empty())
    {
        std::abort();
    }
    return 0;
}
