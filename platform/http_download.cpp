#include "platform/http_download.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <thread>

#include "platform/files.h"
#include "platform/http_request.h"

namespace {

// The first bytes of every executable of this platform.
#ifdef _WIN32
constexpr std::string_view executableMagic{"MZ", 2};
#else
constexpr std::string_view executableMagic{"\x7f"
                                           "ELF",
                                           4};
#endif

struct Download {
    std::string url;
    Text path;
    // Written by the transfer thread only; the window's thread reads them.
    std::atomic<std::int64_t> bytes{0};
    std::atomic<DownloadState> state{DownloadState::running};
    std::atomic<bool> cancelled{false};
    // Transfer thread only.
    int fd = -1;
    std::string head; // the first bytes, until they prove an executable
    bool writeFailed = false;
    std::thread thread;
};

std::map<DownloadHandle, std::unique_ptr<Download>> downloads;
DownloadHandle lastHandle = 0;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t writeToFile(char* data, std::size_t size, std::size_t count, void* target) {
    auto* d = static_cast<Download*>(target);
    std::size_t total = size * count;
    if (d->cancelled.load()) return 0;
    if (d->head.size() < executableMagic.size()) {
        d->head.append(data, std::min(total, executableMagic.size() - d->head.size()));
        if (!executableMagic.starts_with(d->head)) return 0;
    }
    if (!writeAll(d->fd, data, total)) {
        d->writeFailed = true;
        return 0;
    }
    d->bytes.fetch_add(static_cast<std::int64_t>(total));
    return total;
}

int checkCancel(void* target, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Download*>(target)->cancelled.load() ? 1 : 0;
}

bool transfer(Download& d) {
    CURL* curl = curl_easy_init();
    if (!curl) return false;
    setUpHttpRequest(curl, d.url);
    // An error status must never pass for the file.
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &d);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &d);
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK && d.head == executableMagic && !d.cancelled.load();
}

void run(Download* d) {
    std::string path = encodeUtf8(d->path);
    d->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (d->fd < 0) {
        d->state.store(DownloadState::failed);
        return;
    }
    bool ok = transfer(*d);
    // The file is complete on disk before anyone may rename it.
    ok = ok && ::fsync(d->fd) == 0;
    ok = ::close(d->fd) == 0 && ok;
    d->fd = -1;
    if (!ok) deleteFile(d->path, false);
    d->state.store(ok ? DownloadState::succeeded : DownloadState::failed);
}

} // namespace

DownloadHandle httpDownloadToFile(const Text& url, const Text& path) {
    auto d = std::make_unique<Download>();
    d->url = encodeUtf8(url);
    d->path = path;
    try {
        d->thread = std::thread(run, d.get());
    } catch (...) {
        d->state.store(DownloadState::failed);
    }
    DownloadHandle handle = ++lastHandle;
    downloads[handle] = std::move(d);
    return handle;
}

DownloadProgress downloadProgress(DownloadHandle download) {
    auto it = downloads.find(download);
    if (it == downloads.end()) return {};
    const Download& d = *it->second;
    // State first: a final state read here comes with the final count.
    DownloadState state = d.state.load();
    return {state, d.bytes.load()};
}

void closeDownload(DownloadHandle download) {
    auto it = downloads.find(download);
    if (it == downloads.end()) return;
    Download& d = *it->second;
    d.cancelled.store(true);
    if (d.thread.joinable()) d.thread.join();
    downloads.erase(it);
}
