// The update question at start-up, answered on a real display: Yes starts the updater from the
// player's folder and ends start-up, No goes on without starting anything.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "common/program.h"
#include "platform/files.h"
#include "platform/gui_application.h"
#include "settings/messages.h"
#include "tests/e2e/desktop_session.h"
#include "update/update_check.h"
#include "update/update_handoff.h"

namespace fs = std::filesystem;

namespace {

using namespace desktop;

class HandOff : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(session.start()) << "Xvfb or openbox did not start";
        loadMessages(u"US");
    }
    static void TearDownTestSuite() {
        stopGuiApplication();
        session.stopAll();
    }
    void SetUp() override {
        char pattern[] = "/tmp/tundrel-handoff-XXXXXX";
        folder = std::string(::mkdtemp(pattern)) + "/";
        setBaseFolder(textOf(folder));
        // Stands in for the updater: it only notes that it ran, and where.
        fs::copy_file(TUNDREL_BIN_DIR "/updater_fake_player", folder + "updaterlite");
    }
    void TearDown() override { fs::remove_all(folder); }

    // Answers the question from another thread while this one waits in the box.
    bool answer(const std::string& keys) {
        std::thread user([keys] {
            std::string box = waitWindow("^Update$");
            if (!box.empty()) pressKeys(box, keys);
        });
        bool ends = handOffToUpdater();
        user.join();
        return ends;
    }

    inline static Session session;
    std::string folder;
};

TEST_F(HandOff, YesStartsTheUpdaterInThePlayersFolderAndEndsStartUp) {
    EXPECT_TRUE(answer("Return")); // Yes is the default button
    EXPECT_TRUE(waitUntil([&] { return fs::exists(folder + "player-started"); }));
    EXPECT_TRUE(fs::exists(folder + "updaterlite"));
}

TEST_F(HandOff, NoGoesOnAndLeavesTheUpdaterFile) {
    EXPECT_FALSE(answer("Escape"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(fs::exists(folder + "player-started"));
    EXPECT_TRUE(fs::exists(folder + "updaterlite"));
}

TEST_F(HandOff, YesEndsStartUpEvenWhenTheUpdaterCannotStart) {
    fs::remove(folder + "updaterlite");
    EXPECT_TRUE(answer("Return"));
}

} // namespace
