// The radio's windows and its start-up, each test a real run of the player on a virtual display.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "harness.h"

using namespace e2e;

namespace {

// The skin's places, in the body window's pixels.
struct Area {
    int x, y, width, height;
};
constexpr Area screenArea{134, 99, 250, 78};
constexpr Area volumeTrack{132, 211, 250, 14};
constexpr int powerX = 75 + 22, powerY = 252 + 22;
constexpr int playX = 168 + 19, playY = 236 + 11;
constexpr int bodyPointX = 40, bodyPointY = 160; // the left grille: body, no control
constexpr int cornerX = 3, cornerY = 3;          // fully transparent
// Centred on the 1024 x 768 screen.
constexpr int centredX = (1024 - 512) / 2, centredY = (768 - 316) / 2;

const std::string mark = "\xEF\xBB\xBF";

std::string newSettingsFile() {
    return mark + "\r\n[USERPREF]\r\n"
                  "LAST=(Pop Rock) Radio Paradise,http://stream.radioparadise.com/mp3-128\r\n"
                  "PLAN=0\r\nWX=0\r\nWY=0\r\nVOL=0.75\r\nLNG=FR\r\n"
                  ";  Tundrel 1.08.3\r\n"
                  "; Written by the Tundrel developers\r\n"
                  "; Thanks to every radio that shares its stream\r\n"
                  "; Ce logiciel utilise le moteur audio FMOD Ex - http://www.fmod.org\r\n";
}

std::string settingsWith(const std::string& keyLines) {
    return mark + "\r\n[USERPREF]\r\n" + keyLines;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Screenshots of interest land in $TUNDREL_E2E_SHOTS when it names a folder.
void keepScreenshot(const Screenshot& shot, const std::string& name) {
    if (const char* folder = std::getenv("TUNDREL_E2E_SHOTS"); folder && *folder)
        shot.savePng(std::string(folder) + "/" + name + ".png");
}

std::string testName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

// The dark text colour of the screen, give or take the anti-aliasing.
bool isScreenInk(std::uint32_t p) {
    return std::abs(red(p) - 33) <= 35 && std::abs(green(p) - 62) <= 35 && std::abs(blue(p) - 2) <= 40;
}

// The silver of the volume knob: bright and nearly grey, unlike the wood and the groove.
bool isKnobSilver(std::uint32_t p) {
    int high = std::max({red(p), green(p), blue(p)}), low = std::min({red(p), green(p), blue(p)});
    return low >= 110 && high - low <= 40;
}

// The groove of the volume track: it shows once the track is painted.
bool isGroove(std::uint32_t p) {
    return std::max({red(p), green(p), blue(p)}) < 70;
}

struct Span {
    int count = 0, left = 1 << 20, right = -1, top = 1 << 20, bottom = -1;
};

template <typename Test> Span spanOf(const Player& player, const Screenshot& shot, Area area, Test test) {
    WindowInfo body = player.body().value_or(WindowInfo{});
    Span s;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
            if (test(shot.at(body.x + x, body.y + y))) {
                ++s.count;
                s.left = std::min(s.left, x - area.x);
                s.right = std::max(s.right, x - area.x);
                s.top = std::min(s.top, y - area.y);
                s.bottom = std::max(s.bottom, y - area.y);
            }
    return s;
}

// A display, the station server, a home folder and the player in it.
struct Radio {
    explicit Radio(Desktop desktop = Desktop::plain, PlayerOptions options = {})
        : display(desktop), player(display, home.path, std::move(options)) {}

    // Up to the radio's windows on screen.
    void start() {
        ASSERT_TRUE(display.ready()) << "no virtual display (" << desktopName(display.desktop()) << ")";
        ASSERT_TRUE(stations.start()) << "the station server did not start at " << stations.url();
        ASSERT_TRUE(player.start());
        ASSERT_TRUE(player.waitForBody()) << "no radio on screen; log:\n" << player.log();
    }

    // Up to the radio painted.
    void open() {
        ASSERT_NO_FATAL_FAILURE(start());
        // Mapped is not yet painted: wait for the body's grille and the volume track's groove.
        ASSERT_TRUE(waitUntil(
            [&] {
                Screenshot shot = display.screenshot();
                WindowInfo b = body();
                return shot.at(b.x + bodyPointX, b.y + bodyPointY) != desktopColour &&
                       spanOf(player, shot, volumeTrack, isGroove).count > 500;
            },
            5s))
            << "the radio was not painted";
    }

    WindowInfo body() const { return player.body().value_or(WindowInfo{}); }
    WindowInfo controls() const { return player.controls().value_or(WindowInfo{}); }

    VirtualDisplay display;
    StationServer stations;
    TempFolder home{"e2e-home"};
    Player player;
};

// A folder of its own with a copy of the player, and of the engine when asked.
std::string copyPlayerTo(const TempFolder& folder, bool withEngine) {
    namespace fs = std::filesystem;
    fs::copy_file(playerBinary(), folder / "TUNDRELlite");
    if (withEngine) fs::copy_file(engineLibrary(), folder / "libfmodex.so");
    return folder / "TUNDRELlite";
}

} // namespace

TEST(FirstStart, WritesANewSettingsFileAndShowsTheBanner) {
    Radio radio;
    ASSERT_NO_FATAL_FAILURE(radio.start());

    // The banner stays until the first tick of the 1.5 s timer: look at once and often.
    Span ink;
    Screenshot shot;
    waitUntil(
        [&] {
            shot = radio.display.screenshot();
            ink = spanOf(radio.player, shot, screenArea, isScreenInk);
            return ink.count > 50;
        },
        5s);
    keepScreenshot(shot, testName());
    ASSERT_GT(ink.count, 50) << "no dark text on the screen";
    // "~ Tundrel ~ v1.08.3" in one line, centred on 125: narrower than any welcome text.
    int width = ink.right - ink.left + 1;
    EXPECT_GT(width, 100);
    EXPECT_LT(width, 160);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 125, 4);
    EXPECT_GE(ink.top, 30);
    EXPECT_LE(ink.bottom, 52);

