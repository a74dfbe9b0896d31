// Folders for the generators' output.
#pragma once

#include <string>

// Creates `path` and every folder above it that is missing. False, after one line on stderr
// naming the folder and the reason, when it cannot.
bool makeDirectories(const std::string& path);
