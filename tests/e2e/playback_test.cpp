// Playing the radio, each test a real run of the player on a virtual display against the local Icecast
// and the station server, its audio captured to a file: play and stop, the screen's rotation between
// the station line and the announced titles, picks in the station picker by keyboard, a dead station,
// and the volume slider.
//
// What the screen says is read by pixels: this process renders each candidate text with the player's
// own screen-drawing code, on the same display (same fonts, same resolution), and the screen is taken
// to show the candidate whose picture it matches.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "harness.h"
#include "platform/gui.h"
#include "settings/messages.h"
#include "skin/control_table.h"
#include "skin/screen_text.h"
#include "skin/skin_windows.h"

using namespace e2e;

namespace {

// The skin's places, in the body window's pixels.
constexpr int screenX = 134, screenY = 99, screenWidth = 250, screenHeight = 78;
constexpr int playX = 168 + 19, playY = 236 + 11;
constexpr int powerX = 75 + 22, powerY = 252 + 22;
constexpr int pickerX = 170 + 80, pickerY = 272 + 11;
constexpr int trackX = 132, trackY = 211 + 7;

const std::string tonesUrl = "http://127.0.0.1:8420/demo.mp3";
const std::string voicesUrl = "http://127.0.0.1:8420/demo.ogg";
const std::string toneUrl = "http://127.0.0.1:8419/tone.wav";

// The picker's items: the header, then the catalogue sorted by name.
enum Item { headerItem = 0, deadItem = 1, toneItem = 2, tonesItem = 3, voicesItem = 4 };
const std::vector<std::string> stationList = {
    "(Demo) Tundrel Voices," + voicesUrl,
    "(Demo) Dead Station,http://127.0.0.1:8429/dead.mp3",
    "(Demo) Tundrel Tones," + tonesUrl,
    "(Demo) Tundrel Test Tone," + toneUrl,
};

constexpr double audible = -40.0; // dBFS: the demo songs play near -25 at half volume
constexpr double silent = -70.0;

// ---- the local Icecast ----------------------------------------------------------------------------

std::string stationsState() {
    std::string base;
    if (const char* s = std::getenv("TUNDREL_STATE_DIR"); s && *s)
        base = s;
    else if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r)
        base = std::string(r) + "/tundrel-" + std::to_string(::getuid());
    else
        base = "/tmp/tundrel-" + std::to_string(::getuid());
    return base + "/local-stations";
}

std::string fetch(const std::string& url, const std::string& user = "") {
    std::vector<std::string> argv{"curl", "-s", "-m", "3"};
    if (!user.empty()) argv.insert(argv.end(), {"-u", user});
    argv.push_back(url);
    return runCommand(argv);
}

// The engine's connections to a mount (libmpv is its user agent): Icecast's listener id -> age in seconds.
// Other programs may listen too; tests compare the ids before and after.
std::map<int, int> playerListeners(const std::string& mount) {
    std::string password = readFile(stationsState() + "/admin-password");
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r'))
        password.pop_back();
    std::string xml = fetch("http://127.0.0.1:8420/admin/listclients?mount=" + mount, "admin:" + password);
    std::map<int, int> listeners;
    for (size_t at = 0; (at = xml.find("<listener>", at)) != std::string::npos; ++at) {
        size_t end = xml.find("</listener>", at);
        std::string one = xml.substr(at, end == std::string::npos ? std::string::npos : end - at);
        size_t age = one.find("<Connected>"), id = one.find("<ID>");
        if (one.find("<UserAgent>libmpv</UserAgent>") != std::string::npos && age != std::string::npos &&
            id != std::string::npos)
            listeners[std::atoi(one.c_str() + id + 4)] = std::atoi(one.c_str() + age + 11);
    }
    return listeners;
}

// Whether a mount has an engine listener that connected `secondsAgo` (give or take the second steps
// of Icecast's count and the time the open takes): ours, since no other is likely to share its start.
bool listenerSince(const std::string& mount, double secondsAgo) {
    for (const auto& [id, age] : playerListeners(mount))
        if (std::abs(age - secondsAgo) <= 1.5) return true;
    return false;
}

