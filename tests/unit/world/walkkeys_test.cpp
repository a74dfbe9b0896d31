#include "world/walkkeys.h"

#include <gtest/gtest.h>

TEST(WalkKeys, WasdInEitherCaseAndNoOtherCharacter)
{
    const struct
    {
        unsigned char character;
        WalkKey key;
    } expected[] = {{'w', WalkKey::Forward},   {'W', WalkKey::Forward},  {'s', WalkKey::Backward},
                    {'S', WalkKey::Backward},  {'a', WalkKey::TurnLeft}, {'A', WalkKey::TurnLeft},
                    {'d', WalkKey::TurnRight}, {'D', WalkKey::TurnRight}};
    for (const auto& entry : expected)
    {
        WalkKey key = WalkKey::Forward;
        ASSERT_TRUE(walkKeyOfCharacter(entry.character, key)) << entry.character;
        EXPECT_EQ(key, entry.key) << entry.character;
    }
    for (unsigned char other : {'f', 'p', 'r', 'q', 'e', ' ', '\x1b', '\0'})
    {
        WalkKey key = WalkKey::Forward;
        EXPECT_FALSE(walkKeyOfCharacter(other, key)) << int(other);
    }
}
