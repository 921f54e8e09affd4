// The program's shell: start-up with its early ends, the event loop and its dispatch, and shutdown.
// Everything runs on the one thread that main() starts.
#pragma once

#include <cstdint>

extern std::uint8_t quitRequested;

[[noreturn]] void startUp();
void runEventLoop();
[[noreturn]] void shutDown(bool loopRan);