// The title that Icecast announces for a mount now, as its status page gives it.
std::string announcedTitle(const std::string& mount) {
    std::string json = fetch("http://127.0.0.1:8420/status-json.xsl");
    size_t at = json.find("\"listenurl\":\"http://127.0.0.1:8420" + mount + "\"");
    if (at == std::string::npos) return "";
    size_t next = json.find("\"listenurl\"", at + 1);
    size_t title = json.find("\"title\":\"", at);
    if (title == std::string::npos || title > next) return "";
    title += 9;
    return json.substr(title, json.find('"', title) - title);
}

// "artist - title" of each demo song of a mount, from the table the song maker leaves beside them.
std::vector<std::string> demoTitles(const std::string& mount) {
    std::istringstream table(readFile(stationsState() + "/songs/songs.tsv"));
    std::vector<std::string> titles;
    for (std::string line; std::getline(table, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() >= 4 && cells[0] == mount) titles.push_back(cells[2] + " - " + cells[3]);
    }
    return titles;
}

// ---- files the player reads -----------------------------------------------------------------------

std::string settingsWith(const std::vector<std::string>& keyLines) {
    std::string text = "\xEF\xBB\xBF\r\n[USERPREF]\r\nLNG=US\r\n";
    for (const auto& line : keyLines)
        text += line + "\r\n";
    return text;
}

std::string valueOf(const std::string& settingsText, const std::string& key) {
    size_t at = settingsText.find("\r\n" + key + "=");
    if (at == std::string::npos) return "<missing>";
    at += key.size() + 3;
    return settingsText.substr(at, settingsText.find("\r\n", at) - at);
}

// A steady sine as a WAV file: 44.1 kHz 16-bit stereo, the capture's own format, so its level reaches
// the capture changed by the volume alone.
constexpr double toneAmplitude = 0.25;
const double toneDbfs = 20.0 * std::log10(toneAmplitude / std::sqrt(2.0));

std::string toneWav(int seconds) {
    auto le = [](std::uint32_t v, int bytes) {
        std::string s;
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
        return s;
    };
    std::uint32_t frames = static_cast<std::uint32_t>(seconds) * captureRate, dataBytes = frames * 4;
    std::string wav = "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
                      le(captureRate, 4) + le(captureRate * 4, 4) + le(4, 2) + le(16, 2) + "data" +
                      le(dataBytes, 4);
    wav.reserve(wav.size() + dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        auto v = static_cast<std::int16_t>(
            std::lround(toneAmplitude * 32767 * std::sin(2 * M_PI * 440.0 * i / captureRate)));
        std::string sample = le(static_cast<std::uint16_t>(v), 2);
        wav += sample + sample;
    }
    return wav;
}

// ---- the screen's texts ---------------------------------------------------------------------------

using Lcd = std::vector<std::uint32_t>; // 0xRRGGBB, row by row

// Pixels whose colour differs clearly: anti-aliased edges may differ by a shade, letters do not.
int differingPixels(const Lcd& a, const Lcd& b) {
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += std::abs(red(a[i]) - red(b[i])) > 40 || std::abs(green(a[i]) - green(b[i])) > 40 ||
                 std::abs(blue(a[i]) - blue(b[i])) > 40;
    return count;
}

