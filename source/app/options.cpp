// The command line: GLUT's X options stepped over, the park's own read and checked.
#include "app/options.h"

#include "world/daycycle.h"

#include <cmath>
#include <cstdlib>

namespace
{
const uint64_t kMaxSeed = 4294967295u;
const uint64_t kMaxFramesPerSecond = 1000;
const uint64_t kMaxFrameLimit = 1000000000;
const double kShortestDaySeconds = 2.0;
const double kLongestDaySeconds = 24.0 * 60.0 * 60.0;

struct GlutOption
{
    const char* name;
    int valueCount;
};
const GlutOption kGlutOptions[] = {{"-display", 1},  {"-geometry", 1}, {"-direct", 0},
                                   {"-indirect", 0}, {"-iconic", 0},   {"-gldebug", 0},
                                   {"-sync", 0}};

// True when arg is one of GLUT's X options; valueCount is then how many arguments follow it.
bool isGlutOption(const std::string& arg, int& valueCount)
{
    for (const GlutOption& option : kGlutOptions)
    {
        if (arg == option.name)
        {
            valueCount = option.valueCount;
            return true;
        }
    }
    return false;
}

// A plain decimal number in 0 ... max: digits only, no sign, no spaces.
bool parseWholeNumber(const std::string& text, uint64_t max, uint64_t& value)
{
    if (text.empty())
    {
        return false;
    }
    uint64_t number = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
        {
            return false;
        }
        number = number * 10 + uint64_t(c - '0');
        if (number > max)
        {
            return false;
        }
    }
    value = number;
    return true;
}

// Walks the arguments, handing out an option's value from "--name=value" or the next argument.
class ArgumentReader
{
public:
    ArgumentReader(int argc, const char* const* argv) : m_argc(argc), m_argv(argv) {}

    bool atEnd() const { return m_next >= m_argc; }

    // The next argument split at its first '=' when it starts with "--".
    void advance()
    {
        const std::string arg = m_argv[m_next++];
        const size_t equals = arg.find('=');
        m_hasInlineValue = arg.rfind("--", 0) == 0 && equals != std::string::npos;
        m_name = m_hasInlineValue ? arg.substr(0, equals) : arg;
        m_inlineValue = m_hasInlineValue ? arg.substr(equals + 1) : std::string();
    }

    const std::string& name() const { return m_name; }
    bool hasInlineValue() const { return m_hasInlineValue; }

    bool takeValue(std::string& value)
    {
        if (m_hasInlineValue)
        {
            value = m_inlineValue;
            return true;
        }
        if (atEnd())
        {
            return false;
        }
        value = m_argv[m_next++];
        return true;
    }

    bool skip(int count)
    {
        if (m_next + count > m_argc)
        {
            return false;
        }
        m_next += count;
        return true;
    }

private:
    int m_argc;
    const char* const* m_argv;
    int m_next = 1;
    std::string m_name;
    bool m_hasInlineValue = false;
    std::string m_inlineValue;
};