    EXPECT_EQ(readFile(radio.home / "user_radio.pzt"), newSettingsFile());
}

TEST(Windows, TheControlWindowIsTheBodysTransientAndBothOpenCentred) {
    Radio radio;
    // The saved position is only written, never used to place the windows.
    writeFile(radio.home / "user_radio.pzt", settingsWith("WX=10\r\nWY=20\r\n"));
    ASSERT_NO_FATAL_FAILURE(radio.open());
    WindowInfo body = radio.body(), controls = radio.controls();
    EXPECT_EQ(radio.display.windowTitle(body.id), "Alpha Window Test");
    EXPECT_EQ(radio.display.findWindows("Alpha Window Test").size(), 1u);
    EXPECT_EQ(body.width, 512);
    EXPECT_EQ(body.height, 316);
    EXPECT_EQ(body.x, centredX);
    EXPECT_EQ(body.y, centredY);
    EXPECT_EQ(controls.width, 512);
    EXPECT_EQ(controls.height, 316);
    EXPECT_EQ(controls.x, body.x);
    EXPECT_EQ(controls.y, body.y);
    // One taskbar entry, the body's.
    auto states = radio.display.windowStates(controls.id);
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());
    states = radio.display.windowStates(body.id);
    EXPECT_EQ(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());
}

TEST(Windows, CloseRequestsAreNotActedOn) {
    Radio radio(Desktop::openbox);
    ASSERT_NO_FATAL_FAILURE(radio.open());
    radio.display.requestClose(radio.body().id);
    radio.display.requestClose(radio.controls().id);
    pauseFor(1s);
    EXPECT_TRUE(radio.player.running());
    EXPECT_TRUE(radio.body().viewable);
    EXPECT_TRUE(radio.controls().viewable);
}

// ---- moving, in the three desktops ----------------------------------------------------------------

class Moving : public ::testing::TestWithParam<Desktop> {};

TEST_P(Moving, APressOnTheBodyDragsBothWindowsTogether) {
    Radio radio(GetParam());
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);
    WindowInfo before = radio.body();
    keepScreenshot(radio.display.screenshot(), testName() + "_before");

    radio.player.drag(bodyPointX, bodyPointY, bodyPointX + 60, bodyPointY + 40);

    WindowInfo body = radio.body(), controls = radio.controls();
    keepScreenshot(radio.display.screenshot(), testName() + "_after");
    EXPECT_EQ(body.x, before.x + 60);
    EXPECT_EQ(body.y, before.y + 40);
    EXPECT_EQ(controls.x, body.x);
    EXPECT_EQ(controls.y, body.y);
    EXPECT_EQ(body.width, 512);
    EXPECT_EQ(controls.height, 316);
    EXPECT_TRUE(radio.player.running());
}

