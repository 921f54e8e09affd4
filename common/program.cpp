#include "common/program.h"

const Text programVersion = u"1.08.3";
Text baseFolder;

void setBaseFolder(const Text& currentFolder) {
    baseFolder = currentFolder;
    if (baseFolder.empty() || baseFolder.back() != u'/') baseFolder.push_back(u'/');
}

Text serverBaseUrl() { return textOf(TUNDREL_SERVER_URL); }

Text serverFileUrl(std::u16string_view fileName) { return serverBaseUrl() + Text(fileName); }
