// The skin's decisions and drawing under offscreen Qt: premultiplication, the screen text's layout and
// pixels, the volume clamps, the control table, the event queue and the picker's resolution of a pick.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/gui.h"
#include "settings/messages.h"
#include "settings/settings.h"
#include "skin/control_table.h"
#include "skin/screen_text.h"
#include "skin/skin_windows.h"
#include "skin/volume_slider.h"
#include "stations/station_list.h"
#include "stations/station_picker.h"

namespace {

class Skin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool built = false;
        if (built) return;
        built = true;
        ASSERT_TRUE(startGui());
        loadFont(screenFont, u"ARIAL", 12);
        createControlTable();
        registerSkinControls();
        loadSkinImages();
        ASSERT_TRUE(buildSkinWindows());
        for (const char16_t* key : {u"ECRAN", u"PLAY", u"VOL"})
            createControlCanvas(key);
        createPicker(stationPicker, 170, 272, 175, 22);
    }
};

TEST(Premultiply, FactorTableCases) {
    std::uint32_t pixels[] = {0x801E140Au, 0x00FFFFFFu, 0xFF102030u, 0x01FFFFFFu};
    premultiplyPixels(pixels, 4);
    EXPECT_EQ(pixels[0], 0x800F0A05u); // blue 10, green 20, red 30 at alpha 128 -> 5, 10, 15
    EXPECT_EQ(pixels[1], 0x00000000u);
    EXPECT_EQ(pixels[2], 0xFF102030u);
    EXPECT_EQ(pixels[3], 0x01010101u);
    premultiplyPixels(pixels, 1); // a second pass premultiplies again
    EXPECT_EQ(pixels[0], 0x80080503u);
}

TEST(ScreenLayout, CutsByCharactersWithTheExtraOneFirst) {
    auto one = layoutScreenText(u"abc", 249);
    EXPECT_FALSE(one.twoLines);
    auto seven = layoutScreenText(u"abcdefg", 250);
    EXPECT_TRUE(seven.twoLines);
    EXPECT_EQ(seven.line1, u"abcd-");
    EXPECT_EQ(seven.line2, u"efg");
    auto blank = layoutScreenText(u"ab cd", 300);
    EXPECT_EQ(blank.line1, u"ab -");
    EXPECT_EQ(blank.line2, u"cd");
}

TEST(VolumeSlider, ClampsAndFactor) {
    struct {
        int x;
        float volume;
        int knob;
    } cases[] = {{0, 0.0f, 5}, {4, 0.0f, 5}, {5, 0.0125f, 5}, {200, 0.5f, 200},
                 {237, 0.5925f, 237}, {238, 1.0f, 237}, {400, 1.0f, 237}, {-3, 0.0f, 5}};
    for (const auto& c : cases) {
        int knob = 0;
        EXPECT_FLOAT_EQ(volumeForPointer(c.x, 250, knob), c.volume) << c.x;
        EXPECT_EQ(knob, c.knob) << c.x;
    }
    EXPECT_EQ(knobPositionFor(0.75f), 300);
    EXPECT_EQ(knobPositionFor(0.5f), 200);
}

TEST_F(Skin, ControlTableHoldsTheTenRowsAndTheBody) {
    EXPECT_EQ(controlTable.size(), 11u);
    ControlEntry* bg = findEntry(u"BG");
    ASSERT_NE(bg, nullptr);
    EXPECT_EQ(bg->controlNumber, 0);
    EXPECT_EQ(bg->imageNumber, 0);
    ControlEntry* stop = findEntry(u"STOP");
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->controlNumber, 3);
    EXPECT_EQ(stop->imageNumber, 3);
    EXPECT_EQ(findEntry(u"play"), nullptr);
    for (int slot = 0; slot <= 12; ++slot)
        EXPECT_TRUE(slotHasImage(slot)) << slot;
    EXPECT_EQ(imageDepth(0), 32);
    EXPECT_EQ(imageDepth(9), 24);
}

TEST_F(Skin, PlayStopFacesShareOneCanvas) {
    setPlayStopFace(u"STOP");
    std::uint32_t stopCentre = controlPixel(playStopControl, 19, 11);
    setPlayStopFace(u"PLAY");
    std::uint32_t playCentre = controlPixel(playStopControl, 19, 11);
    EXPECT_NE(stopCentre, 0u);
    EXPECT_NE(playCentre, 0u);
    int differing = 0;
    setPlayStopFace(u"STOP");
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 38; ++x) {
            std::uint32_t s = controlPixel(playStopControl, x, y);
            setPlayStopFace(u"PLAY");
            differing += s != controlPixel(playStopControl, x, y);
            setPlayStopFace(u"STOP");
        }
    EXPECT_GT(differing, 20);
}

int darkPixels(int rowFrom, int rowTo) {
    int dark = 0;
    for (int y = rowFrom; y < rowTo; ++y)
        for (int x = 0; x < 250; ++x) {
            std::uint32_t p = controlPixel(screenControl, x, y);
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            dark += r < 90 && g < 110 && b < 60;
        }
    return dark;
}

