// The key table's lookups, and the README's and the manual page's lists of the keys held to it.
#include "app/keytable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <vector>

namespace
{
// What every list of the default keys shows, "inputs | description": the mouse, then each action
// something does. The manual page writes each description as a sentence.
std::vector<std::string> tableRows(bool asSentences)
{
    const auto row = [asSentences](const std::string& inputs, std::string description)
    {
        if (asSentences)
        {
            description[0] = char(std::toupper(description[0]));
            description += ".";
        }
        return inputs + " | " + description;
    };
    std::vector<std::string> rows = {row(kMouseInputName, kMouseDescription)};
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        char inputs[160];
        if (formatActionInputs(defaultKeyTable(), KeyAction(action), inputs, sizeof inputs))
        {
            rows.push_back(row(inputs, keyActionFacts(KeyAction(action)).description));
        }
    }
    return rows;
}

// The lines of a file of the source tree in the section that starts with `heading`, up to the
// next line starting as the heading does.
std::vector<std::string> sectionLines(const char* path, const std::string& heading)
{
    std::ifstream file(std::string(QUILLMERE_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(file) << path;
    const std::string headingStart = heading.substr(0, heading.find(' ') + 1);
    std::vector<std::string> lines;
    bool inSection = false;
    for (std::string line; std::getline(file, line);)
    {
        inSection = line.rfind(headingStart, 0) == 0 ? line == heading : inSection;
        if (inSection)
        {
            lines.push_back(line);
        }
    }
    return lines;
}

// The README's table of the keys, backticks taken off: "| `a`, Left | turn |" is "a, Left | turn".
std::vector<std::string> readmeRows()
{
    std::vector<std::string> rows;
    for (std::string line : sectionLines("README.md", "## Keys and mouse"))
    {
        line.erase(std::remove(line.begin(), line.end(), '`'), line.end());
        if (line.rfind("| ", 0) == 0 && line != "| Input | Action |")
        {
            rows.push_back(line.substr(2, line.size() - 4));
        }
    }
    return rows;
}

// A line of troff as it reads: ".BR a \", \" Left" is "a, Left", ".B mouse" is "mouse".
std::string troffText(const std::string& line)
{
    const size_t space = line.find(' ');
    const bool alternating = line.compare(0, space, ".B") != 0 && line.compare(0, space, ".I") != 0;
    std::string text;
    bool quoted = false;
    for (size_t i = space + 1; space != std::string::npos && i < line.size(); ++i)
    {
        quoted = line[i] == '"' ? !quoted : quoted;
        if (line[i] != '"' && (line[i] != ' ' || quoted || !alternating))
        {
            text += line[i];
        }
    }
    return text;
}

// The manual page's list of the keys: the tag after each .TP and the text under it.
std::vector<std::string> manualRows()
{
    std::vector<std::string> rows;
    const std::vector<std::string> lines =
        sectionLines("packaging/quillmere.6.in", ".SH KEYS AND MOUSE");
    for (size_t i = 0; i + 1 < lines.size(); ++i)
    {
        if (lines[i] != ".TP")
        {
            continue;
        }
        rows.push_back(troffText(lines[++i]) + " |");
        for (; i + 1 < lines.size() && lines[i + 1].rfind(".", 0) != 0; ++i)
        {
            rows.back() += " " + lines[i + 1];
        }
    }
    return rows;
}
} // namespace

TEST(KeyTable, EveryDefaultKeyFindsItsActionAndNoOtherKeyFindsOne)
{
    const KeyTable& keys = defaultKeyTable();
    for (int index = 0; index < kKeyActionCount; ++index)
    {
        const KeyAction action = KeyAction(index);
        char inputs[80];
        EXPECT_TRUE(formatActionInputs(keys, action, inputs, sizeof inputs));
        for (const Key& key : keys.keysOf(action))
        {
            KeyAction found = KeyAction::Pause;
            const bool known =
                key.special == SpecialKey::None
                    ? keys.actionOfCharacter(key.character, found) &&
                          keys.actionOfCharacter((unsigned char)std::toupper(key.character), found)
                    : keys.actionOfSpecialKey(key.special, found);
            EXPECT_TRUE(known && found == action) << keyName(key).text << " in either case";
        }
    }
    KeyAction found = KeyAction::Pause;
    EXPECT_TRUE(keys.actionOfCharacter('W', found) && found == KeyAction::Forward);
    EXPECT_TRUE(keys.actionOfCharacter(27, found) && found == KeyAction::Quit);
    EXPECT_TRUE(keys.actionOfSpecialKey(SpecialKey::F1, found) && found == KeyAction::Help);
    EXPECT_TRUE(keys.actionOfCharacter(' ', found) && found == KeyAction::Pause);
    for (unsigned char other : {'x', 'X', '1', '\0'})
    {
        EXPECT_FALSE(keys.actionOfCharacter(other, found)) << int(other);
    }
    EXPECT_FALSE(keys.actionOfSpecialKey(SpecialKey::F2, found));
    EXPECT_FALSE(keys.actionOfSpecialKey(SpecialKey::None, found));
}

TEST(KeyTable, ABindingReplacesTheKeysOfItsActionAndNamesThem)
{
    KeyTable keys = defaultKeyTable();
    keys.bind(KeyAction::Forward, {Key{'Z', SpecialKey::None}, Key::ofCharacter(' ')});
    keys.bind(KeyAction::Quit, {Key::ofSpecial(SpecialKey::F12), Key::ofCharacter('\t')});
    KeyAction found = KeyAction::Pause;
    EXPECT_TRUE(keys.actionOfCharacter('z', found) && found == KeyAction::Forward);
    EXPECT_FALSE(keys.actionOfCharacter('w', found));
    EXPECT_FALSE(keys.actionOfSpecialKey(SpecialKey::Up, found));
    char inputs[80];
    formatActionInputs(keys, KeyAction::Forward, inputs, sizeof inputs);
    EXPECT_STREQ(inputs, "left button, z, Space");
    formatActionInputs(keys, KeyAction::Quit, inputs, sizeof inputs);
    EXPECT_STREQ(inputs, "F12, Tab");
    formatActionInputs(keys, KeyAction::Back, inputs, 8);
    EXPECT_STREQ(inputs, "right b") << "cut to its buffer";
}

TEST(KeyTable, TheReadmeAndTheManualPageListExactlyTheDefaultKeys)
{
    EXPECT_EQ(readmeRows(), tableRows(false)) << "README.md, section \"Keys and mouse\"";
    EXPECT_EQ(manualRows(), tableRows(true)) << "packaging/quillmere.6.in, section KEYS AND MOUSE";
}
