// What the LCD says: the now-playing line built from the stream's tags, and its rotation with the
// station line on timers 1 and 2. Owns screenText, which the screen renderer draws every loop pass.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "engine/fmodex.h"

extern Text screenText;
extern Text nowPlaying;
extern std::int32_t rotationTick;
extern Text stationLabel;

// labelOf the catalogue's current entry; empty when there is none.
void recomputeStationLabel();

void readNowPlaying(FMOD_SOUND* sound);
void refreshTags();      // timer 1, every 1.5 s
void rotateScreenText(); // timer 2, every 2 s
