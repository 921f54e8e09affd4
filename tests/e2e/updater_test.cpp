// The updater as the user meets it: the real executable in a folder of its own, under Xvfb with a
// window manager, downloading from an HTTP server on the fixed station-server port; message boxes
// answered with the keyboard through xdotool.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "common/program.h"
#include "platform/files.h"
#include "tests/e2e/desktop_session.h"
#include "tests/local_http_server.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using namespace desktop;

struct Geometry {
    int x = -1, y = -1, width = 0, height = 0;
};

Geometry windowGeometry(const std::string& window) {
    Geometry g;
    std::string text = output("xdotool getwindowgeometry --shell " + window);
    std::sscanf(text.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g.x, &g.y, &g.width, &g.height);
    return g;
}

// Pixels of the area, as whole-screen RGB bytes through ImageMagick.
struct AreaColours {
    int green = 0; // text pixels: pure green or close to it
    int black = 0;
    int total = 0;
};

AreaColours screenArea(const Geometry& g, const std::string& folder) {
    std::string file = folder + "screen.rgb";
    std::system(("import -window root -depth 8 rgb:" + file).c_str());
    std::string pixels = readWholeFile(textOf(file)).value_or("");
    fs::remove(file);
    AreaColours c;
    if (pixels.size() != static_cast<size_t>(screenWidth * screenHeight * 3)) return c;
    for (int y = g.y; y < g.y + g.height; ++y)
        for (int x = g.x; x < g.x + g.width; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(pixels.data()) + (y * screenWidth + x) * 3;
            c.green += p[0] < 60 && p[1] > 200 && p[2] < 60;
            c.black += p[0] < 20 && p[1] < 20 && p[2] < 20;
            ++c.total;
        }
    return c;
}

std::string fakePlayer() {
    return readWholeFile(textOf(TUNDREL_BIN_DIR "/updater_fake_player")).value_or("");
}

class Updater : public ::testing::Test {
  protected:
    // One X server and window manager for the whole suite.
    static void SetUpTestSuite() { ASSERT_TRUE(session.start()) << "Xvfb or openbox did not start"; }
    static void TearDownTestSuite() { session.stopAll(); }

    void SetUp() override {
        char pattern[] = "/tmp/tundrel-updater-XXXXXX";
        folder = std::string(::mkdtemp(pattern)) + "/";
        std::string url = encodeUtf8(serverBaseUrl()); // "http://127.0.0.1:8419/"
        size_t colon = url.find(':', url.find("://") + 3);
        size_t slash = url.find('/', colon);
        prefix = url.substr(slash);
        ASSERT_TRUE(server.start(std::stoi(url.substr(colon + 1, slash - colon - 1)))) << "server port taken";
    }
    void TearDown() override {
        stop(updater);
        server.stop();
        fs::remove_all(folder);
    }

    void serveDownload(HttpAnswer answer) { server.answer(prefix + "lastlite.bak", std::move(answer)); }
    void put(const char* name, const std::string& bytes) {
        ASSERT_TRUE(writeWholeFile(textOf(folder + name), bytes));
    }
    std::optional<std::string> read(const char* name) { return readWholeFile(textOf(folder + name)); }
    bool exists(const char* name) { return fs::exists(folder + name); }

    void startUpdater() { updater = spawn({TUNDREL_BIN_DIR "/updaterlite"}, folder); }

