#include "platform/gui_application.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <cstdlib>
#include <cstring>

namespace {

QApplication* application = nullptr;

// Qt ends the process when the X server cannot be reached; ask first.
bool displayReachable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::strncmp(platform, "xcb", 3) != 0) return true;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

} // namespace

bool startGuiApplication(const char* programName) {
    if (QCoreApplication::instance()) return true;
    // Wayland cannot place windows at absolute positions; XWayland can.
    ::setenv("QT_QPA_PLATFORM", "xcb", 0);
    ::setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    if (!displayReachable()) return false;
    static int argc = 1;
    static char name[64];
    std::strncpy(name, programName, sizeof name - 1);
    static char* argv[] = {name, nullptr};
    application = new QApplication(argc, argv);
    return true;
}

void stopGuiApplication() {
    delete application;
    application = nullptr;
}
