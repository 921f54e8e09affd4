// The toolkit's start and end, the event queue and waitWindowEvent, timers and the tray icon.
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdlib>
#include <memory>

#include "platform/gui_application.h"
#include "platform/gui_internal.h"

GuiState gui;

namespace {

std::map<int, QTimer*> timers;
struct Tray {
    int slot = 0;
    Text tooltip;
    QSystemTrayIcon* icon = nullptr;
};
std::map<int, Tray> trays;
QTimer* desktopPoll = nullptr;

// Tracks the left button for the window move, whichever of our widgets the event is for.
class MouseWatch : public QObject {
protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        auto type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseMove)
            return QObject::eventFilter(target, event);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!target->isWidgetType()) return false; // the widget gets the same event next
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            gui.leftButtonHeld = true;
            gui.pressGlobal = mouse->globalPosition().toPoint();
        }
        if (!gui.moving) {
            if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) gui.leftButtonHeld = false;
            return false;
        }
        if (type == QEvent::MouseMove) {
            gui.moving->move(mouse->globalPosition().toPoint() - gui.moveOffset);
        } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
            gui.leftButtonHeld = false;
            if (gui.moveLoop) gui.moveLoop->quit();
        }
        return true; // a move owns the mouse until the release
    }
};
MouseWatch* mouseWatch = nullptr;

void showTrayWhenPossible(Tray& tray, int number) {
    if (tray.icon || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    auto found = gui.images.find(tray.slot);
    QImage image = found != gui.images.end() ? found->second.image : QImage();
    tray.icon = new QSystemTrayIcon(QIcon(QPixmap::fromImage(image)), qApp);
    tray.icon->setToolTip(toQString(tray.tooltip));
    tray.icon->setObjectName(QString::number(number));
    tray.icon->show();
}

} // namespace

QString toQString(const Text& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Text fromQString(const QString& text) {
    return Text(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

bool startGui() {
    if (mouseWatch) return true;
    if (!startGuiApplication("TUNDRELlite")) return false;
    QApplication::setQuitOnLastWindowClosed(false);
    mouseWatch = new MouseWatch;
    qApp->installEventFilter(mouseWatch);
    desktopPoll = new QTimer(qApp);
    QObject::connect(desktopPoll, &QTimer::timeout, [] { pollDesktop(); });
    desktopPoll->start(1000);
    return true;
}

void stopGui() {
    if (!mouseWatch) return;
    for (auto& [number, tray] : trays)
        if (tray.icon) tray.icon->hide();
    trays.clear();
    timers.clear();
    for (auto& [number, window] : gui.windows)
        if (window) window->hide();
    for (auto& [number, window] : gui.windows)
        delete window.data();
    gui = GuiState();
    qApp->removeEventFilter(mouseWatch);
    delete mouseWatch;
    mouseWatch = nullptr;
    stopGuiApplication();
}

void pollDesktop() {
    applyBodyVariant();
    for (auto& [number, tray] : trays)
        showTrayWhenPossible(tray, number);
}

void queueEvent(const WindowEvent& event) {
    gui.queue.push_back(event);
    if (gui.waitLoop) gui.waitLoop->quit();
}

void notePress(int control, QPoint global) {
    gui.pressPending = true;
    gui.press = WindowEvent{EventKind::leftPress, control};
    gui.pressGlobal = global;
    if (gui.waitLoop) gui.waitLoop->quit();
}

WindowEvent waitWindowEvent(int timeoutMs) {
    auto takeQueued = [] {
        WindowEvent event = gui.queue.front();
        gui.queue.pop_front();
        return event;
    };
    if (!mouseWatch) return WindowEvent{};
    if (!gui.pressPending && !gui.queue.empty()) return takeQueued();
    if (!gui.pressPending) {
        QEventLoop loop;
        gui.waitLoop = &loop;
        QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        gui.waitLoop = nullptr;
    }
    // The press is the message taken in this wait; what its dispatch queued comes in later calls.
    if (gui.pressPending) {
        gui.pressPending = false;
        return gui.press;
    }
    if (!gui.queue.empty()) return takeQueued();
    return WindowEvent{};
}

void addWindowTimer(int window, int timer, int periodMs) {
    QWidget* owner = windowOf(window);
    if (!owner) return;
    auto* t = new QTimer(owner);
    t->setTimerType(Qt::PreciseTimer);
    QObject::connect(t, &QTimer::timeout, [timer] {
        // A tick still waiting in the queue is not repeated: a long handler must not pile them up.
        for (const auto& queued : gui.queue)
            if (queued.kind == EventKind::timer && queued.timer == timer) return;
        queueEvent(WindowEvent{EventKind::timer, 0, ControlEventType::none, timer});
    });
    t->start(periodMs);
    timers[timer] = t;
}

void addTrayIcon(int icon, int, int slot, const Text& tooltip) {
    Tray& tray = trays[icon];
    tray.slot = slot;
    tray.tooltip = tooltip.substr(0, 63);
    showTrayWhenPossible(tray, icon);
}
