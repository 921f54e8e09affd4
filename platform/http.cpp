#include "platform/http.h"

#include "platform/http_request.h"

namespace {

std::size_t appendToString(char* data, std::size_t size, std::size_t count, void* target) {
    auto* body = static_cast<std::string*>(target);
    try {
        body->append(data, size * count);
    } catch (...) {
        return 0; // out of memory: libcurl ends the transfer with an error
    }
    return size * count;
}

} // namespace

void setUpHttpRequest(CURL* curl, const std::string& url) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, httpUserAgent);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, httpConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, httpStallSeconds);
}

bool startNetwork() { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

void stopNetwork() { curl_global_cleanup(); }

std::optional<std::string> httpGetToMemory(const Text& url) {
    CURL* curl = curl_easy_init();
    if (!curl) return std::nullopt;
    std::string body;
    setUpHttpRequest(curl, encodeUtf8(url));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK || body.empty()) return std::nullopt;
    return body;
}
