// One libmpv instance per live sound, and the thread that follows its events: the open's outcome, tag
// changes, and drops, which it reconnects with a growing pause (1 s doubling to 10 s) until the server
// answers with a 4xx status or the TLS handshake fails. The thread also frees libmpv when asked to.
#include "engine.h"

#include <mpv/client.h>

#include <atomic>
#include <cctype>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace engine {

namespace {

constexpr auto kFirstRetry = std::chrono::milliseconds(1000);
constexpr auto kLongestRetry = std::chrono::milliseconds(10000);
// A connection that played this long counts as good: the next drop starts the backoff afresh.
constexpr auto kStablePlay = std::chrono::seconds(10);

std::mutex retiredMutex;
std::condition_variable retiredCv;
int runningThreads = 0;

enum : std::uint64_t { ObserveMetadata = 1 };

bool containsNoCase(const std::string& text, const char* word) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(word) != std::string::npos;
}

void setOption(mpv_handle* mpv, const char* name, const std::string& value) {
    mpv_set_option_string(mpv, name, value.c_str());
}

std::vector<std::pair<std::string, std::string>> metadataPairs(const mpv_node* node) {
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!node || node->format != MPV_FORMAT_NODE_MAP || !node->u.list) return pairs;
    const mpv_node_list* list = node->u.list;
    for (int i = 0; i < list->num; ++i) {
        const mpv_node& value = list->values[i];
        if (value.format == MPV_FORMAT_STRING && value.u.string && list->keys[i])
            pairs.emplace_back(list->keys[i], value.u.string);
    }
    return pairs;
}

