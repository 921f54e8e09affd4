// Operating-system services the program uses outside the window: the online check, dynamic
// libraries, and starting other programs. Called from the program's one thread.
#pragma once

#include "common/text.h"

// Online when some non-loopback network interface is up and has an address.
bool isOnline();

// Dynamic libraries: the system loader's search, which includes the executable's folder.
void* openLibrary(const char* fileName);
void* findLibrarySymbol(void* library, const char* name);
void closeLibrary(void* library);

// Starts a program as a new process in `workingFolder` without waiting for it.
bool startProgram(const Text& path, const Text& workingFolder);

// Starts a program with the rights needed to replace files in `workingFolder`: directly when the
// folder is writable, otherwise through pkexec.
bool startProgramElevated(const Text& path, const Text& workingFolder);
