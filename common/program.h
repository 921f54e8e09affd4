// Values that only start-up sets and every subsystem reads: the program's version, the folder
// its files live in, and the station-list server's addresses. Set once by app/, read-only after.
#pragma once

#include "common/text.h"

extern const Text programVersion; // "1.08.3"
extern Text baseFolder;           // the current folder at start, always ending in "/"

// Sets baseFolder from the current folder as the platform reported it.
void setBaseFolder(const Text& currentFolder);

// The station-list server's base URL, fixed at build time, ending in "/".
Text serverBaseUrl();
Text serverFileUrl(std::u16string_view fileName);

// The executables' names differ only by this suffix between platforms.
#ifdef _WIN32
inline constexpr char16_t executableSuffix[] = u".exe";
#else
inline constexpr char16_t executableSuffix[] = u"";
#endif
