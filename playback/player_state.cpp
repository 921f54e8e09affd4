#include "playback/player_state.h"

#include "playback/audio_engine.h"

PlayerState playerState;

void startAudioEngine() {
    engineSystemCreate(&playerState.audioSystem);
    engineSystemInit(playerState.audioSystem, 2, 0, nullptr);
}

void shutdownAudio() {
    engineChannelStop(playerState.currentChannel);
    engineSystemRelease(playerState.audioSystem);
    // The handles die with the system; nothing may use them after this.
    playerState.audioSystem = nullptr;
    playerState.currentSound = nullptr;
    playerState.currentChannel = nullptr;
}
