#include "platform/system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"

bool isOnline() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return false;
    bool online = false;
    for (ifaddrs* a = list; a && !online; a = a->ifa_next) {
        if (!a->ifa_addr || (a->ifa_flags & IFF_LOOPBACK) || !(a->ifa_flags & IFF_UP)) continue;
        int family = a->ifa_addr->sa_family;
        online = family == AF_INET || family == AF_INET6;
    }
    ::freeifaddrs(list);
    return online;
}

void* openLibrary(const char* fileName) { return ::dlopen(fileName, RTLD_NOW | RTLD_LOCAL); }

void* findLibrarySymbol(void* library, const char* name) {
    return library ? ::dlsym(library, name) : nullptr;
}

void closeLibrary(void* library) {
    if (library) ::dlclose(library);
}

namespace {

// Starts argv[0] (searched in PATH when it has no "/") in `workingFolder`, detached from us.
// True once the program's image runs; false when it could not be started.
bool spawnIn(const std::vector<std::string>& argv, const Text& workingFolder) {
    // Everything the child needs is built before fork: another thread may hold the allocator's
    // lock, and the child of a threaded program must not allocate.
    std::string folder = encodeUtf8(workingFolder);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // The exec failure travels back through a pipe that a successful exec closes.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;

    // A double fork leaves the new program to init, so it never becomes our zombie.
    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        // Our window-system connection and files are not the new program's business.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        int error = 0;
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) error = errno;
        if (error == 0) {
            ::execvp(args[0], args.data());
            error = errno;
        }
        while (::write(report[1], &error, sizeof error) < 0 && errno == EINTR) {
        }
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

} // namespace

bool startProgram(const Text& path, const Text& workingFolder) {
    if (::access(encodeUtf8(path).c_str(), X_OK) != 0) return false;
    return spawnIn({encodeUtf8(path)}, workingFolder);
}

bool startProgramElevated(const Text& path, const Text& workingFolder) {
    if (folderWritable(workingFolder)) return startProgram(path, workingFolder);
    // pkexec refuses a caller whose parent has gone and authorises against that parent, so a shell
    // stays as the parent (the command after pkexec keeps it from exec'ing) while we end. pkexec
    // clears the environment and the current folder: the display and the folder are passed on.
    std::vector<std::string> argv{"sh", "-c", "pkexec \"$@\"; exit 0", "sh", "env"};
    for (const char* name : {"DISPLAY", "XAUTHORITY"})
        if (const char* value = std::getenv(name)) argv.push_back(std::string(name) + "=" + value);
    argv.insert(argv.end(),
                {"sh", "-c", "cd \"$0\" && exec \"$1\"", encodeUtf8(workingFolder), encodeUtf8(path)});
    return spawnIn(argv, workingFolder);
}
