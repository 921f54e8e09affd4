// The player's side of self-update at start-up: removing what an earlier update left behind, and
// asking the station-list server whether a newer version exists. Called once by start-up, before
// any window; blocking. The question to the user lives in update_handoff.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/text.h"

// The updater's file in baseFolder: "updaterlite" and the platform's executable suffix.
Text updaterPath();

// Deletes "TUNDREL.old" (with the executable suffix before ".old") and "last.bak" in baseFolder when
// they are files, read-only ones included. Folders of those names stay; failures are ignored.
void removeUpdateLeftovers();

// A version text as a number: every "." removed, then read as a signed decimal ("1.08.3" is 1083,
// text without leading digits is 0).
std::int64_t versionNumber(std::u16string_view version);

// 1 when the server's "lastlite.pzt" names a newer version than programVersion: the updater is then
// written to updaterPath (runnable, replacing any file there whole or not at all), whether or not
// that succeeds. 0 otherwise, and an existing
// updater file is deleted; 0 without touching any file when nothing could be fetched.
int checkForUpdate();

// The updater executable the player carries, byte for byte.
std::string_view updaterImage();
