#include "harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

// ---- processes ------------------------------------------------------------------------------------

namespace {

// Our environment with `extra` laid over it; built before fork, since the child may only exec.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> merged;
    auto nameOf = [](const std::string& pair) { return pair.substr(0, pair.find('=')); };
    for (char** e = environ; *e; ++e) {
        std::string pair = *e;
        bool replaced = false;
        for (const auto& x : extra)
            replaced = replaced || nameOf(x) == nameOf(pair);
        if (!replaced) merged.push_back(pair);
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (auto& t : texts)
        out.push_back(t.data());
    out.push_back(nullptr);
    return out;
}

// fork + exec; stdout goes to `outFd` (or the log file), stderr to the log file.
pid_t spawn(std::vector<std::string> argv, const std::vector<std::string>& extraEnv,
            const std::string& folder, const std::string& logPath, int outFd) {
    std::vector<std::string> env = mergedEnvironment(extraEnv);
    std::vector<char*> args = pointersTo(argv);
    std::vector<char*> envp = pointersTo(env);
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Its own process group: stopping it reaches whatever it started itself.
    ::setpgid(0, 0);
    int in = ::open("/dev/null", O_RDONLY);
    int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in >= 0) ::dup2(in, 0);
    if (log >= 0) ::dup2(log, 2);
    ::dup2(outFd >= 0 ? outFd : log, 1);
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(127);
    ::execvpe(args[0], args.data(), envp.data());
    ::_exit(127);
}

void reap(Process& process, int status) {
    process.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace

void pauseFor(Milliseconds time) {
    std::this_thread::sleep_for(time);
}

Process startProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::string& folder, const std::string& logPath) {
    Process process;
    process.pid = spawn(argv, env, folder, logPath, -1);
    return process;
}

bool hasEnded(Process& process) {
    if (process.exitCode) return true;
    if (process.pid <= 0) return true;
    int status = 0;
    if (::waitpid(process.pid, &status, WNOHANG) == process.pid) reap(process, status);
    return process.exitCode.has_value();
}

std::optional<int> waitForExit(Process& process, Milliseconds timeout) {
    if (process.pid <= 0) return std::nullopt;
    waitUntil([&] { return hasEnded(process); }, timeout);
    return process.exitCode;
}

void stopProcess(Process& process) {
    if (process.pid <= 0 || hasEnded(process)) return;
    ::kill(-process.pid, SIGTERM);
    ::kill(process.pid, SIGTERM);
    if (!waitForExit(process, 1000ms)) {
        ::kill(-process.pid, SIGKILL);
        ::kill(process.pid, SIGKILL);
        waitForExit(process, 5000ms);
    }
}

std::string runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return {};
    pid_t pid = spawn(argv, env, "", "/dev/null", fds[1]);
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}

// ---- folders and files ----------------------------------------------------------------------------

TempFolder::TempFolder(const std::string& label) {
    std::string pattern = (fs::temp_directory_path() / ("tundrel-" + label + ".XXXXXX")).string();
    if (::mkdtemp(pattern.data())) path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool fileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// ---- screenshots ----------------------------------------------------------------------------------

int alpha(std::uint32_t argb) {
    return (argb >> 24) & 0xFF;
}
int red(std::uint32_t rgb) {
    return (rgb >> 16) & 0xFF;
}
int green(std::uint32_t rgb) {
    return (rgb >> 8) & 0xFF;
}
int blue(std::uint32_t rgb) {
    return rgb & 0xFF;
}

std::uint32_t Screenshot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return pixels[static_cast<size_t>(y) * width + x];
}

bool Screenshot::savePng(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(static_cast<size_t>(width) * 3);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                std::uint32_t p = at(x, y);
                row[x * 3] = static_cast<png_byte>(red(p));
                row[x * 3 + 1] = static_cast<png_byte>(green(p));
                row[x * 3 + 2] = static_cast<png_byte>(blue(p));
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return ok;
}