    // The exit status once the updater has ended, -1 when it still runs after the limit.
    int waitUpdaterEnd() {
        int status = 0;
        bool ended = waitUntil([&] { return ::waitpid(updater, &status, WNOHANG) == updater; });
        if (!ended) return -1;
        updater = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool updaterRunning() { return ::waitpid(updater, nullptr, WNOHANG) == 0; }

    inline static desktop::Session session;
    std::string folder;
    std::string prefix;
    LocalHttpServer server;
    pid_t updater = 0;
};

TEST_F(Updater, SwapsInTheNewPlayerAndStartsItOnYes) {
    std::string player = fakePlayer();
    ASSERT_GT(player.size(), 1000u);
    serveDownload({200, player});
    put("TUNDRELlite", "the old player");
    startUpdater();
    std::string box = waitWindow("^OK !$");
    ASSERT_FALSE(box.empty());
    // The player is already swapped while the question waits.
    EXPECT_TRUE(read("TUNDRELlite") == player);
    EXPECT_FALSE(exists("TUNDRELlite.old"));
    EXPECT_FALSE(exists("lastlite.bak"));
    pressKeys(box, "Return"); // Yes is the default button
    EXPECT_EQ(waitUpdaterEnd(), 0);
    EXPECT_TRUE(read("TUNDRELlite") == player);
    EXPECT_EQ(::access((folder + "TUNDRELlite").c_str(), X_OK), 0);
    EXPECT_FALSE(exists("TUNDRELlite.old"));
    EXPECT_FALSE(exists("lastlite.bak"));
    // The new player ran, in the updater's folder.
    EXPECT_TRUE(waitUntil([&] { return exists("player-started"); }));
}

TEST_F(Updater, NoKeepsTheNewPlayerWithoutStartingIt) {
    std::string player = fakePlayer();
    serveDownload({200, player});
    put("TUNDRELlite", "the old player");
    startUpdater();
    std::string box = waitWindow("^OK !$");
    ASSERT_FALSE(box.empty());
    pressKeys(box, "Escape"); // the No button
    EXPECT_EQ(waitUpdaterEnd(), 0);
    EXPECT_TRUE(read("TUNDRELlite") == player);
    EXPECT_FALSE(exists("TUNDRELlite.old"));
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(exists("player-started"));
}

TEST_F(Updater, RefusedDownloadsShowTheFailureAndLeaveThePlayer) {
    struct {
        const char* name;
        HttpAnswer answer;
    } cases[] = {
        {"404 page", {404, "<html><body>Not Found</body></html>"}},
        {"HTML page with 200", {200, "<!DOCTYPE html><html><body>Maintenance</body></html>"}},
        {"404 with an executable body", {404, fakePlayer()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        serveDownload(c.answer);
        put("TUNDRELlite", "the old player");
        int requestsBefore = server.requests();
        startUpdater();
        std::string strip = waitWindow("^Tundrel Lite Updater$");
        ASSERT_FALSE(strip.empty());
        ASSERT_TRUE(waitUntil([&] { return server.requests() > requestsBefore; }));
        std::this_thread::sleep_for(500ms);
        EXPECT_TRUE(updaterRunning()); // the failure stays on show until the user closes it
        EXPECT_FALSE(exists("lastlite.bak"));
        EXPECT_EQ(read("TUNDRELlite"), "the old player");
        EXPECT_TRUE(findWindow("^OK !$").empty());
        EXPECT_TRUE(findWindow("^NOK !$").empty());

        // A green text on black, in a 220 x 25 strip centred on the screen.
        Geometry g = windowGeometry(strip);
        EXPECT_EQ(g.width, 220);
        EXPECT_EQ(g.height, 25);
        EXPECT_NEAR(g.x, (screenWidth - 220) / 2, 1);
        EXPECT_NEAR(g.y, (screenHeight - 25) / 2, 1);
        AreaColours colours = screenArea(g, folder);
        EXPECT_GT(colours.green, 30);
        EXPECT_GT(colours.black, colours.total / 2);

        pressKeys(strip, "alt+F4");
        EXPECT_EQ(waitUpdaterEnd(), 0);
        EXPECT_EQ(read("TUNDRELlite"), "the old player");
    }
}

TEST_F(Updater, WithoutThePlayerReportsItAndKeepsTheDownload) {
    std::string player = fakePlayer();
    serveDownload({200, player});
    startUpdater();
    std::string box = waitWindow("^NOK !$");
    ASSERT_FALSE(box.empty());
    pressKeys(box, "Return");
    EXPECT_EQ(waitUpdaterEnd(), 0);
    EXPECT_TRUE(read("lastlite.bak") == player);
    EXPECT_FALSE(exists("TUNDRELlite"));
    EXPECT_FALSE(exists("TUNDRELlite.old"));
}

TEST_F(Updater, ClosingDuringASlowDownloadLeavesThePlayerAlone) {
    std::string player = fakePlayer();
    player.resize(3'000'000, '\0'); // with 2 KB every 100 ms, far longer than the test
    serveDownload({200, player, 2048});
    put("TUNDRELlite", "the old player");
    startUpdater();
    std::string strip = waitWindow("^Tundrel Lite Updater$");
    ASSERT_FALSE(strip.empty());
    // Some kilobytes arrived: the count is on show.
    ASSERT_TRUE(waitUntil([&] { return fileSize(textOf(folder + "lastlite.bak")).value_or(0) >= 4096; }));
    EXPECT_GT(screenArea(windowGeometry(strip), folder).green, 30);
    pressKeys(strip, "alt+F4");
    EXPECT_EQ(waitUpdaterEnd(), 0);
    EXPECT_EQ(read("TUNDRELlite"), "the old player");
    EXPECT_FALSE(exists("lastlite.bak"));
    EXPECT_FALSE(exists("TUNDRELlite.old"));
}

} // namespace
