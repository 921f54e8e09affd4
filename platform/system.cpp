#include "platform/system.h"

#include <dlfcn.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/files.h"

extern char** environ;

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

bool spawnIn(const std::vector<std::string>& argv, const Text& workingFolder) {
    // A double fork leaves the new program to init, so it never becomes our zombie.
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        std::string folder = encodeUtf8(workingFolder);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(127);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool startProgram(const Text& path, const Text& workingFolder) {
    if (::access(encodeUtf8(path).c_str(), X_OK) != 0) return false;
    return spawnIn({encodeUtf8(path)}, workingFolder);
}

bool startProgramElevated(const Text& path, const Text& workingFolder) {
    if (folderWritable(workingFolder)) return startProgram(path, workingFolder);
    return spawnIn({"pkexec", "env", "DISPLAY=" + std::string(getenv("DISPLAY") ? getenv("DISPLAY") : ""),
                    "sh", "-c", "cd \"$0\" && exec \"$1\"", encodeUtf8(workingFolder), encodeUtf8(path)},
                   workingFolder);
}
