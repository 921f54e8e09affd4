#include "platform/file_modes.h"

#include <sys/stat.h>

bool makeExecutable(const Text& path) {
    std::string p = encodeUtf8(path);
    struct stat st{};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    mode_t mode = st.st_mode & 07777;
    // Each read bit shifted right by two is the matching execute bit.
    mode |= (mode & (S_IRUSR | S_IRGRP | S_IROTH)) >> 2;
    return ::chmod(p.c_str(), mode) == 0;
}