// The window layer of this process, on the shared display, with the screen canvas of the skin.
class ScreenTexts {
  public:
    bool start(const VirtualDisplay& display) {
        ::setenv("DISPLAY", display.name().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (!startGui()) return false;
        loadMessages(u"US");
        loadFont(screenFont, u"ARIAL", 12);
        createControlTable();
        registerSkinControls();
        loadSkinImages();
        if (!buildSkinWindows()) return false;
        createControlCanvas(u"ECRAN");
        return true;
    }

    // Names a text: the screen is matched against it from now on.
    void add(const std::string& name, const Text& text) {
        drawScreenText(text);
        Lcd lcd;
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                lcd.push_back(controlPixel(screenControl, x, y) & 0xFFFFFF);
        // Two texts that look nearly alike could be taken for each other.
        for (const auto& [other, picture] : candidates)
            if (other != name && differingPixels(lcd, picture) < 2 * tolerance)
                ADD_FAILURE() << "\"" << name << "\" looks like \"" << other << "\" on the screen";
        candidates[name] = lcd;
    }
    void clear() { candidates.clear(); }

    // The name of the text the screen shows, or "?" when it matches none well.
    std::string name(const Lcd& seen) const {
        std::string best = "?";
        int fewest = tolerance;
        for (const auto& [name, lcd] : candidates)
            if (int d = differingPixels(seen, lcd); d < fewest) fewest = d, best = name;
        return best;
    }

  private:
    static constexpr int tolerance = 60; // pixels: a few letters' worth
    std::map<std::string, Lcd> candidates;
};

// One display and one renderer for every test of the program; the renderer lets go of the display
// before it ends.
struct Desk : ::testing::Environment {
    void TearDown() override {
        if (texts) stopGui();
        texts.reset();
        display.reset();
    }
    static Desk& get();
    std::unique_ptr<VirtualDisplay> display;
    std::unique_ptr<ScreenTexts> texts;
};
Desk* desk = static_cast<Desk*>(::testing::AddGlobalTestEnvironment(new Desk));
Desk& Desk::get() {
    if (!desk->display) {
        desk->display = std::make_unique<VirtualDisplay>();
        if (desk->display->ready()) {
            desk->texts = std::make_unique<ScreenTexts>();
            if (!desk->texts->start(*desk->display)) desk->texts.reset();
        }
    }
    return *desk;
}

struct Sighting {
    double at; // seconds since the radio opened
    std::string text;
};

std::string describe(const std::vector<Sighting>& seen) {
    std::ostringstream out;
    for (const auto& s : seen)
        out << "\n  " << s.at << " s: " << s.text;
    return out.str();
}

// ---- the radio under test -------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

struct Radio {
    explicit Radio(const std::vector<std::string>& settingsKeys)
        : display(*Desk::get().display), player(display, home.path, options()) {
        writeFile(home / "user_radio.pzt", settingsWith(settingsKeys));
        stations.setStationList(stationList);
    }

    PlayerOptions options() const {
        PlayerOptions o;
        o.audioOut = "file:" + capture();
        return o;
    }
    std::string capture() const { return home / "capture.pcm"; }

    void open() {
        ASSERT_TRUE(display.ready()) << "no virtual display";
        ASSERT_TRUE(Desk::get().texts) << "the screen texts cannot be rendered in the test";
        texts().clear();
        texts().add("banner", u"~ Tundrel ~ v1.08.3");
        texts().add("welcome", messages.msgWelcome);
        ASSERT_TRUE(stations.start()) << "the station server did not start";
        ASSERT_TRUE(player.start());
        auto b = player.waitForBody();
        ASSERT_TRUE(b) << "no radio on screen; log:\n" << player.log();
        body = *b;
        origin = Clock::now();
        ASSERT_TRUE(waitUntil([&] { return screenText() != "?"; }, 5s)) << "the screen shows no known text";
    }

    ScreenTexts& texts() const { return *Desk::get().texts; }
    double now() const { return std::chrono::duration<double>(Clock::now() - origin).count(); }

    void click(int x, int y) const { display.click(body.x + x, body.y + y); }
    void clickTrack(int x) const { click(trackX + x, trackY); }

    // Opens the picker with a click and chooses an item with the keys, as a user would.
    void pick(int item) const {
        click(pickerX, pickerY);
        pauseFor(600ms);
        display.pressKey("Home");
        for (int i = 0; i < item; ++i)
            display.pressKey("Down");
        display.pressKey("Return");
        pauseFor(200ms);
    }

    std::string screenText() const {
        Screenshot shot = display.screenshot();
        Lcd lcd;
        lcd.reserve(screenWidth * screenHeight);
        for (int y = 0; y < screenHeight; ++y)
            for (int x = 0; x < screenWidth; ++x)
                lcd.push_back(shot.at(body.x + screenX + x, body.y + screenY + y));
        return texts().name(lcd);
    }

    // What the screen shows, sampled for `span`, one sighting per change; `each` runs between samples.
    std::vector<Sighting> watchScreen(Milliseconds span, const std::function<void()>& each = {}) const {
        std::vector<Sighting> seen;
        auto end = Clock::now() + span;
        while (Clock::now() < end) {
            std::string text = screenText();
            if (seen.empty() || seen.back().text != text) seen.push_back({now(), text});
            if (each) each();
            pauseFor(50ms);
        }
        return seen;
    }

