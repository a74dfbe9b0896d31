// Folders made through the standard library, their failures named on stderr.
#include "folders.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

bool makeDirectories(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
    {
        std::fprintf(stderr, "%s: cannot create directory: %s\n", path.c_str(),
                     error.message().c_str());
        return false;
    }
    return true;
}
