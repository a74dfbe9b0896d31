// Text drawn over the finished frame: the help panel and the status line. GLUT's stroke font
// scales to any size, so the text is sized to the window: legible in an 800 x 600 window and on
// a 1920 x 1080 screen alike. A dark translucent box behind the text keeps it readable over a
// bright sky and over the night. Each call sets the GL state it needs and restores the frame's.
#pragma once

#include "app/captions.h"
#include "app/helppanel.h"
#include "app/keytable.h"
#include "platform/framepacing.h"

#include <cstdint>

// Line height, in pixels, of the overlay's text in a window `height` pixels high.
float overlayLineHeight(int height);

// The panel in the middle of a width x height window.
void drawHelpPanel(const HelpPanelText& text, int width, int height);
// The line at the foot of the window, `opacity` (0 ... 1) of the way to fully shown.
void drawStatusLine(const char* text, float opacity, int width, int height);
// The captions above it, oldest at the top, each with its arrow and fading as its sound ends.
void drawCaptions(const Captions& captions, int width, int height);

// What the window shows over the park: the help panel while it is asked for, and the news line.
class Overlay
{
public:
    StatusLine& news() { return m_news; }
    const StatusLine& news() const { return m_news; }
    void toggleHelp() { m_helpShown = !m_helpShown; }
    bool isHelpShown() const { return m_helpShown; }

    // Once a displayed frame, over the finished frame at `nowMicroseconds`: the panel with the
    // park's facts, the keys in use and the frames counted so far, when shown, the captions when
    // given, and the news line.
    void draw(PanelFacts facts, const KeyTable& keys, const Captions* captions, int width,
              int height, int64_t nowMicroseconds);
    // How high a strip at the foot of a window `height` pixels high the news line and the
    // captions are drawn in (0 when neither shows); the help panel is not counted.
    int footHeight(const Captions* captions, int height, int64_t nowMicroseconds) const;
    // A frame shown without draw() is still counted here.
    void countFrameShown(int64_t nowMicroseconds) { m_frameRate.frameShown(nowMicroseconds); }

private:
    StatusLine m_news;
    HelpPanelText m_panel;
    FrameRateMeter m_frameRate;
    bool m_helpShown = false;
};
