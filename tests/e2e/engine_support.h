// Helpers for the engine's end-to-end tests: media fixtures made at test time with sox, lame and
// ffmpeg, the Python stream server of fixtures/, raw PCM captures, and tag reading through the
// engine's own entry points.
#pragma once

#include "engine/fmodex.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace enginetest {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr double kBytesPerSecond = 44100.0 * 2 * 2;

inline void run(const std::string& command) {
    int rc = std::system((command + " >/dev/null 2>&1").c_str());
    if (rc != 0) throw std::runtime_error("fixture command failed: " + command);
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Waits up to `limit` for `done`, checking every 100 ms.
inline bool waitFor(std::chrono::milliseconds limit, const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return done();
}

// An ID3v2.2 tag (three-letter frames, which lame no longer writes) in front of raw MP3 frames.
inline std::string id3v22(const std::string& artist, const std::string& title) {
    auto frame = [](const char* id, const std::string& text) {
        std::string body = std::string(1, '\0') + text;  // encoding 0: ISO-8859-1
        std::string f(id, 3);
        f += static_cast<char>(body.size() >> 16);
        f += static_cast<char>(body.size() >> 8);
        f += static_cast<char>(body.size());
        return f + body;
    };
    std::string frames = frame("TP1", artist) + frame("TT2", title);
    std::string tag = "ID3";
    tag += '\x02';
    tag += '\0';
    tag += '\0';
    std::size_t n = frames.size();
    for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((n >> shift) & 0x7F);
    return tag + frames;
}

// The media the tests play, made once per test process in a private folder.
struct Media {
    fs::path dir;
    fs::path toneMp3;  // 12 s, 440 Hz at half scale, 128 kbit/s, no tags: what the stream server loops

    void make() {
        char pattern[] = "/tmp/tundrel-engine-XXXXXX";
        dir = mkdtemp(pattern);
        std::string d = dir.string();
        run("sox -n -r 44100 -c 2 " + d + "/tone.wav synth 12 sine 440 vol 0.5");
        toneMp3 = dir / "tone.mp3";
        run("lame --quiet -t -b 128 " + d + "/tone.wav " + toneMp3.string());
        run("lame --quiet -b 128 --id3v2-only --ta 'Id3 Artist' --tt 'Id3 Title' " + d + "/tone.wav " + d +
            "/id3v23.mp3");
        std::ifstream in(toneMp3, std::ios::binary);
        std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(dir / "id3v22.mp3", std::ios::binary) << id3v22("Old Artist", "Old Title") << raw;
        run("ffmpeg -nostdin -y -i " + d + "/tone.wav -c:a libvorbis -q:a 3 -metadata artist='Vorbis Artist'" +
            " -metadata title='Vorbis Title' " + d + "/vorbis.ogg");
        run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 -keyout " + d +
            "/key.pem -out " + d + "/cert.pem");
        run("ffmpeg -nostdin -y -i " + d + "/tone.wav -c:a aac -b:a 96k -f hls -hls_time 2 -hls_list_size 0 " +
            d + "/hls.m3u8");
    }
    void remove() {
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }
};

// The stream server of fixtures/stream_server.py on a free loopback port.
struct StreamServer {
    pid_t pid = -1;
    int port = 0;
    int tlsPort = 0;  // the same paths over TLS; only its first connection completes a handshake

    void start(const Media& media) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            std::string script = std::string(TUNDREL_SOURCE_DIR) + "/tests/e2e/fixtures/stream_server.py";
            std::string cert = (media.dir / "cert.pem").string(), key = (media.dir / "key.pem").string();
            execlp("python3", "python3", script.c_str(), "--mp3", media.toneMp3.c_str(), "--dir",
                   media.dir.c_str(), "--tls-cert", cert.c_str(), "--tls-key", key.c_str(),
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        FILE* f = fdopen(out[0], "r");
        if (!f || std::fscanf(f, "PORT %d TLSPORT %d", &port, &tlsPort) != 2)
            throw std::runtime_error("stream server did not start");
        std::fclose(f);
    }
    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
    // A plain GET of a short text answer (the server's counters).
    std::string get(const std::string& path) const {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        std::string answer;
        if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
            std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
            if (write(s, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
                char buf[4096];
                ssize_t n;
                while ((n = read(s, buf, sizeof buf)) > 0) answer.append(buf, n);
            }
        }
        close(s);
        auto body = answer.find("\r\n\r\n");
        return body == std::string::npos ? std::string() : answer.substr(body + 4);
    }
    int counter(const std::string& which, const std::string& id) const {
        return std::atoi(get("/" + which + "?id=" + id).c_str());
    }
};

// A raw PCM capture (s16le, 44100 Hz, stereo) written by the engine's file output.
struct Capture {
    fs::path path;

    std::uintmax_t bytes() const {
        std::error_code ec;
        auto n = fs::file_size(path, ec);
        return ec ? 0 : n;
    }
    double seconds() const { return static_cast<double>(bytes()) / kBytesPerSecond; }
    // Root mean square of the samples between two times, on a 0..1 scale; -1 when the capture is shorter.
    double rms(double from, double to) const {
        std::ifstream in(path, std::ios::binary);
        auto first = static_cast<std::streamoff>(from * 44100) * 4;
        auto count = static_cast<std::size_t>((to - from) * 44100) * 2;
        std::vector<int16_t> samples(count);
        in.seekg(first);
        in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(count * 2));
        if (static_cast<std::size_t>(in.gcount()) < count * 2) return -1;
        double sum = 0;
        for (int16_t s : samples) sum += static_cast<double>(s) * s;
        return std::sqrt(sum / static_cast<double>(count)) / 32768.0;
    }
};

// Tags as the player reads them: names upper-cased, the first value of each name kept.
inline std::map<std::string, std::string> readTags(FMOD_SOUND* sound) {
    std::map<std::string, std::string> tags;
    int count = 0;
    if (FMOD_Sound_GetNumTags(sound, &count, nullptr) != FMOD_OK) return tags;
    for (int i = 0; i < count; ++i) {
        FMOD_TAG tag{};
        if (FMOD_Sound_GetTag(sound, nullptr, i, &tag) != FMOD_OK) continue;
        std::string name(tag.name);
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::string value(static_cast<const char*>(tag.data), tag.datalen);
        tags.emplace(name, value);
    }
    return tags;
}

// One engine system whose output goes to a fresh capture file.
struct Engine {
    FMOD_SYSTEM* system = nullptr;
    Capture capture;

    explicit Engine(const fs::path& capturePath) {
        capture.path = capturePath;
        fs::remove(capturePath);
        setenv("TUNDREL_AUDIO_OUT", ("file:" + capturePath.string()).c_str(), 1);
        FMOD_System_Create(&system);
        FMOD_System_Init(system, 2, 0, nullptr);
    }
    ~Engine() { FMOD_System_Release(system); }
    FMOD_RESULT open(const std::string& url, FMOD_SOUND** sound) {
        return FMOD_System_CreateStream(system, url.c_str(), FMOD_CREATESTREAM, nullptr, sound);
    }
    FMOD_CHANNEL* play(FMOD_SOUND* sound, int index = 1) {
        FMOD_CHANNEL* channel = nullptr;
        FMOD_System_PlaySound(system, index, sound, 0, &channel);
        return channel;
    }
};

} // namespace enginetest
