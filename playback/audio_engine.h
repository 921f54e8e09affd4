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

// False when the library cannot be loaded; start-up then ends silently.
bool loadAudioEngine();
void unloadAudioEngine();