    std::vector<std::int16_t> audio() const { return readCapture(capture()); }
    // The capture's level over its last second.
    double lastSecondLevel() const {
        auto samples = audio();
        double end = captureSeconds(samples);
        return rmsDbfs(samples, end - 1.0, end);
    }
    bool waitForSound(Milliseconds timeout) const {
        return waitUntil([&] { return captureSeconds(audio()) >= 1.0 && lastSecondLevel() > audible; },
                         timeout);
    }

    std::optional<int> powerOff() {
        click(powerX, powerY);
        return player.waitForExit(10s);
    }
    std::string savedValue(const std::string& key) const {
        return valueOf(readFile(home / "user_radio.pzt"), key);
    }

    VirtualDisplay& display;
    TempFolder home{"e2e-play"};
    StationServer stations;
    Player player;
    WindowInfo body;
    Clock::time_point origin = Clock::now();
};

// The sightings without unrecognised frames and with repeats merged.
std::vector<Sighting> known(const std::vector<Sighting>& seen) {
    std::vector<Sighting> out;
    for (const auto& s : seen)
        if (s.text != "?" && (out.empty() || out.back().text != s.text)) out.push_back(s);
    return out;
}

bool isTitle(const std::string& name) {
    return name.rfind("title:", 0) == 0;
}

} // namespace

TEST(Playing, ShowsTheStationThenEachAnnouncedTitleInTurnAndStopSilences) {
    Radio radio({"LAST=(Demo) Tundrel Tones," + tonesUrl, "VOL=0.5"});
    ASSERT_NO_FATAL_FAILURE(radio.open());
    auto titles = demoTitles("demo.mp3");
    ASSERT_FALSE(titles.empty()) << "no demo song table in " << stationsState();
    radio.texts().add("station", messages.msgListening + u" Tundrel Tones");
    for (const auto& title : titles)
        radio.texts().add("title:" + title, textOf(title));
    ASSERT_TRUE(waitUntil([&] { return radio.screenText() == "welcome"; }, 4s));

    // When each title was first announced by the server while we looked.
    std::map<std::string, double> announced;
    auto noteAnnouncement = [&] {
        std::string title = announcedTitle("/demo.mp3");
        if (!title.empty() && !announced.count(title)) announced[title] = radio.now();
    };
    noteAnnouncement();
    radio.click(playX, playY);
    double playedAt = radio.now();
    auto seen = radio.watchScreen(21s, noteAnnouncement);
    auto texts = known(seen);
    SCOPED_TRACE("screen after play at " + std::to_string(playedAt) + " s:" + describe(seen));
    ::testing::Test::RecordProperty("screen", describe(seen)); // in the XML report, for timing studies

    EXPECT_GT(radio.lastSecondLevel(), audible);
    ASSERT_GE(texts.size(), 2u);
    size_t i = texts[0].text == "welcome" ? 1 : 0;
    ASSERT_LT(i, texts.size());
    EXPECT_EQ(texts[i].text, "station") << "first the station line";
    // Each title shows once the server has announced it, within a few seconds (it follows the audio,
    // then waits for the next tags read and the next rotation tick; the station line may hold it 4 s).
    int titlesSeen = 0;
    std::map<std::string, bool> counted;
    for (const auto& s : texts) {
        if (!isTitle(s.text) || counted[s.text]) continue;
        counted[s.text] = true;
        ++titlesSeen;
        std::string title = s.text.substr(6);
        ASSERT_TRUE(announced.count(title)) << title << " shown but never announced";
        EXPECT_GE(s.at, announced[title] - 0.5) << title;
        EXPECT_LE(s.at - announced[title], 8.0) << title;
    }
    EXPECT_GE(titlesSeen, 2);
    // Title, then the station line again (the seventh tick), then a title again.
    auto firstTitle =
        std::find_if(texts.begin(), texts.end(), [](const Sighting& s) { return isTitle(s.text); });
    auto stationAgain =
        std::find_if(firstTitle, texts.end(), [](const Sighting& s) { return s.text == "station"; });
    ASSERT_NE(stationAgain, texts.end()) << "the station line did not come back";
    EXPECT_NEAR(stationAgain->at - playedAt, 13.0, 3.5) << "the station line returns on the seventh tick";
    EXPECT_NE(std::find_if(stationAgain, texts.end(), [](const Sighting& s) { return isTitle(s.text); }),
              texts.end());
    for (const auto& s : texts)
        if (s.at > playedAt + 1.0) {
            EXPECT_NE(s.text, "welcome") << "at " << s.at << " s";
        }

    // Stop: the welcome text, and no more sound.
    radio.click(playX, playY);
    EXPECT_TRUE(waitUntil([&] { return radio.screenText() == "welcome"; }, 2s));
    pauseFor(500ms);
    double stoppedAt = captureSeconds(radio.audio());
    pauseFor(2s);
    auto samples = radio.audio();
    EXPECT_LT(rmsDbfs(samples, stoppedAt, captureSeconds(samples)), silent)
        << captureSeconds(samples) - stoppedAt << " s of sound after the stop";
    EXPECT_EQ(radio.powerOff(), 0);
}

