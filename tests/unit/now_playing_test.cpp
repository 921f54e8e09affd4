#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/audio_engine.h"
#include "playback/now_playing.h"
#include "playback/player_state.h"
#include "settings/messages.h"
#include "stations/station_list.h"

namespace {

// A stream's tags as the engine would report them; the engine double hands them out by index.
struct FakeTag {
    std::string name;
    std::string data;
    int datalen = -1; // -1: the data's own length
};

std::vector<FakeTag> fakeTags;

FMOD_RESULT fakeGetNumTags(FMOD_SOUND*, int* numTags, int*) {
    *numTags = static_cast<int>(fakeTags.size());
    return FMOD_OK;
}

FMOD_RESULT fakeGetTag(FMOD_SOUND*, const char*, int index, FMOD_TAG* tag) {
    FakeTag& t = fakeTags.at(static_cast<std::size_t>(index));
    tag->type = FMOD_TAGTYPE_ICECAST;
    tag->datatype = FMOD_TAGDATATYPE_STRING;
    tag->name = t.name.data();
    tag->data = t.data.data();
    tag->datalen = static_cast<unsigned>(t.datalen < 0 ? static_cast<int>(t.data.size()) : t.datalen);
    return FMOD_OK;
}

FMOD_RESULT failingGetTag(FMOD_SOUND*, const char*, int, FMOD_TAG*) {
    return FMOD_ERR_INVALID_HANDLE;
}

class NowPlaying : public ::testing::Test {
  protected:
    void SetUp() override {
        audioEngine = AudioEngine{};
        audioEngine.soundGetNumTags = fakeGetNumTags;
        audioEngine.soundGetTag = fakeGetTag;
        fakeTags.clear();
        messages = Messages{};
        messages.msgWelcome = u"~ Welcome ~ 1.08.3";
        messages.msgListening = u"You are listening ";
        messages.msgUnreachable = u" seems to be unable, please retry later";
        messages.msgAdvert = u"Ad";
        clearStations(catalogue);
        addStation(catalogue) = {u"http://a/", u"(Pop) Radio X"};
        playerState = PlayerState{};
        screenText.clear();
        nowPlaying.clear();
        stationLabel.clear();
        rotationTick = 0;
    }
    void TearDown() override { audioEngine = AudioEngine{}; }
};

TEST_F(NowPlaying, TagsMakeTheLine) {
    const struct {
        const char* name;
        std::vector<FakeTag> tags;
        Text expected;
    } cases[] = {
        {"only artist", {{"ARTIST", "Alice"}}, u"Alice - "},
        {"only title", {{"TITLE", "Song"}}, u" - Song"},
        {"both", {{"TITLE", "Song"}, {"ARTIST", "Alice"}}, u"Alice - Song"},
        {"none of the eight names", {{"ALBUM", "x"}, {"GENRE", "y"}}, u"You are listening  Radio X"},
        {"lower-case names match", {{"artist", "A"}, {"Title", "T"}}, u"A - T"},
        {"ID3v2.3 names", {{"TPE1", "A"}, {"TIT2", "T"}}, u"A - T"},
        {"ID3v2.2 names", {{"TP1", "A"}, {"TT2", "T"}}, u"A - T"},
        {"band and group names", {{"TPE2", "A"}, {"TIT1", "T"}}, u"A - T"},
        {"Commercial Break in the artist", {{"ARTIST", "Commercial Break"}, {"TITLE", "x"}}, u"Ad"},
        {"Commercial Break in the title", {{"ARTIST", "a"}, {"TITLE", "-- Commercial Break --"}}, u"Ad"},
        {"the marker is case-sensitive", {{"TITLE", "commercial break"}}, u" - commercial break"},
        {"first non-empty wins",
         {{"ARTIST", ""}, {"ARTIST", "Bob"}, {"TPE1", "Carol"}, {"TITLE", "One"}, {"TIT2", "Two"}},
         u"Bob - One"},
        {"UTF-16 data yields its first letter", {{"TITLE", std::string("T\0i\0t\0", 6)}}, u" - T"},
        {"data length shorter than the text", {{"ARTIST", "Alphabet", 5}}, u"Alpha - "},
        {"data ends at a NUL", {{"ARTIST", std::string("Ab\0cd", 5)}}, u"Ab - "},
        {"data is UTF-8", {{"ARTIST", "Caf\xC3\xA9"}, {"TITLE", "\xE2\x82\xAC"}}, u"Caf\u00E9 - \u20AC"},
        {"the last tag's verdict stands", {{"ALBUM", "x"}, {"ARTIST", "A"}}, u"A - "},
        {"an advert stays an advert", {{"ARTIST", "Commercial Break"}, {"GENRE", "x"}}, u"Ad"},
    };
    for (const auto& c : cases) {
        fakeTags = c.tags;
        nowPlaying = u"previous";
        readNowPlaying(nullptr);
        EXPECT_EQ(nowPlaying, c.expected) << c.name;
    }
}

TEST_F(NowPlaying, NoTagsKeepsThePreviousLine) {
    nowPlaying = u"Old Artist - Old Title";
    readNowPlaying(nullptr);
    EXPECT_EQ(nowPlaying, u"Old Artist - Old Title");
}

TEST_F(NowPlaying, NamelessLineRecomputesTheStationLabel) {
    fakeTags = {{"ALBUM", "x"}};
    readNowPlaying(nullptr);
    EXPECT_EQ(stationLabel, u" Radio X");

    clearStations(catalogue);
    stationLabel = u"stale";
    readNowPlaying(nullptr);
    EXPECT_EQ(stationLabel, u"");
    EXPECT_EQ(nowPlaying, u"You are listening ");
}

TEST_F(NowPlaying, FailedTagFetchReadsAsANamelessTag) {
    fakeTags = {{"ARTIST", "A"}};
    audioEngine.soundGetTag = failingGetTag;
    readNowPlaying(nullptr);
    EXPECT_EQ(nowPlaying, u"You are listening  Radio X");
}

TEST_F(NowPlaying, MissingEntryPointsAreNeverCalled) {
    audioEngine = AudioEngine{};
    nowPlaying = u"kept";
    readNowPlaying(nullptr);
    EXPECT_EQ(nowPlaying, u"kept");
    startAudioEngine();
    shutdownAudio();
    FMOD_SOUND* sound = nullptr;
    EXPECT_NE(engineSystemCreateStream(nullptr, "http://x/", FMOD_CREATESTREAM, nullptr, &sound), FMOD_OK);
    EXPECT_EQ(sound, nullptr);
}

TEST_F(NowPlaying, RotationAlternatesTitleAndStationLine) {
    playerState.isPlaying = 1;
    nowPlaying = u"Artist - Title";
    const Text station = u"You are listening  Radio X";
    // After a start: six ticks of title, two of station line, then five and two for ever.
    const std::vector<Text> expected = {
        nowPlaying, nowPlaying, nowPlaying, nowPlaying, nowPlaying, nowPlaying, station, station,
        nowPlaying, nowPlaying, nowPlaying, nowPlaying, nowPlaying, station,    station, nowPlaying,
        nowPlaying, nowPlaying, nowPlaying, nowPlaying, station,    station};
    const std::vector<int> ticks = {1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 1};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        rotateScreenText();
        EXPECT_EQ(screenText, expected[i]) << "tick " << i;
        EXPECT_EQ(rotationTick, ticks[i]) << "tick " << i;
    }
}

