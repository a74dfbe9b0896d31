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
    const bool pad = facts.padName[0] != '\0';
    addRow(text, pad ? "mouse, right stick" : kMouseInputName, "%s", kMouseDescription);
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        char keyInputs[kHelpCellCapacity];
        const bool byKeys =
            formatActionInputs(keys, KeyAction(action), keyInputs, sizeof keyInputs);
        char padInputs[kHelpCellCapacity] = "";
        const bool walks = action == int(KeyAction::Forward) || action == int(KeyAction::Back);
        const bool byPad =
            pad && (walks ? std::snprintf(padInputs, sizeof padInputs, "left stick") > 0
                          : formatPadInputs(KeyAction(action), padInputs, sizeof padInputs));
        // Room for both lists: the row's own cell cuts the text at its width.
        char inputs[2 * kHelpCellCapacity + 2];
        std::snprintf(inputs, sizeof inputs, "%s%s%s", keyInputs, byKeys && byPad ? ", " : "",
                      padInputs);
        if (byKeys || byPad)
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
    if (facts.paused)
    {
        const std::vector<Key>& pauseKeys = keys.keysOf(KeyAction::Pause);
        addRow(text, "paused", "the park holds still%s%s%s", pauseKeys.empty() ? "" : " (",
               pauseKeys.empty() ? "" : keyName(pauseKeys.front()).text,
               pauseKeys.empty() ? "" : " lets it go on)");
    }
    addRow(text, "field of view", "%.0f degrees", facts.fieldOfView);
    if (facts.renderScale[0] != '\0')
    {
        addRow(text, "render scale", "%s", facts.renderScale);
    }
    addRow(text, "sound", "%s", facts.soundState);
    if (facts.hrtfState[0] != '\0')
    {
        addRow(text, "headphones (HRTF)", "%s", facts.hrtfState);
    }
    addRow(text, "game pad", "%s",
           pad ? facts.padName : "none (one may be plugged in at any time)");
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
