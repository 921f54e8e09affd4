// The two skin windows: a body with per-pixel alpha and a colour-keyed window for the controls
// above it; their creation, position, stacking and the move by mouse.
#include <QBitmap>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <xcb/xcb.h>

#include "platform/gui_internal.h"

namespace {

xcb_connection_t* xcbConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    xcb_atom_t atom = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return atom;
}

// Qt never sets skip-taskbar; the owned window must not get an entry of its own.
void skipTaskbar(QWidget* widget) {
    xcb_connection_t* c = xcbConnection();
    if (!c) return;
    xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    xcb_atom_t atoms[] = {internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"), internAtom(c, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(c, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(widget->winId()), state,
                        XCB_ATOM_ATOM, 32, 2, atoms);
    xcb_flush(c);
}

class SkinWindow : public QWidget {
public:
    SkinWindow(int number, QWidget* owner)
        : QWidget(owner, owner ? Qt::Tool | Qt::FramelessWindowHint : Qt::Window | Qt::FramelessWindowHint),
          number(number) {
        setAttribute(Qt::WA_TranslucentBackground);
        setMouseTracking(true);
    }

    int number;
    QImage soft;          // premultiplied, as presented
    bool keyed = false;   // colour-keyed: only the controls show
    bool hardEdges = false;
    QColor background{255, 0, 255};

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (!soft.isNull())
            painter.drawImage(0, 0, hardEdges ? hardVariant() : soft);
        else if (!keyed)
            painter.fillRect(rect(), background);
        notify(messagePaint);
    }
    void moveEvent(QMoveEvent*) override { notify(messageMove); }
    void resizeEvent(QResizeEvent*) override { notify(messageSize); }
    void closeEvent(QCloseEvent* event) override { event->ignore(); } // only the power button ends the radio
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) notePress(0, event->globalPosition().toPoint());
    }

private:
    void notify(int message) {
        auto found = gui.callbacks.find(number);
        if (found != gui.callbacks.end() && found->second) found->second(number, message);
    }
    // Without a compositor partial alpha would show as a dark fringe: opaque where alpha >= 128.
    QImage hardVariant() const {
        QImage hard = soft.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < hard.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(hard.scanLine(y));
            for (int x = 0; x < hard.width(); ++x)
                row[x] = qAlpha(row[x]) >= 128 ? (row[x] | 0xFF000000u) : 0u;
        }
        return hard;
    }
};

SkinWindow* skinWindow(int window) { return dynamic_cast<SkinWindow*>(windowOf(window)); }

QBitmap alphaMask(const QImage& image, int threshold) {
    QImage mono(image.size(), QImage::Format_MonoLSB);
    mono.setColorCount(2);
    mono.setColor(0, qRgb(255, 255, 255));
    mono.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            mono.setPixel(x, y, qAlpha(row[x]) >= threshold ? 1 : 0);
    }
    return QBitmap::fromImage(mono);
}

bool lastCompositing = false;
bool compositingKnown = false;

} // namespace

QWidget* windowOf(int window) {
    auto found = gui.windows.find(window);
    return found == gui.windows.end() ? nullptr : found->second.data();
}

bool compositorRunning() {
    xcb_connection_t* c = xcbConnection();
    if (!c) return false;
    // Asked every second: intern the selection's name once.
    static xcb_atom_t selection = XCB_ATOM_NONE;
    if (selection == XCB_ATOM_NONE) selection = internAtom(c, "_NET_WM_CM_S0");
    auto cookie = xcb_get_selection_owner(c, selection);
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(c, cookie, nullptr);
    bool running = reply && reply->owner != XCB_NONE;
    free(reply);
    return running;
}