TEST(Picking, AKeyboardPickSwitchesTheStreamAndIsSavedTheHeaderKeepsPlaying) {
    Radio radio({"LAST=(Demo) Tundrel Tones," + tonesUrl, "VOL=0.5"});
    ASSERT_NO_FATAL_FAILURE(radio.open());
    radio.click(playX, playY);
    double playedAt = radio.now();
    ASSERT_TRUE(radio.waitForSound(8s));
    EXPECT_TRUE(waitUntil([&] { return listenerSince("/demo.mp3", radio.now() - playedAt); }, 3s));

    radio.pick(voicesItem);
    double pickedAt = radio.now();
    EXPECT_TRUE(waitUntil([&] { return listenerSince("/demo.ogg", radio.now() - pickedAt); }, 8s))
        << "no new connection to /demo.ogg";
    EXPECT_TRUE(waitUntil([&] { return !listenerSince("/demo.mp3", radio.now() - playedAt); }, 8s))
        << "/demo.mp3 still fed";
    EXPECT_TRUE(radio.waitForSound(8s));

    // The header: the stream goes on, on the same connection.
    radio.pick(headerItem);
    double headerAt = captureSeconds(radio.audio());
    pauseFor(3s);
    auto samples = radio.audio();
    EXPECT_GT(captureSeconds(samples) - headerAt, 2.5) << "the capture stopped growing";
    EXPECT_GT(rmsDbfs(samples, headerAt, captureSeconds(samples)), audible);
    EXPECT_TRUE(listenerSince("/demo.ogg", radio.now() - pickedAt)) << "the connection to /demo.ogg changed";

    EXPECT_EQ(radio.powerOff(), 0);
    EXPECT_EQ(radio.savedValue("LAST"), "(Demo) Tundrel Voices," + voicesUrl);
}

TEST(Picking, ADeadStationAlternatesFailureAndWelcomeAndPlayFailsUntilANewPick) {
    Radio radio({"LAST=(Demo) Tundrel Tones," + tonesUrl, "VOL=0.5"});
    ASSERT_NO_FATAL_FAILURE(radio.open());
    radio.texts().add("failure", u" Dead Station" + messages.msgUnreachable);
    radio.texts().add("failure, no label yet", messages.msgUnreachable);
    radio.texts().add("station", messages.msgListening + u" Tundrel Tones");
    for (const auto& title : demoTitles("demo.mp3"))
        radio.texts().add("title:" + title, textOf(title));

    radio.pick(deadItem);
    auto seen = radio.watchScreen(7s);
    auto texts = known(seen);
    SCOPED_TRACE("screen after the pick:" + describe(seen));
    int failures = 0, welcomes = 0;
    for (const auto& s : texts) {
        failures += s.text == "failure";
        welcomes += s.text == "welcome";
    }
    // Timer 1 (1.5 s) puts the failure text up, timer 2 (2 s) the welcome text.
    EXPECT_GE(failures, 2);
    EXPECT_GE(welcomes, 2);
    for (size_t i = 1; i + 1 < texts.size(); ++i)
        EXPECT_LE(texts[i + 1].at - texts[i].at, 2.3) << texts[i].text << " stayed too long";
    EXPECT_LT(radio.lastSecondLevel(), silent);

    // Play now opens the failed station's stand-in name and fails again.
    radio.click(playX, playY);
    auto afterPlay = known(radio.watchScreen(4s));
    EXPECT_TRUE(std::any_of(afterPlay.begin(), afterPlay.end(), [](const Sighting& s) {
        return s.text == "failure";
    })) << describe(afterPlay);
    EXPECT_LT(radio.lastSecondLevel(), silent);

    // A new pick leaves the failed state.
    radio.pick(tonesItem);
    double pickedAt = radio.now();
    EXPECT_TRUE(radio.waitForSound(8s));
    // The pick leaves the screen alone: the failure text goes at the next rotation tick, for good.
    auto playing = known(radio.watchScreen(4s));
    auto firstPlaying = std::find_if(playing.begin(), playing.end(), [](const Sighting& s) {
        return s.text == "station" || isTitle(s.text);
    });
    ASSERT_NE(firstPlaying, playing.end()) << describe(playing);
    EXPECT_LT(firstPlaying->at - pickedAt, 2.5) << describe(playing);
    for (auto s = firstPlaying; s != playing.end(); ++s)
        EXPECT_TRUE(s->text == "station" || isTitle(s->text)) << describe(playing);

    EXPECT_EQ(radio.powerOff(), 0);
    EXPECT_EQ(radio.savedValue("LAST"), "(Demo) Tundrel Tones," + tonesUrl);
}

