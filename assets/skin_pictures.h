// The skin's thirteen PNG pictures, carried inside the program as bytes.
// Owns nothing at run time; the skin's loader asks for each slot's bytes once at start-up.
// Slots: 0 BG, 1 ECRAN, 2 PLAY, 3 STOP, 4 LIST, 5 ADD, 6 MINUS, 7 TIMERON, 8 TIMEROFF, 9 ONOFF, 10 VOL,
// 11 the volume knob, 12 the tray picture.
#pragma once

#include <string_view>

inline constexpr int skinPictureCount = 13;

// The PNG file of a slot; an empty view for any number outside 0..12.
std::string_view skinPicturePng(int slot);