Picture readPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_BGRA; // little-endian 0xAARRGGBB words
    std::vector<std::uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels = std::move(pixels);
    return picture;
}

// ---- the virtual display --------------------------------------------------------------------------

namespace {

::Display* xOf(void* connection) {
    return static_cast<::Display*>(connection);
}

// Windows vanish between a query and the next; such errors are expected, not fatal.
int ignoreXErrors(::Display*, XErrorEvent*) {
    return 0;
}

Atom atom(::Display* x, const char* name) {
    return XInternAtom(x, name, False);
}

std::string textProperty(::Display* x, Window w, const char* name, Atom type) {
    Atom actualType;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(x, w, atom(x, name), 0, 4096, False, type, &actualType, &format, &count, &after,
                           &data) == Success &&
        data && format == 8)
        out.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return out;
}

bool hasProperty(::Display* x, Window w, const char* name) {
    int count = 0;
    Atom* atoms = XListProperties(x, w, &count);
    bool found = false;
    Atom wanted = atom(x, name);
    for (int i = 0; i < count; ++i)
        found = found || atoms[i] == wanted;
    if (atoms) XFree(atoms);
    return found;
}

void forEachWindow(::Display* x, Window from, const std::function<void(Window)>& visit) {
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x, from, &root, &parent, &children, &count)) return;
    std::vector<Window> list(children, children + count);
    if (children) XFree(children);
    for (Window w : list) {
        visit(w);
        forEachWindow(x, w, visit);
    }
}

const char* xvfbLog = "xvfb.log";

// A light desktop, as a root pixmap that compositors also use: a dark fringe around the radio shows on it.
void paintDesktop(::Display* x, std::uint32_t rgb) {
    Window root = DefaultRootWindow(x);
    int screen = DefaultScreen(x);
    int width = DisplayWidth(x, screen), height = DisplayHeight(x, screen);
    Pixmap pixmap = XCreatePixmap(x, root, width, height, DefaultDepth(x, screen));
    GC gc = XCreateGC(x, pixmap, 0, nullptr);
    XSetForeground(x, gc, rgb);
    XFillRectangle(x, pixmap, gc, 0, 0, width, height);
    XFreeGC(x, gc);
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID", "_XSETROOT_ID"})
        XChangeProperty(x, root, atom(x, name), XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(x, root, pixmap);
    XClearWindow(x, root);
    // The pixmap must outlive our connection.
    XSetCloseDownMode(x, RetainPermanent);
    XSync(x, False);
}

} // namespace

const char* desktopName(Desktop desktop) {
    switch (desktop) {
    case Desktop::plain:
        return "plain";
    case Desktop::openbox:
        return "openbox";
    case Desktop::openboxPicom:
        return "openbox_picom";
    }
    return "?";
}

