// The command line: GLUT's X options stepped over, the park's own read by getopt_long and
// checked; settings lines read as the long options they name.
#include "app/options.h"

#include "world/daycycle.h"

#include <getopt.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace
{
const uint64_t kMaxSeed = 4294967295u;
const uint64_t kMaxFramesPerSecond = 1000;
const uint64_t kMaxFrameLimit = 1000000000;
const double kShortestDaySeconds = 2.0;
const double kLongestDaySeconds = 24.0 * 60.0 * 60.0;
const double kFewestPixelsPerDegree = 0.5;
const double kMostPixelsPerDegree = 100.0;
const double kFewestLookDegrees = 10.0;
const double kMostLookDegrees = 720.0;

struct GlutOption
{
    const char* name;
    int valueCount;
};
const GlutOption kGlutOptions[] = {{"-display", 1},  {"-geometry", 1}, {"-direct", 0},
                                   {"-indirect", 0}, {"-iconic", 0},   {"-gldebug", 0},
                                   {"-sync", 0}};

// True when arg is one of GLUT's X options; valueCount is then how many arguments follow it.
bool isGlutOption(const char* arg, int& valueCount)
{
    for (const GlutOption& glutOption : kGlutOptions)
    {
        if (std::strcmp(arg, glutOption.name) == 0)
        {
            valueCount = glutOption.valueCount;
            return true;
        }
    }
    return false;
}

// The park's options. Short forms are their letters; the rest are numbered past every letter.
enum OptionId
{
    kHelp = 'h',
    kFullScreen = 'f',
    kMute = 'm',
    kSeed = 's',
    kVersion = 256,
    kFramesPerSecond,
    kFrames,
    kScreenshot,
    kDayLength,
    kTimeOfDay,
    kMouseSpeed,
    kInvertMouse,
    kVolume,
    kConfig,
    kNoConfig,
    kFieldOfView,
    kPadLookSpeed,
    kHrtf,
    kCaptions,
    kRenderScale,
    // key-<action>, one for each action of the key table, in its order.
    kKeyFirst,
};

const char kShortOptions[] = ":hfms:";
const option kFixedOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"seed", required_argument, nullptr, kSeed},
    {"fullscreen", no_argument, nullptr, kFullScreen},
    {"fps", required_argument, nullptr, kFramesPerSecond},
    {"day-length", required_argument, nullptr, kDayLength},
    {"time-of-day", required_argument, nullptr, kTimeOfDay},
    {"mouse-speed", required_argument, nullptr, kMouseSpeed},
    {"invert-mouse", no_argument, nullptr, kInvertMouse},
    {"mute", no_argument, nullptr, kMute},
    {"volume", required_argument, nullptr, kVolume},
    {"frames", required_argument, nullptr, kFrames},
    {"screenshot", no_argument, nullptr, kScreenshot},
    {"config", required_argument, nullptr, kConfig},
    {"no-config", no_argument, nullptr, kNoConfig},
    {"field-of-view", required_argument, nullptr, kFieldOfView},
    {"gamepad-look-speed", required_argument, nullptr, kPadLookSpeed},
    {"hrtf", required_argument, nullptr, kHrtf},
    {"captions", no_argument, nullptr, kCaptions},
    {"render-scale", required_argument, nullptr, kRenderScale},
};

// The long options: the fixed ones, then key-<action> for every action of the key table, whose
// names come from the table.
const option* longOptions()
{
    static const std::vector<std::string> s_keyNames = []
    {
        std::vector<std::string> names;
        for (int action = 0; action < kKeyActionCount; ++action)
        {
            names.push_back(std::string("key-") + keyActionFacts(KeyAction(action)).settingsName);
        }
        return names;
    }();
    static const std::vector<option> s_options = []
    {
        std::vector<option> all(std::begin(kFixedOptions), std::end(kFixedOptions));
        for (int action = 0; action < kKeyActionCount; ++action)
        {
            all.push_back({s_keyNames[size_t(action)].c_str(), required_argument, nullptr,
                           kKeyFirst + action});
        }
        all.push_back({nullptr, 0, nullptr, 0});
        return all;
    }();
    return s_options.data();
}

bool isKeyOption(int id)
{
    return id >= kKeyFirst && id < kKeyFirst + kKeyActionCount;
}

// What a settings file may set: what the park is like, not what one run does.
bool isSetting(int id)
{
    switch (id)
    {
        case kSeed:
        case kFullScreen:
        case kFramesPerSecond:
        case kDayLength:
        case kTimeOfDay:
        case kMouseSpeed:
        case kInvertMouse:
        case kMute:
        case kVolume:
        case kFieldOfView:
        case kPadLookSpeed:
        case kHrtf:
        case kCaptions:
        case kRenderScale:
            return true;
        default:
            return isKeyOption(id);
    }
}

