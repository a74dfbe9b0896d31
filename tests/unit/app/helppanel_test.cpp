#include "app/helppanel.h"

#include <gtest/gtest.h>

#include <string>

TEST(StatusLine, IsWholeForTwoSecondsThenFadesOverTheThird)
{
    StatusLine line;
    EXPECT_EQ(line.opacityAt(0), 0.0f) << "nothing said yet";
    line.show(5000000, "park %u", 40213u);
    EXPECT_STREQ(line.text(), "park 40213");
    EXPECT_EQ(line.opacityAt(5000000), 1.0f);
    EXPECT_EQ(line.opacityAt(6999999), 1.0f);
    EXPECT_NEAR(line.opacityAt(7250000), 0.75f, 1e-6f);
    EXPECT_EQ(line.opacityAt(8000000), 0.0f);
    line.show(9000000, "%s", std::string(400, 'x').c_str());
    EXPECT_EQ(std::string(line.text()).size(), 159u) << "a long line is cut, not overrun";
}

namespace
{
std::string panelText(const PanelFacts& facts, const KeyTable& keys)
{
    HelpPanelText text;
    composeHelpPanel(facts, text, keys);
    std::string all;
    for (int row = 0; row < text.rowCount; ++row)
    {
        all += std::string(text.cells[row][0]) + " | " + text.cells[row][1] + "\n";
    }
    return all;
}
} // namespace

TEST(HelpPanel, ListsEveryKeyAndThePark)
{
    PanelFacts facts;
    facts.seed = 4000000001u;
    facts.framesPerSecond = 143.6;
    facts.clockHours = 23.999;
    facts.dayHeld = true;
    facts.soundState = "on, volume 80";
    const std::string all = panelText(facts, defaultKeyTable());
    for (const char* expected :
         {"mouse | turn", "left button, w, Up | walk forward", "right button, s, Down |",
          "a, Left | turn left", "d, Right | turn right", "f |", "p |", "r |", "t |", "m |",
          "F1, h |", "Space | pause", "Esc | quit",
          "park | 4000000001 (quillmere --seed 4000000001 makes it again)",
          "frames | 144 a second", "time of day | 00:00, held (t lets it go on)",
          "sound | on, volume 80"})
    {
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
    }
    EXPECT_EQ(all.find("right stick"), std::string::npos) << "no pad: no pad's inputs";
    EXPECT_NE(all.find("game pad | none"), std::string::npos);
}

TEST(HelpPanel, WithAPadConnectedItsSticksAndButtonsStandBesideTheKeys)
{
    PanelFacts facts;
    facts.padName = "Cretaceous Pad";
    facts.paused = true;
    facts.fieldOfView = 72.4;
    const std::string all = panelText(facts, defaultKeyTable());
    for (const char* expected :
         {"mouse, right stick | turn", "left button, w, Up, left stick | walk forward",
          "right button, s, Down, left stick |", "p, pad Y |", "r, pad X |", "t, pad B |",
          "m, pad Back |", "F1, h, pad Start, Guide |", "Space, pad A | pause", "Esc | quit",
          "game pad | Cretaceous Pad", "paused | the park holds still (Space lets it go on)",
          "field of view | 72 degrees"})
    {
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
    }
}

TEST(HelpPanel, ShowsTheKeysInUse)
{
    KeyTable keys = defaultKeyTable();
    keys.bind(KeyAction::Forward, {Key::ofCharacter('z')});
    keys.bind(KeyAction::HoldTime, {Key::ofSpecial(SpecialKey::F5)});
    keys.bind(KeyAction::Mute, {});
    PanelFacts facts;
    facts.dayHeld = true;
    const std::string all = panelText(facts, keys);
    EXPECT_NE(all.find("left button, z | walk forward"), std::string::npos) << all;
    EXPECT_NE(all.find("held (F5 lets it go on)"), std::string::npos) << all;
    EXPECT_EQ(all.find("sound off"), std::string::npos) << "no key mutes: " << all;
}
