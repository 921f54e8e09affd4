// End-to-end tests of libfmodex.so through its sixteen entry points, against the stream server of
// fixtures/stream_server.py on a free loopback port: opening and its failures, tags and their
// encodings, volume, stop, reconnection, playlists, and handle checking. Audio is captured as raw PCM
// through TUNDREL_AUDIO_OUT=file:PATH.
#include "engine_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace enginetest;

namespace {

Media media;
StreamServer server;

struct ServerEnvironment : ::testing::Environment {
    void SetUp() override {
        media.make();
        server.start(media);
    }
    void TearDown() override {
        server.stop();
        media.remove();
    }
};
const auto* environment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

fs::path capturePath(const std::string& name) { return media.dir / (name + ".raw"); }

std::string escaped(const std::string& text) {
    std::string out;
    char buf[4];
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

constexpr double kQuiet = 0.01;  // RMS below this is silence; the fixture tone is about 0.35

} // namespace

TEST(EngineLibrary, ExportsOnlyTheSixteenEntryPoints) {
    std::string command = std::string("nm -D --defined-only ") + TUNDREL_BIN_DIR + "/libfmodex.so";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        char kind[8], name[400];
        if (std::sscanf(line, "%*s %7s %399s", kind, name) == 2) exported.insert(name);
    }
    pclose(pipe);
    std::set<std::string> expected = {
        "FMOD_System_Create",     "FMOD_System_Init",        "FMOD_System_CreateStream",
        "FMOD_System_PlaySound",  "FMOD_Sound_Release",      "FMOD_Channel_SetVolume",
        "FMOD_Channel_SetPaused", "FMOD_Channel_GetPaused",  "FMOD_Channel_Stop",
        "FMOD_System_Release",    "FMOD_Channel_GetPosition", "FMOD_Channel_SetPosition",
        "FMOD_Sound_GetLength",   "FMOD_Sound_GetNumTags",   "FMOD_Sound_GetTag",
        "FMOD_Channel_GetSpectrum"};
    EXPECT_EQ(exported, expected);
}

// --- Opening: what must fail, fails with a non-zero result, soon, and writes no sound handle.

struct BadOpen {
    const char* label;
    std::string url;  // "{port}" stands for the stream server, "{closed}" for a port nobody listens on
    double limitSeconds;
};

void PrintTo(const BadOpen& open, std::ostream* out) { *out << open.label; }

class EngineBadOpen : public ::testing::TestWithParam<BadOpen> {};

