// The settings file: its place, its lines, and a file that must be there.
#include "app/settings.h"

#include "scratchdirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{
void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

// The usual settings folder pointed at the scratch directory while the object lives.
struct ConfigHome
{
    explicit ConfigHome(const std::string& path)
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_had = old != nullptr;
        m_old = old ? old : "";
        setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    }
    ~ConfigHome()
    {
        m_had ? setenv("XDG_CONFIG_HOME", m_old.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    }
    bool m_had;
    std::string m_old;
};

bool load(std::vector<const char*> args, ProgramOptions& options,
          std::vector<std::string>& complaints, std::string& error)
{
    args.insert(args.begin(), "quillmere");
    return loadProgramOptions(int(args.size()), args.data(), options, complaints, error);
}
} // namespace

TEST(Settings, FileValuesApplyTheCommandLineWinsAndABadLineIsNamedAndSkipped)
{
    ScratchDirectory directory("quillmere-settings", {"quillmere"});
    ConfigHome home(directory.path());
    writeFile("quillmere/quillmere.conf", "# the park as I like it\n"
                                          "fps = 144\n"
                                          "\n"
                                          "day-length=600   # ten minutes\n"
                                          "fsp = 30\n"
                                          "mouse-speed = 5\n"
                                          "mute\n"
                                          "frames = 10\n"
                                          "volume = loud\n"
                                          "invert-mouse = yes\n"
                                          "time-of-day = 14:30\n");
    ProgramOptions options;
    std::vector<std::string> complaints;
    std::string error;
    ASSERT_TRUE(load({"--fps", "30", "--volume=20"}, options, complaints, error)) << error;
    EXPECT_EQ(options.framesPerSecond, 30) << "the command line wins";
    EXPECT_EQ(options.volume, 20);
    EXPECT_EQ(options.dayLengthSeconds, 600.0);
    EXPECT_EQ(options.pixelsPerDegree, 5.0);
    EXPECT_TRUE(options.mute);
    EXPECT_TRUE(options.hasTimeOfDay);
    EXPECT_FALSE(options.invertMouse);
    EXPECT_EQ(options.frameLimit, 0) << "a run's length is no setting";
    const std::string file = directory.path() + "/quillmere/quillmere.conf";
    ASSERT_EQ(complaints.size(), 4u);
    EXPECT_EQ(complaints[0], file + ":5: unknown setting 'fsp'");
    EXPECT_EQ(complaints[1], file + ":8: 'frames' belongs on the command line, not among the "
                                    "settings");
    EXPECT_EQ(complaints[2], file + ":9: --volume needs a whole number from 0 to 100, not 'loud'");
    EXPECT_EQ(complaints[3], file + ":10: 'invert-mouse' takes no value");

    ProgramOptions plain;
    complaints.clear();
    ASSERT_TRUE(load({"--no-config"}, plain, complaints, error));
    EXPECT_EQ(plain.framesPerSecond, 60);
    EXPECT_FALSE(plain.mute);
    EXPECT_TRUE(complaints.empty());
}

TEST(Settings, ANamedFileMustBeThereAndTheUsualOneNeedNot)
{
    ScratchDirectory directory("quillmere-settings");
    ConfigHome home(directory.path());
    ProgramOptions options;
    std::vector<std::string> complaints;
    std::string error;
    EXPECT_TRUE(load({}, options, complaints, error)) << "no settings file: the park as it is";
    EXPECT_FALSE(load({"--config", "nowhere.conf"}, options, complaints, error));
    EXPECT_EQ(error, "cannot read the settings file nowhere.conf: No such file or directory");
    EXPECT_FALSE(load({"--config", "."}, options, complaints, error)) << "a folder reads nothing";
    EXPECT_EQ(error, "cannot read the settings file .: Is a directory");

    writeFile("mine.conf", "seed = 7\nfullscreen\n");
    ASSERT_TRUE(load({"--config=mine.conf"}, options, complaints, error)) << error;
    EXPECT_EQ(options.seed, 7u);
    EXPECT_TRUE(options.fullScreen);
    EXPECT_FALSE(load({"--config", "mine.conf", "--bogus"}, options, complaints, error));
    EXPECT_EQ(error, "unknown option '--bogus'") << "the command line's mistakes come first";
}

TEST(Settings, UsualPlaceFollowsXdgConfigHomeElseHome)
{
    ConfigHome home("/somewhere/config");
    EXPECT_EQ(usualSettingsPath(), "/somewhere/config/quillmere/quillmere.conf");
    setenv("XDG_CONFIG_HOME", "", 1);
    const char* userHome = std::getenv("HOME");
    if (userHome && *userHome)
    {
        EXPECT_EQ(usualSettingsPath(), std::string(userHome) + "/.config/quillmere/quillmere.conf");
    }
}
