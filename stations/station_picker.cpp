#include "stations/station_picker.h"

#include "platform/gui.h"
#include "settings/messages.h"
#include "settings/settings.h"
#include "skin/control_table.h"
#include "stations/station_list.h"

Text selectedUrl;

void loadStationList() {
    if (fetchStationCatalogue()) fillStationPicker();
}

bool fillStationPicker() {
    pickerClear(stationPicker);
    pickerAppend(stationPicker, messages.msgAllStationsHeading);
    pickerSelect(stationPicker, 0);
    pickerSetRedraw(stationPicker, false);
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
        catalogue.cursor = static_cast<int>(i);
        pickerAppend(stationPicker, catalogue.entries[i].name);
    }
    pickerSetRedraw(stationPicker, true);
    return true;
}

void selectLastStation() {
    int matches = 0, last = -1;
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
        catalogue.cursor = static_cast<int>(i);
        if (catalogue.entries[i].name == settings.lastStationName) {
            ++matches;
            last = static_cast<int>(i);
        }
    }
    if (matches != 1) {
        pickerSelect(stationPicker, 0);
        return;
    }
    selectStation(catalogue, last);
    pickerSelect(stationPicker, last + 1);
    selectedUrl = catalogue.entries[last].url;
    resolveStationUrl(catalogue.entries[last].name);
}

Text resolveStationUrl(const Text& itemText) {
    if (itemText.empty()) return Text();
    Text candidate;
    if (itemText != messages.msgAllStationsHeading) {
        selectStation(catalogue, pickerSelectedIndex(stationPicker) - 1);
        if (Station* station = currentStation(catalogue)) {
            settings.lastStationName = station->name;
            settings.lastStationUrl = station->url;
            candidate = station->url;
        }
    }
    if (candidate == messages.msgAllStationsHeading || candidate == messages.msgFavouritesHeading)
        return u"Error";
    return candidate;
}

bool resolvePick() {
    Text text = pickerText(stationPicker);
    selectedUrl = resolveStationUrl(text);
    return text != messages.msgAllStationsHeading;
}
