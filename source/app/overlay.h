// Text drawn over the finished frame: the help panel and the status line. GLUT's stroke font
// scales to any size, so the text is sized to the window: legible in an 800 x 600 window and on
// a 1920 x 1080 screen alike. A dark translucent box behind the text keeps it readable over a
// bright sky and over the night. Each call sets the GL state it needs and restores the frame's.
#pragma once

#include "app/helppanel.h"

// Line height, in pixels, of the overlay's text in a window `height` pixels high.
float overlayLineHeight(int height);

// The panel in the middle of a width x height window.
void drawHelpPanel(const HelpPanelText& text, int width, int height);
// The line at the foot of the window, `opacity` (0 ... 1) of the way to fully shown.
void drawStatusLine(const char* text, float opacity, int width, int height);
