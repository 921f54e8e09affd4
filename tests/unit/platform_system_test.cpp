#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/file_modes.h"
#include "platform/files.h"
#include "platform/system.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class StartProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-start-XXXXXX";
        dir = std::string(::mkdtemp(pattern)) + "/";
        fs::create_directory(dir + "work");
    }
    void TearDown() override { fs::remove_all(dir); }
    bool appears(const std::string& path) {
        for (int i = 0; i < 200 && !fs::exists(path); ++i) std::this_thread::sleep_for(25ms);
        return fs::exists(path);
    }
    std::string dir;
};

TEST_F(StartProgram, RunsTheProgramDetachedInTheWorkingFolder) {
    ASSERT_TRUE(writeWholeFile(textOf(dir + "program"), "#!/bin/sh\npwd > started\n"));
    ASSERT_TRUE(makeExecutable(textOf(dir + "program")));
    EXPECT_TRUE(startProgram(textOf(dir + "program"), textOf(dir + "work")));
    ASSERT_TRUE(appears(dir + "work/started"));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(readWholeFile(textOf(dir + "work/started")), dir + "work\n");
}

TEST_F(StartProgram, ReportsWhatCannotStart) {
    ASSERT_TRUE(writeWholeFile(textOf(dir + "plain"), "#!/bin/sh\ntouch started\n"));
    EXPECT_FALSE(startProgram(textOf(dir + "plain"), textOf(dir + "work"))); // not executable
    EXPECT_FALSE(startProgram(textOf(dir + "missing"), textOf(dir + "work")));
    // A folder passes the execute check but cannot be run.
    EXPECT_FALSE(startProgram(textOf(dir + "work"), textOf(dir + "work")));
    ASSERT_TRUE(makeExecutable(textOf(dir + "plain")));
    EXPECT_FALSE(startProgram(textOf(dir + "plain"), textOf(dir + "no-such-folder")));
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(fs::exists(dir + "work/started"));
}

TEST_F(StartProgram, ElevatedStartsDirectlyWhereTheFolderIsWritable) {
    ASSERT_TRUE(writeWholeFile(textOf(dir + "program"), "#!/bin/sh\ntouch started\n"));
    ASSERT_TRUE(makeExecutable(textOf(dir + "program")));
    EXPECT_TRUE(startProgramElevated(textOf(dir + "program"), textOf(dir + "work")));
    EXPECT_TRUE(appears(dir + "work/started"));
}

TEST(FileModes, ReadersMayRunTheFile) {
    char pattern[] = "/tmp/tundrel-modes-XXXXXX";
    std::string dir = std::string(::mkdtemp(pattern)) + "/";
    struct {
        mode_t before, after;
    } cases[] = {{0644, 0755}, {0600, 0700}, {0640, 0750}, {0755, 0755}, {0444, 0555}, {0200, 0200}};
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(textOf(dir + "f"), "x"));
        ::chmod((dir + "f").c_str(), c.before);
        EXPECT_TRUE(makeExecutable(textOf(dir + "f")));
        struct stat st{};
        ::stat((dir + "f").c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, c.after) << std::oct << c.before;
    }
    EXPECT_FALSE(makeExecutable(textOf(dir + "missing")));
    EXPECT_FALSE(makeExecutable(textOf(dir)));
    fs::remove_all(dir);
}

} // namespace
