// Station list work at start-up on a synthetic 50,000-station list of about 3 MB: decoding, parsing,
// merging the user's station and sorting.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "stations/station_list.h"

namespace {

constexpr int stationCountInList = 50000;

// Deterministic names in the list's own shape: a genre in brackets, then a name, some of them
// accented or in other letter cases so the sort's folding has work to do.
const std::string& syntheticList() {
    static const std::string list = [] {
        const char* genres[] = {"Pop",     "Rock",    "Jazz",    "Classical", "News",  "Talk",
                                "Electro", "Country", "Hip Hop", "Ambient",   "Metal", "Reggae",
                                "Soul",    "Blues",   "Latino",  "World"};
        const char* words[] = {"Radio",         "FM",   "Paradise", "Caf\xC3\xA9", "Sky",     "wave",
                               "\xC3\x89toile", "Zone", "city",     "Hits",        "Classic", "Live",
                               "_Underground",  "Nova", "Deep",     "Sound"};
        std::uint32_t seed = 12345;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
        std::string out;
        out.reserve(3'200'000);
        for (int i = 0; i < stationCountInList; ++i) {
            out += '(';
            out += genres[next() % 16];
            out += ") ";
            out += words[next() % 16];
            out += ' ';
            out += words[next() % 16];
            out += ' ';
            out += std::to_string(next());
            out += ",http://s";
            out += std::to_string(i);
            out += ".radio.test:8000/live.mp3\r\n";
        }
        return out;
    }();
    return list;
}

const Text& decodedList() {
    static const Text text = decodeUtf8(syntheticList());
    return text;
}

void BM_DecodeStationList(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeUtf8(syntheticList()));
    state.counters["list_bytes"] = static_cast<double>(syntheticList().size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(syntheticList().size()));
}
BENCHMARK(BM_DecodeStationList)->Unit(benchmark::kMillisecond);

void BM_ParseStationList(benchmark::State& state) {
    for (auto _ : state)
        parseStationList(decodedList());
    state.SetItemsProcessed(state.iterations() * stationCountInList);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(syntheticList().size()));
}
BENCHMARK(BM_ParseStationList)->Unit(benchmark::kMillisecond);

void BM_MergeUserStation(benchmark::State& state) {
    parseStationList(decodedList());
    const StationList parsed = catalogue;
    clearStations(userStations);
    addStation(userStations) = {u"http://mine.test/", u"(Mine) My own station"};
    for (auto _ : state) {
        state.PauseTiming();
        catalogue = parsed;
        state.ResumeTiming();
        mergeUserStation();
    }
}
BENCHMARK(BM_MergeUserStation)->Unit(benchmark::kMicrosecond);

void BM_SortCatalogue(benchmark::State& state) {
    parseStationList(decodedList());
    const StationList parsed = catalogue;
    for (auto _ : state) {
        state.PauseTiming();
        catalogue = parsed;
        state.ResumeTiming();
        sortCatalogue();
    }
    state.SetItemsProcessed(state.iterations() * stationCountInList);
}
BENCHMARK(BM_SortCatalogue)->Unit(benchmark::kMillisecond);

// Everything fetchStationCatalogue does after the download.
void BM_BuildCatalogue(benchmark::State& state) {
    clearStations(userStations);
    addStation(userStations) = {u"http://mine.test/", u"(Mine) My own station"};
    for (auto _ : state) {
        parseStationList(decodeUtf8(syntheticList()));
        mergeUserStation();
        sortCatalogue();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(syntheticList().size()));
}
BENCHMARK(BM_BuildCatalogue)->Unit(benchmark::kMillisecond);

} // namespace