VirtualDisplay::VirtualDisplay(Desktop desktop) : setup(desktop) {
    std::string pattern = (fs::temp_directory_path() / "tundrel-e2e-x.XXXXXX").string();
    if (::mkdtemp(pattern.data())) logFolder = pattern;
    XSetErrorHandler(ignoreXErrors);
    // A number no other server holds; another test starting at the same moment makes ours fail, and we
    // take the next.
    int first = 100 + ::getpid() % 400;
    for (int n = first; n < first + 40 && !connection; ++n) {
        std::string name = ":" + std::to_string(n);
        if (fileExists("/tmp/.X" + std::to_string(n) + "-lock") ||
            fileExists("/tmp/.X11-unix/X" + std::to_string(n)))
            continue;
        server = startProcess({"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {}, "",
                              logFolder + "/" + xvfbLog);
        waitUntil(
            [&] {
                if (hasEnded(server)) return true;
                connection = XOpenDisplay(name.c_str());
                return connection != nullptr;
            },
            10s);
        if (connection && hasEnded(server)) { // someone else's server answered
            XCloseDisplay(xOf(connection));
            connection = nullptr;
        }
        if (connection)
            displayName = name;
        else
            stopProcess(server);
    }
    if (!connection) return;
    paintDesktop(xOf(connection), desktopColour);
    bool ok = desktop == Desktop::plain || startWindowManager();
    if (ok && desktop == Desktop::openboxPicom) ok = startCompositor();
    if (!ok) {
        XCloseDisplay(xOf(connection));
        connection = nullptr;
    }
}

bool VirtualDisplay::startWindowManager() {
    windowManager = startProcess({"openbox", "--sm-disable"}, environment(), "", logFolder + "/openbox.log");
    ::Display* x = xOf(connection);
    return waitUntil([&] { return hasProperty(x, DefaultRootWindow(x), "_NET_SUPPORTING_WM_CHECK"); }, 10s);
}

bool VirtualDisplay::startCompositor() {
    compositor = startProcess({"picom", "--backend", "xrender", "--config", "/dev/null"}, environment(), "",
                              logFolder + "/picom.log");
    ::Display* x = xOf(connection);
    return waitUntil([&] { return XGetSelectionOwner(x, atom(x, "_NET_WM_CM_S0")) != None; }, 10s);
}

VirtualDisplay::~VirtualDisplay() {
    if (connection) XCloseDisplay(xOf(connection));
    stopProcess(compositor);
    stopProcess(windowManager);
    stopProcess(server);
    std::error_code ignored;
    if (!logFolder.empty()) fs::remove_all(logFolder, ignored);
}

std::string VirtualDisplay::windowTitle(unsigned long id) const {
    ::Display* x = xOf(connection);
    std::string title = textProperty(x, id, "_NET_WM_NAME", atom(x, "UTF8_STRING"));
    return title.empty() ? textProperty(x, id, "WM_NAME", XA_STRING) : title;
}

std::vector<unsigned long> VirtualDisplay::findWindows(const std::string& title) const {
    std::vector<unsigned long> found;
    if (!connection) return found;
    ::Display* x = xOf(connection);
    forEachWindow(x, DefaultRootWindow(x), [&](Window w) {
        if (hasProperty(x, w, "WM_CLASS") && windowTitle(w) == title) found.push_back(w);
    });
    return found;
}

std::vector<unsigned long> VirtualDisplay::transientsOf(unsigned long owner) const {
    std::vector<unsigned long> found;
    if (!connection) return found;
    ::Display* x = xOf(connection);
    forEachWindow(x, DefaultRootWindow(x), [&](Window w) {
        Window target = None;
        if (XGetTransientForHint(x, w, &target) && target == owner) found.push_back(w);
    });
    return found;
}

std::optional<WindowInfo> VirtualDisplay::window(unsigned long id) const {
    if (!connection) return std::nullopt;
    ::Display* x = xOf(connection);
    XWindowAttributes a;
    if (!XGetWindowAttributes(x, id, &a)) return std::nullopt;
    Window child;
    WindowInfo info;
    info.id = id;
    if (!XTranslateCoordinates(x, id, DefaultRootWindow(x), 0, 0, &info.x, &info.y, &child))
        return std::nullopt;
    info.width = a.width;
    info.height = a.height;
    info.viewable = a.map_state == IsViewable;
    return info;
}

std::vector<std::string> VirtualDisplay::windowStates(unsigned long id) const {
    std::vector<std::string> names;
    if (!connection) return names;
    ::Display* x = xOf(connection);
    Atom actualType;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, id, atom(x, "_NET_WM_STATE"), 0, 64, False, XA_ATOM, &actualType, &format,
                           &count, &after, &data) == Success &&
        data && format == 32) {
        auto* atoms = reinterpret_cast<Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char* name = XGetAtomName(x, atoms[i]);
            if (name) names.emplace_back(name);
            if (name) XFree(name);
        }
    }
    if (data) XFree(data);
    return names;
}