void applyBodyVariant() {
    bool compositing = compositorRunning();
    if (compositingKnown && compositing == lastCompositing) return;
    compositingKnown = true;
    lastCompositing = compositing;
    for (auto& [number, widget] : gui.windows) {
        auto* window = dynamic_cast<SkinWindow*>(widget.data());
        if (!window || window->soft.isNull()) continue;
        window->hardEdges = !compositing;
        window->setMask(alphaMask(window->soft, compositing ? 1 : 128));
        window->update();
    }
}

bool createWindow(int window, int width, int height, const Text& title, int ownerWindow) {
    if (windowOf(window)) return false;
    QWidget* owner = ownerWindow >= 0 ? windowOf(ownerWindow) : nullptr;
    if (ownerWindow >= 0 && !owner) return false;
    auto* w = new SkinWindow(window, owner);
    w->setWindowTitle(toQString(title));
    w->setFixedSize(width, height);
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    w->move(screen.x() + (screen.width() - std::min(screen.width(), width)) / 2,
            screen.y() + (screen.height() - std::min(screen.height(), height)) / 2);
    if (owner) skipTaskbar(w);
    gui.windows[window] = w;
    gui.currentWindow = window;
    return true;
}

void showWindow(int window) {
    if (QWidget* w = windowOf(window)) w->show();
}

void moveWindow(int window, int x, int y) {
    QWidget* w = windowOf(window);
    if (w && w->pos() != QPoint(x, y)) w->move(x, y);
}

bool windowPosition(int window, int& x, int& y) {
    QWidget* w = windowOf(window);
    if (!w) return false;
    x = w->pos().x();
    y = w->pos().y();
    return true;
}

void setWindowTopmost(int window, bool topmost) {
    QWidget* w = windowOf(window);
    if (!w) return;
    w->winId();
    w->windowHandle()->setFlag(Qt::WindowStaysOnTopHint, topmost);
    w->raise();
    // The owned control window must stay above its body.
    for (auto& [number, other] : gui.windows)
        if (other && other->parentWidget() == w) other->raise();
}

void setWindowBackground(int window, std::uint32_t rgb) {
    if (SkinWindow* w = skinWindow(window)) w->background = QColor::fromRgb(rgb);
}

bool presentWindowImage(int window, int slot, std::uint8_t constantAlpha) {
    SkinWindow* w = skinWindow(window);
    auto found = gui.images.find(slot);
    if (!w || found == gui.images.end() || found->second.depth != 32) return false;
    const QImage& source = found->second.image;
    // The slot already holds premultiplied colour; view it as such.
    QImage premultiplied(source.constBits(), source.width(), source.height(), source.bytesPerLine(),
                         QImage::Format_ARGB32_Premultiplied);
    w->soft = premultiplied.copy();
    w->setWindowOpacity(constantAlpha / 255.0);
    compositingKnown = false;
    applyBodyVariant();
    w->update();
    return true;
}

void setWindowColourKey(int window, std::uint32_t) {
    SkinWindow* w = skinWindow(window);
    if (!w) return;
    w->keyed = true;
    refreshControlWindowMask(w);
}

void refreshControlWindowMask(QWidget* window) {
    auto* w = dynamic_cast<SkinWindow*>(window);
    if (!w || !w->keyed) return;
    QRegion region;
    for (QObject* child : w->children())
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            region += widget->geometry();
    // An empty mask would mean "no mask": keep one invisible pixel instead.
    w->setMask(region.isEmpty() ? QRegion(0, 0, 1, 1) : region);
}

void setWindowCallback(int window, WindowCallback callback) { gui.callbacks[window] = callback; }

void moveWindowWithMouse(int window) {
    QWidget* w = windowOf(window);
    if (!w || !gui.leftButtonHeld || !w->isVisible()) return;
    gui.moving = w;
    gui.moveOffset = gui.pressGlobal - w->pos();
    w->grabMouse();
    QEventLoop loop;
    gui.moveLoop = &loop;
    loop.exec();
    gui.moveLoop = nullptr;
    w->releaseMouse();
    gui.moving = nullptr;
}
