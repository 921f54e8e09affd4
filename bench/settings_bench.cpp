// Loading and saving the settings file: the one the program writes, and a hand-grown one of about
// a thousand keys in several groups with the program's group last.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "common/program.h"
#include "platform/files.h"
#include "settings/preferences_file.h"
#include "settings/settings.h"

namespace {

const std::string realisticFile = "\xEF\xBB\xBF\r\n[USERPREF]\r\n"
                                  "LAST=(Pop Rock) Radio Paradise,http://stream.radioparadise.com/mp3-128\r\n"
                                  "PLAN=0\r\nWX=812\r\nWY=344\r\nVOL=0.6999999881\r\nLNG=FR\r\n"
                                  ";  Tundrel 1.08.3\r\n; Written by the Tundrel developers\r\n"
                                  "; Thanks to every radio that shares its stream\r\n"
                                  "; Ce logiciel utilise le moteur audio FMOD Ex - http://www.fmod.org\r\n";

std::string largeFile() {
    std::string bytes = "\xEF\xBB\xBF\r\n";
    for (int group = 0; group < 10; ++group) {
        bytes += "[Group" + std::to_string(group) + "]\r\n; notes on group " + std::to_string(group) + "\r\n";
        for (int key = 0; key < 100; ++key)
            bytes +=
                "Key" + std::to_string(key) + "=value number " + std::to_string(group * 100 + key) + "\r\n";
    }
    return bytes + realisticFile.substr(5);
}

const std::string& fileOfSize(std::int64_t which) {
    static const std::string large = largeFile();
    return which == 0 ? realisticFile : large;
}

struct Folder {
    Folder() {
        char pattern[] = "/tmp/tundrel-settings-bench-XXXXXX";
        path = ::mkdtemp(pattern);
        setBaseFolder(textOf(path));
        setSettingsPath();
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

Folder& folder() {
    static Folder f;
    return f;
}

void BM_LoadSettings(benchmark::State& state) {
    folder();
    writeWholeFile(settings.settingsPath, fileOfSize(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(loadSettings());
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(fileOfSize(state.range(0)).size()));
}
BENCHMARK(BM_LoadSettings)->ArgName("large")->Arg(0)->Arg(1);

// Each save writes a temporary file, syncs it and renames it over the old one.
void BM_SaveSettings(benchmark::State& state) {
    folder();
    writeWholeFile(settings.settingsPath, fileOfSize(state.range(0)));
    loadSettings();
    settings.lastStationUrl = defaultStationUrl;
    std::int32_t x = 0;
    for (auto _ : state)
        saveSettings(++x, 344);
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(fileOfSize(state.range(0)).size()));
}
BENCHMARK(BM_SaveSettings)->ArgName("large")->Arg(0)->Arg(1);

// The same store work without the disk.
void BM_ParseReadFormat(benchmark::State& state) {
    const std::string& bytes = fileOfSize(state.range(0));
    for (auto _ : state) {
        PreferencesFile prefs;
        parsePreferences(prefs, bytes);
        selectPreferenceGroup(prefs, u"USERPREF");
        for (const char16_t* key : {u"LAST", u"PLAN", u"WX", u"WY", u"LNG", u"VOL"})
            benchmark::DoNotOptimize(readPreferenceString(prefs, key, u""));
        writePreferenceString(prefs, u"WX", u"813");
        benchmark::DoNotOptimize(formatPreferences(prefs));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseReadFormat)->ArgName("large")->Arg(0)->Arg(1);

} // namespace