const option* optionById(int id)
{
    for (const option* pOption = longOptions(); pOption->name; ++pOption)
    {
        if (pOption->val == id)
        {
            return pOption;
        }
    }
    return nullptr;
}

const option* optionByName(const std::string& name)
{
    for (const option* pOption = longOptions(); pOption->name; ++pOption)
    {
        if (name == pOption->name)
        {
            return pOption;
        }
    }
    return nullptr;
}

std::string longName(int id)
{
    return std::string("--") + optionById(id)->name;
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

bool readWholeNumber(int id, const std::string& text, uint64_t min, uint64_t max, uint64_t& value,
                     std::string& error)
{
    if (!parseWholeNumber(text, max, value) || value < min)
    {
        error = longName(id) + " needs a whole number from " + std::to_string(min) + " to " +
                std::to_string(max) + ", not '" + text + "'";
        return false;
    }
    return true;
}

bool readDecimal(int id, const std::string& text, double min, double max, const char* what,
                 double& value, std::string& error)
{
    double number = 0.0;
    if (!parseDecimal(text, number) || number < min || number > max)
    {
        error = longName(id) + " needs " + what + ", not '" + text + "'";
        return false;
    }
    value = number;
    return true;
}

// A share of the day from its start (0.3) or a time on the park's clock (14:30).
bool readTimeOfDay(const std::string& text, double& share, std::string& error)
{
    double value = 0.0;
    if (parseClockTime(text, value))
    {
        share = dayShareAtClockHours(value);
        return true;
    }
    if (!parseDecimal(text, value) || value >= 1.0)
    {
        error = longName(kTimeOfDay) +
                " needs a share of the day from 0 to below 1 or a time HH:MM, not '" + text + "'";
        return false;
    }
    share = value;
    return true;
}

// The keys a key-<action> setting names, given to the action. A key that an earlier setting gave
// another action is a clash: the setting is refused. A key that another action had by default is
// taken from it.
bool readKeys(KeyAction action, const std::string& value, ProgramOptions& options,
              std::string& error)
{
    const std::string name = std::string("key-") + keyActionFacts(action).settingsName;
    std::vector<Key> keys;
    size_t start = value.find_first_not_of(" \t");
    while (start != std::string::npos)
    {
        const size_t end = value.find_first_of(" \t", start);
        const std::string word = value.substr(start, end - start);
        Key key;
        if (!keyOfName(word, key))
        {
            error = "'" + name + "' names keys (a letter or digit, Up, Down, Left, Right, F1 ... " +
                    "F12, Space, Tab, Esc), not '" + word + "'";
            return false;
        }
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
        {
            keys.push_back(key);
        }
        start = value.find_first_not_of(" \t", end);
    }
    if (keys.empty())
    {
        error = "'" + name + "' needs one key or more";
        return false;
    }
    for (const Key& key : keys)
    {
        KeyAction other = action;
        if (options.keys.actionOfKey(key, other) && other != action &&
            (options.keysSetByUser & (1u << int(other))) != 0)
        {
            error = std::string("key ") + keyName(key).text + " is already key-" +
                    keyActionFacts(other).settingsName + "'s";
            return false;
        }
    }
    for (const Key& key : keys)
    {
        options.keys.unbindKey(key);
    }
    options.keys.bind(action, keys);
    options.keysSetByUser |= 1u << int(action);
    return true;
}

// One option getopt_long has found, with its value when it takes one.
bool applyOption(int id, const std::string& value, ProgramOptions& options, std::string& error)
{
    uint64_t number = 0;
    switch (id)
    {
        case kHelp:
            options.showHelp = true;
            return true;
        case kVersion:
            options.showVersion = true;
            return true;
        case kFullScreen:
            options.fullScreen = true;
            return true;
        case kScreenshot:
            options.screenshotOnLastFrame = true;
            return true;
        case kInvertMouse:
            options.invertMouse = true;
            return true;
        case kMute:
            options.mute = true;
            return true;
        case kCaptions:
            options.captions = true;
            return true;
        case kNoConfig:
            options.readSettings = false;
            return true;
        case kConfig:
            options.readSettings = true;
            options.settingsFile = value;
            return true;
        case kSeed:
            if (!readWholeNumber(id, value, 0, kMaxSeed, number, error))
            {
                return false;
            }
            options.hasSeed = true;
            options.seed = uint32_t(number);
            return true;
        case kFramesPerSecond:
            if (!readWholeNumber(id, value, 0, kMaxFramesPerSecond, number, error))
            {
                return false;
            }
            options.hasFramesPerSecond = true;
            options.framesPerSecond = int(number);
            return true;
        case kFrames:
            if (!readWholeNumber(id, value, 1, kMaxFrameLimit, number, error))
            {
                return false;
            }
            options.frameLimit = int(number);
            return true;
        case kVolume:
            if (!readWholeNumber(id, value, 0, 100, number, error))
            {
                return false;
            }
            options.volume = int(number);
            return true;
        case kDayLength:
            return readDecimal(id, value, kShortestDaySeconds, kLongestDaySeconds,
                               "seconds from 2 to 86400", options.dayLengthSeconds, error);
        case kMouseSpeed:
            return readDecimal(id, value, kFewestPixelsPerDegree, kMostPixelsPerDegree,
                               "pixels a degree from 0.5 to 100", options.pixelsPerDegree, error);
        case kTimeOfDay:
            if (!readTimeOfDay(value, options.timeOfDay, error))
            {
                return false;
            }
            options.hasTimeOfDay = true;
            return true;
        case kFieldOfView:
            return readDecimal(id, value, kNarrowestFieldOfView, kWidestFieldOfView,
                               "degrees from 30 to 100", options.fieldOfView, error);
        case kPadLookSpeed:
            return readDecimal(id, value, kFewestLookDegrees, kMostLookDegrees,
                               "degrees a second from 10 to 720", options.padLookSpeed, error);
        case kHrtf:
            if (value != "auto" && value != "on" && value != "off")
            {
                error = longName(id) + " needs auto, on or off, not '" + value + "'";
                return false;
            }
            options.hrtf = value == "on"    ? HrtfChoice::On
                           : value == "off" ? HrtfChoice::Off
                                            : HrtfChoice::Auto;
            return true;
        case kRenderScale:
        {
            if (value == "auto")
            {
                options.renderScale = RenderScaleChoice();
                return true;
            }
            double scale = 1.0;
            if (!readDecimal(id, value, kSmallestRenderScale, 1.0,
                             "auto or a number from 0.25 to 1", scale, error))
            {
                return false;
            }
            options.renderScale = RenderScaleChoice{false, float(scale)};
            return true;
        }
        default:
            return isKeyOption(id) && readKeys(KeyAction(id - kKeyFirst), value, options, error);
    }
}

// The long options that start with `prefix`, for an abbreviation that fits more than one.
std::string longOptionsStartingWith(const std::string& prefix)
{
    std::string names;
    for (const option* pOption = longOptions(); pOption->name; ++pOption)
    {
        if (std::strncmp(pOption->name, prefix.c_str(), prefix.size()) == 0)
        {
            names += (names.empty() ? "--" : ", --") + std::string(pOption->name);
        }
    }
    return names;
}

// getopt_long's report of a mistake in the words of the park's other messages. `argument` is the
// argument it stumbled on.
std::string describeMistake(int result, const std::string& argument)
{
    const bool isLong = argument.rfind("--", 0) == 0;
    const std::string name = argument.substr(0, argument.find('='));
    if (result == ':')
    {
        return longName(optopt) + " needs a value";
    }
    if (optopt != 0 && isLong)
    {
        return longName(optopt) + " takes no value";
    }
    if (optopt != 0)
    {
        return std::string("unknown option '-") + char(optopt) + "'";
    }
    const std::string candidates = isLong ? longOptionsStartingWith(name.substr(2)) : "";
    if (candidates.find(',') != std::string::npos)
    {
        return "ambiguous option '" + name + "' (" + candidates + ")";
    }
    return "unknown option '" + name + "'";
}

// " (f leaves it)": the first key of action and what it does, or nothing when it has no key.
std::string keyHint(const KeyTable& keys, KeyAction action, const char* what)
{
    const std::vector<Key>& bound = keys.keysOf(action);
    if (bound.empty())
    {
        return "";
    }
    return std::string(" (") + keyName(bound.front()).text + " " + what + ")";
}

// One line of the keys in --help: the inputs in their column, or alone on their line when they
// are too wide for it.
std::string keysUsageLine(const char* inputs, const char* description)
{
    const size_t kColumn = 21;
    std::string line = std::string("  ") + inputs;
    if (line.size() > kColumn + 2)
    {
        line += "\n";
        line.append(kColumn + 3, ' ');
    }
    else
    {
        line.resize(kColumn + 3, ' ');
    }
    return line + description + "\n";
}

// The keys section of --help: the mouse, then every action something does.
std::string keysUsage(const KeyTable& keys)
{
    std::string text = keysUsageLine(kMouseInputName, kMouseDescription);
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        char inputs[160];
        if (formatActionInputs(keys, KeyAction(action), inputs, sizeof inputs))
        {
            text += keysUsageLine(inputs, keyActionFacts(KeyAction(action)).description);
        }
    }
    return text;
}

