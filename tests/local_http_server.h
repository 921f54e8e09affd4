// A small HTTP/1.0 server on 127.0.0.1 for tests: fixed answers by path (status, body, and an
// optional trickle of the body), one connection at a time on a thread of its own.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>

struct HttpAnswer {
    int status = 200;
    std::string body;
    int trickleBytes = 0; // when > 0: this many bytes every 100 ms
    std::string location; // a Location header, for redirections
};

class LocalHttpServer {
  public:
    // Port 0 picks a free one. False when the port cannot be had.
    bool start(int port) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int yes = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 16) != 0) {
            ::close(listener);
            listener = -1;
            return false;
        }
        socklen_t size = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        boundPort = ntohs(address.sin_port);
        thread = std::thread([this] { serve(); });
        return true;
    }

    void stop() {
        stopping = true;
        if (thread.joinable()) thread.join();
        if (listener >= 0) ::close(listener);
        listener = -1;
    }

    ~LocalHttpServer() { stop(); }

    void answer(const std::string& path, HttpAnswer a) {
        std::lock_guard lock(mutex);
        answers[path] = std::move(a);
    }

    int port() const { return boundPort; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(boundPort) + path;
    }
    int requests() const { return requestCount; }

  private:
    bool waitReadable(int fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }

    void sendAll(int fd, const char* data, size_t size) {
        while (size > 0 && !stopping) {
            ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
            if (n <= 0) return;
            data += n;
            size -= static_cast<size_t>(n);
        }
    }

    void serve() {
        while (!stopping) {
            if (!waitReadable(listener, 50)) continue;
            int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos && waitReadable(client, 2000)) {
                ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, static_cast<size_t>(n));
            }
            ++requestCount;
            std::string path;
            size_t start = request.find(' ');
            if (start != std::string::npos)
                path = request.substr(start + 1, request.find(' ', start + 1) - start - 1);
            HttpAnswer a{404, "<html><body>Not Found</body></html>\n"};
            {
                std::lock_guard lock(mutex);
                if (auto it = answers.find(path); it != answers.end()) a = it->second;
            }
            std::string head = "HTTP/1.0 " + std::to_string(a.status) +
                               " X\r\nContent-Type: " + "application/octet-stream\r\nContent-Length: " +
                               std::to_string(a.body.size()) + "\r\nConnection: close\r\n";
            if (!a.location.empty()) head += "Location: " + a.location + "\r\n";
            head += "\r\n";
            sendAll(client, head.data(), head.size());
            if (a.trickleBytes <= 0) {
                sendAll(client, a.body.data(), a.body.size());
            } else {
                for (size_t at = 0; at < a.body.size() && !stopping;) {
                    size_t n = std::min(a.body.size() - at, static_cast<size_t>(a.trickleBytes));
                    sendAll(client, a.body.data() + at, n);
                    at += n;
                    // The client hanging up ends the answer early.
                    if (waitReadable(client, 100)) {
                        if (::recv(client, buffer, sizeof buffer, MSG_DONTWAIT) <= 0) break;
                    }
                }
            }
            ::shutdown(client, SHUT_WR);
            ::close(client);
        }
    }

    int listener = -1;
    int boundPort = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> requestCount{0};
    std::mutex mutex;
    std::map<std::string, HttpAnswer> answers;
    std::thread thread;
};
