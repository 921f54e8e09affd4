#include "stations/station_list.h"

#include <algorithm>
#include <numeric>

#include "common/program.h"
#include "platform/http.h"

StationList catalogue;
StationList userStations;
Text stationListUrl;
Text userStationsPath;

void setStationPaths() {
    stationListUrl = serverFileUrl(u"radiolist07.pzt");
    userStationsPath = baseFolder + u"UserRadio.txt";
}

void clearStations(StationList& list) {
    list.entries.clear();
    list.cursor = -1;
}

Station& addStation(StationList& list) {
    int at = list.cursor < 0 ? 0 : list.cursor + 1;
    list.entries.emplace(list.entries.begin() + at);
    list.cursor = at;
    return list.entries[static_cast<std::size_t>(at)];
}

void selectStation(StationList& list, int index) {
    list.cursor = (index >= 0 && index < stationCount(list)) ? index : -1;
}

Station* currentStation(StationList& list) {
    if (list.cursor < 0 || list.cursor >= stationCount(list)) return nullptr;
    return &list.entries[static_cast<std::size_t>(list.cursor)];
}

int stationIndex(const StationList& list) {
    return list.cursor;
}

int stationCount(const StationList& list) {
    return static_cast<int>(list.entries.size());
}

void resetStations(StationList& list) {
    list.cursor = -1;
}

bool nextStation(StationList& list) {
    if (list.cursor + 1 >= stationCount(list)) return false;
    ++list.cursor;
    return true;
}

void sortCatalogue() {
    // The names are folded once into one block, so each comparison is a plain scan of nearby memory
    // instead of folding two scattered strings again; sorting positions keeps the moves cheap and lets
    // the cursor follow its entry.
    auto& entries = catalogue.entries;
    std::size_t total = 0;
    for (const auto& s : entries)
        total += s.name.size();
    Text folded;
    folded.reserve(total);
    std::vector<std::pair<std::size_t, std::size_t>> keys; // offset and length in `folded`
    keys.reserve(entries.size());
    for (const auto& s : entries) {
        keys.emplace_back(folded.size(), s.name.size());
        for (char16_t c : s.name)
            folded.push_back(foldAscii(c));
    }
    std::u16string_view all(folded);
    std::vector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys, all](int a, int b) {
        const auto& ka = keys[static_cast<std::size_t>(a)];
        const auto& kb = keys[static_cast<std::size_t>(b)];
        return all.substr(ka.first, ka.second) < all.substr(kb.first, kb.second);
    });
    std::vector<Station> sorted;
    sorted.reserve(order.size());
    int cursor = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] == catalogue.cursor) cursor = static_cast<int>(i);
        sorted.push_back(std::move(entries[static_cast<std::size_t>(order[i])]));
    }
    entries = std::move(sorted);
    catalogue.cursor = cursor;
}

Station parseStationLine(std::u16string_view line) {
    Station station;
    std::size_t comma = line.find(u',');
    if (comma == std::u16string_view::npos) {
        station.url = Text(line);
    } else {
        station.name = Text(line.substr(0, comma));
        station.url = Text(line.substr(comma + 1));
    }
    return station;
}

bool parseStationList(const Text& body) {
    std::size_t lineCount = static_cast<std::size_t>(std::count(body.begin(), body.end(), u'\n'));
    if (lineCount == 0) return false;
    clearStations(catalogue);
    catalogue.entries.reserve(lineCount + 1); // room for the user's station
    std::u16string_view rest(body);
    // Only LF-terminated fields count: whatever follows the last LF is not a finished line.
    for (std::size_t i = 0; i < lineCount; ++i) {
        std::size_t end = rest.find(u'\n');
        Station parsed = parseStationLine(rest.substr(0, end));
        rest.remove_prefix(end + 1);
        // The line's CR is the URL's last character; with LF-only lines a real character goes instead.
        if (!parsed.url.empty()) parsed.url.pop_back();
        addStation(catalogue) = std::move(parsed);
    }
    return true;
}

bool fetchStationCatalogue() {
    Text body;
    {
        auto block = httpGetToMemory(stationListUrl);
        if (!block) return false;
        body = decodeUtf8(*block);
    }
    if (!parseStationList(body)) return false;
    if (readUserStations()) mergeUserStation();
    sortCatalogue();
    return true;
}

Text labelOf(std::u16string_view name) {
    std::size_t bracket = name.find(u')');
    if (bracket == std::u16string_view::npos) return Text(name);
    return Text(name.substr(bracket + 1));
}
