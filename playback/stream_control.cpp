#include "playback/stream_control.h"

#include "playback/audio_engine.h"
#include "playback/now_playing.h"
#include "playback/player_state.h"
#include "platform/gui.h"
#include "settings/messages.h"
#include "settings/settings.h"
#include "skin/control_table.h"
#include "stations/station_list.h"
#include "stations/station_picker.h"

namespace {

void stopChannel() { engineChannelStop(playerState.currentChannel); }

void applyVolume() { engineChannelSetVolume(playerState.currentChannel, settings.volume); }

void enterFailedState() {
    selectedUrl = u"error";
    screenText = stationLabel + messages.msgUnreachable;
    setPlayStopFace(u"PLAY");
    playerState.streamFailed = 1;
    playerState.isPlaying = 0;
}

} // namespace

Text pickerLabel() { return labelOf(pickerText(stationPicker)); }

void startStream() {
    std::string url = encodeUtf8(selectedUrl);
    playerState.currentSound = nullptr;
    playerState.createResult = engineSystemCreateStream(playerState.audioSystem, url.c_str(), FMOD_CREATESTREAM,
                                                        nullptr, &playerState.currentSound);
    rotationTick = 0;
    // A failed open leaves no sound: reading its tags or playing it would only hand the engine a
    // dead handle.
    if (playerState.createResult != FMOD_OK) return;
    readNowPlaying(playerState.currentSound);
    engineSystemPlaySound(playerState.audioSystem, 1, playerState.currentSound, 0, &playerState.currentChannel);
}

void togglePlayback() {
    if (playerState.isPlaying == 0) {
        startStream();
        if (playerState.createResult == FMOD_OK) {
            playerState.streamFailed = 0;
            setPlayStopFace(u"STOP");
            applyVolume();
            if (screenText.size() < 6) screenText = messages.msgListening + pickerLabel();
            playerState.isPlaying = 1;
        } else {
            enterFailedState();
        }
        return;
    }
    stopChannel();
    screenText = messages.msgWelcome;
    setPlayStopFace(u"PLAY");
    playerState.isPlaying = 0;
}

void changeStation() {
    if (!resolvePick()) return;
    stopChannel();
    playerState.isPlaying = 1;
    setPlayStopFace(u"STOP");
    startStream();
    if (playerState.createResult == FMOD_OK) {
        playerState.streamFailed = 0;
        applyVolume();
        return;
    }
    stopChannel();
    enterFailedState();
}
