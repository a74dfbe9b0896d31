// Paths of the test data.
#include "testpaths.h"

#include <sys/stat.h>

std::string parkPath(const std::string& relative)
{
    return std::string(QUILLMERE_PARK_DIR) + "/" + relative;
}

bool corporaAvailable()
{
    struct stat info = {};
    return stat(QUILLMERE_CORPORA_DIR, &info) == 0 && S_ISDIR(info.st_mode);
}

std::string corporaPath(const std::string& relative)
{
    return corporaAvailable() ? std::string(QUILLMERE_CORPORA_DIR) + "/" + relative : "";
}
