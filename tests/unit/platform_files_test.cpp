#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-files-XXXXXX";
        dir = ::mkdtemp(pattern);
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    Text path(const char* name) const { return textOf(dir + "/" + name); }
    std::string dir;
};

TEST_F(Files, ReadsLinesWithEveryEnding) {
    struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\n", {""}},
        {"", {}},
        {"a\n\rb", {"a", "", "b"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(path("lines"), c.bytes));
        auto lines = readFileLines(path("lines"));
        ASSERT_TRUE(lines);
        EXPECT_EQ(*lines, c.lines);
    }
    EXPECT_FALSE(readFileLines(path("missing")));
}

TEST_F(Files, SizeAndExistsIgnoreFolders) {
    ASSERT_TRUE(writeWholeFile(path("f"), "12345"));
    fs::create_directory(dir + "/d");
    EXPECT_EQ(fileSize(path("f")), 5);
    EXPECT_FALSE(fileSize(path("d")));
    EXPECT_FALSE(fileExists(path("d")));
    EXPECT_TRUE(folderExists(path("d")));
    EXPECT_FALSE(fileExists(path("none")));
}

TEST_F(Files, DeleteClearsReadOnlyAndLeavesFolders) {
    ASSERT_TRUE(writeWholeFile(path("ro"), "x"));
    ::chmod(encodeUtf8(path("ro")).c_str(), 0444);
    EXPECT_FALSE(fileWritable(path("ro")));
    EXPECT_TRUE(deleteFile(path("ro"), true));
    EXPECT_FALSE(fileExists(path("ro")));
    fs::create_directory(dir + "/d");
    EXPECT_FALSE(deleteFile(path("d"), true));
    EXPECT_TRUE(folderExists(path("d")));
}

TEST_F(Files, RenameRefusesAnExistingTargetAndAMissingSource) {
    ASSERT_TRUE(writeWholeFile(path("a"), "A"));
    ASSERT_TRUE(writeWholeFile(path("b"), "B"));
    EXPECT_FALSE(renameFile(path("a"), path("b")));
    EXPECT_EQ(readWholeFile(path("b")), "B");
    EXPECT_FALSE(renameFile(path("missing"), path("c")));
    EXPECT_TRUE(renameFile(path("a"), path("c")));
    EXPECT_FALSE(fileExists(path("a")));
    EXPECT_EQ(readWholeFile(path("c")), "A");
}

TEST_F(Files, AtomicReplaceKeepsPermissionsAndLeavesNoTemporary) {
    ASSERT_TRUE(writeWholeFile(path("s"), "old"));
    ::chmod(encodeUtf8(path("s")).c_str(), 0600);
    ASSERT_TRUE(replaceFileAtomically(path("s"), "new bytes"));
    EXPECT_EQ(readWholeFile(path("s")), "new bytes");
    struct stat st{};
    ::stat(encodeUtf8(path("s")).c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

} // namespace