TEST(Volume, ADragAndClicksOnTheTrackSetTheLevelAndTheSavedVolume) {
    Radio radio({"LAST=(Demo) Tundrel Test Tone," + toneUrl, "VOL=0.5"});
    radio.stations.setFile("tone.wav", toneWav(40));
    ASSERT_NO_FATAL_FAILURE(radio.open());
    radio.click(playX, playY);
    ASSERT_TRUE(radio.waitForSound(8s)) << radio.player.log();
    auto levelAfterChange = [&] {
        pauseFor(1500ms);
        return radio.lastSecondLevel();
    };
    double half = levelAfterChange();
    EXPECT_NEAR(half, toneDbfs + 20 * std::log10(0.5), 1.0);

    radio.player.drag(trackX + 200, trackY, trackX + 100, trackY); // 0.5 -> 0.25
    double quarter = levelAfterChange();
    EXPECT_NEAR(quarter - half, 20 * std::log10(0.25 / 0.5), 1.0);

    // Held, the button drags the knob only while the pointer stays on the track.
    radio.display.moveMouse(radio.body.x + trackX + 100, radio.body.y + trackY);
    pauseFor(100ms);
    radio.display.pressButton();
    pauseFor(200ms);
    radio.display.moveMouse(radio.body.x + trackX + 100, radio.body.y + trackY + 30);
    pauseFor(200ms);
    radio.display.moveMouse(radio.body.x + trackX + 240, radio.body.y + trackY + 30);
    pauseFor(200ms);
    radio.display.moveMouse(radio.body.x + trackX + 240, radio.body.y + trackY + 40);
    pauseFor(200ms);
    radio.display.releaseButton();
    EXPECT_NEAR(levelAfterChange(), quarter, 1.0) << "moves off the track changed the volume";

    radio.clickTrack(4); // the left end: 0
    EXPECT_LT(levelAfterChange(), silent);

    radio.clickTrack(237); // the last step of the factor 400
    EXPECT_NEAR(levelAfterChange(), toneDbfs + 20 * std::log10(0.5925), 1.0);

    radio.clickTrack(1);
    EXPECT_LT(levelAfterChange(), silent);
    EXPECT_EQ(radio.powerOff(), 0);
    EXPECT_EQ(radio.savedValue("VOL"), "0");
}

TEST(Volume, AClickAtTheRightEndWhileStoppedGivesFullVolumeAtTheNextPlayAndIsSaved) {
    Radio radio({"LAST=(Demo) Tundrel Test Tone," + toneUrl, "VOL=0.5"});
    radio.stations.setFile("tone.wav", toneWav(20));
    ASSERT_NO_FATAL_FAILURE(radio.open());
    radio.clickTrack(238);
    radio.click(playX, playY);
    ASSERT_TRUE(radio.waitForSound(8s)) << radio.player.log();
    pauseFor(1500ms);
    EXPECT_NEAR(radio.lastSecondLevel(), toneDbfs, 1.0);
    EXPECT_EQ(radio.powerOff(), 0);
    EXPECT_EQ(radio.savedValue("VOL"), "1");
}
