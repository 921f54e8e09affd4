// What end-to-end tests use to run the real player: a virtual display (Xvfb, optionally with openbox and
// picom), the station-list server on its fixed port, the player in a folder of its own, and the means to
// drive it (xdotool) and to look at it (screenshots, window geometry, its audio capture).
// Every object stops, in its destructor, only the processes it started.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

// ---- processes ------------------------------------------------------------------------------------

// A child process with its output in a log file. env: NAME=VALUE pairs added to ours (an empty VALUE
// removes nothing: it sets the variable empty).
struct Process {
    pid_t pid = -1;
    std::optional<int> exitCode; // once it has ended: its exit code, or 128 + signal
};
Process startProcess(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
                     const std::string& folder = "", const std::string& logPath = "/dev/null");
bool hasEnded(Process& process);
// The exit code, or nothing when it still runs after `timeout`.
std::optional<int> waitForExit(Process& process, Milliseconds timeout);
// SIGTERM, then SIGKILL when it has not ended within a second.
void stopProcess(Process& process);

// Runs a command to its end and returns what it printed on stdout.
std::string runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});

void pauseFor(Milliseconds time);

// Polls `condition` every 50 ms until it holds or `timeout` passes.
template <typename Condition> bool waitUntil(Condition condition, Milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        pauseFor(50ms);
    }
}

// ---- folders and files ----------------------------------------------------------------------------

// A new empty folder under the system's temporary folder, removed with everything in it at the end.
struct TempFolder {
    explicit TempFolder(const std::string& label = "e2e");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string path;
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

std::string readFile(const std::string& path); // empty when missing
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

// ---- the virtual display --------------------------------------------------------------------------

enum class Desktop { plain, openbox, openboxPicom };
const char* desktopName(Desktop desktop); // "plain", "openbox", "openbox_picom"
inline void PrintTo(Desktop desktop, std::ostream* out) {
    *out << desktopName(desktop);
} // test names

// The picture of the whole screen, as 0xRRGGBB per pixel.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const;
    bool savePng(const std::string& path) const;
};
// A PNG file as 0xAARRGGBB per pixel (not premultiplied); empty when it cannot be read.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture readPng(const std::string& path);

int alpha(std::uint32_t argb);
int red(std::uint32_t rgb);
int green(std::uint32_t rgb);
int blue(std::uint32_t rgb);

struct WindowInfo {
    unsigned long id = 0;
    int x = 0; // top-left corner on the screen
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
};

// The desktop's colour: a light blue, so that dark fringes show and nothing of the skin has it.
constexpr std::uint32_t desktopColour = 0x8FB0D8;

// Xvfb on a free display number, 1024 x 768 x 24, with the window manager and compositor of `desktop`.
class VirtualDisplay {
  public:
    explicit VirtualDisplay(Desktop desktop = Desktop::plain);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool ready() const { return connection != nullptr; }
    const std::string& name() const { return displayName; } // ":7"
    Desktop desktop() const { return setup; }
    std::vector<std::string> environment() const { return {"DISPLAY=" + displayName}; }

    // Top-level windows of client programs whose title matches exactly.
    std::vector<unsigned long> findWindows(const std::string& title) const;
    // The windows that name `owner` as their transient-for window.
    std::vector<unsigned long> transientsOf(unsigned long owner) const;
    std::optional<WindowInfo> window(unsigned long id) const;
    std::string windowTitle(unsigned long id) const;
    // The atoms of a window's _NET_WM_STATE, by name.
    std::vector<std::string> windowStates(unsigned long id) const;

    Screenshot screenshot() const;

    // Input, through xdotool, at screen coordinates.
    void moveMouse(int x, int y) const;
    void pressButton() const;   // left button down
    void releaseButton() const; // left button up
    void click(int x, int y) const;
    // Press at `from`, move in steps to `to`, release.
    void drag(int fromX, int fromY, int toX, int toY) const;
    void pressKey(const std::string& key) const; // "Return", "Escape", ...
    // What a window manager's close button does: a WM_DELETE_WINDOW message to the window.
    void requestClose(unsigned long id) const;

    std::string xdotool(const std::vector<std::string>& args) const;

  private:
    bool startWindowManager();
    bool startCompositor();

    Desktop setup;
    std::string displayName;
    void* connection = nullptr; // Xlib Display*, for queries and screenshots
    Process server, windowManager, compositor;
    std::string logFolder;
};

// ---- the station-list server ----------------------------------------------------------------------

// server/station-server at the build's station-list URL (by default 127.0.0.1:8419; tests that use it
// take the port's lock) over a www folder of the test's: by default a station list of two stations on
// unreachable ports and the version file "1.08.3", so no update is offered.
class StationServer {
  public:
    StationServer();
    ~StationServer();
    StationServer(const StationServer&) = delete;
    StationServer& operator=(const StationServer&) = delete;

    // Lines are written with CR LF endings.
    void setStationList(const std::vector<std::string>& lines);
    void setFile(const std::string& name, const std::string& bytes);
    bool start(); // waits for its "ready" line; false when the port is taken
    std::string url(const std::string& name = "") const; // the build's base URL + name

    TempFolder www{"e2e-www"};

  private:
    Process process;
};

// ---- the player -----------------------------------------------------------------------------------

std::string playerBinary();  // the build's TUNDRELlite
std::string engineLibrary(); // libfmodex.so beside it

struct PlayerOptions {
    std::string binary = playerBinary();
    std::string audioOut = "null"; // TUNDREL_AUDIO_OUT: "null" or "file:PATH"
    bool offline = false;          // in a network namespace with loopback only (needs root)
    std::vector<std::string> env;  // more NAME=VALUE pairs
};

// The player running in `folder` (its current folder) on a display. Stopped at the end if still running.
class Player {
  public:
    Player(const VirtualDisplay& display, const std::string& folder, PlayerOptions options = {});
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    bool start();
    bool running();
    std::optional<int> waitForExit(Milliseconds timeout = 10s);
    std::string log() const;

    // The body window "Alpha Window Test" once it is viewable, and the control window above it.
    std::optional<WindowInfo> waitForBody(Milliseconds timeout = 15s);
    std::optional<WindowInfo> body() const;
    std::optional<WindowInfo> controls() const;

    // Input at points of the body window (its top-left corner is 0,0).
    void click(int x, int y) const;
    void drag(int fromX, int fromY, int toX, int toY) const;
    std::uint32_t pixel(const Screenshot& shot, int x, int y) const; // a body point in a screenshot

    const std::string folder;

  private:
    const VirtualDisplay& display;
    PlayerOptions options;
    Process process;
    unsigned long bodyId = 0;
};

// ---- audio captures -------------------------------------------------------------------------------

// A capture of TUNDREL_AUDIO_OUT=file:PATH: signed 16-bit little-endian, 44,100 Hz, stereo.
constexpr int captureRate = 44100;
std::vector<std::int16_t> readCapture(const std::string& path);
double captureSeconds(const std::vector<std::int16_t>& samples);
// Root mean square of both channels between two times, relative to full scale, in dB (-inf for silence).
double rmsDbfs(const std::vector<std::int16_t>& samples, double fromSeconds, double toSeconds);

} // namespace e2e