// A plain decimal number, digits with at most one point between them: no sign, exponent or
// spaces, so that "1e3" or " 5" are refused rather than read as something else.
bool parseDecimal(const std::string& text, double& value)
{
    size_t digits = 0;
    size_t points = 0;
    for (char c : text)
    {
        if (c >= '0' && c <= '9')
        {
            ++digits;
        }
        else if (c == '.')
        {
            ++points;
        }
        else
        {
            return false;
        }
    }
    if (digits == 0 || points > 1 || text.front() == '.' || text.back() == '.')
    {
        return false;
    }
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

// "HH:MM" on the park's clock, 00:00 ... 23:59.
bool parseClockTime(const std::string& text, double& hours)
{
    uint64_t hour = 0;
    uint64_t minute = 0;
    if (text.size() != 5 || text[2] != ':' || !parseWholeNumber(text.substr(0, 2), 23, hour) ||
        !parseWholeNumber(text.substr(3, 2), 59, minute))
    {
        return false;
    }
    hours = double(hour) + double(minute) / 60.0;
    return true;
}

bool readDayLength(ArgumentReader& reader, double& seconds, std::string& error)
{
    std::string text;
    if (!reader.takeValue(text))
    {
        error = reader.name() + " needs a value";
        return false;
    }
    double value = 0.0;
    if (!parseDecimal(text, value) || value < kShortestDaySeconds || value > kLongestDaySeconds)
    {
        error = reader.name() + " needs seconds from 2 to 86400, not '" + text + "'";
        return false;
    }
    seconds = value;
    return true;
}

// A share of the day from its start (0.3) or a time on the park's clock (14:30).
bool readTimeOfDay(ArgumentReader& reader, double& share, std::string& error)
{
    std::string text;
    if (!reader.takeValue(text))
    {
        error = reader.name() + " needs a value";
        return false;
    }
    double value = 0.0;
    if (parseClockTime(text, value))
    {
        share = dayShareAtClockHours(value);
        return true;
    }
    if (!parseDecimal(text, value) || value >= 1.0)
    {
        error = reader.name() +
                " needs a share of the day from 0 to below 1 or a time HH:MM, not '" + text + "'";
        return false;
    }
    share = value;
    return true;
}

bool readNumber(ArgumentReader& reader, uint64_t min, uint64_t max, uint64_t& value,
                std::string& error)
{
    std::string text;
    if (!reader.takeValue(text))
    {
        error = reader.name() + " needs a value";
        return false;
    }
    if (!parseWholeNumber(text, max, value) || value < min)
    {
        error = reader.name() + " needs a whole number from " + std::to_string(min) + " to " +
                std::to_string(max) + ", not '" + text + "'";
        return false;
    }
    return true;
}

// One option of the park's own (the reader has just advanced onto it).
bool readOption(ArgumentReader& reader, ProgramOptions& options, std::string& error)
{
    const std::string& name = reader.name();
    const bool isFlag = name == "-h" || name == "--help" || name == "--version" ||
                        name == "--fullscreen" || name == "--screenshot";
    if (isFlag && reader.hasInlineValue())
    {
        error = name + " takes no value";
        return false;
    }
    uint64_t number = 0;
    if (name == "-h" || name == "--help")
    {
        options.showHelp = true;
    }
    else if (name == "--version")
    {
        options.showVersion = true;
    }
    else if (name == "--fullscreen")
    {
        options.fullScreen = true;
    }
    else if (name == "--screenshot")
    {
        options.screenshotOnLastFrame = true;
    }
    else if (name == "--seed")
    {
        if (!readNumber(reader, 0, kMaxSeed, number, error))
        {
            return false;
        }
        options.hasSeed = true;
        options.seed = uint32_t(number);
    }
    else if (name == "--fps")
    {
        if (!readNumber(reader, 0, kMaxFramesPerSecond, number, error))
        {
            return false;
        }
        options.hasFramesPerSecond = true;
        options.framesPerSecond = int(number);
    }
    else if (name == "--day-length")
    {
        if (!readDayLength(reader, options.dayLengthSeconds, error))
        {
            return false;
        }
    }
    else if (name == "--time-of-day")
    {
        if (!readTimeOfDay(reader, options.timeOfDay, error))
        {
            return false;
        }
        options.hasTimeOfDay = true;
    }
    else if (name == "--frames")
    {
        if (!readNumber(reader, 1, kMaxFrameLimit, number, error))
        {
            return false;
        }
        options.frameLimit = int(number);
    }
    else if (!name.empty() && name[0] == '-')
    {
        error = "unknown option '" + name + "'";
        return false;
    }
    else
    {
        error = "unexpected argument '" + name + "'";
        return false;
    }
    return true;
}
} // namespace

bool parseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                         std::string& error)
{
    ArgumentReader reader(argc, argv);
    while (!reader.atEnd())
    {
        reader.advance();
        int valueCount = 0;
        if (isGlutOption(reader.name(), valueCount))
        {
            // GLUT would stop the program with its own message; ours comes before any window.
            if (!reader.skip(valueCount))
            {
                error = reader.name() + " needs a value";
                return false;
            }
            continue;
        }
        if (!readOption(reader, options, error))
        {
            return false;
        }
    }
    if (options.screenshotOnLastFrame && options.frameLimit == 0)
    {
        error = "--screenshot needs --frames";
        return false;
    }
    return true;
}

std::string usageText()
{
    return "Usage: quillmere [OPTION]... [X OPTION]...\n"
           "A first-person walk through a generated prehistoric park.\n"
           "\n"
           "Options:\n"
           "  -h, --help            show this help and leave\n"
           "      --version         show the version and leave\n"
           "      --seed N          make the first park from N (0 ... 4294967295) instead of\n"
           "                        the clock; each r makes the park of the next number\n"
           "      --fullscreen      start in full screen (f leaves it)\n"
           "      --fps N           draw at most N frames a second (0: no limit; default: the\n"
           "                        screen's refresh rate, or 60 where it cannot be read);\n"
           "                        the park keeps real time at any rate\n"
           "      --day-length S    a whole day and night lasts S seconds (2 ... 86400;\n"
           "                        default 6.7)\n"
           "      --time-of-day T   start at T: a share of the day from its first light\n"
           "                        (0 ... 0.99: 0.25 mid-morning, 0.75 night) or a time on\n"
           "                        the park's clock, HH:MM (06:00 sunrise, 12:00 noon, 18:00\n"
           "                        sunset)\n"
           "      --frames N        leave after N frames (the park runs in real time: N frames\n"
           "                        last N / 60 seconds at 60 frames a second)\n"
           "      --screenshot      save a screenshot of the last frame (with --frames)\n"
           "A value may also follow its option after '=', as in --seed=7.\n"
           "\n"
           "X options, read by GLUT: -display DISPLAY, -geometry WxH+X+Y, -iconic,\n"
           "-direct, -indirect, -sync, -gldebug.\n"
           "\n"
           "Keys and mouse, while the window has the focus:\n"
           "  mouse movement        turn the view\n"
           "  left button, w, Up    walk forward while held\n"
           "  right button, s, Down walk backward while held\n"
           "  a, Left / d, Right    turn left / right while held\n"
           "  f                     toggle full screen\n"
           "  p                     save a screenshot into screenshots/\n"
           "  r                     a new park: landscape, plants, trees and animals\n"
           "  t                     hold the time of day, and let it go on again\n"
           "  Esc                   quit\n"
           "\n"
           "Every new park prints its number as a line \"seed N\"; --seed N makes it again.\n";
}
