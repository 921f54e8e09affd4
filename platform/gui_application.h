// The toolkit's application object, shared by every window of the player and the updater and by
// message boxes. Whoever needs a window first starts it; everything runs on the program's one thread.
#pragma once

// Starts the toolkit once (later calls only report whether it runs). The X11 backend is forced
// unless QT_QPA_PLATFORM names another (tests use offscreen), and high-DPI scaling is off so the
// program's pixel sizes hold. False, without ending the process, when no display can be opened.
bool startGuiApplication(const char* programName);
void stopGuiApplication();
