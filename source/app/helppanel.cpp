// The help panel's rows and the fading status line, as text.
#include "app/helppanel.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace
{
void addRow(HelpPanelText& text, const char* left, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

void addRow(HelpPanelText& text, const char* left, const char* format, ...)
{
    if (text.rowCount >= kHelpRowCapacity)
    {
        return;
    }
    char(&row)[2][kHelpCellCapacity] = text.cells[text.rowCount++];
    std::snprintf(row[0], sizeof row[0], "%s", left);
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(row[1], sizeof row[1], format, arguments);
    va_end(arguments);
}
} // namespace

void formatClockTime(double hours, char* text, int capacity)
{
    int minutes = int(std::floor(hours * 60.0 + 0.5)) % (24 * 60);
    if (minutes < 0)
    {
        minutes += 24 * 60;
    }
    std::snprintf(text, size_t(capacity), "%02d:%02d", minutes / 60, minutes % 60);
}

void composeHelpPanel(const PanelFacts& facts, HelpPanelText& text, const KeyTable& keys)
{
    text.rowCount = 0;
    addRow(text, "", "Quillmere: keys and mouse");
    addRow(text, kMouseInputName, "%s", kMouseDescription);
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        char inputs[kHelpCellCapacity];
        if (formatActionInputs(keys, KeyAction(action), inputs, sizeof inputs))
        {
            addRow(text, inputs, "%s", keyActionFacts(KeyAction(action)).description);
        }
    }
    addRow(text, "", "The park");
    addRow(text, "park", "%u (quillmere --seed %u makes it again)", facts.seed, facts.seed);
    if (facts.framesPerSecond > 0.0)
    {
        addRow(text, "frames", "%.0f a second", facts.framesPerSecond);
    }
    else
    {
        addRow(text, "frames", "counting");
    }
    char clock[8];
    formatClockTime(facts.clockHours, clock, sizeof clock);
    const std::vector<Key>& holdKeys = keys.keysOf(KeyAction::HoldTime);
    char letGo[32] = "";
    if (!holdKeys.empty())
    {
        std::snprintf(letGo, sizeof letGo, " (%s lets it go on)", keyName(holdKeys.front()).text);
    }
    addRow(text, "time of day", "%s%s%s", clock, facts.dayHeld ? ", held" : "",
           facts.dayHeld ? letGo : "");
    addRow(text, "sound", "%s", facts.soundState);
}

void StatusLine::show(int64_t nowMicroseconds, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(m_text, sizeof m_text, format, arguments);
    va_end(arguments);
    m_shown = true;
    m_shownAt = nowMicroseconds;
}

float StatusLine::opacityAt(int64_t nowMicroseconds) const
{
    if (!m_shown)
    {
        return 0.0f;
    }
    const double age = double(nowMicroseconds - m_shownAt) / 1e6;
    const double fadeFrom = kStatusLineSeconds - kStatusFadeSeconds;
    if (age < fadeFrom)
    {
        return 1.0f;
    }
    if (age >= kStatusLineSeconds)
    {
        return 0.0f;
    }
    return float((kStatusLineSeconds - age) / kStatusFadeSeconds);
}