// A control is pressed too: the screen, which does nothing else, carries the radio like the body.
TEST_P(Moving, APressOnTheScreenDragsBothWindowsToo) {
    Radio radio(GetParam());
    ASSERT_NO_FATAL_FAILURE(radio.open());
    WindowInfo before = radio.body();

    radio.player.drag(screenArea.x + 20, screenArea.y + 10, screenArea.x - 30, screenArea.y + 60);

    WindowInfo body = radio.body(), controls = radio.controls();
    EXPECT_EQ(body.x, before.x - 50);
    EXPECT_EQ(body.y, before.y + 50);
    EXPECT_EQ(controls.x, body.x);
    EXPECT_EQ(controls.y, body.y);
}

TEST_P(Moving, APressOnATransparentCornerMovesNothing) {
    Radio radio(GetParam());
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);
    WindowInfo before = radio.body();

    radio.player.drag(cornerX, cornerY, cornerX + 50, cornerY + 50);

    WindowInfo body = radio.body(), controls = radio.controls();
    EXPECT_EQ(body.x, before.x);
    EXPECT_EQ(body.y, before.y);
    EXPECT_EQ(controls.x, before.x);
    EXPECT_EQ(controls.y, before.y);
}

INSTANTIATE_TEST_SUITE_P(Desktops, Moving,
                         ::testing::Values(Desktop::plain, Desktop::openbox, Desktop::openboxPicom),
                         [](const auto& info) { return std::string(desktopName(info.param)); });

// ---- transparency, in the three desktops ----------------------------------------------------------

// The controls and the picker cover the body; everywhere else the body picture shows.
constexpr Area controlAreas[] = {{134, 99, 250, 78}, {168, 236, 38, 23},  {215, 236, 38, 23},
                                 {266, 236, 38, 23}, {315, 236, 38, 23},  {420, 252, 34, 34},
                                 {75, 252, 45, 45},  {132, 211, 250, 14}, {170, 272, 175, 22}};

bool underAControl(int x, int y) {
    for (const Area& a : controlAreas)
        if (x >= a.x && x < a.x + a.width && y >= a.y && y < a.y + a.height) return true;
    return false;
}

class Transparency : public ::testing::TestWithParam<Desktop> {};

TEST_P(Transparency, TheCornersShowTheDesktopBelow) {
    Radio radio(GetParam());
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);
    Screenshot shot = radio.display.screenshot();
    keepScreenshot(shot, testName());
    EXPECT_EQ(shot.at(5, 5), desktopColour);
    for (auto [x, y] : {std::pair{cornerX, cornerY}, {508, 3}, {3, 312}, {508, 312}})
        EXPECT_EQ(radio.player.pixel(shot, x, y), desktopColour) << x << "," << y;
}

// With a compositor the soft edges blend into the desktop; without one every pixel is either the picture's
// or the desktop's (cut at half alpha). Either way no pixel comes out darker: no fringe.
TEST_P(Transparency, TheBodyShowsItsPictureWithoutFringe) {
    Picture picture = readPng(std::string(TUNDREL_SOURCE_DIR) + "/assets/png/bg.png");
    ASSERT_EQ(picture.width, 512);
    Radio radio(GetParam());
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);
    Screenshot shot = radio.display.screenshot();
    WindowInfo body = radio.body();
    bool soft = GetParam() == Desktop::openboxPicom;
    int wrong = 0;
    std::string examples;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            if (underAControl(x, y)) continue;
            std::uint32_t p = picture.at(x, y), shown = shot.at(body.x + x, body.y + y);
            int a = alpha(p);
            if (!soft) a = a >= 128 ? 255 : 0;
            auto expected = [&](int image, int desk) { return (image * a + desk * (255 - a) + 127) / 255; };
            bool close = std::abs(red(shown) - expected(red(p), red(desktopColour))) <= 3 &&
                         std::abs(green(shown) - expected(green(p), green(desktopColour))) <= 3 &&
                         std::abs(blue(shown) - expected(blue(p), blue(desktopColour))) <= 3;
            if (!close && ++wrong <= 5) {
                char line[120];
                std::snprintf(line, sizeof line, " (%d,%d) alpha %d picture %06X shown %06X;", x, y, alpha(p),
                              p & 0xFFFFFFu, shown);
                examples += line;
            }
        }
    EXPECT_EQ(wrong, 0) << examples;
}

