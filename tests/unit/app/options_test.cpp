#include "app/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace
{
struct Parsed
{
    bool ok = false;
    ProgramOptions options;
    std::string error;
};

Parsed parse(std::initializer_list<const char*> args)
{
    std::vector<const char*> argv = {"quillmere"};
    argv.insert(argv.end(), args.begin(), args.end());
    Parsed parsed;
    parsed.ok = parseProgramOptions(int(argv.size()), argv.data(), parsed.options, parsed.error);
    return parsed;
}
} // namespace

TEST(ProgramOptions, NoArgumentsLeaveThePark)
{
    const Parsed parsed = parse({});
    ASSERT_TRUE(parsed.ok);
    EXPECT_FALSE(parsed.options.showHelp);
    EXPECT_FALSE(parsed.options.showVersion);
    EXPECT_FALSE(parsed.options.hasSeed);
    EXPECT_FALSE(parsed.options.fullScreen);
    EXPECT_EQ(parsed.options.framesPerSecond, 60);
    EXPECT_EQ(parsed.options.frameLimit, 0);
    EXPECT_FALSE(parsed.options.screenshotOnLastFrame);
}

TEST(ProgramOptions, EveryOptionInBothSpellingsOfItsValue)
{
    const Parsed parsed = parse({"--seed", "42", "--fullscreen", "--fps=0", "--frames", "100",
                                 "--screenshot", "--help", "--version"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_TRUE(parsed.options.hasSeed);
    EXPECT_EQ(parsed.options.seed, 42u);
    EXPECT_TRUE(parsed.options.fullScreen);
    EXPECT_EQ(parsed.options.framesPerSecond, 0);
    EXPECT_EQ(parsed.options.frameLimit, 100);
    EXPECT_TRUE(parsed.options.screenshotOnLastFrame);
    EXPECT_TRUE(parsed.options.showHelp);
    EXPECT_TRUE(parsed.options.showVersion);

    EXPECT_TRUE(parse({"-h"}).options.showHelp);
    EXPECT_EQ(parse({"--seed=7"}).options.seed, 7u);
    EXPECT_EQ(parse({"--fps", "144"}).options.framesPerSecond, 144);
}

TEST(ProgramOptions, SeedTakesTheWholeUnsignedRangeAndNothingElse)
{
    EXPECT_EQ(parse({"--seed", "0"}).options.seed, 0u);
    const Parsed top = parse({"--seed", "4294967295"});
    ASSERT_TRUE(top.ok);
    EXPECT_EQ(top.options.seed, 4294967295u);

    for (const char* wrong : {"4294967296", "99999999999999999999999", "-1", "+5", " 5", "5 ",
                              "0x10", "12a", "1.5", ""})
    {
        const Parsed parsed = parse({"--seed", wrong});
        EXPECT_FALSE(parsed.ok) << "'" << wrong << "'";
        EXPECT_EQ(parsed.error, std::string("--seed needs a whole number from 0 to 4294967295, "
                                            "not '") +
                                    wrong + "'");
    }
}

TEST(ProgramOptions, FramesAndFpsHaveTheirRanges)
{
    EXPECT_FALSE(parse({"--frames", "0"}).ok) << "leaving before the first frame shows nothing";
    EXPECT_TRUE(parse({"--frames", "1"}).ok);
    EXPECT_TRUE(parse({"--frames", "1000000000"}).ok);
    EXPECT_FALSE(parse({"--frames", "1000000001"}).ok);
    EXPECT_TRUE(parse({"--fps", "1000"}).ok);
    EXPECT_FALSE(parse({"--fps", "1001"}).ok);
    EXPECT_EQ(parse({"--fps", "-1"}).error, "--fps needs a whole number from 0 to 1000, not '-1'");
}

TEST(ProgramOptions, EachMistakeIsNamed)
{
    EXPECT_EQ(parse({"--seed"}).error, "--seed needs a value");
    EXPECT_EQ(parse({"--frames"}).error, "--frames needs a value");
    EXPECT_EQ(parse({"--bogus"}).error, "unknown option '--bogus'");
    EXPECT_EQ(parse({"-x"}).error, "unknown option '-x'");
    EXPECT_EQ(parse({"--help=yes"}).error, "--help takes no value");
    EXPECT_EQ(parse({"--fullscreen=1"}).error, "--fullscreen takes no value");
    EXPECT_EQ(parse({"park"}).error, "unexpected argument 'park'");
    EXPECT_EQ(parse({"--screenshot"}).error, "--screenshot needs --frames");
    EXPECT_EQ(parse({"--frames", "5"}).error, "");
    // A mistake is reported even beside --help: the user meant something else.
    EXPECT_FALSE(parse({"--help", "--bogus"}).ok);
}

TEST(ProgramOptions, GlutXOptionsAreSteppedOverWithTheirValues)
{
    const Parsed parsed = parse({"-display", ":3", "--seed", "9", "-geometry", "640x480+10+10",
                                 "-iconic", "-direct", "-indirect", "-sync", "-gldebug"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.seed, 9u);

    // The value of a GLUT option is GLUT's, whatever it looks like.
    EXPECT_FALSE(parse({"-geometry", "--help"}).options.showHelp);
    EXPECT_EQ(parse({"--seed", "1", "-display"}).error, "-display needs a value");
    EXPECT_EQ(parse({"-geometry"}).error, "-geometry needs a value");
}

TEST(ProgramOptions, HelpShowsEveryOptionAndTheWalkingKeys)
{
    const std::string usage = usageText(defaultKeyTable());
    for (const char* word : {"--help", "--version", "--seed", "--fullscreen", "--fps", "--frames",
                             "--screenshot", "-display", "-geometry", " w,", " s,", " a,", " d,",
                             "Up", "Down", "Left", "Right", "Esc"})
    {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
}

TEST(ProgramOptions, HelpShowsTheKeysInUse)
{
    KeyTable keys = defaultKeyTable();
    keys.bind(KeyAction::FullScreen, {Key::ofSpecial(SpecialKey::F11)});
    keys.bind(KeyAction::Mute, {});
    keys.bind(KeyAction::Quit, {Key::ofCharacter(27), Key::ofCharacter(' '), Key::ofCharacter('\t'),
                                Key::ofCharacter('q'), Key::ofSpecial(SpecialKey::F10)});
    const std::string usage = usageText(keys);
    EXPECT_NE(usage.find("full screen (F11 leaves it)\n"), std::string::npos) << usage;
    EXPECT_NE(usage.find("\n  F11                   full screen on and off\n"), std::string::npos);
    const std::string keysPart = usage.substr(0, usage.find("A game pad"));
    EXPECT_EQ(keysPart.find("sound off and on"), std::string::npos) << "no key mutes";
    EXPECT_NE(usage.find("the sound off\n"), std::string::npos) << "and none turns it on";
    EXPECT_NE(usage.find("\n  Esc, Space, Tab, q, F10\n                        quit\n"),
              std::string::npos)
        << "inputs too wide for their column stand alone on their line:\n"
        << usage;
}

TEST(ProgramOptions, TheDaysLengthAndTimeTakeSecondsSharesAndClockTimes)
{
    EXPECT_FALSE(parse({}).options.hasFramesPerSecond) << "the screen's rate unless named";
    EXPECT_TRUE(parse({"--fps", "60"}).options.hasFramesPerSecond);
    EXPECT_EQ(parse({}).options.dayLengthSeconds, 0.0) << "the park's own day";
    EXPECT_EQ(parse({"--day-length", "600"}).options.dayLengthSeconds, 600.0);
    EXPECT_EQ(parse({"--day-length=2.5"}).options.dayLengthSeconds, 2.5);
    EXPECT_EQ(parse({"--day-length", "86400"}).options.dayLengthSeconds, 86400.0);
    for (const char* wrong : {"1.99", "86400.5", "1e3", "-5", ".5", "5.", "", "ten"})
    {
        const Parsed parsed = parse({"--day-length", wrong});
        EXPECT_FALSE(parsed.ok) << wrong;
        EXPECT_EQ(parsed.error,
                  std::string("--day-length needs seconds from 2 to 86400, not '") + wrong + "'");
    }

    const Parsed share = parse({"--time-of-day", "0.3"});
    ASSERT_TRUE(share.ok) << share.error;
    EXPECT_TRUE(share.options.hasTimeOfDay);
    EXPECT_EQ(share.options.timeOfDay, 0.3);
    EXPECT_EQ(parse({"--time-of-day", "0"}).options.timeOfDay, 0.0);
    const Parsed noon = parse({"--time-of-day", "12:00"});
    ASSERT_TRUE(noon.ok) << noon.error;
    EXPECT_GT(noon.options.timeOfDay, 0.25) << "noon comes after the first light at 04:40";
    EXPECT_LT(noon.options.timeOfDay, 0.35);
    for (const char* wrong : {"1", "1.0", "24:00", "12:60", "7:30", "12:5", "-0.1", "noon"})
    {
        EXPECT_FALSE(parse({"--time-of-day", wrong}).ok) << wrong;
    }
}

namespace
{
// The settings lines in order, each applied over the one before; the errors of those refused.
std::vector<std::string> applyLines(std::initializer_list<const char*> lines,
                                    ProgramOptions& options)
{
    std::vector<std::string> errors;
    for (const char* line : lines)
    {
        std::string error;
        if (!applySettingsLine(line, options, error))
        {
            errors.push_back(error);
        }
    }
    return errors;
}

KeyAction actionOf(const ProgramOptions& options, Key key)
{
    KeyAction action = KeyAction::Quit;
    EXPECT_TRUE(options.keys.actionOfKey(key, action)) << keyName(key).text;
    return action;
}
} // namespace

TEST(ProgramOptions, KeySettingsNameOneOrMoreKeysInEitherCase)
{
    ProgramOptions options;
    EXPECT_TRUE(applyLines({"key-forward = z W Up", "key-left = q  LEFT", "key-pause = f12",
                            "key-quit = esc", "key-help = tab 7"},
                           options)
                    .empty());
    EXPECT_EQ(actionOf(options, Key::ofCharacter('z')), KeyAction::Forward);
    EXPECT_EQ(actionOf(options, Key::ofCharacter('w')), KeyAction::Forward);
    EXPECT_EQ(actionOf(options, Key::ofSpecial(SpecialKey::Left)), KeyAction::TurnLeft);
    EXPECT_EQ(actionOf(options, Key::ofSpecial(SpecialKey::F12)), KeyAction::Pause);
    EXPECT_EQ(actionOf(options, Key::ofCharacter('\t')), KeyAction::Help);
    EXPECT_EQ(actionOf(options, Key::ofCharacter('7')), KeyAction::Help);
    KeyAction action = KeyAction::Quit;
    EXPECT_FALSE(options.keys.actionOfKey(Key::ofCharacter('a'), action))
        << "key-left named q and Left: a is no longer left";
    EXPECT_FALSE(options.keys.actionOfKey(Key::ofCharacter(' '), action))
        << "Space paused only by default";
    EXPECT_FALSE(options.keys.actionOfKey(Key::ofSpecial(SpecialKey::F1), action));
}

TEST(ProgramOptions, AKeyTwoLinesGiveIsSkippedOnTheLaterAndADefaultIsTakenQuietly)
{
    ProgramOptions options;
    // a is left's by default; the mute line takes it, and left keeps Left alone.
    const std::vector<std::string> errors =
        applyLines({"key-mute = a", "key-back = x", "key-new-park = X r", "key-hold-time = ctrl",
                    "key-quit ="},
                   options);
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "key x is already key-back's");
    EXPECT_EQ(errors[1], "'key-hold-time' names keys (a letter or digit, Up, Down, Left, Right, "
                         "F1 ... F12, Space, Tab, Esc), not 'ctrl'");
    EXPECT_EQ(errors[2], "'key-quit' needs one key or more");
    EXPECT_EQ(actionOf(options, Key::ofCharacter('a')), KeyAction::Mute);
    EXPECT_EQ(options.keys.keysOf(KeyAction::TurnLeft).size(), 1u);
    EXPECT_EQ(actionOf(options, Key::ofCharacter('r')), KeyAction::NewPark)
        << "the skipped line changed nothing";
    EXPECT_EQ(actionOf(options, Key::ofCharacter('t')), KeyAction::HoldTime);

    const Parsed onTheCommandLine = parse({"--key-forward=z"});
    EXPECT_FALSE(onTheCommandLine.ok);
    EXPECT_EQ(onTheCommandLine.error, "--key-forward belongs in the settings file");
}

TEST(ProgramOptions, FieldOfViewAndThePadsLookSpeedHaveTheirRanges)
{
    EXPECT_EQ(parse({}).options.fieldOfView, 45.0);
    EXPECT_EQ(parse({"--field-of-view", "100"}).options.fieldOfView, 100.0);
    EXPECT_EQ(parse({"--field-of-view=62.5"}).options.fieldOfView, 62.5);
    EXPECT_EQ(parse({"--field-of-view", "29.9"}).error,
              "--field-of-view needs degrees from 30 to 100, not '29.9'");
    EXPECT_FALSE(parse({"--field-of-view", "101"}).ok);
    EXPECT_EQ(parse({"--gamepad-look-speed", "240"}).options.padLookSpeed, 240.0);
    EXPECT_FALSE(parse({"--gamepad-look-speed", "5"}).ok);
    ProgramOptions options;
    EXPECT_TRUE(applyLines({"field-of-view = 80", "gamepad-look-speed = 90"}, options).empty());
    EXPECT_EQ(options.fieldOfView, 80.0);
    EXPECT_EQ(options.padLookSpeed, 90.0);
}

TEST(ProgramOptions, RenderScaleIsAutoOrAFractionFromAQuarterToOne)
{
    EXPECT_TRUE(parse({}).options.renderScale.automatic);
    const RenderScaleChoice half = parse({"--render-scale", "0.5"}).options.renderScale;
    EXPECT_FALSE(half.automatic);
    EXPECT_EQ(half.scale, 0.5f);
    EXPECT_EQ(parse({"--render-scale=1"}).options.renderScale.scale, 1.0f);
    EXPECT_EQ(parse({"--render-scale", "0.25"}).options.renderScale.scale, 0.25f);
    for (const char* wrong : {"0.2", "1.5", "Auto", "half", " 0.5", "5e-1", ""})
    {
        EXPECT_EQ(parse({"--render-scale", wrong}).error,
                  std::string("--render-scale needs auto or a number from 0.25 to 1, not '") +
                      wrong + "'");
    }
    ProgramOptions options;
    EXPECT_TRUE(applyLines({"render-scale = 0.75"}, options).empty());
    EXPECT_EQ(options.renderScale.scale, 0.75f);
    EXPECT_TRUE(applyLines({"render-scale = auto"}, options).empty());
    EXPECT_TRUE(options.renderScale.automatic);
}
