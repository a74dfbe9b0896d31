// Where tests find the generated park data and the shared corpora of real files.
#pragma once

#include <string>

// The run folder the build fills (executable and data).
std::string parkPath(const std::string& relative);
// A file of the shared corpora, or "" when the corpora are absent (a user's clone).
std::string corporaPath(const std::string& relative);
bool corporaAvailable();

// Skips the current test with a message when the shared corpora are not beside the checkout.
#define SKIP_WITHOUT_CORPORA()                                                                     \
    do                                                                                             \
    {                                                                                              \
        if (!corporaAvailable())                                                                   \
        {                                                                                          \
            GTEST_SKIP() << "shared corpora not found at " QUILLMERE_CORPORA_DIR;                  \
        }                                                                                          \
    } while (0)
