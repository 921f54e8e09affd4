// Background download of an executable into a file, for the updater: the transfer runs on a thread
// of its own and the window's thread polls it. Handles are small numbers owned by the calling thread.
#pragma once

#include <cstdint>

#include "common/text.h"

using DownloadHandle = int;

enum class DownloadState { running, succeeded, failed };

struct DownloadProgress {
    DownloadState state = DownloadState::failed;
    std::int64_t bytes = 0; // written to the file so far
};

// Starts the transfer on a new thread and returns at once. The thread creates the file (or empties
// an existing one), writes the body into it as it arrives, and deletes it when the transfer fails.
// The request is the one httpGetToMemory sends. Fails, beside broken transfers: an HTTP status of
// 400 and above, and a body that is not an executable of this platform, so an error page never
// lands in the file. Needs startNetwork first.
DownloadHandle httpDownloadToFile(const Text& url, const Text& path);

// Latest state; a final state never changes again. An unknown handle reads as failed.
DownloadProgress downloadProgress(DownloadHandle download);

// Cuts a running transfer off (it then counts as failed, its file deleted) and waits for its thread;
// frees the handle. Call it for every handle before stopNetwork.
void closeDownload(DownloadHandle download);
