// The audio engine's C interface: the sixteen entry points the player looks up by name in
// libfmodex.so, with the types they pass. The engine implements them; the player only includes this
// header for the types and resolves the functions at run time.
//
// Blocking: FMOD_System_CreateStream blocks until the stream is open or has failed (at most ~10 s).
// Every other call returns at once. All calls are made from one thread (the player's); the engine
// runs its decoding and output on threads of its own. Results: 0 (FMOD_OK) for success, non-zero
// for failure; a null or stale handle gives an error, never a crash.
//
// Output: the desktop's default device (pipewire, pulse, alsa; silence in real time when none works).
// TUNDREL_AUDIO_OUT, read by FMOD_System_Init, replaces it: "null" decodes in real time and discards,
// "file:PATH" appends raw PCM (s16le, 44100 Hz, stereo, after volume) to PATH in real time.
// Tags: the name and data pointers that FMOD_Sound_GetTag fills in stay valid until the next
// FMOD_Sound_GetNumTags on that sound or its release; data is UTF-8, NUL-terminated, datalen bytes.
// Streams are http:// or https:// URLs (playlists and HLS included); a dropped stream is reconnected
// by the engine; a stopped channel's stream is freed, its sound keeps its last tags.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef int FMOD_RESULT;
typedef int FMOD_BOOL;
typedef unsigned int FMOD_MODE;
typedef unsigned int FMOD_INITFLAGS;
typedef unsigned int FMOD_TIMEUNIT;
typedef int FMOD_CHANNELINDEX;
typedef int FMOD_TAGTYPE;
typedef int FMOD_TAGDATATYPE;
typedef int FMOD_DSP_FFT_WINDOW;

typedef struct FMOD_SYSTEM FMOD_SYSTEM;
typedef struct FMOD_SOUND FMOD_SOUND;
typedef struct FMOD_CHANNEL FMOD_CHANNEL;
typedef struct FMOD_CREATESOUNDEXINFO FMOD_CREATESOUNDEXINFO;

enum {
    FMOD_OK = 0,
    FMOD_ERR_CHANNEL_ALLOC = 10,
    FMOD_ERR_FILE_NOTFOUND = 23,
    FMOD_ERR_FORMAT = 25,
    FMOD_ERR_INVALID_HANDLE = 36,
    FMOD_ERR_INVALID_PARAM = 37,
    FMOD_ERR_INVALID_POSITION = 38,
    FMOD_ERR_MEMORY = 43,
    FMOD_ERR_NET_CONNECT = 49,
    FMOD_ERR_NET_URL = 52,
    FMOD_ERR_OUTPUT_INIT = 60,
    FMOD_ERR_TAGNOTFOUND = 74,
    FMOD_ERR_UNINITIALIZED = 77,
    FMOD_ERR_UNSUPPORTED = 78,
    FMOD_ERR_INITIALIZED = 32,
    FMOD_ERR_INTERNAL = 33,
    FMOD_ERR_TIMEOUT = 94
};

#define FMOD_CREATESTREAM 0x00000080
#define FMOD_TIMEUNIT_MS 0x00000001
#define FMOD_TIMEUNIT_PCM 0x00000002

enum { FMOD_TAGTYPE_UNKNOWN = 0, FMOD_TAGTYPE_ID3V1, FMOD_TAGTYPE_ID3V2, FMOD_TAGTYPE_VORBISCOMMENT,
       FMOD_TAGTYPE_SHOUTCAST, FMOD_TAGTYPE_ICECAST, FMOD_TAGTYPE_ASF, FMOD_TAGTYPE_MIDI,
       FMOD_TAGTYPE_PLAYLIST, FMOD_TAGTYPE_FMOD, FMOD_TAGTYPE_USER };
enum { FMOD_TAGDATATYPE_BINARY = 0, FMOD_TAGDATATYPE_INT, FMOD_TAGDATATYPE_FLOAT, FMOD_TAGDATATYPE_STRING,
       FMOD_TAGDATATYPE_STRING_UTF16, FMOD_TAGDATATYPE_STRING_UTF16BE, FMOD_TAGDATATYPE_STRING_UTF8 };

// Six fields, pointer-sized where they are pointers.
typedef struct FMOD_TAG {
    FMOD_TAGTYPE type;
    FMOD_TAGDATATYPE datatype;
    char* name;
    void* data;
    unsigned int datalen;
    FMOD_BOOL updated;
} FMOD_TAG;

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system);
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS flags, void* driverData);
FMOD_RESULT FMOD_System_CreateStream(FMOD_SYSTEM* system, const char* nameOrData, FMOD_MODE mode,
                                     FMOD_CREATESOUNDEXINFO* exInfo, FMOD_SOUND** sound);
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelId, FMOD_SOUND* sound,
                                  FMOD_BOOL paused, FMOD_CHANNEL** channel);
FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound);
FMOD_RESULT FMOD_Channel_SetVolume(FMOD_CHANNEL* channel, float volume);
FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused);
FMOD_RESULT FMOD_Channel_GetPaused(FMOD_CHANNEL* channel, FMOD_BOOL* paused);
FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel);
FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system);
FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL* channel, unsigned int* position, FMOD_TIMEUNIT unit);
FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL* channel, unsigned int position, FMOD_TIMEUNIT unit);
FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT unit);
FMOD_RESULT FMOD_Sound_GetNumTags(FMOD_SOUND* sound, int* numTags, int* numTagsUpdated);
FMOD_RESULT FMOD_Sound_GetTag(FMOD_SOUND* sound, const char* name, int index, FMOD_TAG* tag);
FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL* channel, float* spectrum, int numValues, int channelOffset,
                                     FMOD_DSP_FFT_WINDOW windowType);

#ifdef __cplusplus
}
#endif
