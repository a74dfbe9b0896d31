// Scratch working directories for tests.
#include "scratchdirectory.h"

#include "testpaths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory(const std::string& prefix,
                                   std::initializer_list<const char*> folders)
    : m_previous(fs::current_path().string())
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr)
    {
        ADD_FAILURE() << "cannot create " << pattern;
        return;
    }
    m_path = pattern;
    fs::current_path(m_path);
    for (const char* folder : folders)
    {
        fs::create_directories(folder);
    }
}

ScratchDirectory::~ScratchDirectory()
{
    fs::current_path(m_previous);
    if (!m_path.empty())
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
}

void ScratchDirectory::copyFromPark(std::initializer_list<const char*> entries) const
{
    for (const char* entry : entries)
    {
        std::error_code error;
        fs::copy(parkPath(entry), fs::path(m_path) / entry, fs::copy_options::recursive, error);
        EXPECT_FALSE(error) << "copying " << parkPath(entry) << ": " << error.message();
    }
}
