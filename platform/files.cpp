#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace {

std::string osPath(const Text& path) { return encodeUtf8(path); }

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

std::optional<std::int64_t> fileSize(const Text& path) {
    struct stat st{};
    if (::stat(osPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
}

bool fileExists(const Text& path) { return fileSize(path).has_value(); }

bool folderExists(const Text& path) {
    struct stat st{};
    return ::stat(osPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool deleteFile(const Text& path, bool clearReadOnly) {
    std::string p = osPath(path);
    struct stat st{};
    if (::lstat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (clearReadOnly && S_ISREG(st.st_mode)) ::chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR);
    return ::unlink(p.c_str()) == 0;
}

bool renameFile(const Text& from, const Text& to) {
    std::string a = osPath(from), b = osPath(to);
    struct stat st{};
    if (::lstat(a.c_str(), &st) != 0) return false;
    // link + unlink refuses an existing target, where rename would replace it.
    if (::link(a.c_str(), b.c_str()) == 0) {
        if (::unlink(a.c_str()) == 0) return true;
        ::unlink(b.c_str());
        return false;
    }
    if (errno == EEXIST) return false;
    if (::lstat(b.c_str(), &st) == 0) return false;
    return ::rename(a.c_str(), b.c_str()) == 0;
}

std::optional<std::string> readWholeFile(const Text& path) {
    int fd = ::open(osPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool writeWholeFile(const Text& path, std::string_view bytes) {
    int fd = ::open(osPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes);
    return ::close(fd) == 0 && ok;
}

bool replaceFileAtomically(const Text& path, std::string_view bytes) {
    std::string target = osPath(path);
    mode_t mode = 0644;
    struct stat st{};
    if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string temp = target + ".tmp-XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool fileWritable(const Text& path) {
    std::string p = osPath(path);
    struct stat st{};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR)) return false;
    return ::access(p.c_str(), W_OK) == 0;
}

bool folderWritable(const Text& path) {
    std::string p = osPath(path);
    struct stat st{};
    if (::stat(p.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return ::access(p.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::vector<std::string>> readFileLines(const Text& path) {
    auto bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    std::vector<std::string> lines;
    const std::string& b = *bytes;
    std::size_t start = 0, i = 0;
    while (i < b.size()) {
        if (b[i] == '\r' || b[i] == '\n') {
            lines.emplace_back(b, start, i - start);
            if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < b.size()) lines.emplace_back(b, start, b.size() - start);
    return lines;
}

Text currentFolder() {
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return Text();
    return decodeUtf8(buffer, sizeof buffer);
}

Text executableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return Text();
    std::string p(buffer, static_cast<std::size_t>(n));
    p.erase(p.rfind('/') + 1);
    return decodeUtf8(p);
}
