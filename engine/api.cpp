// The sixteen exported entry points. Every handle is looked up in the tables below, so a null, stale
// or foreign handle gets FMOD_ERR_INVALID_HANDLE; no exception leaves the library.
//
// Tag lifetime: FMOD_Sound_GetNumTags takes a snapshot of the sound's current tags; the name and data
// pointers that FMOD_Sound_GetTag hands out point into that snapshot and stay valid until the next
// FMOD_Sound_GetNumTags on the same sound, or until the sound or its system is released. (GetTag on a
// sound without a snapshot takes the first one.)
//
// Threads: the entry points may be called from any thread. The tables have one lock, each sound its
// own; the order is always table, then sound.
#pragma GCC visibility push(default)
#include "fmodex.h"
#pragma GCC visibility pop

#include "engine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <new>

using namespace engine;

namespace {

constexpr auto kOpenLimit = std::chrono::milliseconds(10000);
constexpr auto kReleaseLimit = std::chrono::milliseconds(5000);
constexpr int kMaxChannels = 4093;
constexpr std::size_t kMaxUrlBytes = 8192;
// Sounds that no longer play keep only their last tags; this many per system are kept for late tag
// reads, older ones are forgotten (their handles turn stale).
constexpr std::size_t kKeptIdleSounds = 16;
constexpr unsigned int kUnknownLength = 0xFFFFFFFFu;
constexpr int kChannelFree = -1;
constexpr int kChannelReuse = -2;

std::mutex tableMutex;
std::uint64_t nextId = 1;
std::map<std::uint64_t, std::shared_ptr<System>> systems;
std::map<std::uint64_t, std::shared_ptr<Sound>> sounds;
std::map<std::uint64_t, std::shared_ptr<Channel>> channels;

template <class Body> FMOD_RESULT guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return FMOD_ERR_MEMORY;
    } catch (...) {
        return FMOD_ERR_INTERNAL;
    }
}

template <class Record>
std::shared_ptr<Record> find(const std::map<std::uint64_t, std::shared_ptr<Record>>& table, HandleKind kind,
                             const void* handle) {
    auto it = table.find(idOf(kind, handle));
    return it == table.end() ? nullptr : it->second;
}

bool isStreamUrl(const char* name) {
    std::string url(name);
    if (url.size() > kMaxUrlBytes) return false;
    for (unsigned char c : url)
        if (c < 0x20 || c == 0x7F) return false;
    std::string scheme;
    for (char c : url.substr(0, url.find("://")))
        scheme += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto rest = url.find("://");
    return (scheme == "http" || scheme == "https") && rest != std::string::npos && url.size() > rest + 3 &&
           url[rest + 3] != '/';
}

// Ends what a channel plays and forgets the channel. Needs tableMutex held. Takes its own reference:
// callers pass the table's entry, which the erase below frees.
void dropChannel(std::shared_ptr<Channel> channel, bool stopSound) {
    channels.erase(channel->id);
    auto sys = systems.find(channel->systemId);
    if (sys != systems.end()) {
        auto& slots = sys->second->channelAt;
        if (channel->index >= 0 && channel->index < static_cast<int>(slots.size()) &&
            slots[channel->index] == channel->id)
            slots[channel->index] = 0;
    }
    std::lock_guard lock(channel->sound->m);
    if (channel->sound->channelId == channel->id) channel->sound->channelId = 0;
    if (stopSound) {
        channel->sound->wanted = false;
        retirePlayback(*channel->sound);
    }
}

// Forgets the oldest sounds that neither play nor are wanted. Needs tableMutex held.
void forgetIdleSounds(std::uint64_t systemId) {
    std::vector<std::uint64_t> idle;
    for (auto& [id, sound] : sounds) {
        std::lock_guard lock(sound->m);
        if (sound->systemId == systemId && !sound->playback && sound->channelId == 0) idle.push_back(id);
    }
    for (std::size_t i = 0; i + kKeptIdleSounds < idle.size(); ++i) sounds.erase(idle[i]);
}

std::shared_ptr<Channel> liveChannel(FMOD_CHANNEL* handle) {
    std::lock_guard lock(tableMutex);
    return find(channels, KindChannel, handle);
}

