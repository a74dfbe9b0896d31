// Numbered JPEG screenshots in the "screenshots" directory, numbered past files already there so
// that nothing from an earlier run is overwritten.
#pragma once

#include <string>

// Creates "screenshots" under the working directory (an existing one is fine).
void createScreenshotDirectory();

// What became of a screenshot: the file's name, and why it was not saved when it was not.
struct ScreenshotOutcome
{
    bool saved = false;
    std::string name;
    std::string reason;
};

// Saves the lower-left width x height pixels of the back buffer as the next free name, printing
// one "<name>-filename" line per name tried. Call before the swap, which leaves the back buffer
// undefined. A failed save is reported on stderr and still uses up its number.
ScreenshotOutcome takeScreenshot(int width, int height);

// 1 when path opens as a file, 0 when the directory was created, -1 when that failed.
int makeDirectory(const char* path);

// The next name in the sequence img001.jpg, img002.jpg, ... img999.jpg, img1000.jpg, ...
std::string nextScreenshotName();
// Advances past every name that already exists and returns the first free one.
std::string findFreeScreenshotName();
// Counting restarts at 1 (each run of the program starts here).
void resetScreenshotNumbering();
