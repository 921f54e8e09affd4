#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/gui_application.h"
#include "platform/http.h"
#include "platform/updater_window.h"
#include "tests/local_http_server.h"
#include "updater/updater.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

class UpdaterWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        startNetwork();
        ASSERT_TRUE(startGuiApplication("updater_window_test"));
    }
    static void TearDownTestSuite() {
        stopGuiApplication();
        stopNetwork();
    }
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-strip-XXXXXX";
        folder = std::string(::mkdtemp(pattern)) + "/";
        ASSERT_TRUE(server.start(0));
        ASSERT_TRUE(openUpdaterWindow(u"Tundrel Lite Updater", 220, 25));
        finished = 0;
        quit = 0;
    }
    void TearDown() override {
        closeDownload(download);
        closeUpdaterWindow();
        server.stop();
        fs::remove_all(folder);
    }
    // Ticks of timer 1 drive the progress step until the download is over, as in the updater.
    void runUntilFinal() {
        addUpdaterTimer(1, 20);
        auto end = steady_clock::now() + seconds(20);
        while (downloadProgress(download).state == DownloadState::running && steady_clock::now() < end) {
            UpdaterEvent e = waitUpdaterEvent(30);
            if (e.kind == UpdaterEventKind::timer && e.timer == 1) progressStep();
        }
        progressStep();
    }

    std::string folder;
    LocalHttpServer server;
};

TEST_F(UpdaterWindow, ShowsTheFailureOfARefusedDownload) {
    struct {
        const char* name;
        HttpAnswer answer;
    } cases[] = {
        {"404",
         {404, "\x7f"
               "ELF and more"}},
        {"HTML", {200, "<html></html>"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.answer("/lastlite.bak", c.answer);
        download = httpDownloadToFile(textOf(server.url("/lastlite.bak")), textOf(folder + "lastlite.bak"));
        runUntilFinal();
        EXPECT_EQ(updaterStatus(), u"Download failed");
        EXPECT_EQ(finished, 0); // the step keeps running; the user closes the window
        EXPECT_EQ(quit, 0);
        closeDownload(download);
    }
}

TEST_F(UpdaterWindow, ShowsTheKilobytesReceivedWhileRunning) {
    std::string body = "\x7f"
                       "ELF" +
                       std::string(2'000'000, 'x');
    server.answer("/lastlite.bak", {200, body, 2048});
    download = httpDownloadToFile(textOf(server.url("/lastlite.bak")), textOf(folder + "lastlite.bak"));
    addUpdaterTimer(1, 20);
    auto end = steady_clock::now() + seconds(10);
    while (downloadProgress(download).bytes < 6144 && steady_clock::now() < end) {
        UpdaterEvent e = waitUpdaterEvent(30);
        if (e.kind == UpdaterEventKind::timer) progressStep();
    }
    Text shown = updaterStatus();
    ASSERT_EQ(shown.rfind(u"Downloading : ", 0), 0u) << encodeUtf8(shown);
    ASSERT_EQ(shown.substr(shown.size() - 3), u" ko");
    long kilobytes = std::stol(encodeUtf8(shown.substr(14, shown.size() - 17)));
    EXPECT_GE(kilobytes, 4);
    EXPECT_LE(kilobytes, downloadProgress(download).bytes / 1024);
}

TEST_F(UpdaterWindow, WaitReturnsNothingAfterTheTimeoutThenTheTicks) {
    EXPECT_EQ(waitUpdaterEvent(10).kind, UpdaterEventKind::none);
    addUpdaterTimer(1, 20);
    UpdaterEvent e;
    for (int i = 0; i < 20 && e.kind == UpdaterEventKind::none; ++i)
        e = waitUpdaterEvent(30);
    EXPECT_EQ(e.kind, UpdaterEventKind::timer);
    EXPECT_EQ(e.timer, 1);
    setUpdaterStatus(u"Download finished");
    EXPECT_EQ(updaterStatus(), u"Download finished");
}

} // namespace
