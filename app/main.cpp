#include <clocale>

#include "app/app.h"

int main() {
    // Numbers in files and for the engine use "." whatever the desktop's language.
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    startUp();
}
