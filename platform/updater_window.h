// The updater's one window: a small borderless status strip holding a read-only line of text, its
// timers, and the wait for the next event. Qt stays behind this header; everything runs on the
// updater's window thread, after startGuiApplication.
#pragma once

#include "common/text.h"

// Borderless, client area width x height, centred on the screen, shown at once, above other
// windows, with a taskbar entry under `title`. The field fills it: text centred, pure green on
// black. Message boxes shown afterwards belong to it. False when the window cannot be created.
bool openUpdaterWindow(const Text& title, int width, int height);
void closeUpdaterWindow();

void setUpdaterStatus(const Text& text);
Text updaterStatus();

// A repeating timer; a tick still waiting to be read is not queued twice.
void addUpdaterTimer(int timer, int periodMs);

enum class UpdaterEventKind { none, timer, closeRequest };

struct UpdaterEvent {
    UpdaterEventKind kind = UpdaterEventKind::none;
    int timer = 0;
};

// Queued events first (timer ticks, the window's close request), else the next one to arrive within
// timeoutMs, else none. A close request only reports: the window stays until closeUpdaterWindow.
UpdaterEvent waitUpdaterEvent(int timeoutMs);
