// The screenshots' names: numbered from 1 at each start, past the files already there.
#include "app/screenshots.h"

#include "scratchdirectory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(Screenshots, NamesCarryAtLeastThreeDigits)
{
    Screenshots screenshots;
    EXPECT_EQ(screenshots.nextName(), "screenshots/img001.jpg");
    for (int i = 2; i < 10; ++i)
    {
        screenshots.nextName();
    }
    EXPECT_EQ(screenshots.nextName(), "screenshots/img010.jpg");
    for (int i = 11; i < 100; ++i)
    {
        screenshots.nextName();
    }
    EXPECT_EQ(screenshots.nextName(), "screenshots/img100.jpg");
    for (int i = 101; i < 1000; ++i)
    {
        screenshots.nextName();
    }
    EXPECT_EQ(screenshots.nextName(), "screenshots/img1000.jpg");
    EXPECT_EQ(Screenshots().nextName(), "screenshots/img001.jpg") << "each run counts anew";
}

TEST(Screenshots, FreeNameSkipsExistingFilesAndPrintsEveryNameTried)
{
    ScratchDirectory directory("quillmere-screenshots", {"screenshots"});
    for (const char* name : {"screenshots/img001.jpg", "screenshots/img002.jpg"})
    {
        FILE* file = std::fopen(name, "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    Screenshots screenshots;
    testing::internal::CaptureStdout();
    const std::string name = screenshots.findFreeName();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(name, "screenshots/img003.jpg");
    EXPECT_EQ(printed, "screenshots/img001.jpg-filename\n"
                       "screenshots/img002.jpg-filename\n"
                       "screenshots/img003.jpg-filename\n");
}

TEST(Screenshots, MakeDirectoryReportsExistingCreatedAndFailed)
{
    const std::string path = "scratch-screenshot-dir";
    rmdir(path.c_str());
    EXPECT_EQ(makeDirectory(path.c_str()), 0);
    EXPECT_EQ(makeDirectory(path.c_str()), 1);
    EXPECT_EQ(makeDirectory("no-such-parent/child"), -1);
    rmdir(path.c_str());
}
