#include "playback/audio_engine.h"

#include "platform/system.h"

AudioEngine audioEngine;

namespace {

template <typename Function> void lookUp(Function& slot, const char* name) {
    slot = reinterpret_cast<Function>(findLibrarySymbol(audioEngine.library, name));
}

} // namespace

bool loadAudioEngine() {
    void* library = openLibrary("libfmodex.so");
    if (!library) return false;
    audioEngine = AudioEngine{};
    audioEngine.library = library;
    // An entry point the library lacks stays null; the call wrappers answer for it.
    lookUp(audioEngine.systemCreate, "FMOD_System_Create");
    lookUp(audioEngine.systemInit, "FMOD_System_Init");
    lookUp(audioEngine.systemCreateStream, "FMOD_System_CreateStream");
    lookUp(audioEngine.systemPlaySound, "FMOD_System_PlaySound");
    lookUp(audioEngine.soundRelease, "FMOD_Sound_Release");
    lookUp(audioEngine.channelSetVolume, "FMOD_Channel_SetVolume");
    lookUp(audioEngine.channelSetPaused, "FMOD_Channel_SetPaused");
    lookUp(audioEngine.channelGetPaused, "FMOD_Channel_GetPaused");
    lookUp(audioEngine.channelStop, "FMOD_Channel_Stop");
    lookUp(audioEngine.systemRelease, "FMOD_System_Release");
    lookUp(audioEngine.channelGetPosition, "FMOD_Channel_GetPosition");
    lookUp(audioEngine.channelSetPosition, "FMOD_Channel_SetPosition");
    lookUp(audioEngine.soundGetLength, "FMOD_Sound_GetLength");
    lookUp(audioEngine.soundGetNumTags, "FMOD_Sound_GetNumTags");
    lookUp(audioEngine.soundGetTag, "FMOD_Sound_GetTag");
    lookUp(audioEngine.channelGetSpectrum, "FMOD_Channel_GetSpectrum");
    return true;
}

void unloadAudioEngine() {
    // The library stays mapped: the engine's own threads may still be running their last instructions
    // after System_Release, and unmapping their code under them crashes the process on its way out.
    audioEngine = AudioEngine{};
}