Screenshot VirtualDisplay::screenshot() const {
    Screenshot shot;
    if (!connection) return shot;
    ::Display* x = xOf(connection);
    Window root = DefaultRootWindow(x);
    XWindowAttributes a;
    XGetWindowAttributes(x, root, &a);
    XImage* image = XGetImage(x, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image) return shot;
    shot.width = a.width;
    shot.height = a.height;
    shot.pixels.resize(static_cast<size_t>(a.width) * a.height);
    for (int yy = 0; yy < a.height; ++yy)
        for (int xx = 0; xx < a.width; ++xx)
            shot.pixels[static_cast<size_t>(yy) * a.width + xx] =
                static_cast<std::uint32_t>(XGetPixel(image, xx, yy)) & 0xFFFFFFu;
    XDestroyImage(image);
    return shot;
}

std::string VirtualDisplay::xdotool(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runCommand(argv, environment());
}

void VirtualDisplay::moveMouse(int x, int y) const {
    xdotool({"mousemove", std::to_string(x), std::to_string(y)});
}
void VirtualDisplay::pressButton() const {
    xdotool({"mousedown", "1"});
}
void VirtualDisplay::releaseButton() const {
    xdotool({"mouseup", "1"});
}

void VirtualDisplay::click(int x, int y) const {
    moveMouse(x, y);
    pauseFor(100ms);
    pressButton();
    pauseFor(100ms);
    releaseButton();
}

void VirtualDisplay::drag(int fromX, int fromY, int toX, int toY) const {
    moveMouse(fromX, fromY);
    pauseFor(100ms);
    pressButton();
    // Let the program take the press before the pointer moves away from where it was pressed.
    pauseFor(200ms);
    constexpr int steps = 10;
    for (int i = 1; i <= steps; ++i) {
        moveMouse(fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps);
        pauseFor(30ms);
    }
    pauseFor(200ms);
    releaseButton();
    pauseFor(200ms);
}

void VirtualDisplay::pressKey(const std::string& key) const {
    xdotool({"key", key});
}

void VirtualDisplay::requestClose(unsigned long id) const {
    if (!connection) return;
    ::Display* x = xOf(connection);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = atom(x, "WM_PROTOCOLS");
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom(x, "WM_DELETE_WINDOW"));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, id, False, NoEventMask, &event);
    XFlush(x);
}

// ---- the station-list server ----------------------------------------------------------------------

StationServer::StationServer() {
    setStationList({"(Pop Rock) Radio Paradise,http://127.0.0.1:9/mp3-128",
                    "(Jazz) Tundrel Test Jazz,http://127.0.0.1:9/jazz"});
    setFile("lastlite.pzt", "1.08.3");
}

StationServer::~StationServer() {
    stopProcess(process);
}

void StationServer::setStationList(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    setFile("radiolist07.pzt", text);
}

void StationServer::setFile(const std::string& name, const std::string& bytes) {
    writeFile(www / name, bytes);
}

bool StationServer::start() {
    std::string log = www.path + ".log";
    // The server takes its port and path from the same URL the player was built with.
    process = startProcess({std::string(TUNDREL_SOURCE_DIR) + "/server/station-server", "--root", www.path},
                           {"TUNDREL_SERVER_URL=" + url()}, "", log);
    bool ready =
        waitUntil([&] { return hasEnded(process) || readFile(log).find("ready") != std::string::npos; }, 10s);
    bool ok = ready && !hasEnded(process);
    std::remove(log.c_str());
    return ok;
}

std::string StationServer::url(const std::string& name) const {
    return TUNDREL_SERVER_URL + name;
}

// ---- the player -----------------------------------------------------------------------------------

std::string playerBinary() {
    return std::string(TUNDREL_BIN_DIR) + "/TUNDRELlite";
}
std::string engineLibrary() {
    return std::string(TUNDREL_BIN_DIR) + "/libfmodex.so";
}

