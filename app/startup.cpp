// Start-up in its fixed order, and the common end of every run.
#include <cstdlib>

#include "app/app.h"
#include "common/program.h"
#include "platform/files.h"
#include "platform/gui.h"
#include "platform/http.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "playback/audio_engine.h"
#include "playback/now_playing.h"
#include "playback/player_state.h"
#include "settings/messages.h"
#include "settings/settings.h"
#include "skin/control_table.h"
#include "skin/skin_windows.h"
#include "skin/volume_slider.h"
#include "stations/station_list.h"
#include "stations/station_picker.h"
#include "update/update_check.h"
#include "update/update_handoff.h"

namespace {

bool networkStarted = false;

void createSkin() {
    for (const char16_t* key : {u"ECRAN", u"PLAY", u"LIST", u"ADD", u"MINUS", u"TIMEROFF", u"ONOFF", u"VOL"})
        createControlCanvas(key);
    drawVolumeKnob(knobPositionFor(settings.volume));
    createPicker(stationPicker, 170, 272, 175, 22);
    setWindowCallback(controlWindow, followControlWindow);
    showWindow(bodyWindow);
    showWindow(controlWindow);
    addTrayIcon(trayIcon, controlWindow, traySlot, u"Tundrel");
    addWindowTimer(controlWindow, 0, 1000);
    addWindowTimer(controlWindow, 1, 1500);
    addWindowTimer(controlWindow, 2, 2000);
    // Both windows: the body alone below other windows would let them slide between the two.
    setWindowTopmost(bodyWindow, settings.alwaysOnTop != 0);
    setWindowTopmost(controlWindow, settings.alwaysOnTop != 0);
}

} // namespace

void startUp() {
    // Without a display there is nothing the radio can show, not even the offline box.
    if (!startGui()) shutDown(false);

    if (!isOnline() || !(networkStarted = startNetwork())) {
        showMessageBox(u"Erreur", u"NO NET ! Let's shutdown", MessageIcon::error, MessageButtons::ok);
        shutDown(false);
    }

    setBaseFolder(currentFolder());
    setSettingsPath();
    setStationPaths();
    loadFont(screenFont, u"ARIAL", 12);
    clearStations(catalogue);
    clearStations(userStations);

    if (!loadAudioEngine()) shutDown(false);
    loadSettings();
    loadMessages(settings.languageCode);
    startAudioEngine();
    createControlTable();

    removeUpdateLeftovers();
    if (checkForUpdate() == 1 && handOffToUpdater()) shutDown(false);

    registerSkinControls();
    loadSkinImages();
    if (!buildSkinWindows()) shutDown(false);
    createSkin();

    loadStationList();
    screenText = u"~ Tundrel ~ v" + programVersion;
    fillStationPicker();
    selectLastStation();

    runEventLoop();
    shutDown(true);
}

void shutDown(bool loopRan) {
    if (loopRan) {
        int x = 0, y = 0;
        windowPosition(controlWindow, x, y);
        saveSettings(x, y);
        shutdownAudio();
    }
    stopGui();
    unloadAudioEngine();
    if (networkStarted) stopNetwork();
    std::_Exit(0);
}
