// Helpers for end-to-end tests of windows: processes, an Xvfb display with a window manager, and
// windows found and driven through xdotool. Header-only; include once per test program.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace desktop {

using namespace std::chrono_literals;

constexpr int screenWidth = 1024;
constexpr int screenHeight = 768;

inline pid_t spawn(const std::vector<std::string>& argv, const std::string& folder, int displayFd = -1) {
    pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(127);
    if (displayFd >= 0) ::dup2(displayFd, 3);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
}

inline void stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = 0;
}

inline bool waitUntil(const std::function<bool()>& done, std::chrono::seconds limit = 15s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

inline std::string output(const std::string& command) {
    std::string text;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p))
            text += buffer;
        ::pclose(p);
    }
    return text;
}

// The first visible window whose name matches, or "".
inline std::string findWindow(const std::string& pattern) {
    std::string ids = output("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null");
    return ids.substr(0, ids.find('\n'));
}

inline std::string waitWindow(const std::string& pattern) {
    std::string id;
    waitUntil([&] { return !(id = findWindow(pattern)).empty(); });
    return id;
}

inline void pressKeys(const std::string& window, const std::string& keys) {
    std::system(
        ("xdotool windowactivate --sync " + window + " >/dev/null 2>&1; xdotool key --clearmodifiers " + keys)
            .c_str());
}

// An X server of its own (a free display number picked by Xvfb) with openbox on it; DISPLAY is set
// for this process and the programs it starts.
struct Session {
    pid_t xvfb = 0;
    pid_t openbox = 0;

    bool start() {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return false;
        xvfb = spawn({"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0",
                      std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24"},
                     "", pipeFds[1]);
        ::close(pipeFds[1]);
        char number[16] = {};
        ssize_t n = ::read(pipeFds[0], number, sizeof number - 1);
        ::close(pipeFds[0]);
        if (n <= 0) return false;
        ::setenv("DISPLAY", (":" + std::string(number, std::strcspn(number, "\n"))).c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        openbox = spawn({"openbox", "--sm-disable"}, "");
        return waitUntil([] {
            return output("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
        });
    }

    void stopAll() {
        stop(openbox);
        stop(xvfb);
    }
};

} // namespace desktop
