#include "playback/now_playing.h"

#include <cstring>

#include "playback/audio_engine.h"
#include "playback/player_state.h"
#include "settings/messages.h"
#include "stations/station_list.h"

Text screenText;
Text nowPlaying;
std::int32_t rotationTick = 0;
Text stationLabel;

namespace {

bool isOneOf(const Text& name, std::initializer_list<std::u16string_view> names) {
    for (auto candidate : names)
        if (name == candidate) return true;
    return false;
}

// Tag data is read as UTF-8 whatever its declared type: UTF-16 Latin text ends at its first NUL.
Text tagText(const FMOD_TAG& tag) {
    if (!tag.data) return Text();
    return decodeUtf8(static_cast<const char*>(tag.data), tag.datalen);
}

Text tagName(const FMOD_TAG& tag) {
    if (!tag.name) return Text();
    return upperCaseAscii(decodeUtf8(tag.name, std::strlen(tag.name)));
}

} // namespace

void recomputeStationLabel() {
    const Station* current = currentStation(catalogue);
    stationLabel = current ? labelOf(current->name) : Text();
}

void readNowPlaying(FMOD_SOUND* sound) {
    int count = 0;
    engineSoundGetNumTags(sound, &count, nullptr);
    Text artist, title;
    for (int index = 0; index < count; ++index) {
        // A fresh record per tag: a failed fetch then reads as a nameless tag, never as stale pointers.
        FMOD_TAG tag{};
        engineSoundGetTag(sound, nullptr, index, &tag);
        Text name = tagName(tag);
        if (isOneOf(name, {u"ARTIST", u"TPE1", u"TPE2", u"TP1"})) {
            if (artist.empty()) artist = tagText(tag);
        } else if (isOneOf(name, {u"TITLE", u"TIT1", u"TIT2", u"TT2"})) {
            if (title.empty()) title = tagText(tag);
        }
        // Judged after every tag; the last tag's verdict stands.
        nowPlaying = artist + u" - " + title;
        if (contains(nowPlaying, u"Commercial Break")) {
            nowPlaying = messages.msgAdvert;
        } else if (nowPlaying == u" - ") {
            recomputeStationLabel();
            nowPlaying = messages.msgListening + stationLabel;
        }
    }
}

void refreshTags() {
    readNowPlaying(playerState.currentSound);
    if (playerState.streamFailed == 1) {
        recomputeStationLabel();
        screenText = stationLabel + messages.msgUnreachable;
    } else if (playerState.isPlaying == 0) {
        screenText = messages.msgWelcome;
    }
}

void rotateScreenText() {
    if (playerState.isPlaying == 0) {
        screenText = messages.msgWelcome;
        return;
    }
    // Too short a line (the two-letter advert marker) keeps whatever the screen shows.
    if (nowPlaying.size() < 6 || playerState.streamFailed == 1) return;
    switch (rotationTick) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        screenText = nowPlaying;
        break;
    case 6:
        recomputeStationLabel();
        screenText = messages.msgListening + stationLabel;
        break;
    default:
        // 7 ends the cycle; the station line stays one more tick.
        rotationTick = 0;
        break;
    }
    ++rotationTick;
}
