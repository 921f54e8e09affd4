#include "updater/player_swap.h"

#include "common/number_text.h"
#include "common/program.h"
#include "platform/file_modes.h"
#include "platform/files.h"

Text playerFileName() {
    return Text(u"TUNDRELlite") + executableSuffix;
}

Text oldPlayerFileName() {
    return playerFileName() + u".old";
}

Text downloadingText(std::int64_t bytes) {
    return u"Downloading : " + formatInteger(bytes / 1024) + u" ko";
}

SwapResult swapPlayer(const Text& workFolder) {
    Text player = workFolder + playerFileName();
    Text oldPlayer = workFolder + oldPlayerFileName();
    if (!renameFile(player, oldPlayer)) return SwapResult::playerMissing;
    if (!renameFile(workFolder + downloadFileName, player)) {
        // Never leave the folder without a player.
        renameFile(oldPlayer, player);
        return SwapResult::notReplaced;
    }
    // A downloaded file carries no execute bit; without it the new player could not start.
    makeExecutable(player);
    deleteFile(oldPlayer, true);
    return SwapResult::swapped;
}
