// The image library's process-wide chores, shared by every module that loads or saves images
// through it: starting it once, and its stack of errors, which keeps an error until it is read,
// so a check made after someone else's failure would otherwise read their error as its own.
#pragma once

#include <string>

// Starts the image library once per process.
void initImageLibrary();

// Reads and discards every error the library holds.
void clearImageLibraryErrors();

// The most recent error (IL_NO_ERROR when none), with every older one discarded, so that no
// stale error is left for a later check.
unsigned takeImageLibraryError();

// What a load error means for the user: "cannot be opened" for a file the library could not
// open, otherwise "not a readable image (<the error's words>, image library error 0x....)".
std::string describeImageLoadError(unsigned error);
