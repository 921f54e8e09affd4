#include "updater/updater.h"

#include "common/program.h"
#include "platform/files.h"
#include "platform/gui_application.h"
#include "platform/http.h"
#include "platform/message_box.h"
#include "platform/system.h"
#include "platform/updater_window.h"
#include "updater/player_swap.h"

Text workFolder;
Text downloadUrl;
DownloadHandle download = 0;
std::uint8_t finished = 0;
std::uint8_t quit = 0;

namespace {

constexpr int progressTimer = 1;

void endRun() {
    finished = 1;
    quit = 1;
}

void reportPlayerMissing() {
    showMessageBox(u"NOK !", playerFileName() + u" introuvable", MessageIcon::none, MessageButtons::ok);
    endRun();
}

void finishSwap() {
    setUpdaterStatus(u"Download finished");
    SwapResult swap = swapPlayer(workFolder);
    if (swap != SwapResult::swapped) {
        // With the old player back in place, asking again each tick would only fail again.
        reportPlayerMissing();
        return;
    }
    MessageAnswer answer = showMessageBox(u"OK !",
                                          u"Lancer le programme ?\nDas Programm starten?\n"
                                          u"¿Iniciar el programa?\nStart the program?",
                                          MessageIcon::none, MessageButtons::yesNo);
    if (answer == MessageAnswer::yes) {
        deleteFile(workFolder + oldPlayerFileName(), true);
        startProgram(workFolder + playerFileName(), workFolder);
    }
    endRun();
}

} // namespace

void progressStep() {
    DownloadProgress progress = downloadProgress(download);
    switch (progress.state) {
    case DownloadState::running:
        setUpdaterStatus(downloadingText(progress.bytes));
        break;
    case DownloadState::failed:
        setUpdaterStatus(u"Download failed");
        break;
    case DownloadState::succeeded:
        finishSwap();
        break;
    }
}

void runUpdater() {
    startNetwork();
    setBaseFolder(currentFolder());
    workFolder = baseFolder;
    downloadUrl = serverFileUrl(downloadFileName);
    if (!startGuiApplication("updaterlite") || !openUpdaterWindow(u"Tundrel Lite Updater", 220, 25)) {
        stopNetwork();
        return;
    }
    addUpdaterTimer(progressTimer, 20);
    download = httpDownloadToFile(downloadUrl, workFolder + downloadFileName);
    while (!quit) {
        UpdaterEvent event = waitUpdaterEvent(30);
        if (event.kind == UpdaterEventKind::timer && event.timer == progressTimer && !finished)
            progressStep();
        if (event.kind == UpdaterEventKind::closeRequest) break;
    }
    // A transfer still running is cut off here, and its partial file goes with it.
    closeDownload(download);
    closeUpdaterWindow();
    stopGuiApplication();
    stopNetwork();
}