INSTANTIATE_TEST_SUITE_P(Desktops, Transparency,
                         ::testing::Values(Desktop::plain, Desktop::openbox, Desktop::openboxPicom),
                         [](const auto& info) { return std::string(desktopName(info.param)); });

// ---- ending -------------------------------------------------------------------------------------

TEST(PowerButton, EndsWithCodeZeroAndSavesTheWindowPosition) {
    Radio radio;
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);
    radio.player.drag(bodyPointX, bodyPointY, bodyPointX + 40, bodyPointY + 30);
    WindowInfo moved = radio.controls();
    ASSERT_EQ(moved.x, centredX + 40);

    radio.player.click(powerX, powerY);

    EXPECT_EQ(radio.player.waitForExit(10s), 0) << radio.player.log();
    std::string expected = newSettingsFile();
    // The one station of the list with the default's name is selected, and its URL is the one kept.
    expected = replaced(expected, "http://stream.radioparadise.com/mp3-128", "http://127.0.0.1:9/mp3-128");
    expected = replaced(expected, "WX=0\r\n", "WX=" + std::to_string(moved.x) + "\r\n");
    expected = replaced(expected, "WY=0\r\n", "WY=" + std::to_string(moved.y) + "\r\n");
    EXPECT_EQ(readFile(radio.home / "user_radio.pzt"), expected);
}

// A whole session: the last station is selected at start, play is pressed, it sounds, power ends it.
TEST(Session, PlaysTheLastStationUntilPowerOff) {
    TempFolder capture{"e2e-capture"};
    PlayerOptions options;
    options.audioOut = "file:" + (capture / "out.pcm");
    Radio radio(Desktop::plain, options);
    // 20 s of a 1 kHz tone at half scale: RMS -9.5 dBFS, -12 dBFS at volume 0.75.
    runCommand({"sox", "-n", "-r", "44100", "-c", "2", radio.stations.www / "tone.mp3", "synth", "20", "sine",
                "1000", "vol", "0.5"});
    ASSERT_TRUE(fileExists(radio.stations.www / "tone.mp3")) << "sox could not make the tone";
    radio.stations.setStationList({"(Test) Tone," + radio.stations.url("tone.mp3")});
    writeFile(radio.home / "user_radio.pzt", settingsWith("LAST=(Test) Tone,\r\nVOL=0.75\r\nLNG=US\r\n"));
    ASSERT_NO_FATAL_FAILURE(radio.open());

    radio.player.click(playX, playY);
    bool heard = waitUntil(
        [&] {
            auto samples = readCapture(capture / "out.pcm");
            return captureSeconds(samples) > 3 && rmsDbfs(samples, captureSeconds(samples) - 1, 1e9) > -30;
        },
        20s);
    radio.player.click(powerX, powerY);
    EXPECT_EQ(radio.player.waitForExit(10s), 0) << radio.player.log();
    ASSERT_TRUE(heard) << "no sound in the capture; log:\n" << radio.player.log();

    auto samples = readCapture(capture / "out.pcm");
    double end = captureSeconds(samples);
    EXPECT_NEAR(rmsDbfs(samples, end - 2.5, end - 1), -12.0, 1.5);
    EXPECT_NE(
        readFile(radio.home / "user_radio.pzt").find("LAST=(Test) Tone," + radio.stations.url("tone.mp3")),
        std::string::npos);
}

