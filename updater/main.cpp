#include "updater/updater.h"

int main() {
    runUpdater();
    return 0;
}