TEST_F(NowPlaying, ShortLinesAndFailuresHoldTheRotation) {
    const struct {
        const char* name;
        Text line;
        std::uint8_t failed;
        bool advances;
    } cases[] = {
        {"5 characters", u"12345", 0, false},
        {"6 characters", u"123456", 0, true},
        {"English advert", u"Ad", 0, false},
        {"German advert", u"Werbung", 0, true},
        {"failed stream", u"Artist - Title", 1, false},
    };
    for (const auto& c : cases) {
        playerState.isPlaying = 1;
        playerState.streamFailed = c.failed;
        nowPlaying = c.line;
        screenText = u"before";
        rotationTick = 0;
        rotateScreenText();
        EXPECT_EQ(screenText, c.advances ? c.line : Text(u"before")) << c.name;
        EXPECT_EQ(rotationTick, c.advances ? 1 : 0) << c.name;
    }
}

TEST_F(NowPlaying, AdvertShowsOnlyInLanguagesWithALongEnoughWord) {
    const struct {
        const char16_t* code;
        bool shown;
    } cases[] = {{u"US", false}, {u"FR", false}, {u"ES", true}, {u"DE", true}};
    for (const auto& c : cases) {
        loadMessages(c.code);
        playerState.isPlaying = 1;
        fakeTags = {{"ARTIST", "Commercial Break"}};
        readNowPlaying(nullptr);
        EXPECT_EQ(nowPlaying, messages.msgAdvert) << std::string(c.code, c.code + 2);
        screenText = u"Artist - Title";
        rotationTick = 0;
        rotateScreenText();
        EXPECT_EQ(screenText, c.shown ? messages.msgAdvert : Text(u"Artist - Title"))
            << std::string(c.code, c.code + 2);
    }
}

TEST_F(NowPlaying, StoppedShowsWelcomeAndFailureAlternates) {
    nowPlaying = u"Artist - Title";
    rotationTick = 3;
    rotateScreenText();
    EXPECT_EQ(screenText, messages.msgWelcome);
    EXPECT_EQ(rotationTick, 3);
    refreshTags();
    EXPECT_EQ(screenText, messages.msgWelcome);

    playerState.streamFailed = 1;
    const Text failure = u" Radio X seems to be unable, please retry later";
    for (int round = 0; round < 3; ++round) {
        refreshTags();
        EXPECT_EQ(screenText, failure);
        rotateScreenText();
        EXPECT_EQ(screenText, messages.msgWelcome);
    }
}

TEST_F(NowPlaying, FailureTextWithAnEmptyCatalogue) {
    clearStations(catalogue);
    stationLabel = u"stale";
    playerState.streamFailed = 1;
    refreshTags();
    EXPECT_EQ(stationLabel, u"");
    EXPECT_EQ(screenText, messages.msgUnreachable);
}

TEST_F(NowPlaying, PlayingScreenIsLeftToTheRotation) {
    playerState.isPlaying = 1;
    fakeTags = {{"ARTIST", "A"}, {"TITLE", "T"}};
    screenText = u"shown";
    refreshTags();
    EXPECT_EQ(screenText, u"shown");
    EXPECT_EQ(nowPlaying, u"A - T");
}

TEST_F(NowPlaying, StationLabelFollowsTheCursor) {
    addStation(catalogue) = {u"http://b/", u"No genre"};
    recomputeStationLabel();
    EXPECT_EQ(stationLabel, u"No genre");
    selectStation(catalogue, 0);
    recomputeStationLabel();
    EXPECT_EQ(stationLabel, u" Radio X");
    selectStation(catalogue, 9);
    recomputeStationLabel();
    EXPECT_EQ(stationLabel, u"");
}

} // namespace
