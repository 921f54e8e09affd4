#include "update/update_check.h"

#include "common/number_text.h"
#include "common/program.h"
#include "platform/file_modes.h"
#include "platform/files.h"
#include "platform/http.h"

extern "C" const unsigned char updaterImageBytes[];
extern "C" const unsigned char updaterImageBytes_end[];

std::string_view updaterImage() {
    return {reinterpret_cast<const char*>(updaterImageBytes),
            static_cast<std::size_t>(updaterImageBytes_end - updaterImageBytes)};
}

Text updaterPath() {
    return baseFolder + u"updaterlite" + executableSuffix;
}

void removeUpdateLeftovers() {
    for (const Text& name : {Text(u"TUNDREL") + executableSuffix + u".old", Text(u"last.bak")}) {
        Text path = baseFolder + name;
        if (fileExists(path)) deleteFile(path, true);
    }
}

std::int64_t versionNumber(std::u16string_view version) {
    Text digits;
    for (char16_t c : version)
        if (c != u'.') digits.push_back(c);
    return readInteger(digits, false);
}

int checkForUpdate() {
    std::int64_t local = versionNumber(programVersion);
    auto body = httpGetToMemory(serverFileUrl(u"lastlite.pzt"));
    if (!body) return 0;
    std::int64_t remote = versionNumber(decodeUtf8(*body));
    if (local < remote) {
        // Written beside and renamed into place: a full disk never leaves a truncated updater that
        // Yes would then start. When it cannot be written the question is asked all the same.
        if (replaceFileAtomically(updaterPath(), updaterImage())) makeExecutable(updaterPath());
        return 1;
    }
    if (fileExists(updaterPath())) deleteFile(updaterPath(), false);
    return 0;
}
