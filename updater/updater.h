// The updater program: downloads the new player beside the installed one, swaps them and offers
// to start the new one. Its own executable; a window thread polls a download thread.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "platform/http_download.h"

extern Text workFolder;  // the current folder at start, ending in "/"
extern Text downloadUrl; // the station-list server's "lastlite.bak"
extern DownloadHandle download;
extern std::uint8_t finished; // stops the progress step
extern std::uint8_t quit;     // ends the event loop

// The whole run, from start to the end of the network layer.
void runUpdater();

// One poll of the download, on a tick of timer 1 while finished is 0.
void progressStep();
