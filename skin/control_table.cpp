#include "skin/control_table.h"

#include "assets/skin_pictures.h"
#include "platform/gui.h"
#include "skin/volume_slider.h"

std::unordered_map<Text, ControlEntry> controlTable;

void createControlTable() {
    controlTable.clear();
    controlTable.reserve(512);
}

void registerControl(const Text& key, int controlNumber, int imageNumber, int x, int y, int width, int height,
                     int flag) {
    ControlEntry& entry = entryFor(key);
    entry.controlNumber = static_cast<std::int8_t>(controlNumber);
    entry.imageNumber = imageNumber;
    entry.x = x;
    entry.y = y;
    entry.width = width;
    entry.height = height;
    entry.flag = static_cast<std::uint8_t>(flag);
}

void registerSkinControls() {
    registerControl(u"ECRAN", 2, 1, 134, 99, 250, 78, 0);
    registerControl(u"PLAY", 3, 2, 168, 236, 38, 23, 0);
    registerControl(u"STOP", 3, 3, 168, 236, 38, 23, 0);
    registerControl(u"LIST", 4, 4, 215, 236, 38, 23, 0);
    registerControl(u"ADD", 5, 5, 266, 236, 38, 23, 0);
    registerControl(u"MINUS", 6, 6, 315, 236, 38, 23, 0);
    registerControl(u"TIMERON", 7, 7, 420, 252, 34, 34, 0);
    registerControl(u"TIMEROFF", 7, 8, 420, 252, 34, 34, 0);
    registerControl(u"ONOFF", 8, 9, 75, 252, 45, 45, 0);
    registerControl(u"VOL", 9, 10, 132, 211, 250, 14, 0);
}

ControlEntry& entryFor(const Text& key) { return controlTable[key]; }

ControlEntry* findEntry(const Text& key) {
    auto found = controlTable.find(key);
    return found == controlTable.end() ? nullptr : &found->second;
}

void loadSkinImages() {
    // "BG" is not registered: looking it up here creates it, all zero, so the body lands in slot 0.
    static const char16_t* const keys[] = {u"BG",  u"ECRAN",   u"PLAY",     u"STOP",  u"LIST", u"ADD",
                                           u"MINUS", u"TIMERON", u"TIMEROFF", u"ONOFF", u"VOL"};
    for (int picture = 0; picture < 11; ++picture)
        decodePngToSlot(entryFor(keys[picture]).imageNumber, skinPicturePng(picture));
    decodePngToSlot(knobSlot, skinPicturePng(knobSlot));
    decodePngToSlot(traySlot, skinPicturePng(traySlot));
}

void createControlCanvas(const Text& key) {
    ControlEntry* entry = findEntry(key);
    if (!entry) return;
    createCanvas(entry->controlNumber, entry->x, entry->y, entry->width, entry->height);
    drawImageOnControl(entry->controlNumber, entry->imageNumber);
    if (entry->controlNumber == volumeControl) drawVolumeKnob(50);
}

void drawImageOnControl(int controlNumber, int imageNumber) {
    if (!beginDrawing(controlNumber)) return;
    drawImage(imageNumber, 0, 0);
    endDrawing();
}

void setPlayStopFace(const Text& key) { drawImageOnControl(playStopControl, entryFor(key).imageNumber); }
