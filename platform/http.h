// HTTP fetches from the station-list server, on libcurl. Called by stations/ and update/ on the
// program's one thread (blocking), and by the updater through httpDownloadToFile (own thread).
#pragma once

#include <optional>
#include <string>

#include "common/text.h"

inline constexpr char httpUserAgent[] = "Mozilla/5.0 Gecko/41.0 Firefox/41.0";

// Network facility: libcurl's global state. startNetwork must run before any transfer.
bool startNetwork();
void stopNetwork();

// Blocking GET of the whole body. Redirections are followed and the status code is not examined,
// so an error page comes back like any body. Nothing when the transfer fails or the body is empty.
// Gives up when no connection is made within 10 s or no byte arrives for 30 s.
std::optional<std::string> httpGetToMemory(const Text& url);
