// The overlay's text in GLUT's stroke font, under an orthographic pixel projection.
#include "app/overlay.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
void* const kFont = GLUT_STROKE_ROMAN;
// The stroke font's capitals stand this many of its units high.
const float kFontCapHeight = 119.05f;
// The dash the messages use is not in the font: it is drawn as a stroke this wide.
const char kDash[] = "\xe2\x80\x94";
const float kDashUnits = 104.0f;
// Nor is the sign of times (×3): it is drawn as a small cross.
const char kTimes[] = "\xc3\x97";
const float kTimesUnits = 80.0f;
// The font's own space is as wide as its widest letters, which spreads a line of words thin.
const float kSpaceUnits = 58.0f;

const float kPanelAlpha = 0.72f;
// The foot of the window, in lines of text: the news line's box from its bottom, the captions'
// from theirs, newest lowest, each box this high and the next this far above it.
const float kNewsBottomLines = 0.6f;
const float kCaptionsBottomLines = 2.2f;
const float kBoxLines = 1.3f;
const float kCaptionSpacingLines = 1.45f;
// Pixels of a stroke's width and smoothing that may stand beyond a box.
const int kStrokeMargin = 3;
const float kKeyColour[3] = {1.0f, 0.86f, 0.55f};
const float kHeadingColour[3] = {0.62f, 0.86f, 1.0f};
const float kTextColour[3] = {1.0f, 1.0f, 1.0f};

// Advances through one character of UTF-8 text: its width in font units, and drawn when asked.
float strokeCharacter(const char*& p, bool draw)
{
    if (std::strncmp(p, kDash, 3) == 0)
    {
        p += 3;
        if (draw)
        {
            glBegin(GL_LINES);
            glVertex2f(8.0f, 45.0f);
            glVertex2f(kDashUnits - 8.0f, 45.0f);
            glEnd();
            glTranslatef(kDashUnits, 0.0f, 0.0f);
        }
        return kDashUnits;
    }
    if (std::strncmp(p, kTimes, 2) == 0)
    {
        p += 2;
        if (draw)
        {
            glBegin(GL_LINES);
            glVertex2f(12.0f, 12.0f);
            glVertex2f(kTimesUnits - 12.0f, 68.0f);
            glVertex2f(12.0f, 68.0f);
            glVertex2f(kTimesUnits - 12.0f, 12.0f);
            glEnd();
            glTranslatef(kTimesUnits, 0.0f, 0.0f);
        }
        return kTimesUnits;
    }
    if (*p == ' ')
    {
        ++p;
        if (draw)
        {
            glTranslatef(kSpaceUnits, 0.0f, 0.0f);
        }
        return kSpaceUnits;
    }
    const unsigned char c = static_cast<unsigned char>(*p);
    // Bytes of other characters the font lacks are shown as one question mark each.
    const int shown = c >= 32 && c < 127 ? c : '?';
    if (c >= 0x80)
    {
        do
        {
            ++p;
        } while ((static_cast<unsigned char>(*p) & 0xc0) == 0x80);
    }
    else
    {
        ++p;
    }
    if (draw)
    {
        glutStrokeCharacter(kFont, shown);
    }
    return float(glutStrokeWidth(kFont, shown));
}

float textUnits(const char* text)
{
    float units = 0.0f;
    for (const char* p = text; *p;)
    {
        units += strokeCharacter(p, false);
    }
    return units;
}

// Text with its baseline's left end at (x, y), letters `scale` pixels a font unit.
void drawText(const char* text, float x, float y, float scale)
{
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(scale, scale, 1.0f);
    for (const char* p = text; *p;)
    {
        strokeCharacter(p, true);
    }
    glPopMatrix();
}

void fillBox(float left, float bottom, float right, float top, float alpha)
{
    glColor4f(0.0f, 0.0f, 0.0f, alpha);
    glBegin(GL_QUADS);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

// Pixel coordinates from the lower-left corner, nothing of the scene's state in the way, and
// everything restored by leaveOverlayState.
void enterOverlayState(int width, int height, float lineWidth)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, double(width), 0.0, double(height), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    for (GLenum capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_TEXTURE_2D, GL_FOG, GL_CULL_FACE,
                              GL_ALPHA_TEST, GL_COLOR_MATERIAL})
    {
        glDisable(capability);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLineWidth(lineWidth);
}

void leaveOverlayState()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

float strokeWidthFor(float lineHeight)
{
    return std::max(1.0f, lineHeight / 13.0f);
}
} // namespace

float overlayLineHeight(int height)
{
    return std::clamp(float(height) / 27.0f, 14.0f, 64.0f);
}