void loadUrl(mpv_handle* mpv, const std::string& url) {
    const char* command[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command_async(mpv, 0, command);
}

void scheduleRetry(Playback& p) {
    if (p.giveUp || p.retryPending) return;
    if (p.everLoaded && Clock::now() - p.loadedAt > kStablePlay) p.attempt = 0;
    auto wait = kFirstRetry * (1 << std::min(p.attempt, 4));
    p.retryAt = Clock::now() + std::min<Clock::duration>(wait, kLongestRetry);
    p.retryPending = true;
    ++p.attempt;
}

// Reads what the error lines of libmpv and FFmpeg say about a failed connection.
void noteLogLine(Playback& p, const mpv_event_log_message& line) {
    std::string text = line.text ? line.text : "";
    if (line.log_level > MPV_LOG_LEVEL_WARN) return;
    if (text.find("HTTP error 4") != std::string::npos) {
        p.failure = FMOD_ERR_FILE_NOTFOUND;
        if (p.everLoaded) p.giveUp = true;
    } else if (containsNoCase(text, "connection refused") || containsNoCase(text, "resolve") ||
               containsNoCase(text, "network is unreachable") || containsNoCase(text, "no route")) {
        p.failure = FMOD_ERR_NET_CONNECT;
    } else if ((line.prefix && std::strcmp(line.prefix, "ffmpeg") == 0 && containsNoCase(text, "tls")) ||
               containsNoCase(text, "handshake")) {
        // A TLS stream that drops mid-song also logs a TLS line; only a failing reconnect gives up.
        p.failure = FMOD_ERR_NET_CONNECT;
        if (p.everLoaded && p.load != LoadState::Loaded) p.giveUp = true;
    }
}

void handleEvent(Sound& s, Playback& p, const mpv_event& e) {
    switch (e.event_id) {
    case MPV_EVENT_FILE_LOADED: {
        p.load = LoadState::Loaded;
        p.everLoaded = true;
        p.loadedAt = Clock::now();
        char* format = mpv_get_property_string(p.mpv, "file-format");
        if (format) {
            p.formatName = format;
            mpv_free(format);
        }
        s.cv.notify_all();
        break;
    }
    case MPV_EVENT_END_FILE: {
        auto* end = static_cast<mpv_event_end_file*>(e.data);
        if (end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR) {
            ++p.fileEnds;
            // A reconnect that loaded nothing leaves the state "pending" for the next try.
            if (p.everLoaded) p.load = LoadState::Pending;
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        auto* prop = static_cast<mpv_event_property*>(e.data);
        if (e.reply_userdata == ObserveMetadata) {
            auto pairs = prop->format == MPV_FORMAT_NODE ? metadataPairs(static_cast<mpv_node*>(prop->data))
                                                         : decltype(metadataPairs(nullptr))();
            // libmpv clears the metadata between reconnects; the last song stays until a new one shows.
            if (!pairs.empty()) s.liveTags = tagsFromMetadata(pairs, p.formatName);
        }
        break;
    }
    case MPV_EVENT_LOG_MESSAGE:
        noteLogLine(p, *static_cast<mpv_event_log_message*>(e.data));
        break;
    default:
        break;
    }
}

// After a file ended, libmpv either opens the playlist's next entry or goes idle; idle means the URL
// (or every entry of its playlist) is done. Polled, because a quick idle-busy-idle flip may never be
// reported as a property change.
void settle(Sound& s, Playback& p) {
    if (p.fileEnds == 0 || p.load == LoadState::Loaded || p.retryPending) return;
    int idle = 0;
    if (mpv_get_property(p.mpv, "idle-active", MPV_FORMAT_FLAG, &idle) < 0 || !idle) return;
    if (!p.everLoaded) {
        if (p.load == LoadState::Pending) {
            p.load = LoadState::Failed;
            s.cv.notify_all();
        }
    } else if (p.giveUp) {
        // The server said no for good: free libmpv now; the sound keeps its last tags.
        p.quit = true;
    } else {
        scheduleRetry(p);
    }
}

void runEvents(std::shared_ptr<Sound> sound, std::shared_ptr<Playback> playback) {
    Sound& s = *sound;
    Playback& p = *playback;
    mpv_handle* mpv = p.mpv;
    for (;;) {
        double timeout = 1.0;
        {
            std::lock_guard lock(s.m);
            if (p.quit) break;
            if (p.retryPending) {
                auto left = std::chrono::duration<double>(p.retryAt - Clock::now()).count();
                if (left <= 0) {
                    p.retryPending = false;
                    p.fileEnds = 0;
                    loadUrl(mpv, s.url);
                } else {
                    timeout = std::min(timeout, left);
                }
            }
            if (p.fileEnds > 0 && p.load != LoadState::Loaded && !p.retryPending) timeout = 0.2;
        }
        mpv_event* e = mpv_wait_event(mpv, timeout);
        std::lock_guard lock(s.m);
        if (p.quit || e->event_id == MPV_EVENT_SHUTDOWN) break;
        if (e->event_id != MPV_EVENT_NONE) handleEvent(s, p, *e);
        settle(s, p);
    }
    {
        std::lock_guard lock(s.m);
        p.quit = true;
        p.mpv = nullptr;
        if (p.load == LoadState::Pending) p.load = LoadState::Failed;
        s.cv.notify_all();
    }
    mpv_terminate_destroy(mpv);
    std::lock_guard lock(retiredMutex);
    --runningThreads;
    retiredCv.notify_all();
}

} // namespace

OutputChoice outputFromEnvironment() {
    OutputChoice out;
    const char* value = std::getenv("TUNDREL_AUDIO_OUT");
    if (!value || !*value) return out;
    std::string text(value);
    if (text == "null") {
        out.kind = OutputChoice::Null;
    } else if (text.rfind("file:", 0) == 0 && text.size() > 5) {
        out.kind = OutputChoice::File;
        out.path = text.substr(5);
    }
    return out;
}

std::shared_ptr<Playback> startPlayback(const std::shared_ptr<Sound>& sound, bool paused) {
    // libmpv refuses to start under a locale that writes decimal commas.
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* mpv = mpv_create();
    if (!mpv) return nullptr;
    setOption(mpv, "config", "no");
    setOption(mpv, "terminal", "no");
    setOption(mpv, "video", "no");
    setOption(mpv, "audio-display", "no");
    setOption(mpv, "ytdl", "no");
    setOption(mpv, "load-scripts", "no");
    setOption(mpv, "osc", "no");
    setOption(mpv, "input-default-bindings", "no");
    setOption(mpv, "sub-auto", "no");
    setOption(mpv, "audio-file-auto", "no");
    setOption(mpv, "resume-playback", "no");
    // Without the cache, memory stays flat however long a station plays.
    setOption(mpv, "cache", "no");
    setOption(mpv, "idle", "yes");
    setOption(mpv, "network-timeout", "10");
    setOption(mpv, "pause", paused ? "yes" : "no");
    setOption(mpv, "volume", std::to_string(100.0 * std::cbrt(static_cast<double>(sound->volume))));
    const OutputChoice& out = sound->output;
    if (out.kind == OutputChoice::Null) {
        setOption(mpv, "ao", "null");
    } else if (out.kind == OutputChoice::File) {
        setOption(mpv, "ao", "pcm");
        setOption(mpv, "ao-pcm-file", out.path);
        setOption(mpv, "ao-pcm-waveheader", "no");
        setOption(mpv, "ao-pcm-append", "yes");
        setOption(mpv, "audio-format", "s16");
        setOption(mpv, "audio-samplerate", "44100");
        setOption(mpv, "audio-channels", "stereo");
        // The PCM writer takes samples as fast as they decode; pace them to the clock like a device.
        // Pacing upstream of libmpv's clock keeps it behind the live edge, where ICY titles land on
        // time; a writer fed faster (a FIFO drained at the clock, a head start) starves there. The
        // cost: the writer's 1.5 s prefill passes at the clock's pace before the first byte.
        setOption(mpv, "af", "lavfi=[arealtime]");
    } else {
        // The device is opened only once audio decodes, after the open has succeeded: when no device
        // works, carry on silently in real time instead of ending the stream.
        setOption(mpv, "ao", "pipewire,pulse,alsa,null");
    }
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    mpv_request_log_messages(mpv, "warn");
    mpv_observe_property(mpv, ObserveMetadata, "metadata", MPV_FORMAT_NODE);

    auto playback = std::make_shared<Playback>();
    playback->mpv = mpv;
    loadUrl(mpv, sound->url);
    {
        std::lock_guard lock(retiredMutex);
        ++runningThreads;
    }
    try {
        std::thread(runEvents, sound, playback).detach();
    } catch (...) {
        std::lock_guard lock(retiredMutex);
        --runningThreads;
        mpv_terminate_destroy(mpv);
        return nullptr;
    }
    return playback;
}

FMOD_RESULT waitForLoad(std::unique_lock<std::mutex>& lock, Sound& sound, Playback& playback,
                        std::chrono::milliseconds limit) {
    bool done = sound.cv.wait_for(lock, limit, [&] { return playback.load != LoadState::Pending; });
    if (!done) return FMOD_ERR_TIMEOUT;
    return playback.load == LoadState::Loaded ? FMOD_OK : playback.failure;
}

void retirePlayback(Sound& sound) {
    if (!sound.playback) return;
    sound.playback->quit = true;
    if (sound.playback->mpv) mpv_wakeup(sound.playback->mpv);
    sound.playback.reset();
}

void waitForRetired(std::chrono::milliseconds limit) {
    std::unique_lock lock(retiredMutex);
    retiredCv.wait_for(lock, limit, [] { return runningThreads == 0; });
}

void applyVolume(Sound& sound) {
    if (!sound.playback || !sound.playback->mpv) return;
    double volume = 100.0 * std::cbrt(static_cast<double>(sound.volume));
    mpv_set_property_async(sound.playback->mpv, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
}

void applyPause(Sound& sound) {
    if (!sound.playback || !sound.playback->mpv) return;
    int flag = sound.paused ? 1 : 0;
    mpv_set_property_async(sound.playback->mpv, 0, "pause", MPV_FORMAT_FLAG, &flag);
}

namespace {
bool readDouble(Sound& sound, const char* name, double& value) {
    return sound.playback && sound.playback->mpv &&
           mpv_get_property(sound.playback->mpv, name, MPV_FORMAT_DOUBLE, &value) >= 0;
}
int sampleRateOf(Sound& sound) {
    std::int64_t rate = 0;
    if (sound.playback && sound.playback->mpv &&
        mpv_get_property(sound.playback->mpv, "audio-params/samplerate", MPV_FORMAT_INT64, &rate) >= 0 &&
        rate > 0)
        return static_cast<int>(rate);
    return 44100;
}
} // namespace

bool playbackTime(Sound& sound, double& seconds, int& sampleRate) {
    if (!readDouble(sound, "playback-time", seconds)) return false;
    sampleRate = sampleRateOf(sound);
    return true;
}

bool streamDuration(Sound& sound, double& seconds, int& sampleRate) {
    // FFmpeg guesses a duration for live MP3 from the first bytes; only a seekable stream has one.
    int seekable = 0;
    if (!sound.playback || !sound.playback->mpv ||
        mpv_get_property(sound.playback->mpv, "seekable", MPV_FORMAT_FLAG, &seekable) < 0 || !seekable)
        return false;
    if (!readDouble(sound, "duration", seconds)) return false;
    sampleRate = sampleRateOf(sound);
    return true;
}

bool seekTo(Sound& sound, double seconds) {
    if (!sound.playback || !sound.playback->mpv) return false;
    std::string target = std::to_string(seconds);
    const char* command[] = {"seek", target.c_str(), "absolute+exact", nullptr};
    return mpv_command(sound.playback->mpv, command) >= 0;
}

} // namespace engine
