// The engine's inner records: systems, sounds and channels, the tables that map handles to them, and
// the procedures the entry points (api.cpp) call. One libmpv instance plays each live sound; its event
// thread (stream.cpp) follows loading, tags and drops. Nothing here is visible outside the library.
#pragma once

#include "fmodex.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct mpv_handle;

namespace engine {

using Clock = std::chrono::steady_clock;

// One tag as the engine shows it: name and value are UTF-8.
struct TagEntry {
    std::string name;
    std::string value;
    FMOD_TAGTYPE type = FMOD_TAGTYPE_UNKNOWN;
};

// Where the sound goes: the desktop device, nowhere (real time), or raw PCM appended to a file.
struct OutputChoice {
    enum Kind { Device, Null, File } kind = Device;
    std::string path;
};

enum class LoadState { Pending, Loaded, Failed };

// One libmpv instance and what its event thread knows. Guarded by the owning Sound's mutex, except
// `mpv`, which only the event thread destroys, after setting it to null under that mutex.
struct Playback {
    mpv_handle* mpv = nullptr;
    bool quit = false;
    LoadState load = LoadState::Pending;
    FMOD_RESULT failure = FMOD_ERR_FORMAT;
    bool everLoaded = false;
    int fileEnds = 0;
    bool giveUp = false;
    int attempt = 0;
    bool retryPending = false;
    Clock::time_point retryAt;
    Clock::time_point loadedAt;
    std::string formatName;
};

struct Sound {
    std::mutex m;
    std::condition_variable cv;
    std::uint64_t id = 0;
    std::uint64_t systemId = 0;
    std::string url;
    OutputChoice output;
    std::shared_ptr<Playback> playback;  // null once the sound no longer plays
    bool wanted = false;                 // played and not stopped: drops are reconnected
    bool paused = false;
    float volume = 1.0f;
    std::uint64_t channelId = 0;
    std::vector<TagEntry> liveTags;      // written by the event thread
    std::vector<TagEntry> snapshot;      // what GetTag hands out; replaced by GetNumTags only
    std::vector<char> snapshotUpdated;
    bool snapshotTaken = false;
};

struct Channel {
    std::uint64_t id = 0;
    std::uint64_t systemId = 0;
    int index = 0;
    std::shared_ptr<Sound> sound;
};

struct System {
    std::uint64_t id = 0;
    bool initialized = false;
    OutputChoice output;
    std::vector<std::uint64_t> channelAt;  // channel id per channel index, 0 when free
};

// Handle <-> id: handles are tagged numbers, never addresses, so a stale one can only miss the table.
enum HandleKind : std::uintptr_t { KindSystem = 1, KindSound = 2, KindChannel = 3 };
inline void* handleOf(HandleKind kind, std::uint64_t id) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id << 2 | kind));
}
inline std::uint64_t idOf(HandleKind kind, const void* handle) {
    auto bits = reinterpret_cast<std::uintptr_t>(handle);
    return (bits & 3) == kind ? bits >> 2 : 0;
}

// stream.cpp
OutputChoice outputFromEnvironment();
// Starts a libmpv instance on the sound's URL, paused or playing. Returns null when libmpv cannot be set up.
std::shared_ptr<Playback> startPlayback(const std::shared_ptr<Sound>& sound, bool paused);
// Waits (sound->m held through `lock`) until the playback has loaded or failed, at most `limit`.
FMOD_RESULT waitForLoad(std::unique_lock<std::mutex>& lock, Sound& sound, Playback& playback,
                        std::chrono::milliseconds limit);
// Asks the playback's event thread to end and free libmpv; returns at once. Needs sound->m held.
void retirePlayback(Sound& sound);
// Waits until every retired libmpv instance is freed, at most `limit`.
void waitForRetired(std::chrono::milliseconds limit);
// Applies volume and pause to the live instance, if any. Needs sound->m held.
void applyVolume(Sound& sound);
void applyPause(Sound& sound);
// Playback position in seconds and audio sample rate of the live instance; false when unknown.
bool playbackTime(Sound& sound, double& seconds, int& sampleRate);
bool streamDuration(Sound& sound, double& seconds, int& sampleRate);
bool seekTo(Sound& sound, double seconds);

// tags.cpp
bool isValidUtf8(const std::string& bytes);
std::string utf8FromWindows1252(const std::string& bytes);
std::string cleanTagText(const std::string& bytes);
// Splits an ICY StreamTitle into artist and title at its first " - "; without one it is all title.
std::pair<std::string, std::string> splitStreamTitle(const std::string& streamTitle);
// Turns libmpv's metadata (key, value pairs in its order) into the tags the engine reports.
std::vector<TagEntry> tagsFromMetadata(const std::vector<std::pair<std::string, std::string>>& metadata,
                                       const std::string& formatName);

} // namespace engine
