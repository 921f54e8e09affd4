// A small player over the engine's sixteen entry points, for whole-process measurements and manual
// checks: opens a URL, plays it for a number of seconds and prints what happened.
// Usage: engine_driver URL SECONDS [VOLUME]   (set TUNDREL_AUDIO_OUT to choose the output)
// Prints "open <seconds> <result>" after the open, then "tag NAME=VALUE" lines whenever tags change,
// and "position <ms>" every second.
#include "engine/fmodex.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s URL SECONDS [VOLUME]\n", argv[0]);
        return 2;
    }
    double seconds = std::atof(argv[2]);
    float volume = argc > 3 ? static_cast<float>(std::atof(argv[3])) : 1.0f;
    FMOD_SYSTEM* system = nullptr;
    FMOD_System_Create(&system);
    FMOD_System_Init(system, 2, 0, nullptr);
    auto start = std::chrono::steady_clock::now();
    FMOD_SOUND* sound = nullptr;
    FMOD_RESULT result = FMOD_System_CreateStream(system, argv[1], FMOD_CREATESTREAM, nullptr, &sound);
    double opened = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("open %.3f %d\n", opened, result);
    std::fflush(stdout);
    if (result != FMOD_OK) {
        FMOD_System_Release(system);
        return 1;
    }
    FMOD_CHANNEL* channel = nullptr;
    FMOD_System_PlaySound(system, 1, sound, 0, &channel);
    FMOD_Channel_SetVolume(channel, volume);
    std::string last;
    int lastSecond = -1;
    auto end = start + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        int count = 0;
        FMOD_Sound_GetNumTags(sound, &count, nullptr);
        std::string all;
        for (int i = 0; i < count; ++i) {
            FMOD_TAG tag{};
            if (FMOD_Sound_GetTag(sound, nullptr, i, &tag) == FMOD_OK)
                all += std::string("tag ") + tag.name + "=" +
                       std::string(static_cast<char*>(tag.data), tag.datalen) + "\n";
        }
        if (all != last) {
            double at = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("tags at %.2f\n%s", at, all.c_str());
            std::fflush(stdout);
            last = all;
        }
        int second = static_cast<int>(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (second != lastSecond) {
            unsigned int position = 0;
            FMOD_Channel_GetPosition(channel, &position, FMOD_TIMEUNIT_MS);
            std::printf("position %u\n", position);
            std::fflush(stdout);
            lastSecond = second;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    FMOD_Channel_Stop(channel);
    FMOD_System_Release(system);
    return 0;
}
