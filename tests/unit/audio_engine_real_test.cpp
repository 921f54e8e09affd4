#include <gtest/gtest.h>

#include "playback/audio_engine.h"
#include "playback/now_playing.h"
#include "playback/player_state.h"

namespace {

// LD_LIBRARY_PATH points at the folder of the real libfmodex.so; its output goes nowhere.
TEST(RealEngine, AllSixteenEntryPointsAreFound) {
    ASSERT_TRUE(loadAudioEngine());
    const void* entryPoints[] = {
        reinterpret_cast<void*>(audioEngine.systemCreate),
        reinterpret_cast<void*>(audioEngine.systemInit),
        reinterpret_cast<void*>(audioEngine.systemCreateStream),
        reinterpret_cast<void*>(audioEngine.systemPlaySound),
        reinterpret_cast<void*>(audioEngine.soundRelease),
        reinterpret_cast<void*>(audioEngine.channelSetVolume),
        reinterpret_cast<void*>(audioEngine.channelSetPaused),
        reinterpret_cast<void*>(audioEngine.channelGetPaused),
        reinterpret_cast<void*>(audioEngine.channelStop),
        reinterpret_cast<void*>(audioEngine.systemRelease),
        reinterpret_cast<void*>(audioEngine.channelGetPosition),
        reinterpret_cast<void*>(audioEngine.channelSetPosition),
        reinterpret_cast<void*>(audioEngine.soundGetLength),
        reinterpret_cast<void*>(audioEngine.soundGetNumTags),
        reinterpret_cast<void*>(audioEngine.soundGetTag),
        reinterpret_cast<void*>(audioEngine.channelGetSpectrum),
    };
    for (std::size_t i = 0; i < std::size(entryPoints); ++i)
        EXPECT_NE(entryPoints[i], nullptr) << i;
    unloadAudioEngine();
}

TEST(RealEngine, FailedOpenAndTagsOfNoSound) {
    ASSERT_TRUE(loadAudioEngine());
    startAudioEngine();
    EXPECT_NE(playerState.audioSystem, nullptr);
    // Nothing listens on port 1: the open fails, and a tag read of no sound leaves the line alone.
    FMOD_SOUND* sound = nullptr;
    EXPECT_NE(engineSystemCreateStream(playerState.audioSystem, "http://127.0.0.1:1/none", FMOD_CREATESTREAM,
                                       nullptr, &sound),
              FMOD_OK);
    nowPlaying = u"kept line";
    readNowPlaying(nullptr);
    EXPECT_EQ(nowPlaying, u"kept line");
    shutdownAudio();
    unloadAudioEngine();
}

} // namespace
