// The player's window layer: numbered windows (0, 1), controls (2-10), image slots (0-12), fonts,
// window timers, a tray icon and one event queue read by waitWindowEvent. Qt and libpng stay behind
// this header. Everything runs on the program's one thread, between startGui and stopGui.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/text.h"

bool startGui(); // the toolkit; false when no display can be opened
void stopGui();  // destroys every window, timer and the tray icon

// --- Windows -----------------------------------------------------------------------------------
// Borderless and hidden; centred on the primary screen. A window with an owner stays above it and has
// no taskbar entry of its own. New controls go to the window created last.
bool createWindow(int window, int width, int height, const Text& title, int ownerWindow);
void showWindow(int window);
void moveWindow(int window, int x, int y); // outer top-left corner, screen pixels
bool windowPosition(int window, int& x, int& y);
void setWindowTopmost(int window, bool topmost);
void setWindowBackground(int window, std::uint32_t rgb);

// Per-pixel alpha content: the slot's 32-bit image, premultiplied by the caller, with a constant alpha.
// Transparent pixels let clicks through to whatever lies below. False when the slot is not 32-bit.
bool presentWindowImage(int window, int slot, std::uint8_t constantAlpha);

// Colour key: the window's background in this colour is invisible and click-through.
void setWindowColourKey(int window, std::uint32_t rgb);

// Window messages the callback sees, by their classic numbers.
enum WindowMessage { messageMove = 3, messageSize = 5, messagePaint = 15 };
using WindowCallback = void (*)(int window, int message);
void setWindowCallback(int window, WindowCallback callback);

// Moves `window` with the mouse until the left button is released; returns then. Events that arise
// meanwhile are queued. Returns at once when the button is already up.
void moveWindowWithMouse(int window);

// --- Images and fonts ---------------------------------------------------------------------------
// Decodes a PNG held in memory into a slot, replacing its image. False on failure.
bool decodePngToSlot(int slot, std::string_view png);
bool slotHasImage(int slot);
int imageWidth(int slot);
int imageHeight(int slot);
int imageDepth(int slot); // 32 for images with alpha, 24 otherwise, 0 for an empty slot
// Pixels as 32-bit values: blue, green, red and alpha bytes, alpha highest; rows top-down.
std::uint32_t* imagePixels(int slot);

// Font by face and points: pixel height = points x logical dpi / 72, rounded (96 dpi when unknown).
bool loadFont(int font, const Text& face, int points);

// --- Controls -----------------------------------------------------------------------------------
bool createCanvas(int control, int x, int y, int width, int height);
int controlWidth(int control);
int controlHeight(int control);
enum class Cursor { arrow, hand };
void setControlCursor(int control, Cursor cursor);

// Drawing on a canvas: begin, any number of draws, end. The screen is updated at end when the
// canvas' pixels changed.
bool beginDrawing(int control);
void drawImage(int slot, int x, int y); // blended by its alpha
void drawText(const Text& text, int x, int y, std::uint32_t rgb); // y: top of the text cell
int textWidth(const Text& text);
void useFont(int font);
void endDrawing();
// What a canvas shows at a point, as 0xAARRGGBB; 0 outside it.
std::uint32_t controlPixel(int control, int x, int y);

// The station picker: a drop-down list the user can only choose from.
bool createPicker(int control, int x, int y, int width, int height);
void pickerClear(int control);
void pickerAppend(int control, const Text& item);
void pickerSelect(int control, int index); // raises no event
int pickerSelectedIndex(int control);
Text pickerText(int control);
void pickerSetRedraw(int control, bool enabled);

// --- Timers and tray ----------------------------------------------------------------------------
void addWindowTimer(int window, int timer, int periodMs);
// Tray icon with the slot's picture; silently none while the desktop has no tray.
void addTrayIcon(int icon, int window, int slot, const Text& tooltip);

// --- Events -------------------------------------------------------------------------------------
enum class EventKind { none, leftPress, control, timer, other };
enum class ControlEventType { none, pointerEnter, pointerLeave, pointerMove, leftDown, leftUp, doubleClick, change };

struct WindowEvent {
    EventKind kind = EventKind::none;
    int control = 0;
    ControlEventType type = ControlEventType::none;
    int timer = 0;
    int x = 0; // pointer within the control at the time of the event
    int y = 0;
};

// Queued events first (control events, timer ticks, the user's picker changes), else a left-button
// press seen on one of our windows, else nothing after the timeout.
WindowEvent waitWindowEvent(int timeoutMs);
