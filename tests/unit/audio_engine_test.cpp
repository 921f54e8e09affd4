#include <gtest/gtest.h>

#include "playback/audio_engine.h"
#include "playback/now_playing.h"
#include "playback/player_state.h"
#include "settings/messages.h"
#include "stations/station_list.h"

namespace {

// LD_LIBRARY_PATH points at a libfmodex.so that exports only System_Create and Sound_GetNumTags.
TEST(PartialEngine, MissingEntryPointsStayNullAndAreNeverCalled) {
    ASSERT_TRUE(loadAudioEngine());
    EXPECT_NE(audioEngine.library, nullptr);
    EXPECT_NE(audioEngine.systemCreate, nullptr);
    EXPECT_NE(audioEngine.soundGetNumTags, nullptr);
    EXPECT_EQ(audioEngine.systemInit, nullptr);
    EXPECT_EQ(audioEngine.systemCreateStream, nullptr);
    EXPECT_EQ(audioEngine.soundGetTag, nullptr);
    EXPECT_EQ(audioEngine.channelStop, nullptr);
    EXPECT_EQ(audioEngine.systemRelease, nullptr);

    startAudioEngine();
    EXPECT_NE(playerState.audioSystem, nullptr);

    FMOD_SOUND* sound = nullptr;
    EXPECT_EQ(engineSystemCreateStream(playerState.audioSystem, "http://127.0.0.1:1/", FMOD_CREATESTREAM,
                                       nullptr, &sound),
              engineMissing);
    EXPECT_EQ(sound, nullptr);
    FMOD_CHANNEL* channel = nullptr;
    EXPECT_EQ(engineSystemPlaySound(playerState.audioSystem, 1, sound, 0, &channel), engineMissing);
    EXPECT_EQ(engineChannelSetVolume(channel, 0.5f), engineMissing);

    // Two tags counted, none fetchable: both read as nameless tags.
    messages.msgListening = u"You are listening ";
    clearStations(catalogue);
    addStation(catalogue) = {u"http://a/", u"(Pop) Radio X"};
    readNowPlaying(nullptr);
    EXPECT_EQ(nowPlaying, u"You are listening  Radio X");

    shutdownAudio();
    EXPECT_EQ(playerState.audioSystem, nullptr);
    unloadAudioEngine();
    EXPECT_EQ(audioEngine.library, nullptr);
    EXPECT_EQ(audioEngine.systemCreate, nullptr);
}

} // namespace
