// Stands in for the player in the updater's tests: proves that it was started, and where.
#include <cstdio>

int main() {
    if (std::FILE* f = std::fopen("player-started", "w")) {
        std::fputs("started\n", f);
        std::fclose(f);
    }
    return 0;
}
