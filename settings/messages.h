// The message table of the chosen language, filled once at start-up by loadMessages and only read
// afterwards. Every text the player shows in the user's language comes from here.
#pragma once

#include "common/text.h"

struct Messages {
    Text msgWelcome; // followed by programVersion
    Text msgListening;
    Text msgUnreachable;
    Text msgAdvert;
    Text msgAllStationsHeading;
    Text msgFavouritesHeading;
    Text msgUpdateTitle;
    Text msgUpdatePrompt;
};

extern Messages messages;

// "US", "FR", "ES" or "DE", compared exactly; any other code sets nothing.
void loadMessages(const Text& languageCode);