void takeTagSnapshot(Sound& sound) {
    std::vector<char> updated(sound.liveTags.size(), 0);
    for (std::size_t i = 0; i < sound.liveTags.size(); ++i) {
        const auto& tag = sound.liveTags[i];
        bool same = i < sound.snapshot.size() && sound.snapshot[i].name == tag.name &&
                    sound.snapshot[i].value == tag.value;
        updated[i] = same ? 0 : 1;
    }
    sound.snapshot = sound.liveTags;
    sound.snapshotUpdated = std::move(updated);
    sound.snapshotTaken = true;
}

} // namespace

extern "C" {

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system) {
    return guarded([&]() -> FMOD_RESULT {
        if (!system) return FMOD_ERR_INVALID_PARAM;
        *system = nullptr;
        auto record = std::make_shared<System>();
        std::lock_guard lock(tableMutex);
        record->id = nextId++;
        systems[record->id] = record;
        *system = static_cast<FMOD_SYSTEM*>(handleOf(KindSystem, record->id));
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS, void*) {
    return guarded([&]() -> FMOD_RESULT {
        std::lock_guard lock(tableMutex);
        auto record = find(systems, KindSystem, system);
        if (!record) return FMOD_ERR_INVALID_HANDLE;
        if (record->initialized) return FMOD_ERR_INITIALIZED;
        if (maxChannels < 1 || maxChannels > kMaxChannels) return FMOD_ERR_INVALID_PARAM;
        record->channelAt.assign(maxChannels, 0);
        record->output = outputFromEnvironment();
        record->initialized = true;
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_System_CreateStream(FMOD_SYSTEM* system, const char* nameOrData, FMOD_MODE,
                                     FMOD_CREATESOUNDEXINFO*, FMOD_SOUND** sound) {
    return guarded([&]() -> FMOD_RESULT {
        if (!sound) return FMOD_ERR_INVALID_PARAM;
        *sound = nullptr;
        auto record = std::make_shared<Sound>();
        {
            std::lock_guard lock(tableMutex);
            auto sys = find(systems, KindSystem, system);
            if (!sys) return FMOD_ERR_INVALID_HANDLE;
            if (!sys->initialized) return FMOD_ERR_UNINITIALIZED;
            record->id = nextId++;
            record->systemId = sys->id;
            record->output = sys->output;
        }
        if (!nameOrData || !*nameOrData) return FMOD_ERR_INVALID_PARAM;
        if (!isStreamUrl(nameOrData)) return FMOD_ERR_FILE_NOTFOUND;
        record->url = nameOrData;

        auto playback = startPlayback(record, true);
        if (!playback) return FMOD_ERR_OUTPUT_INIT;
        FMOD_RESULT result;
        {
            std::unique_lock lock(record->m);
            record->playback = playback;
            result = waitForLoad(lock, *record, *playback, kOpenLimit);
            if (result != FMOD_OK) retirePlayback(*record);
        }
        if (result != FMOD_OK) return result;

        std::lock_guard lock(tableMutex);
        if (!systems.count(record->systemId)) {
            std::lock_guard soundLock(record->m);
            retirePlayback(*record);
            return FMOD_ERR_INVALID_HANDLE;
        }
        sounds[record->id] = record;
        forgetIdleSounds(record->systemId);
        *sound = static_cast<FMOD_SOUND*>(handleOf(KindSound, record->id));
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelId, FMOD_SOUND* sound,
                                  FMOD_BOOL paused, FMOD_CHANNEL** channel) {
    return guarded([&]() -> FMOD_RESULT {
        if (channel) *channel = nullptr;
        std::lock_guard lock(tableMutex);
        auto sys = find(systems, KindSystem, system);
        auto snd = find(sounds, KindSound, sound);
        if (!sys || !snd) return FMOD_ERR_INVALID_HANDLE;
        if (snd->systemId != sys->id) return FMOD_ERR_INVALID_PARAM;
        int slots = static_cast<int>(sys->channelAt.size());
        int index = channelId;
        if (index == kChannelFree || index == kChannelReuse) {
            index = -1;
            for (int i = 0; i < slots && index < 0; ++i)
                if (sys->channelAt[i] == 0) index = i;
            if (index < 0) return FMOD_ERR_CHANNEL_ALLOC;
        } else if (index < 0 || index >= slots) {
            return FMOD_ERR_INVALID_PARAM;
        }
        // A busy channel index gives up what it played; a sound plays on one channel at a time.
        if (auto busy = channels.find(sys->channelAt[index]); busy != channels.end())
            dropChannel(busy->second, busy->second->sound != snd);
        if (auto previous = channels.find(snd->channelId); previous != channels.end())
            dropChannel(previous->second, false);

        auto record = std::make_shared<Channel>();
        record->id = nextId++;
        record->systemId = sys->id;
        record->index = index;
        record->sound = snd;
        {
            std::lock_guard soundLock(snd->m);
            snd->channelId = record->id;
            snd->wanted = true;
            snd->paused = paused != 0;
            snd->volume = 1.0f;
            if (snd->playback && !snd->playback->quit) {
                applyVolume(*snd);
                applyPause(*snd);
            } else {
                // Played again after a stop or after giving up: open anew without waiting.
                retirePlayback(*snd);
                snd->playback = startPlayback(snd, snd->paused);
                if (!snd->playback) return FMOD_ERR_OUTPUT_INIT;
            }
        }
        channels[record->id] = record;
        sys->channelAt[index] = record->id;
        if (channel) *channel = static_cast<FMOD_CHANNEL*>(handleOf(KindChannel, record->id));
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound) {
    return guarded([&]() -> FMOD_RESULT {
        std::lock_guard lock(tableMutex);
        auto snd = find(sounds, KindSound, sound);
        if (!snd) return FMOD_ERR_INVALID_HANDLE;
        if (auto ch = channels.find(snd->channelId); ch != channels.end()) dropChannel(ch->second, false);
        sounds.erase(snd->id);
        std::lock_guard soundLock(snd->m);
        snd->wanted = false;
        retirePlayback(*snd);
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Channel_SetVolume(FMOD_CHANNEL* channel, float volume) {
    return guarded([&]() -> FMOD_RESULT {
        auto ch = liveChannel(channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        if (std::isnan(volume)) return FMOD_ERR_INVALID_PARAM;
        std::lock_guard lock(ch->sound->m);
        ch->sound->volume = std::clamp(volume, 0.0f, 1.0f);
        applyVolume(*ch->sound);
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused) {
    return guarded([&]() -> FMOD_RESULT {
        auto ch = liveChannel(channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(ch->sound->m);
        ch->sound->paused = paused != 0;
        applyPause(*ch->sound);
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL* channel, FMOD_BOOL* paused) {
    return guarded([&]() -> FMOD_RESULT {
        if (!paused) return FMOD_ERR_INVALID_PARAM;
        auto ch = liveChannel(channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(ch->sound->m);
        *paused = ch->sound->paused ? 1 : 0;
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel) {
    return guarded([&]() -> FMOD_RESULT {
        std::lock_guard lock(tableMutex);
        auto ch = find(channels, KindChannel, channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        dropChannel(ch, true);
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system) {
    return guarded([&]() -> FMOD_RESULT {
        {
            std::lock_guard lock(tableMutex);
            auto sys = find(systems, KindSystem, system);
            if (!sys) return FMOD_ERR_INVALID_HANDLE;
            for (auto it = channels.begin(); it != channels.end();) {
                auto next = std::next(it);
                if (it->second->systemId == sys->id) dropChannel(it->second, true);
                it = next;
            }
            for (auto it = sounds.begin(); it != sounds.end();) {
                if (it->second->systemId == sys->id) {
                    std::lock_guard soundLock(it->second->m);
                    retirePlayback(*it->second);
                    it = sounds.erase(it);
                } else {
                    ++it;
                }
            }
            systems.erase(sys->id);
        }
        waitForRetired(kReleaseLimit);
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL* channel, unsigned int* position, FMOD_TIMEUNIT unit) {
    return guarded([&]() -> FMOD_RESULT {
        if (!position) return FMOD_ERR_INVALID_PARAM;
        *position = 0;
        if (unit != FMOD_TIMEUNIT_MS && unit != FMOD_TIMEUNIT_PCM) return FMOD_ERR_FORMAT;
        auto ch = liveChannel(channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(ch->sound->m);
        double seconds = 0;
        int rate = 44100;
        if (!playbackTime(*ch->sound, seconds, rate) || seconds < 0) seconds = 0;
        double value = unit == FMOD_TIMEUNIT_MS ? seconds * 1000.0 : seconds * rate;
        *position = static_cast<unsigned int>(std::min(value, 4294967294.0));
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL* channel, unsigned int position, FMOD_TIMEUNIT unit) {
    return guarded([&]() -> FMOD_RESULT {
        if (unit != FMOD_TIMEUNIT_MS && unit != FMOD_TIMEUNIT_PCM) return FMOD_ERR_FORMAT;
        auto ch = liveChannel(channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(ch->sound->m);
        double seconds = 0;
        int rate = 44100;
        if (!streamDuration(*ch->sound, seconds, rate)) return FMOD_ERR_UNSUPPORTED;
        double target = unit == FMOD_TIMEUNIT_MS ? position / 1000.0 : static_cast<double>(position) / rate;
        if (target > seconds) return FMOD_ERR_INVALID_POSITION;
        return seekTo(*ch->sound, target) ? FMOD_OK : FMOD_ERR_UNSUPPORTED;
    });
}

FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT unit) {
    return guarded([&]() -> FMOD_RESULT {
        if (!length) return FMOD_ERR_INVALID_PARAM;
        *length = 0;
        if (unit != FMOD_TIMEUNIT_MS && unit != FMOD_TIMEUNIT_PCM) return FMOD_ERR_FORMAT;
        std::shared_ptr<Sound> snd;
        {
            std::lock_guard lock(tableMutex);
            snd = find(sounds, KindSound, sound);
        }
        if (!snd) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(snd->m);
        double seconds = 0;
        int rate = 44100;
        // Live radio has no end: the largest length, as for any endless stream.
        if (!streamDuration(*snd, seconds, rate) || seconds <= 0) {
            *length = kUnknownLength;
            return FMOD_OK;
        }
        double value = unit == FMOD_TIMEUNIT_MS ? seconds * 1000.0 : seconds * rate;
        *length = static_cast<unsigned int>(std::min(value, 4294967294.0));
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Sound_GetNumTags(FMOD_SOUND* sound, int* numTags, int* numTagsUpdated) {
    return guarded([&]() -> FMOD_RESULT {
        if (!numTags && !numTagsUpdated) return FMOD_ERR_INVALID_PARAM;
        std::shared_ptr<Sound> snd;
        {
            std::lock_guard lock(tableMutex);
            snd = find(sounds, KindSound, sound);
        }
        if (!snd) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(snd->m);
        takeTagSnapshot(*snd);
        if (numTags) *numTags = static_cast<int>(snd->snapshot.size());
        if (numTagsUpdated)
            *numTagsUpdated =
                static_cast<int>(std::count(snd->snapshotUpdated.begin(), snd->snapshotUpdated.end(), 1));
        return FMOD_OK;
    });
}

FMOD_RESULT FMOD_Sound_GetTag(FMOD_SOUND* sound, const char* name, int index, FMOD_TAG* tag) {
    return guarded([&]() -> FMOD_RESULT {
        if (!tag || index < 0) return FMOD_ERR_INVALID_PARAM;
        std::shared_ptr<Sound> snd;
        {
            std::lock_guard lock(tableMutex);
            snd = find(sounds, KindSound, sound);
        }
        if (!snd) return FMOD_ERR_INVALID_HANDLE;
        std::lock_guard lock(snd->m);
        if (!snd->snapshotTaken) takeTagSnapshot(*snd);
        int seen = 0;
        for (std::size_t i = 0; i < snd->snapshot.size(); ++i) {
            TagEntry& entry = snd->snapshot[i];
            if (name && entry.name != name) continue;
            if (seen++ != index) continue;
            tag->type = entry.type;
            tag->datatype = FMOD_TAGDATATYPE_STRING_UTF8;
            tag->name = entry.name.data();
            tag->data = entry.value.data();
            tag->datalen = static_cast<unsigned int>(entry.value.size());
            tag->updated = snd->snapshotUpdated[i];
            return FMOD_OK;
        }
        return FMOD_ERR_TAGNOTFOUND;
    });
}

FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL* channel, float* spectrum, int numValues, int,
                                     FMOD_DSP_FFT_WINDOW) {
    return guarded([&]() -> FMOD_RESULT {
        auto ch = liveChannel(channel);
        if (!ch) return FMOD_ERR_INVALID_HANDLE;
        if (!spectrum || numValues <= 0) return FMOD_ERR_INVALID_PARAM;
        // libmpv gives no access to the decoded samples; an invented spectrum would be worse than none.
        return FMOD_ERR_UNSUPPORTED;
    });
}

} // extern "C"
