#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/files.h"
#include "updater/player_swap.h"

namespace fs = std::filesystem;

namespace {

TEST(UpdaterText, CountsWholeKilobytes) {
    struct {
        std::int64_t bytes;
        std::u16string_view text;
    } cases[] = {
        {0, u"Downloading : 0 ko"},         {1023, u"Downloading : 0 ko"},
        {1024, u"Downloading : 1 ko"},      {2048, u"Downloading : 2 ko"},
        {319'488, u"Downloading : 312 ko"}, {5'000'000'000LL, u"Downloading : 4882812 ko"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(downloadingText(c.bytes), c.text) << c.bytes;
}

TEST(UpdaterText, NamesThePlatformsFiles) {
    EXPECT_EQ(playerFileName(), u"TUNDRELlite");
    EXPECT_EQ(oldPlayerFileName(), u"TUNDRELlite.old");
}

class Swap : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-swap-XXXXXX";
        dir = std::string(::mkdtemp(pattern)) + "/";
    }
    void TearDown() override { fs::remove_all(dir); }
    void put(const char* name, const std::string& bytes, mode_t mode = 0644) {
        ASSERT_TRUE(writeWholeFile(textOf(dir + name), bytes));
        ::chmod((dir + name).c_str(), mode);
    }
    std::optional<std::string> read(const char* name) { return readWholeFile(textOf(dir + name)); }
    bool exists(const char* name) { return fs::exists(dir + name); }

    std::string dir;
};

TEST_F(Swap, PutsTheDownloadInPlaceRunnableAndDropsTheOldPlayer) {
    put("TUNDRELlite", "old player", 0755);
    put("lastlite.bak", "new player");
    EXPECT_EQ(swapPlayer(textOf(dir)), SwapResult::swapped);
    EXPECT_EQ(read("TUNDRELlite"), "new player");
    EXPECT_EQ(::access((dir + "TUNDRELlite").c_str(), X_OK), 0);
    EXPECT_FALSE(exists("TUNDRELlite.old"));
    EXPECT_FALSE(exists("lastlite.bak"));
}

TEST_F(Swap, WithoutThePlayerNothingMoves) {
    put("lastlite.bak", "new player");
    EXPECT_EQ(swapPlayer(textOf(dir)), SwapResult::playerMissing);
    EXPECT_EQ(read("lastlite.bak"), "new player");
    EXPECT_FALSE(exists("TUNDRELlite"));
    EXPECT_FALSE(exists("TUNDRELlite.old"));
}

TEST_F(Swap, AnOldPlayerLeftFromBeforeBlocksTheSwap) {
    put("TUNDRELlite", "player");
    put("TUNDRELlite.old", "older player");
    put("lastlite.bak", "new player");
    EXPECT_EQ(swapPlayer(textOf(dir)), SwapResult::playerMissing);
    EXPECT_EQ(read("TUNDRELlite"), "player");
    EXPECT_EQ(read("TUNDRELlite.old"), "older player");
    EXPECT_EQ(read("lastlite.bak"), "new player");
}

TEST_F(Swap, ADownloadThatCannotTakeThePlayersNameLeavesTheOldPlayerInPlace) {
    put("TUNDRELlite", "player", 0755);
    // The download has gone missing between its end and the swap.
    EXPECT_EQ(swapPlayer(textOf(dir)), SwapResult::notReplaced);
    EXPECT_EQ(read("TUNDRELlite"), "player");
    EXPECT_EQ(::access((dir + "TUNDRELlite").c_str(), X_OK), 0);
    EXPECT_FALSE(exists("TUNDRELlite.old"));
}

TEST_F(Swap, LeavesThePlayersLeftoverNamesAlone) {
    put("TUNDRELlite", "player");
    put("lastlite.bak", "new player");
    put("TUNDREL.old", "x");
    put("last.bak", "y");
    EXPECT_EQ(swapPlayer(textOf(dir)), SwapResult::swapped);
    EXPECT_TRUE(exists("TUNDREL.old"));
    EXPECT_TRUE(exists("last.bak"));
}

} // namespace
