// The settings record and its load/save through the preferences file "user_radio.pzt".
// loadSettings runs once early in start-up, saveSettings once at normal shutdown; one thread.
#pragma once

#include <cstdint>

#include "common/text.h"

struct Settings {
    Text settingsPath; // baseFolder + "user_radio.pzt"
    Text lastStationName;
    Text lastStationUrl;
    std::int8_t alwaysOnTop = 0;
    std::int32_t windowX = 0;
    std::int32_t windowY = 0;
    float volume = 0.0f;
    Text languageCode;
};

extern Settings settings;

// The built-in default station, "LAST" of a new file.
extern const Text defaultStationName; // "(Pop Rock) Radio Paradise"
extern const Text defaultStationUrl;

void setSettingsPath(); // from baseFolder; before loadSettings

// 1, or 0 when the file was missing and could not be created (every field then stays as it was).
// A file that cannot be read gives the defaults and is left alone; a new file gets the defaults.
int loadSettings();

// The caller passes the control window's outer position, which the record then holds. Writes
// nothing when the file cannot be read, or when it is read-only.
void saveSettings(std::int32_t windowX, std::int32_t windowY);