namespace {
std::string logFileFor(const std::string& folder) {
    return (fs::temp_directory_path() /
            ("tundrel-e2e-player-" + fs::path(folder).filename().string() + ".log"))
        .string();
}
} // namespace

Player::Player(const VirtualDisplay& display, const std::string& folder, PlayerOptions options)
    : folder(folder), display(display), options(std::move(options)) {}

Player::~Player() {
    stopProcess(process);
    std::remove(logFileFor(folder).c_str());
}

bool Player::start() {
    std::vector<std::string> env = display.environment();
    env.push_back("TUNDREL_AUDIO_OUT=" + options.audioOut);
    env.insert(env.end(), options.env.begin(), options.env.end());
    std::vector<std::string> argv{options.binary};
    // Loopback only: the program must find itself offline. The X server's socket is a file, so the
    // display still works.
    if (options.offline)
        argv = {"unshare", "-n", "sh", "-c", "ip link set lo up && exec \"$0\"", options.binary};
    std::remove(logFileFor(folder).c_str());
    process = startProcess(argv, env, folder, logFileFor(folder));
    return process.pid > 0;
}

bool Player::running() {
    return !hasEnded(process);
}

std::optional<int> Player::waitForExit(Milliseconds timeout) {
    return e2e::waitForExit(process, timeout);
}

std::string Player::log() const {
    return readFile(logFileFor(folder));
}

std::optional<WindowInfo> Player::waitForBody(Milliseconds timeout) {
    waitUntil(
        [&] {
            if (hasEnded(process)) return true;
            for (unsigned long id : display.findWindows("Alpha Window Test")) {
                auto info = display.window(id);
                if (info && info->viewable) bodyId = id;
            }
            auto c = controls();
            return bodyId != 0 && c && c->viewable;
        },
        timeout);
    auto c = controls();
    if (!c || !c->viewable) return std::nullopt;
    return body();
}

std::optional<WindowInfo> Player::body() const {
    if (!bodyId) return std::nullopt;
    return display.window(bodyId);
}

std::optional<WindowInfo> Player::controls() const {
    if (!bodyId) return std::nullopt;
    for (unsigned long id : display.transientsOf(bodyId))
        if (auto info = display.window(id); info && info->viewable) return info;
    return std::nullopt;
}

void Player::click(int x, int y) const {
    auto b = body();
    if (b) display.click(b->x + x, b->y + y);
}

void Player::drag(int fromX, int fromY, int toX, int toY) const {
    auto b = body();
    if (b) display.drag(b->x + fromX, b->y + fromY, b->x + toX, b->y + toY);
}

std::uint32_t Player::pixel(const Screenshot& shot, int x, int y) const {
    auto b = body();
    return b ? shot.at(b->x + x, b->y + y) : 0;
}

// ---- audio captures -------------------------------------------------------------------------------

std::vector<std::int16_t> readCapture(const std::string& path) {
    std::string bytes = readFile(path);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                               (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return samples;
}

double captureSeconds(const std::vector<std::int16_t>& samples) {
    return static_cast<double>(samples.size()) / 2.0 / captureRate;
}

double rmsDbfs(const std::vector<std::int16_t>& samples, double fromSeconds, double toSeconds) {
    auto frameAt = [&](double seconds) {
        double frame = std::clamp(seconds, 0.0, captureSeconds(samples)) * captureRate;
        return static_cast<size_t>(frame);
    };
    size_t from = frameAt(fromSeconds) * 2, to = frameAt(toSeconds) * 2;
    if (to <= from) return -std::numeric_limits<double>::infinity();
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    double rms = std::sqrt(sum / static_cast<double>(to - from)) / 32768.0;
    return rms > 0 ? 20.0 * std::log10(rms) : -std::numeric_limits<double>::infinity();
}

} // namespace e2e
