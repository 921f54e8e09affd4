// Starting, stopping and switching the radio stream: the play/stop button and the picker's picks.
// Called by the event loop on the program's one thread; every stream open blocks it (at most ~10 s).
#pragma once

#include "common/text.h"

void startStream();
void togglePlayback();
void changeStation();
// labelOf the picker's current text.
Text pickerLabel();