// "key-forward, key-back, ...": every key setting, wrapped to the usage's width.
std::string keySettingNames()
{
    std::string text;
    size_t lineStart = 0;
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        const std::string name =
            std::string("key-") + keyActionFacts(KeyAction(action)).settingsName;
        if (!text.empty())
        {
            text += ",";
            if (text.size() - lineStart + name.size() + 2 > 80)
            {
                text += "\n";
                lineStart = text.size();
            }
            else
            {
                text += " ";
            }
        }
        text += name;
    }
    return text;
}

// The pad's layout in --help: the sticks, then every action a button does.
std::string padUsage()
{
    std::string text = keysUsageLine("right stick", "turn the view") +
                       keysUsageLine("left stick", "walk forward and backward");
    for (int action = 0; action < kKeyActionCount; ++action)
    {
        char inputs[64];
        if (formatPadInputs(KeyAction(action), inputs, sizeof inputs))
        {
            text += keysUsageLine(inputs, keyActionFacts(KeyAction(action)).description);
        }
    }
    return text;
}

// The park's own arguments through getopt_long. `arguments` starts with the program's name.
bool readArguments(std::vector<char*>& arguments, ProgramOptions& options, std::string& error)
{
    arguments.push_back(nullptr);
    const int count = int(arguments.size()) - 1;
    // A fresh scan: getopt keeps its place between calls.
    optind = 0;
    opterr = 0;
    for (;;)
    {
        optopt = 0;
        const int result =
            getopt_long(count, arguments.data(), kShortOptions, longOptions(), nullptr);
        if (result == -1)
        {
            break;
        }
        if (result == '?' || result == ':')
        {
            error = describeMistake(result, arguments[size_t(optind - 1)]);
            return false;
        }
        // Keys are chosen once, in the settings file, where a clash can be named by its line.
        if (isKeyOption(result))
        {
            error = longName(result) + " belongs in the settings file";
            return false;
        }
        if (!applyOption(result, optarg ? optarg : "", options, error))
        {
            return false;
        }
    }
    if (optind < count)
    {
        error = std::string("unexpected argument '") + arguments[size_t(optind)] + "'";
        return false;
    }
    return true;
}
} // namespace

