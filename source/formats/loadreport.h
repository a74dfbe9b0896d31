// How the park tells the user about a problem: a data file it could not use in one line naming
// the file, "<file>: <what is wrong>", followed by "; <what the park does instead>" where that
// helps; a problem of the program's own (the window, the sound device, the command line) in one
// line "quillmere: <what is wrong>; <what the park does instead>". These are the park's only
// lines on stderr.
#pragma once

#include <string>

// The line, without its line end. A full stop that ends `what` gives way to the "; " before
// `instead`; a null or empty `instead` adds nothing.
std::string loadFailureLine(const char* fileName, const std::string& what,
                            const char* instead = nullptr);

// Prints the line on stderr with its line end and flushes, so that it stands on its own line
// whatever is printed around it.
void reportLoadFailure(const char* fileName, const std::string& what,
                       const char* instead = nullptr);

// Prints "quillmere: " and the printf-style text on stderr as one line, and flushes.
void reportProblem(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Sets `problem` to the printf-style text and returns false, so that a check can refuse a file
// and say why in one statement: `return refuse(problem, "chunk %s ...", name);`.
bool refuse(std::string& problem, const char* format, ...) __attribute__((format(printf, 2, 3)));
