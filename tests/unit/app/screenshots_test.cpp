#include "app/screenshots.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

TEST(Screenshots, NamesCarryAtLeastThreeDigits)
{
    resetScreenshotNumbering();
    createScreenshotDirectory();
    testing::internal::CaptureStdout();
    EXPECT_EQ(nextScreenshotName(), "screenshots/img001.jpg");
    for (int i = 2; i < 10; ++i)
    {
        nextScreenshotName();
    }
    EXPECT_EQ(nextScreenshotName(), "screenshots/img010.jpg");
    for (int i = 11; i < 100; ++i)
    {
        nextScreenshotName();
    }
    EXPECT_EQ(nextScreenshotName(), "screenshots/img100.jpg");
    for (int i = 101; i < 1000; ++i)
    {
        nextScreenshotName();
    }
    EXPECT_EQ(nextScreenshotName(), "screenshots/img1000.jpg");
    testing::internal::GetCapturedStdout();
    resetScreenshotNumbering();
}

TEST(Screenshots, FreeNameSkipsExistingFilesAndPrintsEveryNameTried)
{
    createScreenshotDirectory();
    for (const char* name : {"screenshots/img001.jpg", "screenshots/img002.jpg"})
    {
        FILE* file = std::fopen(name, "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }
    resetScreenshotNumbering();
    testing::internal::CaptureStdout();
    const std::string name = findFreeScreenshotName();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(name, "screenshots/img003.jpg");
    EXPECT_EQ(printed, "screenshots/img001.jpg-filename\n"
                       "screenshots/img002.jpg-filename\n"
                       "screenshots/img003.jpg-filename\n");
    std::remove("screenshots/img001.jpg");
    std::remove("screenshots/img002.jpg");
    resetScreenshotNumbering();
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
