// A fresh temporary directory that is the working directory while the object lives: the park
// reads and writes its files relative to the working directory, so tests give it one of its own.
#pragma once

#include <initializer_list>
#include <string>

class ScratchDirectory
{
public:
    // Creates /tmp/<prefix>-XXXXXX and enters it; the folders, relative to it, are created too.
    explicit ScratchDirectory(const std::string& prefix,
                              std::initializer_list<const char*> folders = {});
    // Returns to the previous working directory and removes the scratch directory.
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::string& path() const { return m_path; }
    // Where the test was before: the place for pictures it keeps.
    const std::string& previous() const { return m_previous; }
    // Copies files or folders of the run folder (data/, textures/, ...) in.
    void copyFromPark(std::initializer_list<const char*> entries) const;

private:
    std::string m_path;
    std::string m_previous;
};
