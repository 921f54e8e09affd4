// Playback state shared by stream control, the now-playing text and the volume slider.
// One thread: the event loop's.
#pragma once

#include <cstdint>

#include "engine/fmodex.h"

struct PlayerState {
    FMOD_SYSTEM* audioSystem = nullptr;
    FMOD_SOUND* currentSound = nullptr;
    FMOD_CHANNEL* currentChannel = nullptr;
    std::int32_t createResult = 0;
    std::uint8_t isPlaying = 0;
    std::uint8_t streamFailed = 0;
};

extern PlayerState playerState;

void startAudioEngine(); // System_Create + System_Init(2 channels, flags 0)
void shutdownAudio();    // Channel_Stop, then System_Release; the handles are null afterwards
