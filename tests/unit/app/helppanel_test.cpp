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

TEST(HelpPanel, ListsEveryKeyAndThePark)
{
    PanelFacts facts;
    facts.seed = 4000000001u;
    facts.framesPerSecond = 143.6;
    facts.clockHours = 23.999;
    facts.dayHeld = true;
    facts.soundState = "on, volume 80";
    HelpPanelText text;
    composeHelpPanel(facts, text);
    std::string all;
    for (int row = 0; row < text.rowCount; ++row)
    {
        all += std::string(text.cells[row][0]) + " | " + text.cells[row][1] + "\n";
    }
    for (const char* expected :
         {"mouse | turn", "left button, w, Up |", "right button, s, Down |", "a, Left / d, Right |",
          "f |", "p |", "r |", "t |", "m |", "F1, h |", "Esc | quit",
          "park | 4000000001 (quillmere --seed 4000000001 makes it again)", "frames | 144 a second",
          "time of day | 00:00, held", "sound | on, volume 80"})
    {
        EXPECT_NE(all.find(expected), std::string::npos) << expected << " in\n" << all;
    }
}