TEST(Offline, ShowsTheErrorBoxAndWritesNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "a network namespace needs root";
    PlayerOptions offline;
    offline.offline = true;
    Radio radio(Desktop::openbox, offline);
    ASSERT_TRUE(radio.display.ready());
    writeFile(radio.home / "last.bak", "left over");
    ASSERT_TRUE(radio.player.start());

    std::vector<unsigned long> boxes;
    ASSERT_TRUE(waitUntil([&] { return !(boxes = radio.display.findWindows("Erreur")).empty(); }, 15s))
        << radio.player.log();
    pauseFor(300ms);
    keepScreenshot(radio.display.screenshot(), testName());
    EXPECT_TRUE(radio.display.findWindows("Alpha Window Test").empty());

    radio.display.xdotool({"windowactivate", "--sync", std::to_string(boxes.front())});
    radio.display.pressKey("Return");

    EXPECT_EQ(radio.player.waitForExit(10s), 0) << radio.player.log();
    EXPECT_EQ(filesIn(radio.home.path), std::vector<std::string>{"last.bak"});
}

TEST(NoEngine, EndsAtOnceWithoutWindowOrFiles) {
    TempFolder programFolder{"e2e-program"};
    PlayerOptions options;
    options.binary = copyPlayerTo(programFolder, false);
    options.env = {"LD_LIBRARY_PATH="};
    Radio radio(Desktop::plain, options);
    ASSERT_TRUE(radio.display.ready());
    writeFile(radio.home / "TUNDREL.old", "left over");
    writeFile(radio.home / "last.bak", "left over");
    bool windowSeen = false;
    ASSERT_TRUE(radio.player.start());

    EXPECT_TRUE(waitUntil(
        [&] {
            windowSeen = windowSeen || !radio.display.findWindows("Alpha Window Test").empty();
            return !radio.player.running();
        },
        10s));
    EXPECT_EQ(radio.player.waitForExit(1s), 0) << radio.player.log();
    EXPECT_FALSE(windowSeen);
    EXPECT_EQ(filesIn(radio.home.path), (std::vector<std::string>{"TUNDREL.old", "last.bak"}));
    EXPECT_EQ(filesIn(programFolder.path), std::vector<std::string>{"TUNDRELlite"});
}

// ---- folders ------------------------------------------------------------------------------------

