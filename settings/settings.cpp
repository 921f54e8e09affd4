#include "settings/settings.h"

#include "common/number_text.h"
#include "common/program.h"
#include "platform/files.h"
#include "settings/preferences_file.h"

Settings settings;

const Text defaultStationName = u"(Pop Rock) Radio Paradise";
const Text defaultStationUrl = u"http://stream.radioparadise.com/mp3-128";

namespace {

const Text groupName = u"USERPREF";

Text defaultLastText() {
    return defaultStationName + u"," + defaultStationUrl;
}

// Only the name before the first comma is used; the URL half is taken from the catalogue.
Text stationNameOf(const Text& lastText) {
    std::size_t comma = lastText.find(u',');
    return comma == Text::npos ? Text() : lastText.substr(0, comma);
}

std::int64_t readIntegerKey(const PreferencesFile& file, const Text& key) {
    return readInteger(readPreferenceString(file, key, u"0"), true);
}

} // namespace

void setSettingsPath() {
    settings.settingsPath = baseFolder + u"user_radio.pzt";
}

int loadSettings() {
    PreferencesFile file;
    Text lastText;
    if (!fileExists(settings.settingsPath)) {
        if (!createPreferences(file, settings.settingsPath)) return 0;
        lastText = defaultLastText();
        selectPreferenceGroup(file, groupName);
        writePreferenceString(file, u"LAST", lastText);
        writePreferenceString(file, u"PLAN", u"0");
        writePreferenceString(file, u"WX", u"0");
        writePreferenceString(file, u"WY", u"0");
        writePreferenceString(file, u"VOL", u"0.75");
        writePreferenceString(file, u"LNG", u"FR");
        addPreferenceComment(file, u" Tundrel " + programVersion);
        addPreferenceComment(file, u"Written by the Tundrel developers");
        addPreferenceComment(file, u"Thanks to every radio that shares its stream");
        addPreferenceComment(file, u"Ce logiciel utilise le moteur audio FMOD Ex - http://www.fmod.org");
        settings.alwaysOnTop = 0;
        settings.windowX = 0;
        settings.windowY = 0;
        settings.volume = static_cast<float>(readDecimal(readPreferenceString(file, u"VOL", u"0.75")));
        settings.languageCode = u"FR";
    } else {
        // When the file cannot be read, every key below takes its default and the file is left alone.
        openPreferences(file, settings.settingsPath);
        selectPreferenceGroup(file, groupName);
        lastText = readPreferenceString(file, u"LAST", defaultLastText());
        settings.alwaysOnTop =
            static_cast<std::int8_t>(static_cast<std::uint8_t>(readIntegerKey(file, u"PLAN") & 0xFF));
        settings.windowX = static_cast<std::int32_t>(static_cast<std::uint32_t>(readIntegerKey(file, u"WX")));
        settings.windowY = static_cast<std::int32_t>(static_cast<std::uint32_t>(readIntegerKey(file, u"WY")));
        settings.languageCode = readPreferenceString(file, u"LNG", u"FR");
        settings.volume = static_cast<float>(readDecimal(readPreferenceString(file, u"VOL", u"0.75")));
    }
    settings.lastStationName = stationNameOf(lastText);
    closePreferences(file);
    return 1;
}

void saveSettings(std::int32_t windowX, std::int32_t windowY) {
    settings.windowX = windowX;
    settings.windowY = windowY;
    PreferencesFile file;
    if (!openPreferences(file, settings.settingsPath)) return;
    selectPreferenceGroup(file, groupName);
    writePreferenceString(file, u"LAST", settings.lastStationName + u"," + settings.lastStationUrl);
    writePreferenceString(file, u"LNG", settings.languageCode);
    writePreferenceString(file, u"VOL", formatDecimal10(settings.volume));
    writePreferenceString(file, u"PLAN", formatInteger(settings.alwaysOnTop));
    writePreferenceString(file, u"WX", formatInteger(settings.windowX));
    writePreferenceString(file, u"WY", formatInteger(settings.windowY));
    closePreferences(file);
}