bool parseProgramOptions(int argc, const char* const* argv, ProgramOptions& options,
                         std::string& error)
{
    // Copies: getopt_long reorders what it is given, and GLUT still wants argv as it came.
    std::vector<std::string> own = {argc > 0 ? argv[0] : "quillmere"};
    for (int i = 1; i < argc; ++i)
    {
        int valueCount = 0;
        if (std::strcmp(argv[i], "--") != 0 && isGlutOption(argv[i], valueCount))
        {
            // GLUT would stop the program with its own message; ours comes before any window.
            if (i + valueCount >= argc)
            {
                error = std::string(argv[i]) + " needs a value";
                return false;
            }
            if (std::strcmp(argv[i], "-display") == 0)
            {
                options.displayName = argv[i + 1];
            }
            i += valueCount;
            continue;
        }
        if (std::strcmp(argv[i], "--") == 0)
        {
            // Everything after it is an argument, not an option, for GLUT as for the park.
            own.insert(own.end(), argv + i, argv + argc);
            break;
        }
        own.push_back(argv[i]);
    }
    std::vector<char*> arguments;
    for (std::string& text : own)
    {
        arguments.push_back(&text[0]);
    }
    if (!readArguments(arguments, options, error))
    {
        return false;
    }
    if (options.screenshotOnLastFrame && options.frameLimit == 0)
    {
        error = "--screenshot needs --frames";
        return false;
    }
    return true;
}

bool applySettingsLine(const std::string& line, ProgramOptions& options, std::string& error)
{
    std::string text = line.substr(0, line.find('#'));
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
    {
        return true;
    }
    text = text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, text.find_last_not_of(" \t", equals - 1) + 1);
    const option* pOption = optionByName(name);
    if (!pOption)
    {
        error = "unknown setting '" + name + "'";
        return false;
    }
    if (!isSetting(pOption->val))
    {
        error = "'" + name + "' belongs on the command line, not among the settings";
        return false;
    }
    const bool hasValue = equals != std::string::npos;
    if (hasValue != (pOption->has_arg == required_argument))
    {
        error = hasValue ? "'" + name + "' takes no value" : "'" + name + "' needs a value";
        return false;
    }
    const size_t valueStart = hasValue ? text.find_first_not_of(" \t", equals + 1) : 0;
    const std::string value =
        hasValue && valueStart != std::string::npos ? text.substr(valueStart) : std::string();
    return applyOption(pOption->val, value, options, error);
}

