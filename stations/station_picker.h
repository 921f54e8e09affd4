// The station picker (control 10): filled from the catalogue under its header item, the last station
// preselected at start, and a user's pick resolved to the URL that stream control opens.
#pragma once

#include "common/text.h"

extern Text selectedUrl;

// Downloads and parses the station list, then fills the picker when the catalogue was rebuilt.
void loadStationList();
bool fillStationPicker();
void selectLastStation();
Text resolveStationUrl(const Text& itemText);
// The first steps of a pick: false when the pick was the header and nothing more happens.
bool resolvePick();
