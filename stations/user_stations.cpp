#include "platform/files.h"
#include "stations/station_list.h"

bool readUserStations() {
    auto size = fileSize(userStationsPath);
    if (!size || *size == 0) return false;
    auto lines = readFileLines(userStationsPath);
    if (!lines) return false;
    // The file is read once per run; a second read replaces the first rather than piling up.
    clearStations(userStations);
    for (const auto& line : *lines)
        addStation(userStations) = parseStationLine(decodeUtf8(line));
    return true;
}

void mergeUserStation() {
    // A file emptied between the size check and the read leaves no line to take.
    const Station* last = currentStation(userStations);
    if (!last) return;
    Station copy = *last;
    // After the second entry, or at the front of a one-entry list: the stable sort then puts the
    // user's station after equal names from the list's first two lines.
    selectStation(catalogue, 1);
    addStation(catalogue) = std::move(copy);
}
