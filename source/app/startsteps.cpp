// The start's steps on standard error, when asked for.
#include "app/startsteps.h"

#include "platform/platform.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

StartSteps::StartSteps() : m_enabled(std::getenv("QUILLMERE_START_STEPS") != nullptr) {}

void StartSteps::mark(const char* step) const
{
    if (m_enabled)
    {
        std::fprintf(stderr, "start %s %" PRId64 "\n", step, clockMicroseconds());
    }
}
