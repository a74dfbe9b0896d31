// Settings that stay from one run to the next: a file of long options, one a line, read before
// the command line, which wins. A line the park does not understand is named with its file and
// line number and skipped; the park starts with the rest.
#pragma once

#include "app/options.h"

#include <string>
#include <vector>

// $XDG_CONFIG_HOME/quillmere/quillmere.conf, or ~/.config/quillmere/quillmere.conf when
// XDG_CONFIG_HOME is unset or empty; empty when HOME is unset too.
std::string usualSettingsPath();
// The folder of the usual settings file, where the user's game pad mappings are looked for too
// (gamecontrollerdb.txt); empty when HOME and XDG_CONFIG_HOME are both unset.
std::string usualConfigFolder();

// Applies every line of the file at `path` to options; a line it cannot use becomes one entry
// "<path>:<line>: <what is wrong>" in complaints. False, with the reason in error, when the file
// cannot be read, except that a missing file is no failure unless `mustExist`.
bool readSettingsFile(const std::string& path, bool mustExist, ProgramOptions& options,
                      std::vector<std::string>& complaints, std::string& error);

// The command line (which names the settings file or none, and whose mistakes come first), the
// settings file under it, then the command line again over the settings. False with a one-line
// reason when the command line is wrong or a named settings file cannot be read.
bool loadProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                        std::vector<std::string>& complaints, std::string& error);