TEST_F(Skin, ScreenTextIsDarkOnTheGlassOnOneOrTwoLines) {
    drawScreenText(u"");
    EXPECT_EQ(darkPixels(0, 78), 0);
    drawScreenText(u"~ Tundrel ~ v1.08.3");
    EXPECT_GT(darkPixels(30, 55), 30);
    EXPECT_EQ(darkPixels(0, 25), 0);
    drawScreenText(u"A title far too long to fit on the screen of the radio in one line");
    EXPECT_GT(darkPixels(20, 39), 30); // first line around mid - 11
    EXPECT_GT(darkPixels(45, 70), 30); // second line around mid + 9
}

TEST_F(Skin, KnobIsDrawnWhereTheVolumePutsIt) {
    auto knobColumns = [] {
        drawVolumeKnob(-100); // the bare track
        std::uint32_t bare[250];
        for (int x = 0; x < 250; ++x)
            bare[x] = controlPixel(volumeControl, x, 7);
        return std::vector<std::uint32_t>(bare, bare + 250);
    };
    std::vector<std::uint32_t> bare = knobColumns();
    drawVolumeKnob(200);
    int first = -1, last = -1;
    for (int x = 0; x < 250; ++x)
        if (controlPixel(volumeControl, x, 7) != bare[x]) {
            if (first < 0) first = x;
            last = x;
        }
    EXPECT_GE(first, 195);
    EXPECT_LE(last, 210);
    drawVolumeKnob(300); // beyond the track's end: nothing shows
    for (int x = 0; x < 250; ++x)
        EXPECT_EQ(controlPixel(volumeControl, x, 7), bare[x]);
}

TEST_F(Skin, WaitReturnsNothingAfterItsTimeoutAndTimerTicksAfterwards) {
    auto start = std::chrono::steady_clock::now();
    WindowEvent event = waitWindowEvent(30);
    EXPECT_EQ(event.kind, EventKind::none);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));
    addWindowTimer(controlWindow, 0, 50);
    bool ticked = false;
    for (int i = 0; i < 20 && !ticked; ++i) {
        event = waitWindowEvent(30);
        ticked = event.kind == EventKind::timer && event.timer == 0;
    }
    EXPECT_TRUE(ticked);
}

class Picker : public Skin {
protected:
    void SetUp() override {
        loadMessages(u"US");
        clearStations(catalogue);
        for (auto [name, url] : {std::pair{u"(Jazz) One", u"http://one/"}, std::pair{u"(Pop) Two", u"http://two/"},
                                 std::pair{u"(Pop) Two", u"http://two-b/"},
                                 std::pair{u"(Rock) Fav", u" >> My favorites"}, std::pair{u"", u"http://empty/"},
                                 std::pair{u" >> All radios", u"http://header-like/"}}) {
            Station& s = addStation(catalogue);
            s.name = name;
            s.url = url;
        }
        settings.lastStationName.clear();
        settings.lastStationUrl.clear();
        selectedUrl.clear();
        fillStationPicker();
    }
};

TEST_F(Picker, FillPutsTheHeaderFirstAndRaisesNoEvent) {
    EXPECT_EQ(pickerText(stationPicker), u" >> All radios");
    pickerSelect(stationPicker, 2);
    EXPECT_EQ(waitWindowEvent(30).kind, EventKind::none);
}

TEST_F(Picker, SelectLastStationNeedsExactlyOneMatch) {
    struct {
        const char16_t* last;
        int item;
        const char16_t* url;
    } cases[] = {{u"(Jazz) One", 1, u"http://one/"}, {u"(Pop) Two", 0, u""}, {u"(jazz) one", 0, u""},
                 {u"Nothing", 0, u""}};
    for (const auto& c : cases) {
        settings.lastStationName = c.last;
        selectedUrl.clear();
        selectLastStation();
        EXPECT_EQ(pickerSelectedIndex(stationPicker), c.item) << encodeUtf8(c.last);
        EXPECT_EQ(selectedUrl, c.url) << encodeUtf8(c.last);
    }
}

TEST_F(Picker, ResolveStationUrlDecisions) {
    settings.lastStationName = u"keep";
    EXPECT_EQ(resolveStationUrl(u""), u"");
    EXPECT_EQ(settings.lastStationName, u"keep");

    pickerSelect(stationPicker, 0);
    EXPECT_EQ(resolveStationUrl(u" >> All radios"), u"");
    EXPECT_EQ(settings.lastStationName, u"keep");

    pickerSelect(stationPicker, 2);
    EXPECT_EQ(resolveStationUrl(pickerText(stationPicker)), u"http://two/");
    EXPECT_EQ(settings.lastStationName, u"(Pop) Two");
    EXPECT_EQ(settings.lastStationUrl, u"http://two/");

    pickerSelect(stationPicker, 4);
    EXPECT_EQ(resolveStationUrl(pickerText(stationPicker)), u"Error");
    EXPECT_EQ(settings.lastStationName, u"(Rock) Fav");

    pickerSelect(stationPicker, 6); // an entry named like the header behaves like the header
    EXPECT_FALSE(resolvePick());
    EXPECT_EQ(selectedUrl, u"");
}

} // namespace
