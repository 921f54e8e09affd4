// Canvas controls with their mouse events and drawing, and the station picker.
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include <chrono>
#include <cstring>

#include "platform/gui_internal.h"

class Canvas : public QWidget {
public:
    Canvas(int number, QWidget* parent, int width, int height)
        : QWidget(parent), number(number), buffer(width, height, QImage::Format_ARGB32_Premultiplied),
          shown(width, height, QImage::Format_ARGB32_Premultiplied) {
        buffer.fill(Qt::black);
        shown.fill(Qt::black);
        setMouseTracking(true);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    int number;
    QImage buffer; // what the program draws
    QImage shown;  // what the screen shows
    QPainter painter;

    // Pushes the buffer to the screen only when its pixels changed: the program redraws every pass.
    void present() {
        if (std::memcmp(buffer.constBits(), shown.constBits(), static_cast<size_t>(buffer.sizeInBytes())) == 0)
            return;
        std::memcpy(shown.bits(), buffer.constBits(), static_cast<size_t>(buffer.sizeInBytes()));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, shown);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        QPoint at = event->position().toPoint();
        bool over = rect().contains(at);
        // A captured pointer keeps reporting outside the control: it left all the same.
        if (over && !inside) {
            inside = true;
            queue(ControlEventType::pointerEnter, at);
        } else if (!over && inside) {
            inside = false;
            queue(ControlEventType::pointerLeave, at);
        } else if (over) {
            queue(ControlEventType::pointerMove, at);
        }
    }
    void leaveEvent(QEvent*) override {
        if (!inside) return;
        inside = false;
        QPoint at = mapFromGlobal(QCursor::pos());
        queue(ControlEventType::pointerLeave, at);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        QPoint at = event->position().toPoint();
        auto now = std::chrono::steady_clock::now();
        auto interval = std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval());
        int distance = QGuiApplication::styleHints()->startDragDistance();
        bool second = now - lastPress < interval && (at - lastPressAt).manhattanLength() <= distance;
        lastPress = second ? std::chrono::steady_clock::time_point{} : now;
        lastPressAt = at;
        queue(ControlEventType::leftDown, at);
        // The second press of a double click is a button-down and a double click, not a press.
        if (second)
            queue(ControlEventType::doubleClick, at);
        else
            notePress(number, event->globalPosition().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {} // detected above, where it can replace the press
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) queue(ControlEventType::leftUp, event->position().toPoint());
    }

private:
    void queue(ControlEventType type, QPoint at) {
        queueEvent(WindowEvent{EventKind::control, number, type, 0, at.x(), at.y()});
    }
    bool inside = false;
    std::chrono::steady_clock::time_point lastPress{};
    QPoint lastPressAt;
};

namespace {

Canvas* canvasOf(int control) {
    auto found = gui.canvases.find(control);
    return found == gui.canvases.end() ? nullptr : found->second.data();
}

QComboBox* pickerOf(int control) {
    auto found = gui.pickers.find(control);
    return found == gui.pickers.end() ? nullptr : found->second.data();
}

QWidget* controlOf(int control) {
    if (QWidget* c = canvasOf(control)) return c;
    return pickerOf(control);
}

} // namespace

bool createCanvas(int control, int x, int y, int width, int height) {
    QWidget* parent = windowOf(gui.currentWindow);
    if (!parent || controlOf(control) || width <= 0 || height <= 0) return false;
    auto* canvas = new Canvas(control, parent, width, height);
    canvas->setGeometry(x, y, width, height);
    canvas->show();
    gui.canvases[control] = canvas;
    refreshControlWindowMask(parent);
    return true;
}

int controlWidth(int control) {
    QWidget* c = controlOf(control);
    return c ? c->width() : 0;
}

int controlHeight(int control) {
    QWidget* c = controlOf(control);
    return c ? c->height() : 0;
}

void setControlCursor(int control, Cursor cursor) {
    if (QWidget* c = controlOf(control))
        c->setCursor(cursor == Cursor::hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

bool beginDrawing(int control) {
    Canvas* canvas = canvasOf(control);
    if (!canvas || gui.drawingOn) return false;
    gui.drawingOn = canvas;
    canvas->painter.begin(&canvas->buffer);
    canvas->painter.setFont(gui.drawingFont);
    return true;
}

void drawImage(int slot, int x, int y) {
    auto found = gui.images.find(slot);
    if (!gui.drawingOn || found == gui.images.end()) return;
    gui.drawingOn->painter.drawImage(x, y, found->second.image);
}

void useFont(int font) {
    auto found = gui.fonts.find(font);
    if (found == gui.fonts.end()) return;
    gui.drawingFont = found->second;
    if (gui.drawingOn) gui.drawingOn->painter.setFont(gui.drawingFont);
}

int textWidth(const Text& text) {
    return QFontMetrics(gui.drawingFont).horizontalAdvance(toQString(text));
}

void drawText(const Text& text, int x, int y, std::uint32_t rgb) {
    if (!gui.drawingOn) return;
    QPainter& p = gui.drawingOn->painter;
    p.setPen(QColor::fromRgb(rgb));
    p.drawText(x, y + QFontMetrics(p.font()).ascent(), toQString(text));
}

void endDrawing() {
    if (!gui.drawingOn) return;
    gui.drawingOn->painter.end();
    gui.drawingOn->present();
    gui.drawingOn = nullptr;
}

std::uint32_t controlPixel(int control, int x, int y) {
    Canvas* canvas = canvasOf(control);
    if (!canvas || !canvas->shown.rect().contains(x, y)) return 0;
    return canvas->shown.pixel(x, y);
}

bool createPicker(int control, int x, int y, int width, int height) {
    QWidget* parent = windowOf(gui.currentWindow);
    if (!parent || controlOf(control)) return false;
    auto* picker = new QComboBox(parent);
    picker->setEditable(false);
    picker->setGeometry(x, y, width, height);
    picker->setMaxVisibleItems(20);
    // The stock dialog font of the desktop the radio was drawn for: 8 points, 11 pixels.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    picker->setFont(font);
    // A drop-down list drops below its box instead of covering the screen above it.
    picker->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    picker->show();
    gui.pickers[control] = picker;
    gui.pickerLastIndex[control] = -1;
    // activated also fires when the same item is picked again: only a change is an event.
    QObject::connect(picker, &QComboBox::activated, [control](int index) {
        if (index == gui.pickerLastIndex[control]) return;
        gui.pickerLastIndex[control] = index;
        queueEvent(WindowEvent{EventKind::control, control, ControlEventType::change});
    });
    refreshControlWindowMask(parent);
    return true;
}

void pickerClear(int control) {
    if (QComboBox* p = pickerOf(control)) {
        p->clear();
        gui.pickerLastIndex[control] = -1;
    }
}

void pickerAppend(int control, const Text& item) {
    if (QComboBox* p = pickerOf(control)) p->addItem(toQString(item));
}

void pickerSelect(int control, int index) {
    QComboBox* p = pickerOf(control);
    if (!p) return;
    p->setCurrentIndex(index);
    gui.pickerLastIndex[control] = p->currentIndex();
}

int pickerSelectedIndex(int control) {
    QComboBox* p = pickerOf(control);
    return p ? p->currentIndex() : -1;
}

Text pickerText(int control) {
    QComboBox* p = pickerOf(control);
    return p ? fromQString(p->currentText()) : Text();
}

void pickerSetRedraw(int control, bool enabled) {
    if (QComboBox* p = pickerOf(control)) p->setUpdatesEnabled(enabled);
}
