#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/program.h"
#include "platform/files.h"
#include "platform/http.h"
#include "tests/local_http_server.h"
#include "update/update_check.h"

namespace fs = std::filesystem;

namespace {

// The fixed server address, split into the port to listen on and the path in front of file names.
struct ServerAddress {
    int port = 0;
    std::string prefix;
};

ServerAddress fixedServer() {
    std::string url = encodeUtf8(serverBaseUrl()); // "http://127.0.0.1:8419/"
    size_t host = url.find("://") + 3;
    size_t colon = url.find(':', host);
    size_t slash = url.find('/', host);
    return {std::stoi(url.substr(colon + 1, slash - colon - 1)), url.substr(slash)};
}

bool isExecutable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

TEST(VersionNumber, DropsDotsAndReadsTheLeadingInteger) {
    struct {
        std::u16string_view text;
        std::int64_t number;
    } cases[] = {
        {u"1.08.3", 1083},     {u"1.08.4", 1084},        {u"1.08.10", 10810}, {u"1.1", 11},   {u"2.0", 20},
        {u"1.08.4\r\n", 1084}, {u"  1.08.5", 1085},      {u"\t-1.0", -10},    {u"<html>", 0}, {u"", 0},
        {u"\uFEFF1.08.4", 0},  {u"1.08.4 beta 7", 1084},
    };
    for (const auto& c : cases)
        EXPECT_EQ(versionNumber(c.text), c.number) << encodeUtf8(c.text);
}

class Update : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startNetwork(); }
    static void TearDownTestSuite() { stopNetwork(); }
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-update-XXXXXX";
        dir = std::string(::mkdtemp(pattern)) + "/";
        setBaseFolder(textOf(dir));
    }
    void TearDown() override {
        server.stop();
        fs::remove_all(dir);
    }
    void serve(const std::string& versionFile) {
        ServerAddress address = fixedServer();
        ASSERT_TRUE(server.start(address.port)) << "port " << address.port << " is taken";
        server.answer(address.prefix + "lastlite.pzt", {200, versionFile});
    }
    std::string updater() const { return dir + "updaterlite"; }

    std::string dir;
    LocalHttpServer server;
};

TEST_F(Update, WritesTheUpdaterOnlyForANewerVersion) {
    struct {
        std::string versionFile;
        int result;
    } cases[] = {
        {"1.08.4", 1},
        {"1.08.4\r\n", 1},
        {"1.08.10", 1},
        {"1.10.0", 1},
        {"2.0.0", 0}, // 200: dropping the dots makes fewer digits a smaller number
        {"1.08.3", 0},
        {"1.08.2", 0},
        {"1.1", 0},
        {"2.0", 0},
        {"<!DOCTYPE html><html>404</html>", 0},
        {"\xEF\xBB\xBF"
         "1.08.4",
         0},
    };
    serve("");
    std::string image = *readWholeFile(textOf(TUNDREL_BIN_DIR "/updaterlite"));
    ASSERT_TRUE(updaterImage() == image);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.versionFile);
        server.answer(fixedServer().prefix + "lastlite.pzt", {200, c.versionFile});
        ASSERT_TRUE(writeWholeFile(textOf(updater()), "an older updater, longer than nothing"));
        EXPECT_EQ(checkForUpdate(), c.result);
        if (c.result == 1) {
            EXPECT_TRUE(readWholeFile(textOf(updater())) == image); // byte for byte, old content gone
            EXPECT_TRUE(isExecutable(updater()));
        } else {
            EXPECT_FALSE(fs::exists(updater()));
        }
        // Nothing else is left in the folder, no temporary file either.
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), c.result);
    }
}

TEST_F(Update, NothingFetchedChangesNoFile) {
    // No server at all, then an empty answer.
    ASSERT_TRUE(writeWholeFile(textOf(updater()), "kept"));
    EXPECT_EQ(checkForUpdate(), 0);
    EXPECT_EQ(readWholeFile(textOf(updater())), "kept");
    serve("");
    EXPECT_EQ(checkForUpdate(), 0);
    EXPECT_EQ(readWholeFile(textOf(updater())), "kept");
    EXPECT_GE(server.requests(), 1);
    // Without an updater file, no update writes none either.
    fs::remove(updater());
    EXPECT_EQ(checkForUpdate(), 0);
    EXPECT_FALSE(fs::exists(updater()));
}

TEST_F(Update, NewerVersionWithAFolderInTheUpdatersPlaceStillAnswers) {
    serve("1.08.4");
    fs::create_directory(updater());
    EXPECT_EQ(checkForUpdate(), 1);
    EXPECT_TRUE(fs::is_directory(updater()));
    server.answer(fixedServer().prefix + "lastlite.pzt", {200, "1.08.3"});
    EXPECT_EQ(checkForUpdate(), 0);
    EXPECT_TRUE(fs::is_directory(updater())); // only files are deleted
}

TEST_F(Update, RemovesLeftoverFilesButNotFoldersOrTheUpdatersNames) {
    ASSERT_TRUE(writeWholeFile(textOf(dir + "TUNDREL.old"), "old player"));
    ::chmod((dir + "TUNDREL.old").c_str(), 0444);
    ASSERT_TRUE(writeWholeFile(textOf(dir + "last.bak"), "old download"));
    for (const char* name : {"TUNDRELlite.old", "lastlite.bak", "TUNDRELlite", "updaterlite"})
        ASSERT_TRUE(writeWholeFile(textOf(dir + name), name));
    removeUpdateLeftovers();
    EXPECT_FALSE(fs::exists(dir + "TUNDREL.old"));
    EXPECT_FALSE(fs::exists(dir + "last.bak"));
    for (const char* name : {"TUNDRELlite.old", "lastlite.bak", "TUNDRELlite", "updaterlite"})
        EXPECT_TRUE(fs::exists(dir + name)) << name;

    fs::create_directory(dir + "TUNDREL.old");
    fs::create_directory(dir + "last.bak");
    ASSERT_TRUE(writeWholeFile(textOf(dir + "last.bak/inside"), "x"));
    removeUpdateLeftovers();
    EXPECT_TRUE(fs::is_directory(dir + "TUNDREL.old"));
    EXPECT_TRUE(fs::exists(dir + "last.bak/inside"));
    removeUpdateLeftovers(); // nothing there to delete: no harm either
}

} // namespace
