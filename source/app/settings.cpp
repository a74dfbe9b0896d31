// The settings file: where it lives, and its lines read as the options they name.
#include "app/settings.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

std::string usualSettingsPath()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && *configHome)
    {
        return std::string(configHome) + "/quillmere/quillmere.conf";
    }
    const char* home = std::getenv("HOME");
    if (home && *home)
    {
        return std::string(home) + "/.config/quillmere/quillmere.conf";
    }
    return std::string();
}

std::string usualConfigFolder()
{
    const std::string path = usualSettingsPath();
    return path.substr(0, path.find_last_of('/') == std::string::npos ? 0
                                                                        : path.find_last_of('/'));
}

bool readSettingsFile(const std::string& path, bool mustExist, ProgramOptions& options,
                      std::vector<std::string>& complaints, std::string& error)
{
    // A folder opens as a stream that reads nothing, which would pass for an empty file.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
    {
        error = "cannot read the settings file " + path + ": " + std::strerror(EISDIR);
        return false;
    }
    std::ifstream file(path);
    if (!file)
    {
        if (!mustExist && errno == ENOENT)
        {
            return true;
        }
        error = "cannot read the settings file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number)
    {
        std::string reason;
        if (!applySettingsLine(line, options, reason))
        {
            complaints.push_back(path + ":" + std::to_string(number) + ": " + reason);
        }
    }
    return true;
}

bool loadProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                        std::vector<std::string>& complaints, std::string& error)
{
    ProgramOptions commandLine;
    if (!parseProgramOptions(argc, argv, commandLine, error))
    {
        return false;
    }
    const bool named = !commandLine.settingsFile.empty();
    const std::string path = named ? commandLine.settingsFile : usualSettingsPath();
    // Help is read with the settings, whose keys it lists.
    if (commandLine.showVersion || !commandLine.readSettings || path.empty())
    {
        options = commandLine;
        return true;
    }
    ProgramOptions settled;
    if (!readSettingsFile(path, named, settled, complaints, error))
    {
        return false;
    }
    // The command line is read again over the settings, so each option it names wins.
    if (!parseProgramOptions(argc, argv, settled, error))
    {
        return false;
    }
    options = settled;
    return true;
}
