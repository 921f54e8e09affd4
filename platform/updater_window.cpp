#include "platform/updater_window.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <map>

#include "platform/message_box.h"

namespace {

std::deque<UpdaterEvent> queue;
QEventLoop* waiting = nullptr;

void post(UpdaterEvent event) {
    for (const auto& e : queue)
        if (e.kind == event.kind && e.timer == event.timer) return;
    queue.push_back(event);
    if (waiting) waiting->quit();
}

// The program decides when the window goes: a close request is only passed on.
class StripWindow : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        post({UpdaterEventKind::closeRequest, 0});
    }
};

StripWindow* window = nullptr;
QLineEdit* field = nullptr;
std::map<int, QTimer*> timers;

QString qtText(const Text& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

bool openUpdaterWindow(const Text& title, int width, int height) {
    if (window || !QGuiApplication::instance()) return false;
    window = new StripWindow(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setWindowTitle(qtText(title));
    window->setFixedSize(width, height);
    QPalette colours = window->palette();
    for (auto role : {QPalette::Window, QPalette::Base})
        colours.setColor(role, Qt::black);
    for (auto role : {QPalette::Text, QPalette::WindowText})
        colours.setColor(role, QColor(0, 255, 0));
    window->setPalette(colours);
    window->setAutoFillBackground(true);

    field = new QLineEdit(window);
    field->setGeometry(0, 0, width, height);
    field->setReadOnly(true);
    field->setFrame(true);
    field->setAlignment(Qt::AlignCenter);
    field->setFocusPolicy(Qt::NoFocus);
    field->setPalette(colours);

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        window->move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
    }
    window->show();
    setMessageBoxOwner(window);
    return true;
}

void closeUpdaterWindow() {
    setMessageBoxOwner(nullptr);
    for (auto& [number, timer] : timers)
        delete timer;
    timers.clear();
    delete window;
    window = nullptr;
    field = nullptr;
    queue.clear();
}

void setUpdaterStatus(const Text& text) {
    if (!field) return;
    QString value = qtText(text);
    if (field->text() != value) field->setText(value);
}

Text updaterStatus() {
    if (!field) return {};
    QString value = field->text();
    return Text(reinterpret_cast<const char16_t*>(value.utf16()), static_cast<std::size_t>(value.size()));
}

void addUpdaterTimer(int timer, int periodMs) {
    if (!window) return;
    QTimer*& t = timers[timer];
    if (!t) {
        t = new QTimer();
        t->setTimerType(Qt::PreciseTimer);
        QObject::connect(t, &QTimer::timeout, [timer] { post({UpdaterEventKind::timer, timer}); });
    }
    t->start(periodMs);
}

UpdaterEvent waitUpdaterEvent(int timeoutMs) {
    if (queue.empty()) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        limit.setTimerType(Qt::PreciseTimer);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(timeoutMs);
        waiting = &loop;
        loop.exec();
        waiting = nullptr;
    } else {
        QCoreApplication::processEvents();
    }
    if (queue.empty()) return {};
    UpdaterEvent event = queue.front();
    queue.pop_front();
    return event;
}
