// What the window says of itself: the help panel's rows (every action's keys and mouse, then the
// park's number, the frame rate, the time of day and the sound) and the short line at the foot of
// the window that tells what just happened and fades. Text only, composed into fixed buffers so
// that a frame that shows them allocates nothing; the overlay module draws them.
#pragma once

#include "app/keytable.h"
#include "app/padlayout.h"

#include <cstdint>

const int kHelpRowCapacity = 27;
const int kHelpCellCapacity = 72;

// What the panel reports of the park as it is.
struct PanelFacts
{
    uint32_t seed = 0;
    double framesPerSecond = 0.0; // measured; 0 until known
    double clockHours = 0.0;      // the time of day on the park's clock, 0 <= hours < 24
    bool dayHeld = false;
    bool paused = false;
    double fieldOfView = 0.0;     // vertical, degrees
    const char* soundState = "";  // one short phrase
    const char* hrtfState = "";   // whether sounds are placed for headphones
    const char* padName = "";     // the game pad in use; "" for none
    const char* renderScale = ""; // the scene's scale: "1", "auto: 0.75 now", ...
};

// Rows of two cells: what to press, and what it does (or a name and its value). A row with an
// empty first cell is a heading.
struct HelpPanelText
{
    int rowCount = 0;
    char cells[kHelpRowCapacity][2][kHelpCellCapacity] = {};
};

// The panel's rows: the mouse, then one row for each action something does, from the keys in use
// and, with a pad connected, the pad's sticks and buttons; then the park's state.
void composeHelpPanel(const PanelFacts& facts, HelpPanelText& text, const KeyTable& keys);

// "HH:MM" of a time on the park's clock.
void formatClockTime(double hours, char* text, int capacity);

const double kStatusLineSeconds = 3.0;
const double kStatusFadeSeconds = 1.0;

// One line of news, whole for two seconds and then fading out over the third.
class StatusLine
{
public:
    // printf-style; the line is cut at the buffer's size.
    void show(int64_t nowMicroseconds, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    // 1 while fresh, falling to 0 over the last second, 0 once gone or before any line.
    float opacityAt(int64_t nowMicroseconds) const;
    const char* text() const { return m_text; }

private:
    char m_text[160] = {};
    bool m_shown = false;
    int64_t m_shownAt = 0;
};
