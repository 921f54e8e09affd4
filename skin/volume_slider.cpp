#include "skin/volume_slider.h"

#include <algorithm>
#include <cmath>

#include "platform/gui.h"
#include "playback/audio_engine.h"
#include "playback/player_state.h"
#include "settings/settings.h"
#include "skin/control_table.h"

std::int32_t volumeKnobX = 0;
std::int32_t pointerInVolume = 0;
std::int32_t volumeDragging = 0;

namespace {
constexpr int trackSlot = 10;
}

void drawVolumeKnob(int x) {
    if (!beginDrawing(volumeControl)) return;
    drawImage(trackSlot, 0, 0);
    drawImage(knobSlot, x - 5, controlHeight(volumeControl) / 2 - 6);
    endDrawing();
}

int knobPositionFor(float volume) {
    // The settings file may say NaN or Infinity; the knob then sits off the track, like any volume
    // beyond its ends, instead of an undefined conversion.
    double x = volume * 400.0;
    if (std::isnan(x)) return -1000;
    return static_cast<int>(std::lround(std::clamp(x, -1000.0, 1000.0)));
}

float volumeForPointer(int pointerX, int trackWidth, int& knobX) {
    knobX = pointerX;
    // The factor is 400, not the track's width: the right end jumps from 0.5925 to 1.
    float volume = static_cast<float>(pointerX / 4.0 / 100.0);
    if (knobX < 5) {
        volume = 0.0f;
        knobX = 5;
    } else if (knobX > trackWidth - 13) {
        volume = 1.0f;
        knobX = trackWidth - 13;
    }
    return volume;
}

void setVolumeFromPointer(int pointerX) {
    settings.volume = volumeForPointer(pointerX, controlWidth(volumeControl), volumeKnobX);
    drawVolumeKnob(volumeKnobX);
    engineChannelSetVolume(playerState.currentChannel, settings.volume);
}
