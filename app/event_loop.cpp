// The running state: wait up to 30 ms for one event, redraw the screen, dispatch the event.
#include "app/app.h"
#include "platform/gui.h"
#include "playback/now_playing.h"
#include "playback/stream_control.h"
#include "skin/control_table.h"
#include "skin/screen_text.h"
#include "skin/volume_slider.h"

std::uint8_t quitRequested = 0;

namespace {

void handleControlEvent(const WindowEvent& event) {
    auto hoverCursor = [&](int control) {
        if (event.type == ControlEventType::pointerEnter) setControlCursor(control, Cursor::hand);
        if (event.type == ControlEventType::pointerLeave) setControlCursor(control, Cursor::arrow);
    };
    switch (event.control) {
    case playStopControl:
        hoverCursor(playStopControl);
        if (event.type == ControlEventType::leftDown) togglePlayback();
        break;
    case listControl:
        hoverCursor(listControl);
        break;
    case powerControl:
        hoverCursor(powerControl);
        if (event.type == ControlEventType::leftDown) quitRequested = 1;
        break;
    case volumeControl:
        hoverCursor(volumeControl);
        if (event.type == ControlEventType::pointerEnter) pointerInVolume = 1;
        if (event.type == ControlEventType::pointerLeave) pointerInVolume = 0;
        if (event.type == ControlEventType::leftDown) {
            volumeDragging = 1;
            setVolumeFromPointer(event.x);
        }
        if (event.type == ControlEventType::pointerMove && volumeDragging == 1 && pointerInVolume == 1)
            setVolumeFromPointer(event.x);
        if (event.type == ControlEventType::leftUp) volumeDragging = 0;
        break;
    case stationPicker:
        changeStation();
        break;
    default:
        break; // the screen, add, minus and timer controls do not react
    }
}

} // namespace

void runEventLoop() {
    for (;;) {
        WindowEvent event = waitWindowEvent(30);
        drawScreenText(screenText);
        switch (event.kind) {
        case EventKind::timer:
            if (event.timer == 1) refreshTags();
            if (event.timer == 2) rotateScreenText();
            break;
        case EventKind::leftPress:
            // The volume track's own drag sets the volume; moving the radio there would take it away.
            if (event.control != volumeControl) moveWindowWithMouse(controlWindow);
            break;
        case EventKind::control:
            handleControlEvent(event);
            break;
        default:
            break;
        }
        if (quitRequested == 1) return;
    }
}
