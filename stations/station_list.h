// The station catalogue: the Station record, the catalogue and userStations lists with their cursor,
// the station list format and its download. Filled once at start-up; the cursor moves afterwards
// (the picker and the now-playing text). Everything runs on the program's one thread.
#pragma once

#include <vector>

#include "common/text.h"

struct Station {
    Text url;
    Text name;
};

// An ordered list with a cursor on one entry or on none (-1).
struct StationList {
    std::vector<Station> entries;
    int cursor = -1;
};

extern StationList catalogue;
extern StationList userStations;
extern Text stationListUrl;   // server base URL + "radiolist07.pzt"
extern Text userStationsPath; // baseFolder + "UserRadio.txt"

// Sets stationListUrl and userStationsPath from the server URL and baseFolder.
void setStationPaths();

// List operations with the cursor semantics the catalogue relies on.
void clearStations(StationList& list);
Station& addStation(StationList& list); // empty entry after the cursor (front when none); cursor on it
void selectStation(StationList& list, int index); // out of range: cursor on none
Station* currentStation(StationList& list);       // entry under the cursor, or nothing
int stationIndex(const StationList& list);        // index of the cursor's entry, -1 for none
int stationCount(const StationList& list);
// Iteration from the front: resetStations, then nextStation puts the cursor on each entry in turn and
// returns false once past the last one, leaving the cursor on the last entry.
void resetStations(StationList& list);
bool nextStation(StationList& list);
// Stable, by name, ASCII letters folded; the cursor stays on the entry it was on.
void sortCatalogue();

// Splits a line at its first comma: name before it (empty when none), URL after it (whole line when none).
Station parseStationLine(std::u16string_view line);

// Parses a downloaded body into the catalogue: LF-separated fields, each with its CR as the URL's last
// character removed. False (and nothing changed) when the text holds no LF.
bool parseStationList(const Text& body);

// Download, parse, merge the user's station, sort. True when the catalogue was rebuilt; the caller
// (loadStationList in the picker) then fills the picker.
bool fetchStationCatalogue();

// The user stations file: readUserStations refills userStations from it (cursor on the last line) and
// is false, leaving the list alone, when the file is missing, a folder, empty or unreadable.
// mergeUserStation inserts a copy of that last line's station at index 2 (the front of a one-entry
// catalogue); it adds nothing when userStations has no current entry.
bool readUserStations();
void mergeUserStation();

// Everything after the first ")" of a name, or the whole name when it has none.
Text labelOf(std::u16string_view name);
