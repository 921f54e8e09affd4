// The binding to the audio engine library: loaded by name at start-up, its sixteen entry points
// looked up by name. Every engine call of the player goes through `audioEngine`.
#pragma once

#include "engine/fmodex.h"

struct AudioEngine {
    void* library = nullptr;
    decltype(&FMOD_System_Create) systemCreate = nullptr;
    decltype(&FMOD_System_Init) systemInit = nullptr;
    decltype(&FMOD_System_CreateStream) systemCreateStream = nullptr;
    decltype(&FMOD_System_PlaySound) systemPlaySound = nullptr;
    decltype(&FMOD_Sound_Release) soundRelease = nullptr;
    decltype(&FMOD_Channel_SetVolume) channelSetVolume = nullptr;
    decltype(&FMOD_Channel_SetPaused) channelSetPaused = nullptr;
    decltype(&FMOD_Channel_GetPaused) channelGetPaused = nullptr;
    decltype(&FMOD_Channel_Stop) channelStop = nullptr;
    decltype(&FMOD_System_Release) systemRelease = nullptr;
    decltype(&FMOD_Channel_GetPosition) channelGetPosition = nullptr;
    decltype(&FMOD_Channel_SetPosition) channelSetPosition = nullptr;
    decltype(&FMOD_Sound_GetLength) soundGetLength = nullptr;
    decltype(&FMOD_Sound_GetNumTags) soundGetNumTags = nullptr;
    decltype(&FMOD_Sound_GetTag) soundGetTag = nullptr;
    decltype(&FMOD_Channel_GetSpectrum) channelGetSpectrum = nullptr;
};

extern AudioEngine audioEngine;

// False when the library cannot be loaded; start-up then ends silently. An entry point the library
// lacks stays null.
bool loadAudioEngine();
// Forgets the entry points; the library itself stays loaded until the process ends.
void unloadAudioEngine();

// The calls the player makes. A missing entry point is never called: the wrapper answers
// engineMissing and writes nothing, so a failed open is seen as failed and a tag count stays 0.
inline constexpr FMOD_RESULT engineMissing = FMOD_ERR_UNSUPPORTED;

inline FMOD_RESULT engineSystemCreate(FMOD_SYSTEM** system) {
    return audioEngine.systemCreate ? audioEngine.systemCreate(system) : engineMissing;
}
inline FMOD_RESULT engineSystemInit(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS flags,
                                    void* driverData) {
    return audioEngine.systemInit ? audioEngine.systemInit(system, maxChannels, flags, driverData)
                                  : engineMissing;
}
inline FMOD_RESULT engineSystemCreateStream(FMOD_SYSTEM* system, const char* name, FMOD_MODE mode,
                                            FMOD_CREATESOUNDEXINFO* exInfo, FMOD_SOUND** sound) {
    return audioEngine.systemCreateStream ? audioEngine.systemCreateStream(system, name, mode, exInfo, sound)
                                          : engineMissing;
}
inline FMOD_RESULT engineSystemPlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelId, FMOD_SOUND* sound,
                                         FMOD_BOOL paused, FMOD_CHANNEL** channel) {
    return audioEngine.systemPlaySound
               ? audioEngine.systemPlaySound(system, channelId, sound, paused, channel)
               : engineMissing;
}
inline FMOD_RESULT engineSoundRelease(FMOD_SOUND* sound) {
    return audioEngine.soundRelease ? audioEngine.soundRelease(sound) : engineMissing;
}
inline FMOD_RESULT engineChannelSetVolume(FMOD_CHANNEL* channel, float volume) {
    return audioEngine.channelSetVolume ? audioEngine.channelSetVolume(channel, volume) : engineMissing;
}
inline FMOD_RESULT engineChannelStop(FMOD_CHANNEL* channel) {
    return audioEngine.channelStop ? audioEngine.channelStop(channel) : engineMissing;
}
inline FMOD_RESULT engineSystemRelease(FMOD_SYSTEM* system) {
    return audioEngine.systemRelease ? audioEngine.systemRelease(system) : engineMissing;
}
inline FMOD_RESULT engineSoundGetNumTags(FMOD_SOUND* sound, int* numTags, int* numTagsUpdated) {
    return audioEngine.soundGetNumTags ? audioEngine.soundGetNumTags(sound, numTags, numTagsUpdated)
                                       : engineMissing;
}
inline FMOD_RESULT engineSoundGetTag(FMOD_SOUND* sound, const char* name, int index, FMOD_TAG* tag) {
    return audioEngine.soundGetTag ? audioEngine.soundGetTag(sound, name, index, tag) : engineMissing;
}
