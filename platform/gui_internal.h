// Shared state of the window layer's Qt side. Only platform/gui_*.cpp include this.
#pragma once

#include <QComboBox>
#include <QEventLoop>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <map>

#include "platform/gui.h"

QString toQString(const Text& text);
Text fromQString(const QString& text);

class Canvas;

struct SlotImage {
    QImage image; // Format_ARGB32: blue, green, red, alpha in memory
    int depth = 0;
};

struct GuiState {
    std::map<int, QPointer<QWidget>> windows;
    std::map<int, WindowCallback> callbacks;
    int currentWindow = -1;
    std::map<int, QPointer<Canvas>> canvases;
    std::map<int, QPointer<QComboBox>> pickers;
    std::map<int, int> pickerLastIndex;
    std::map<int, SlotImage> images;
    std::map<int, QFont> fonts;

    std::deque<WindowEvent> queue;
    bool pressPending = false;
    WindowEvent press;
    QEventLoop* waitLoop = nullptr;

    // The mouse as our windows saw it, for the window move.
    bool leftButtonHeld = false;
    QPoint pressGlobal;
    QWidget* moving = nullptr;
    QPoint moveOffset;
    QEventLoop* moveLoop = nullptr;

    // Drawing block in progress.
    Canvas* drawingOn = nullptr;
    QFont drawingFont;
};

extern GuiState gui;

void queueEvent(const WindowEvent& event);
void notePress(int control, QPoint global); // a left-button press that starts a window move
void refreshControlWindowMask(QWidget* window);
QWidget* windowOf(int window);
bool compositorRunning();
void applyBodyVariant(); // soft image with a compositor, hard-edged without
void pollDesktop();      // compositor and tray availability, every second