std::string usageText(const KeyTable& keys)
{
    return "Usage: quillmere [OPTION]... [X OPTION]...\n"
           "A first-person walk through a generated prehistoric park.\n"
           "\n"
           "Options:\n"
           "  -h, --help            show this help and leave\n"
           "      --version         show the version and leave\n"
           "  -s, --seed N          make the first park from N (0 ... 4294967295) instead of\n"
           "                        the clock; each new park takes the next number\n"
           "  -f, --fullscreen      start in full screen" +
           keyHint(keys, KeyAction::FullScreen, "leaves it") +
           "\n"
           "      --fps N           draw at most N frames a second (0: no limit; default: the\n"
           "                        screen's refresh rate, or 60 where it cannot be read);\n"
           "                        the park keeps real time at any rate\n"
           "      --day-length S    a whole day and night lasts S seconds (2 ... 86400;\n"
           "                        default 6.7)\n"
           "      --time-of-day T   start at T: a share of the day from its first light\n"
           "                        (0 ... 0.99: 0.25 mid-morning, 0.75 night) or a time on\n"
           "                        the park's clock, HH:MM (06:00 sunrise, 12:00 noon, 18:00\n"
           "                        sunset)\n"
           "      --mouse-speed N   pixels of mouse movement for a degree of turn (0.5 ... 100;\n"
           "                        default 7: more turns slower)\n"
           "      --invert-mouse    moving the mouse (or a pad's right stick) up looks down\n"
           "      --field-of-view D the view's height in degrees (30 ... 100; default 45)\n"
           "      --render-scale S  draw the scene at S times the window's size (0.25 ... 1) and\n"
           "                        scale it up; auto (the default) finds the largest that\n"
           "                        keeps the screen's pace, from 1 down to 0.5\n"
           "      --gamepad-look-speed D\n"
           "                        degrees a second a pad's right stick turns the view at\n"
           "                        full tilt (10 ... 720; default 120)\n"
           "  -m, --mute            start with the sound off" +
           keyHint(keys, KeyAction::Mute, "turns it on") +
           "\n"
           "      --volume N        the sound's volume, 0 ... 100 (default 80)\n"
           "      --hrtf WHEN       place the sounds for headphones (HRTF): auto (the sound\n"
           "                        library's choice, the default), on or off\n"
           "      --captions        write what is heard at the foot of the window" +
           keyHint(keys, KeyAction::Captions, "turns them off") +
           "\n"
           "      --frames N        leave after N frames (the park runs in real time: N frames\n"
           "                        last N / 60 seconds at 60 frames a second)\n"
           "      --screenshot      save a screenshot of the last frame (with --frames)\n"
           "      --config FILE     read the settings from FILE\n"
           "      --no-config       read no settings file\n"
           "A value may also follow a long option after '=' (--seed=7) and a short one directly\n"
           "(-s7); a long option may be shortened while it stays unambiguous (--day 600).\n"
           "\n"
           "Settings: $XDG_CONFIG_HOME/quillmere/quillmere.conf (~/.config/quillmere/\n"
           "quillmere.conf when XDG_CONFIG_HOME is not set) holds long options without their\n"
           "dashes, one a line (fps = 144, day-length = 600, mouse-speed = 5, mute); they are\n"
           "read first and the command line wins. Keys are chosen there alone, one line an\n"
           "action, one or more keys each: key-forward = w z Up (letters in either case,\n"
           "digits, Up, Down, Left, Right, F1 ... F12, Space, Tab, Esc). The actions:\n" +
           keySettingNames() +
           ".\nA line giving a key that an earlier line gave another action is named and skipped.\n"
           "\n"
           "X options, read by GLUT: -display DISPLAY, -geometry WxH+X+Y, -iconic,\n"
           "-direct, -indirect, -sync, -gldebug.\n"
           "\n"
           "Keys and mouse, while the window has the focus:\n" +
           keysUsage(keys) +
           "\n"
           "A game pad (plugged in at any time; SDL_GAMECONTROLLERCONFIG and a\n"
           "gamecontrollerdb.txt beside the settings file add mappings):\n" +
           padUsage() +
           "\n"
           "Every new park prints its number as a line \"seed N\"; --seed N makes it again.\n";
}
