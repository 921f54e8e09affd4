// The skin's controls keyed by name ("ECRAN", "PLAY", ...), the image slots of the thirteen
// pictures, and the canvases that show them. Filled once at start-up, read by every skin module.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "common/text.h"

struct ControlEntry {
    std::int8_t controlNumber = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t imageNumber = 0;
    std::uint8_t flag = 0;
};

extern std::unordered_map<Text, ControlEntry> controlTable;

// Window, control, slot and font numbers the program chooses.
inline constexpr int bodyWindow = 0;
inline constexpr int controlWindow = 1;
inline constexpr int screenControl = 2;
inline constexpr int playStopControl = 3;
inline constexpr int listControl = 4;
inline constexpr int powerControl = 8;
inline constexpr int volumeControl = 9;
inline constexpr int stationPicker = 10;
inline constexpr int knobSlot = 11;
inline constexpr int traySlot = 12;
inline constexpr int trayIcon = 11;
inline constexpr int screenFont = 0;

void createControlTable(); // empty, with room for 512 entries
void registerControl(const Text& key, int controlNumber, int imageNumber, int x, int y, int width, int height,
                     int flag);
void registerSkinControls(); // the ten rows of the skin
ControlEntry& entryFor(const Text& key); // adds an all-zero entry when missing
ControlEntry* findEntry(const Text& key);

void loadSkinImages(); // slots 0 to 12
void createControlCanvas(const Text& key);
void drawImageOnControl(int controlNumber, int imageNumber);
void setPlayStopFace(const Text& key); // "PLAY" or "STOP"