TEST(Folders, FilesLiveInTheCurrentFolderNotBesideTheProgram) {
    TempFolder programFolder{"e2e-program"};
    PlayerOptions options;
    options.binary = copyPlayerTo(programFolder, true);
    Radio radio(Desktop::plain, options);
    const std::string programSettings = settingsWith("VOL=0.5\r\nLNG=US\r\n");
    for (const std::string& folder : {programFolder.path, radio.home.path}) {
        writeFile(folder + "/TUNDREL.old", "left over");
        writeFile(folder + "/last.bak", "left over");
    }
    writeFile(programFolder / "user_radio.pzt", programSettings);
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);

    // Start-up cleaned the current folder and created the settings there.
    EXPECT_EQ(filesIn(radio.home.path), std::vector<std::string>{"user_radio.pzt"});
    EXPECT_EQ(readFile(radio.home / "user_radio.pzt"), newSettingsFile());
    // The default volume, 0.75, not the program folder's 0.5: no knob on the track.
    Screenshot shot;
    ASSERT_TRUE(waitUntil(
        [&] {
            return spanOf(radio.player, shot = radio.display.screenshot(), volumeTrack, isGroove).count > 500;
        },
        5s));
    EXPECT_EQ(spanOf(radio.player, shot, volumeTrack, isKnobSilver).count, 0);

    radio.player.click(powerX, powerY);
    EXPECT_EQ(radio.player.waitForExit(10s), 0);
    EXPECT_NE(readFile(radio.home / "user_radio.pzt").find("WX=" + std::to_string(centredX) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(filesIn(programFolder.path), (std::vector<std::string>{"TUNDREL.old", "TUNDRELlite", "last.bak",
                                                                     "libfmodex.so", "user_radio.pzt"}));
    EXPECT_EQ(readFile(programFolder / "user_radio.pzt"), programSettings);
}

// ---- what the settings change on screen ---------------------------------------------------------

struct KnobCase {
    const char* volume;
    int expectedKnobX; // on the track; -1: none visible
};

void PrintTo(const KnobCase& c, std::ostream* out) {
    *out << "VOL=" << c.volume;
}

class VolumeKnob : public ::testing::TestWithParam<KnobCase> {};

TEST_P(VolumeKnob, IsDrawnWhereTheSavedVolumePutsIt) {
    Radio radio;
    writeFile(radio.home / "user_radio.pzt", settingsWith(std::string("VOL=") + GetParam().volume + "\r\n"));
    ASSERT_NO_FATAL_FAILURE(radio.open());
    Span knob;
    Screenshot shot;
    ASSERT_TRUE(waitUntil(
        [&] {
            return spanOf(radio.player, shot = radio.display.screenshot(), volumeTrack, isGroove).count > 500;
        },
        5s));
    knob = spanOf(radio.player, shot, volumeTrack, isKnobSilver);
    keepScreenshot(shot, testName());
    if (GetParam().expectedKnobX < 0) {
        EXPECT_EQ(knob.count, 0) << "silver at x " << knob.left << " to " << knob.right;
        return;
    }
    // The knob is 16 pixels wide, drawn from x - 5.
    EXPECT_GT(knob.count, 30);
    EXPECT_GE(knob.left, GetParam().expectedKnobX - 5);
    EXPECT_LE(knob.right, GetParam().expectedKnobX + 10);
    EXPECT_NEAR((knob.left + knob.right) / 2.0, GetParam().expectedKnobX + 2.5, 3);
}

INSTANTIATE_TEST_SUITE_P(Volumes, VolumeKnob,
                         ::testing::Values(KnobCase{"0.5", 200}, KnobCase{"0.25", 100}, KnobCase{"0.75", -1}),
                         [](const auto& info) {
                             std::string name = std::string("VOL_") + info.param.volume;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

struct TopCase {
    const char* plan;
    bool radioStaysVisible;
};

void PrintTo(const TopCase& c, std::ostream* out) {
    *out << "PLAN=" << c.plan;
}

class AlwaysOnTop : public ::testing::TestWithParam<TopCase> {};

// Another window opened over the radio: with PLAN on, the radio still shows; off, it is covered.
TEST_P(AlwaysOnTop, KeepsTheWholeRadioAboveOtherWindows) {
    Radio radio(Desktop::openbox);
    writeFile(radio.home / "user_radio.pzt", settingsWith(std::string("PLAN=") + GetParam().plan + "\r\n"));
    ASSERT_NO_FATAL_FAILURE(radio.open());
    pauseFor(500ms);
    WindowInfo body = radio.body();
    // The left grille and the power button: nothing there changes by itself.
    const Area covered{20, 40, 110, 240};
    Screenshot alone = radio.display.screenshot();

    Process other =
        startProcess({"xmessage", "-geometry",
                      std::to_string(covered.width) + "x" + std::to_string(covered.height) + "+" +
                          std::to_string(body.x + covered.x) + "+" + std::to_string(body.y + covered.y),
                      "a window over the radio"},
                     radio.display.environment());
    bool shown = waitUntil(
        [&] {
            auto found = radio.display.findWindows("xmessage");
            auto info = found.empty() ? std::nullopt : radio.display.window(found.front());
            return info && info->viewable;
        },
        10s);
    pauseFor(500ms);
    Screenshot withOther = radio.display.screenshot();
    keepScreenshot(withOther, testName());
    stopProcess(other);
    ASSERT_TRUE(shown) << "xmessage did not open";

    int changed = 0;
    Span where;
    body = radio.body();
    for (int y = covered.y + 10; y < covered.y + covered.height - 10; ++y)
        for (int x = covered.x + 10; x < covered.x + covered.width - 10; ++x)
            if (alone.at(body.x + x, body.y + y) != withOther.at(body.x + x, body.y + y)) {
                ++changed;
                where.left = std::min(where.left, x), where.right = std::max(where.right, x);
                where.top = std::min(where.top, y), where.bottom = std::max(where.bottom, y);
            }
    if (GetParam().radioStaysVisible) {
        EXPECT_EQ(changed, 0) << "changed between x " << where.left << ".." << where.right << ", y "
                              << where.top << ".." << where.bottom;
        if (changed) keepScreenshot(alone, testName() + "_alone");
        for (auto id : {radio.body().id, radio.controls().id}) {
            auto states = radio.display.windowStates(id);
            EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE"), states.end()) << id;
        }
    } else {
        EXPECT_GT(changed, 1000);
    }
}

INSTANTIATE_TEST_SUITE_P(Plan, AlwaysOnTop, ::testing::Values(TopCase{"1", true}, TopCase{"0", false}),
                         [](const auto& info) { return std::string("PLAN_") + info.param.plan; });
