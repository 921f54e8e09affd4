#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/files.h"
#include "platform/http.h"
#include "platform/http_download.h"
#include "tests/local_http_server.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string fakeExecutable(size_t size) {
    std::string bytes = "\x7f"
                        "ELF";
    while (bytes.size() < size)
        bytes.push_back(static_cast<char>(bytes.size() * 7));
    return bytes;
}

class HttpDownload : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { startNetwork(); }
    static void TearDownTestSuite() { stopNetwork(); }
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-download-XXXXXX";
        dir = ::mkdtemp(pattern);
        ASSERT_TRUE(server.start(0));
    }
    void TearDown() override {
        server.stop();
        fs::remove_all(dir);
    }
    Text target() const { return textOf(dir + "/lastlite.bak"); }

    // Polls like the updater's window thread until the state is final.
    DownloadProgress waitFinal(DownloadHandle d) {
        auto end = std::chrono::steady_clock::now() + 20s;
        DownloadProgress p = downloadProgress(d);
        while (p.state == DownloadState::running && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(5ms);
            p = downloadProgress(d);
        }
        return p;
    }

    std::string dir;
    LocalHttpServer server;
};

TEST_F(HttpDownload, WritesAnExecutableBodyAndCountsItsBytes) {
    std::string body = fakeExecutable(300'000);
    server.answer("/lastlite.bak", {200, body});
    ASSERT_TRUE(writeWholeFile(target(), std::string(400'000, 'x'))); // emptied first
    DownloadHandle d = httpDownloadToFile(textOf(server.url("/lastlite.bak")), target());
    DownloadProgress p = waitFinal(d);
    EXPECT_EQ(p.state, DownloadState::succeeded);
    EXPECT_EQ(p.bytes, 300'000);
    EXPECT_EQ(readWholeFile(target()), body);
    // A final state stays.
    EXPECT_EQ(downloadProgress(d).state, DownloadState::succeeded);
    closeDownload(d);
    EXPECT_TRUE(fileExists(target()));
    EXPECT_EQ(downloadProgress(d).state, DownloadState::failed); // unknown handle
}

TEST_F(HttpDownload, FollowsRedirectionsAndJudgesTheLastAnswer) {
    std::string body = fakeExecutable(5000);
    server.answer("/moved", {302, "", 0, server.url("/lastlite.bak")});
    server.answer("/gone", {301, "", 0, server.url("/nowhere")});
    server.answer("/lastlite.bak", {200, body});
    DownloadHandle d = httpDownloadToFile(textOf(server.url("/moved")), target());
    EXPECT_EQ(waitFinal(d).state, DownloadState::succeeded);
    EXPECT_EQ(readWholeFile(target()), body);
    closeDownload(d);
    d = httpDownloadToFile(textOf(server.url("/gone")), target());
    EXPECT_EQ(waitFinal(d).state, DownloadState::failed);
    EXPECT_FALSE(fileExists(target()));
    closeDownload(d);
}

TEST_F(HttpDownload, RefusedAnswersLeaveNoFile) {
    struct {
        const char* name;
        HttpAnswer answer;
    } cases[] = {
        {"404 with an executable body", {404, fakeExecutable(5000)}},
        {"500", {500, fakeExecutable(5000)}},
        {"HTML page", {200, "<html><body>Maintenance</body></html>"}},
        {"empty body", {200, ""}},
        {"three bytes of the magic",
         {200, "\x7f"
               "EL"}},
        {"Windows executable", {200, "MZ" + std::string(5000, 'x')}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.answer("/lastlite.bak", c.answer);
        ASSERT_TRUE(writeWholeFile(target(), "older"));
        DownloadHandle d = httpDownloadToFile(textOf(server.url("/lastlite.bak")), target());
        EXPECT_EQ(waitFinal(d).state, DownloadState::failed);
        EXPECT_FALSE(fs::exists(dir + "/lastlite.bak"));
        closeDownload(d);
    }
}

TEST_F(HttpDownload, UnreachableServerOrUncreatableFileFails) {
    LocalHttpServer closed;
    ASSERT_TRUE(closed.start(0));
    int port = closed.port();
    closed.stop(); // nothing listens there now
    DownloadHandle d =
        httpDownloadToFile(textOf("http://127.0.0.1:" + std::to_string(port) + "/lastlite.bak"), target());
    EXPECT_EQ(waitFinal(d).state, DownloadState::failed);
    EXPECT_FALSE(fs::exists(dir + "/lastlite.bak"));
    closeDownload(d);

    server.answer("/lastlite.bak", {200, fakeExecutable(100)});
    d = httpDownloadToFile(textOf(server.url("/lastlite.bak")), textOf(dir + "/missing/lastlite.bak"));
    EXPECT_EQ(waitFinal(d).state, DownloadState::failed);
    closeDownload(d);
    // A folder in the file's place stays a folder.
    fs::create_directory(dir + "/lastlite.bak");
    d = httpDownloadToFile(textOf(server.url("/lastlite.bak")), target());
    EXPECT_EQ(waitFinal(d).state, DownloadState::failed);
    EXPECT_TRUE(fs::is_directory(dir + "/lastlite.bak"));
    closeDownload(d);
}

TEST_F(HttpDownload, ReportsRunningCountThenClosingCutsItOff) {
    server.answer("/lastlite.bak", {200, fakeExecutable(1'000'000), 4096});
    DownloadHandle d = httpDownloadToFile(textOf(server.url("/lastlite.bak")), target());
    std::int64_t seen = 0;
    auto end = std::chrono::steady_clock::now() + 10s;
    while (seen < 8192 && std::chrono::steady_clock::now() < end) {
        DownloadProgress p = downloadProgress(d);
        ASSERT_EQ(p.state, DownloadState::running);
        EXPECT_GE(p.bytes, seen); // never goes back
        seen = p.bytes;
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_GE(seen, 8192);
    EXPECT_TRUE(fs::exists(dir + "/lastlite.bak"));
    // Left alone the trickle would take half a minute and end complete; cut off, nothing stays.
    closeDownload(d);
    EXPECT_FALSE(fs::exists(dir + "/lastlite.bak"));
}

} // namespace