TEST_P(EngineBadOpen, FailsCleanlyWithinTheBound) {
    std::string url = GetParam().url;
    if (auto at = url.find("{port}"); at != std::string::npos) url.replace(at, 6, std::to_string(server.port));
    if (auto at = url.find("{closed}"); at != std::string::npos) {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        close(s);  // the port is free again, and nothing listens there
        url.replace(at, 8, std::to_string(ntohs(a.sin_port)));
    }
    Engine engine(capturePath(GetParam().label));
    FMOD_SOUND* sound = reinterpret_cast<FMOD_SOUND*>(0x1);
    auto start = std::chrono::steady_clock::now();
    FMOD_RESULT result = engine.open(url, &sound);
    double took = secondsSince(start);
    EXPECT_NE(result, FMOD_OK) << url;
    EXPECT_EQ(sound, nullptr);
    EXPECT_LT(took, GetParam().limitSeconds) << url;
    EXPECT_EQ(engine.capture.bytes(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EngineBadOpen,
    ::testing::Values(BadOpen{"refused", "http://127.0.0.1:{closed}/stream.mp3", 3},
                      BadOpen{"not_found", "http://127.0.0.1:{port}/status/404", 3},
                      BadOpen{"forbidden", "http://127.0.0.1:{port}/status/403", 3},
                      BadOpen{"server_error", "http://127.0.0.1:{port}/status/500", 3},
                      BadOpen{"html_page", "http://127.0.0.1:{port}/page.html", 5},
                      BadOpen{"random_bytes", "http://127.0.0.1:{port}/noise", 5},
                      BadOpen{"no_answer", "http://127.0.0.1:{port}/stall", 11.5},
                      BadOpen{"headers_then_nothing", "http://127.0.0.1:{port}/stall-body", 11.5},
                      BadOpen{"empty", "", 1}, BadOpen{"word", "error", 1},
                      BadOpen{"path", "/etc/passwd", 1}, BadOpen{"file_url", "file:///etc/passwd", 1},
                      BadOpen{"other_scheme", "ftp://127.0.0.1/x.mp3", 1},
                      BadOpen{"no_host", "http:///stream.mp3", 1},
                      BadOpen{"control_character", "http://127.0.0.1:{port}/stream.mp3\n", 1}),
    [](const auto& info) { return std::string(info.param.label); });

// --- Playing: each of these opens, plays non-silent audio, and reports the expected artist and title.

struct GoodStream {
    const char* label;
    std::string path;
    std::string artist;  // "" = no artist tag expected
    std::string title;
};

void PrintTo(const GoodStream& stream, std::ostream* out) { *out << stream.label; }

class EngineStream : public ::testing::TestWithParam<GoodStream> {};

TEST_P(EngineStream, PlaysAudioAndReportsArtistAndTitle) {
    Engine engine(capturePath(GetParam().label));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url(GetParam().path), &sound), FMOD_OK) << GetParam().path;
    ASSERT_NE(sound, nullptr);
    engine.play(sound);
    std::map<std::string, std::string> tags;
    EXPECT_TRUE(waitFor(6s, [&] {
        tags = readTags(sound);
        return tags["TITLE"] == GetParam().title;
    })) << "TITLE is \"" << tags["TITLE"] << "\"";
    if (GetParam().artist.empty())
        EXPECT_EQ(tags.count("ARTIST"), 0u) << tags["ARTIST"];
    else
        EXPECT_EQ(tags["ARTIST"], GetParam().artist);
    ASSERT_TRUE(waitFor(8s, [&] { return engine.capture.seconds() >= 2.5; }));
    EXPECT_GT(engine.capture.rms(1.0, 2.5), kQuiet);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, EngineStream,
    ::testing::Values(
        GoodStream{"icy_utf8", "/stream.mp3?enc=utf8&titles=" + escaped("Café Zoë - Ça va"), "Café Zoë", "Ça va"},
        GoodStream{"icy_latin1", "/stream.mp3?enc=latin1&titles=" + escaped("Café Zoë - Ça va"), "Café Zoë",
                   "Ça va"},
        GoodStream{"icy_windows1252", "/stream.mp3?enc=cp1252&titles=" + escaped("Beyoncé – “Halo” €"),
                   "", "Beyoncé – “Halo” €"},
        GoodStream{"icy_quotes", "/stream.mp3?titles=" + escaped("Guns N' Roses - Don't Cry"), "Guns N' Roses",
                   "Don't Cry"},
        GoodStream{"icy_no_dash", "/stream.mp3?titles=" + escaped("Station Jingle"), "", "Station Jingle"},
        GoodStream{"icy_two_dashes", "/stream.mp3?titles=" + escaped("A - B - C"), "A", "B - C"},
        GoodStream{"icy_status_line", "/stream.mp3?status=icy&titles=" + escaped("Old Server - Still Fine"),
                   "Old Server", "Still Fine"},
        GoodStream{"pls_playlist", "/list.pls?titles=" + escaped("Pls Artist - Pls Title"), "Pls Artist",
                   "Pls Title"},
        GoodStream{"m3u_playlist", "/list.m3u?titles=" + escaped("M3u Artist - M3u Title"), "M3u Artist",
                   "M3u Title"},
        GoodStream{"id3v23", "/files/id3v23.mp3", "Id3 Artist", "Id3 Title"},
        GoodStream{"id3v22", "/files/id3v22.mp3", "Old Artist", "Old Title"},
        GoodStream{"vorbis_comments", "/files/vorbis.ogg", "Vorbis Artist", "Vorbis Title"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(EngineStreams, HlsPlaysLikeAPlainStream) {
    Engine engine(capturePath("hls"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/files/hls.m3u8"), &sound), FMOD_OK);
    engine.play(sound);
    ASSERT_TRUE(waitFor(8s, [&] { return engine.capture.seconds() >= 2.5; }));
    EXPECT_GT(engine.capture.rms(1.0, 2.5), kQuiet);
}

// --- Titles follow the audio: the second title shows when its audio plays, not when it arrives.

TEST(EngineStreams, NewTitleReplacesTheOldWhenItsAudioPlays) {
    Engine engine(capturePath("title_change"));
    FMOD_SOUND* sound = nullptr;
    std::string path = "/stream.mp3?every=5&titles=" + escaped("First Artist - First Song|Second Artist - Second Song");
    ASSERT_EQ(engine.open(server.url(path), &sound), FMOD_OK);
    engine.play(sound);
    std::map<std::string, std::string> tags;
    ASSERT_TRUE(waitFor(4s, [&] { return (tags = readTags(sound))["TITLE"] == "First Song"; }));
    EXPECT_EQ(tags["ARTIST"], "First Artist");
    // The server sends the second title with the audio at 5 s, a second ahead of real time (its burst).
    double heardWhenChanged = -1;
    ASSERT_TRUE(waitFor(10s, [&] {
        tags = readTags(sound);
        heardWhenChanged = engine.capture.seconds();
        return tags["TITLE"] == "Second Song";
    })) << tags["TITLE"];
    EXPECT_EQ(tags["ARTIST"], "Second Artist");
    EXPECT_GT(heardWhenChanged, 4.0);
    EXPECT_LT(heardWhenChanged, 6.5);
}

// --- Volume, stop, pause.

TEST(EngineStreams, QuarterVolumeIsTwelveDecibelsQuieter) {
    double level[2];
    const float volumes[2] = {1.0f, 0.25f};
    for (int i = 0; i < 2; ++i) {
        Engine engine(capturePath("volume" + std::to_string(i)));
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(engine.open(server.url("/stream.mp3"), &sound), FMOD_OK);
        FMOD_CHANNEL* channel = engine.play(sound);
        ASSERT_EQ(FMOD_Channel_SetVolume(channel, volumes[i]), FMOD_OK);
        ASSERT_TRUE(waitFor(8s, [&] { return engine.capture.seconds() >= 3.0; }));
        level[i] = engine.capture.rms(1.0, 3.0);
    }
    ASSERT_GT(level[1], 0.0);
    double decibels = 20.0 * std::log10(level[0] / level[1]);
    EXPECT_NEAR(decibels, 12.04, 1.0);
}

TEST(EngineStreams, StopEndsTheAudioAndClosesTheConnection) {
    Engine engine(capturePath("stop"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=stop"), &sound), FMOD_OK);
    FMOD_CHANNEL* channel = engine.play(sound);
    ASSERT_TRUE(waitFor(6s, [&] { return engine.capture.seconds() >= 1.5; }));
    ASSERT_EQ(FMOD_Channel_Stop(channel), FMOD_OK);
    std::this_thread::sleep_for(300ms);
    auto afterStop = engine.capture.bytes();
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(engine.capture.bytes(), afterStop);
    EXPECT_TRUE(waitFor(3s, [&] { return server.counter("open", "stop") == 0; }));
    // The stopped channel is gone; the sound keeps its last tags for a late read.
    EXPECT_EQ(FMOD_Channel_Stop(channel), FMOD_ERR_INVALID_HANDLE);
    int count = -1;
    EXPECT_EQ(FMOD_Sound_GetNumTags(sound, &count, nullptr), FMOD_OK);
}

TEST(EngineStreams, PlayingAStoppedSoundAgainReopensIt) {
    Engine engine(capturePath("replay"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=replay"), &sound), FMOD_OK);
    ASSERT_EQ(FMOD_Channel_Stop(engine.play(sound)), FMOD_OK);
    ASSERT_TRUE(waitFor(3s, [&] { return server.counter("open", "replay") == 0; }));
    auto before = engine.capture.bytes();
    engine.play(sound);
    EXPECT_TRUE(waitFor(8s, [&] { return engine.capture.bytes() > before + 2 * kBytesPerSecond; }));
    EXPECT_EQ(server.counter("open", "replay"), 1);
}

TEST(EngineStreams, SecondPlayOnABusyChannelStopsTheFirst) {
    Engine engine(capturePath("busy"));
    FMOD_SOUND* first = nullptr;
    FMOD_SOUND* second = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=busy1"), &first), FMOD_OK);
    FMOD_CHANNEL* firstChannel = engine.play(first);
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=busy2"), &second), FMOD_OK);
    FMOD_CHANNEL* secondChannel = engine.play(second);
    EXPECT_NE(secondChannel, nullptr);
    EXPECT_EQ(FMOD_Channel_SetVolume(firstChannel, 0.5f), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetVolume(secondChannel, 0.5f), FMOD_OK);
    EXPECT_TRUE(waitFor(3s, [&] { return server.counter("open", "busy1") == 0; }));
    EXPECT_EQ(server.counter("open", "busy2"), 1);
}

TEST(EngineStreams, PauseHoldsTheAudioAndPositionAdvancesWhilePlaying) {
    Engine engine(capturePath("pause"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3"), &sound), FMOD_OK);
    FMOD_CHANNEL* channel = engine.play(sound);
    ASSERT_TRUE(waitFor(6s, [&] { return engine.capture.seconds() >= 1.5; }));
    unsigned int position = 0;
    EXPECT_EQ(FMOD_Channel_GetPosition(channel, &position, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_GT(position, 500u);
    ASSERT_EQ(FMOD_Channel_SetPaused(channel, 1), FMOD_OK);
    FMOD_BOOL paused = 0;
    EXPECT_EQ(FMOD_Channel_GetPaused(channel, &paused), FMOD_OK);
    EXPECT_EQ(paused, 1);
    std::this_thread::sleep_for(400ms);
    auto held = engine.capture.bytes();
    std::this_thread::sleep_for(1000ms);
    EXPECT_EQ(engine.capture.bytes(), held);
    ASSERT_EQ(FMOD_Channel_SetPaused(channel, 0), FMOD_OK);
    EXPECT_TRUE(waitFor(3s, [&] { return engine.capture.bytes() > held + kBytesPerSecond / 2; }));
    unsigned int length = 0;
    EXPECT_EQ(FMOD_Sound_GetLength(sound, &length, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_EQ(length, 0xFFFFFFFFu);  // live radio has no end
    float spectrum[64];
    EXPECT_EQ(FMOD_Channel_GetSpectrum(channel, spectrum, 64, 0, 0), FMOD_ERR_UNSUPPORTED);
}

// --- Faults while playing.

TEST(EngineStreams, DroppedStreamIsReconnectedAndAudioResumes) {
    Engine engine(capturePath("drop"));
    FMOD_SOUND* sound = nullptr;
    // The first connection ends after 3 s of audio; the next ones play on.
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=drop&cut=3&titles=" + escaped("Back - Again")), &sound),
              FMOD_OK);
    engine.play(sound);
    ASSERT_TRUE(waitFor(8s, [&] { return server.counter("count", "drop") >= 2; }));
    double atReconnect = engine.capture.seconds();
    ASSERT_TRUE(waitFor(6s, [&] { return engine.capture.seconds() >= atReconnect + 2.0; }));
    EXPECT_GT(engine.capture.rms(atReconnect + 0.5, atReconnect + 2.0), kQuiet);
    EXPECT_EQ(readTags(sound)["TITLE"], "Again");
}

TEST(EngineStreams, ReconnectionGivesUpOnAClientErrorAnswer) {
    Engine engine(capturePath("give_up"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=gone&cut=1&after=404"), &sound), FMOD_OK);
    engine.play(sound);
    ASSERT_TRUE(waitFor(6s, [&] { return server.counter("count", "gone") >= 2; }));
    std::this_thread::sleep_for(5s);  // backoff would have retried at least twice by now
    EXPECT_EQ(server.counter("count", "gone"), 2);
}

TEST(EngineStreams, HttpsPlaysAndReconnectionGivesUpOnAFailedHandshake) {
    Engine engine(capturePath("tls"));
    FMOD_SOUND* sound = nullptr;
    std::string url = "https://127.0.0.1:" + std::to_string(server.tlsPort) + "/stream.mp3?cut=2&titles=" +
                      escaped("Secure - Song");
    ASSERT_EQ(engine.open(url, &sound), FMOD_OK);
    engine.play(sound);
    EXPECT_TRUE(waitFor(4s, [&] { return readTags(sound)["TITLE"] == "Song"; }));
    // The cut comes after 2 s of audio; the reconnect meets a server that does not speak TLS.
    ASSERT_TRUE(waitFor(12s, [&] { return server.counter("count", "tls-accepts") >= 2; }));
    std::this_thread::sleep_for(5s);  // backoff would have retried at least twice by now
    EXPECT_EQ(server.counter("count", "tls-accepts"), 2);
}

TEST(EngineStreams, ReconnectionKeepsTryingAfterAServerError) {
    Engine engine(capturePath("keep_trying"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3?id=busy_server&cut=1&after=503"), &sound), FMOD_OK);
    engine.play(sound);
    // Drop at about 0 s (burst) and retries 1 s, 2 s and 4 s apart.
    EXPECT_TRUE(waitFor(12s, [&] { return server.counter("count", "busy_server") >= 4; }));
}

// --- Handles: null, made-up and stale handles get errors, never a crash.

TEST(EngineHandles, NullAndMadeUpHandlesGiveErrors) {
    for (void* handle : {static_cast<void*>(nullptr), reinterpret_cast<void*>(0x12345), reinterpret_cast<void*>(-1)}) {
        auto* system = static_cast<FMOD_SYSTEM*>(handle);
        auto* sound = static_cast<FMOD_SOUND*>(handle);
        auto* channel = static_cast<FMOD_CHANNEL*>(handle);
        FMOD_SOUND* newSound = nullptr;
        FMOD_CHANNEL* newChannel = nullptr;
        unsigned int u = 0;
        int n = 0;
        FMOD_BOOL b = 0;
        FMOD_TAG tag{};
        float spectrum[8];
        EXPECT_NE(FMOD_System_Init(system, 2, 0, nullptr), FMOD_OK);
        EXPECT_NE(FMOD_System_CreateStream(system, "http://127.0.0.1:1/", 0x80, nullptr, &newSound), FMOD_OK);
        EXPECT_NE(FMOD_System_PlaySound(system, 1, sound, 0, &newChannel), FMOD_OK);
        EXPECT_NE(FMOD_Sound_Release(sound), FMOD_OK);
        EXPECT_NE(FMOD_Channel_SetVolume(channel, 0.5f), FMOD_OK);
        EXPECT_NE(FMOD_Channel_SetPaused(channel, 1), FMOD_OK);
        EXPECT_NE(FMOD_Channel_GetPaused(channel, &b), FMOD_OK);
        EXPECT_NE(FMOD_Channel_Stop(channel), FMOD_OK);
        EXPECT_NE(FMOD_System_Release(system), FMOD_OK);
        EXPECT_NE(FMOD_Channel_GetPosition(channel, &u, FMOD_TIMEUNIT_MS), FMOD_OK);
        EXPECT_NE(FMOD_Channel_SetPosition(channel, 0, FMOD_TIMEUNIT_MS), FMOD_OK);
        EXPECT_NE(FMOD_Sound_GetLength(sound, &u, FMOD_TIMEUNIT_MS), FMOD_OK);
        EXPECT_NE(FMOD_Sound_GetNumTags(sound, &n, nullptr), FMOD_OK);
        EXPECT_NE(FMOD_Sound_GetTag(sound, nullptr, 0, &tag), FMOD_OK);
        EXPECT_NE(FMOD_Channel_GetSpectrum(channel, spectrum, 8, 0, 0), FMOD_OK);
        EXPECT_EQ(newSound, nullptr);
        EXPECT_EQ(newChannel, nullptr);
    }
    EXPECT_NE(FMOD_System_Create(nullptr), FMOD_OK);
}

TEST(EngineHandles, StaleHandlesGiveErrorsAfterRelease) {
    FMOD_SYSTEM* system = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    FMOD_SOUND* sound = nullptr;
    EXPECT_EQ(FMOD_System_CreateStream(system, server.url("/stream.mp3").c_str(), 0x80, nullptr, &sound),
              FMOD_ERR_UNINITIALIZED);
    setenv("TUNDREL_AUDIO_OUT", "null", 1);
    ASSERT_EQ(FMOD_System_Init(system, 2, 0, nullptr), FMOD_OK);
    ASSERT_EQ(FMOD_System_CreateStream(system, server.url("/stream.mp3").c_str(), 0x80, nullptr, &sound), FMOD_OK);
    FMOD_CHANNEL* channel = nullptr;
    EXPECT_EQ(FMOD_System_PlaySound(system, 2, sound, 0, &channel), FMOD_ERR_INVALID_PARAM);  // two channels: 0, 1
    ASSERT_EQ(FMOD_System_PlaySound(system, 1, sound, 0, &channel), FMOD_OK);
    ASSERT_EQ(FMOD_Sound_Release(sound), FMOD_OK);
    int n = 0;
    EXPECT_EQ(FMOD_Sound_GetNumTags(sound, &n, nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetVolume(channel, 0.5f), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_PlaySound(system, 1, sound, 0, &channel), FMOD_ERR_INVALID_HANDLE);
    ASSERT_EQ(FMOD_System_Release(system), FMOD_OK);
    EXPECT_EQ(FMOD_System_Release(system), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_Init(system, 2, 0, nullptr), FMOD_ERR_INVALID_HANDLE);
}

TEST(EngineHandles, TagPointersStayValidUntilTheNextCount) {
    Engine engine(capturePath("tag_lifetime"));
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(engine.open(server.url("/stream.mp3?every=1&titles=" + escaped("A - One|B - Two|C - Three")), &sound),
              FMOD_OK);
    engine.play(sound);
    int count = 0;
    ASSERT_EQ(FMOD_Sound_GetNumTags(sound, &count, nullptr), FMOD_OK);
    std::vector<FMOD_TAG> tags(count);
    for (int i = 0; i < count; ++i) ASSERT_EQ(FMOD_Sound_GetTag(sound, nullptr, i, &tags[i]), FMOD_OK);
    std::vector<std::string> copies;
    for (auto& t : tags) copies.emplace_back(static_cast<char*>(t.data), t.datalen);
    std::this_thread::sleep_for(2500ms);  // titles move on meanwhile
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(std::string(static_cast<char*>(tags[i].data), tags[i].datalen), copies[i]);
        EXPECT_EQ(static_cast<char*>(tags[i].data)[tags[i].datalen], '\0');
    }
    FMOD_TAG missing{};
    EXPECT_NE(FMOD_Sound_GetTag(sound, nullptr, count, &missing), FMOD_OK);
    EXPECT_NE(FMOD_Sound_GetTag(sound, nullptr, -1, &missing), FMOD_OK);
}

// --- Output: without TUNDREL_AUDIO_OUT the desktop device is used; with no working device the stream
// still plays (silently, in real time) rather than failing or hanging.

TEST(EngineOutput, DefaultDeviceOrItsFallbackPlays) {
    unsetenv("TUNDREL_AUDIO_OUT");
    FMOD_SYSTEM* system = nullptr;
    FMOD_System_Create(&system);
    FMOD_System_Init(system, 2, 0, nullptr);
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(FMOD_System_CreateStream(system, server.url("/stream.mp3").c_str(), 0x80, nullptr, &sound), FMOD_OK);
    FMOD_CHANNEL* channel = nullptr;
    ASSERT_EQ(FMOD_System_PlaySound(system, 1, sound, 0, &channel), FMOD_OK);
    FMOD_Channel_SetVolume(channel, 0.0f);  // no noise on a developer's speakers
    unsigned int position = 0;
    EXPECT_TRUE(waitFor(6s, [&] {
        FMOD_Channel_GetPosition(channel, &position, FMOD_TIMEUNIT_MS);
        return position > 1500;
    })) << position;
    EXPECT_EQ(FMOD_System_Release(system), FMOD_OK);
}