void drawHelpPanel(const HelpPanelText& text, int width, int height)
{
    float line = overlayLineHeight(height);
    float scale = line * 0.62f / kFontCapHeight;
    const float gapUnits = 90.0f;
    float keysUnits = 0.0f;
    for (int row = 0; row < text.rowCount; ++row)
    {
        if (text.cells[row][0][0] != '\0')
        {
            keysUnits = std::max(keysUnits, textUnits(text.cells[row][0]));
        }
    }
    // A heading runs from the keys' column across the whole panel.
    float restUnits = 0.0f;
    for (int row = 0; row < text.rowCount; ++row)
    {
        const float units = textUnits(text.cells[row][1]);
        const bool heading = text.cells[row][0][0] == '\0';
        restUnits = std::max(restUnits, heading ? units - keysUnits - gapUnits : units);
    }
    const float paddingLines = 0.8f;
    // Narrow or low windows take smaller text rather than losing its ends.
    const float wantedWidth =
        (keysUnits + gapUnits + restUnits) * scale + 2.0f * paddingLines * line;
    const float wantedHeight = (float(text.rowCount) + 2.0f * paddingLines) * line;
    const float fit =
        std::min({1.0f, 0.96f * float(width) / wantedWidth, 0.96f * float(height) / wantedHeight});
    line *= fit;
    scale *= fit;
    const float panelWidth = wantedWidth * fit;
    const float panelHeight = wantedHeight * fit;
    const float left = std::floor((float(width) - panelWidth) / 2.0f);
    const float bottom = std::floor((float(height) - panelHeight) / 2.0f);

    enterOverlayState(width, height, strokeWidthFor(line));
    fillBox(left, bottom, left + panelWidth, bottom + panelHeight, kPanelAlpha);
    const float keysX = left + paddingLines * line;
    const float restX = keysX + (keysUnits + gapUnits) * scale;
    float baseline = bottom + panelHeight - paddingLines * line - 0.8f * line;
    for (int row = 0; row < text.rowCount; ++row)
    {
        if (text.cells[row][0][0] == '\0')
        {
            glColor3fv(kHeadingColour);
            drawText(text.cells[row][1], keysX, baseline, scale);
        }
        else
        {
            glColor3fv(kKeyColour);
            drawText(text.cells[row][0], keysX, baseline, scale);
            glColor3fv(kTextColour);
            drawText(text.cells[row][1], restX, baseline, scale);
        }
        baseline -= line;
    }
    leaveOverlayState();
}

void drawStatusLine(const char* text, float opacity, int width, int height)
{
    if (opacity <= 0.0f || !text[0])
    {
        return;
    }
    float line = overlayLineHeight(height);
    float scale = line * 0.62f / kFontCapHeight;
    const float textWidth = textUnits(text) * scale;
    const float fit = std::min(1.0f, 0.9f * float(width) / (textWidth + line));
    line *= fit;
    scale *= fit;
    const float boxWidth = (textWidth * fit) + line;
    const float left = std::floor((float(width) - boxWidth) / 2.0f);
    const float bottom = std::floor(line * kNewsBottomLines);

    enterOverlayState(width, height, strokeWidthFor(line));
    fillBox(left, bottom, left + boxWidth, bottom + kBoxLines * line, kPanelAlpha * opacity);
    glColor4f(kTextColour[0], kTextColour[1], kTextColour[2], opacity);
    drawText(text, left + 0.5f * line, bottom + 0.38f * line, scale);
    leaveOverlayState();
}

namespace
{
// An arrow a line high, its middle at (x, y), pointing the way the sound is from the view: up
// for ahead, right for the right, down for behind.
void drawArrow(CaptionArrow arrow, float x, float y, float size)
{
    if (arrow == CaptionArrow::None)
    {
        return;
    }
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glRotatef(-45.0f * float(int(arrow)), 0.0f, 0.0f, 1.0f);
    glScalef(size, size, 1.0f);
    glBegin(GL_LINES);
    glVertex2f(0.0f, -0.45f);
    glVertex2f(0.0f, 0.45f);
    glVertex2f(0.0f, 0.45f);
    glVertex2f(-0.25f, 0.18f);
    glVertex2f(0.0f, 0.45f);
    glVertex2f(0.25f, 0.18f);
    glEnd();
    glPopMatrix();
}
} // namespace

void drawCaptions(const Captions& captions, int width, int height)
{
    if (captions.lineCount() == 0)
    {
        return;
    }
    float line = overlayLineHeight(height);
    const float scale = line * 0.62f / kFontCapHeight;
    enterOverlayState(width, height, strokeWidthFor(line));
    // From the newest, just above the news line, up to the oldest.
    float bottom = std::floor(line * kCaptionsBottomLines);
    for (int index = captions.lineCount() - 1; index >= 0; --index)
    {
        char text[96];
        captions.text(index, text, sizeof text);
        const float opacity = captions.opacity(index);
        const float boxWidth = textUnits(text) * scale + 2.3f * line;
        const float left = std::floor((float(width) - boxWidth) / 2.0f);
        fillBox(left, bottom, left + boxWidth, bottom + kBoxLines * line, kPanelAlpha * opacity);
        glColor4f(kKeyColour[0], kKeyColour[1], kKeyColour[2], opacity);
        drawArrow(captions.line(index).arrow, left + 0.85f * line, bottom + 0.65f * line, line);
        glColor4f(kTextColour[0], kTextColour[1], kTextColour[2], opacity);
        drawText(text, left + 1.8f * line, bottom + 0.38f * line, scale);
        bottom += kCaptionSpacingLines * line;
    }
    leaveOverlayState();
}

void Overlay::draw(PanelFacts facts, const KeyTable& keys, const Captions* captions, int width,
                   int height, int64_t nowMicroseconds)
{
    countFrameShown(nowMicroseconds);
    if (m_helpShown)
    {
        facts.framesPerSecond = m_frameRate.framesPerSecond();
        composeHelpPanel(facts, m_panel, keys);
        drawHelpPanel(m_panel, width, height);
    }
    if (captions)
    {
        drawCaptions(*captions, width, height);
    }
    drawStatusLine(m_news.text(), m_news.opacityAt(nowMicroseconds), width, height);
}

int Overlay::footHeight(const Captions* captions, int height, int64_t nowMicroseconds) const
{
    const float line = overlayLineHeight(height);
    float top = 0.0f;
    if (m_news.opacityAt(nowMicroseconds) > 0.0f && m_news.text()[0])
    {
        top = (kNewsBottomLines + kBoxLines) * line;
    }
    if (captions && captions->lineCount() > 0)
    {
        const float rowsAbove = float(captions->lineCount() - 1) * kCaptionSpacingLines;
        top = std::max(top, (kCaptionsBottomLines + rowsAbove + kBoxLines) * line);
    }
    return top > 0.0f ? std::min(height, int(std::ceil(top)) + kStrokeMargin) : 0;
}
