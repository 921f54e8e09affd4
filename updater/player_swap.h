// The updater's file work, without a window: the names it handles, its progress text, and the swap
// of the downloaded player for the installed one. Called by the updater's progress step.
#pragma once

#include <cstdint>

#include "common/text.h"

Text playerFileName();    // "TUNDRELlite" and the platform's executable suffix
Text oldPlayerFileName(); // the player's file name + ".old"
inline constexpr char16_t downloadFileName[] = u"lastlite.bak";

// "Downloading : " + bytes / 1024 + " ko".
Text downloadingText(std::int64_t bytes);

enum class SwapResult {
    swapped,       // the download is the player now, runnable, and the old player is gone
    playerMissing, // the player could not be moved aside; nothing changed
    notReplaced,   // the download could not take the player's name; the old player is back
};

// In `workFolder` (ending in "/"): moves the player aside, gives the download its name, makes it
// runnable and deletes the old player.
SwapResult swapPlayer(const Text& workFolder);
