// The one way this program asks for a file over HTTP: the options every transfer shares, so the
// blocking GET and the updater's download send the same request. Used inside platform/ only.
#pragma once

#include <curl/curl.h>

#include <string>

// A hanging server must not freeze the caller for good.
inline constexpr long httpConnectTimeoutSeconds = 10;
inline constexpr long httpStallSeconds = 30;

// URL, User-Agent, redirections followed, no signals (transfers may run on any thread), and the
// connect and stall bounds. libcurl copies the URL.
void setUpHttpRequest(CURL* curl, const std::string& url);
