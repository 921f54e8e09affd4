// The volume track with its knob (control 9): drawing, and the pointer handling the event loop routes
// here. Writes settings.volume and hands it to the engine at once.
#pragma once

#include <cstdint>

extern std::int32_t volumeKnobX;
extern std::int32_t pointerInVolume;
extern std::int32_t volumeDragging;

void drawVolumeKnob(int x);
// x: the pointer within the track at the time of the event.
void setVolumeFromPointer(int pointerX);
// Knob position for a volume: volume x 400, rounded; not clamped.
int knobPositionFor(float volume);
// Volume and knob position for a pointer x, with the clamps of the track's two ends.
float volumeForPointer(int pointerX, int trackWidth, int& knobX);
