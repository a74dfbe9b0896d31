// The key table's lookups and bindings.
#include "app/keytable.h"

#include <gtest/gtest.h>

#include <cctype>

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
