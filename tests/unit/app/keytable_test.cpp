// The key table's lookups, and the README's and the manual page's lists of the keys held to it.
#include "app/keytable.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
using Row = std::pair<std::string, std::string>;

// What every list of the keys shows: the mouse, then each action something does.
std::vector<Row> tableRows(const KeyTable& keys)
{
    std::vector<Row> rows = {{kMouseInputName, kMouseDescription}};
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        char inputs[160];
        if (formatActionInputs(keys, KeyAction(action), inputs, sizeof inputs))
        {
            rows.push_back({inputs, keyActionFacts(KeyAction(action)).description});
        }
    }
    return rows;
}

std::vector<std::string> sourceLines(const std::string& path)
{
    std::ifstream file(std::string(QUILLMERE_SOURCE_DIR) + "/" + path);
    EXPECT_TRUE(file) << path;
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
    {
        lines.push_back(line);
    }
    return lines;
}

std::string trimmed(const std::string& text, const char* strip)
{
    const size_t first = text.find_first_not_of(strip);
    return first == std::string::npos
               ? ""
               : text.substr(first, text.find_last_not_of(strip) + 1 - first);
}

// The README's "Keys and mouse" table, without its heading row and with the backticks taken off.
std::vector<Row> readmeRows()
{
    std::vector<Row> rows;
    bool inSection = false;
    for (const std::string& line : sourceLines("README.md"))
    {
        inSection = line.rfind("## ", 0) == 0 ? line == "## Keys and mouse" : inSection;
        if (!inSection || line.rfind("| ", 0) != 0 || line == "| Input | Action |")
        {
            continue;
        }
        std::string plain;
        for (char c : line)
        {
            plain += c == '`' ? "" : std::string(1, c);
        }
        const size_t middle = plain.find('|', 1);
        rows.push_back(
            {trimmed(plain.substr(1, middle - 1), " "), trimmed(plain.substr(middle + 1), " |")});
    }
    return rows;
}

// A line of troff as it reads: ".BR a \", \" Left" is "a, Left", ".B mouse" is "mouse".
std::string troffText(const std::string& line)
{
    if (line.empty() || line[0] != '.')
    {
        return line;
    }
    const size_t space = line.find(' ');
    const bool alternating = line.compare(0, space, ".B") != 0 && line.compare(0, space, ".I") != 0;
    std::string text;
    bool quoted = false;
    for (size_t i = space + 1; space != std::string::npos && i < line.size(); ++i)
    {
        if (line[i] == '"')
        {
            quoted = !quoted;
        }
        else if (line[i] != ' ' || quoted || !alternating)
        {
            text += line[i];
        }
    }
    return text;
}

// The manual page's list of the keys: a tag after each .TP and the text under it.
std::vector<Row> manualRows()
{
    std::vector<Row> rows;
    bool inSection = false;
    bool tagNext = false;
    bool inBody = false;
    for (const std::string& line : sourceLines("packaging/quillmere.6.in"))
    {
        inSection = line.rfind(".SH", 0) == 0 ? line == ".SH KEYS AND MOUSE" : inSection;
        if (!inSection)
        {
            continue;
        }
        if (tagNext)
        {
            rows.push_back({troffText(line), ""});
            tagNext = false;
            inBody = true;
        }
        else if (line.rfind(".", 0) == 0)
        {
            tagNext = line == ".TP";
            inBody = false;
        }
        else if (inBody)
        {
            rows.back().second += (rows.back().second.empty() ? "" : " ") + line;
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
        EXPECT_EQ(formatActionInputs(keys, action, inputs, sizeof inputs),
                  action != KeyAction::Pause)
            << "pause has no key until the park can pause";
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
    for (unsigned char other : {'x', 'X', ' ', '1', '\0'})
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
    const std::vector<Row> expected = tableRows(defaultKeyTable());
    EXPECT_EQ(readmeRows(), expected) << "README.md, section \"Keys and mouse\"";

    std::vector<Row> sentences = expected;
    for (Row& row : sentences)
    {
        row.second[0] = char(std::toupper(row.second[0]));
        row.second += ".";
    }
    EXPECT_EQ(manualRows(), sentences) << "packaging/quillmere.6.in, section KEYS AND MOUSE";
}
