#include "settings/messages.h"

#include "common/program.h"

Messages messages;

namespace {

struct LanguageTexts {
    const char16_t* code;
    const char16_t* welcome;
    const char16_t* listening;
    const char16_t* unreachable;
    const char16_t* advert;
    const char16_t* allStationsHeading;
    const char16_t* favouritesHeading;
    const char16_t* updateTitle;
    const char16_t* updatePrompt;
};

// Blanks at either end are part of the texts: the screen joins them to station labels as they are.
const LanguageTexts languages[] = {
    {u"US", u"~ Welcome to Tundrel ~ ", u"You are listening ", u" seems to be unable, please retry later",
     u"Ad", u" >> All radios", u" >> My favorites", u"Update",
     u"A new software update is available. Would you like to install it now?"},
    {u"FR", u"~ Bienvenue sur Tundrel ~ ", u"Vous \u00E9coutez ",
     u" ne semble pas r\u00E9pondre, r\u00E9essayez plus tard", u"Pub", u" >> Toutes les radios",
     u" >> Mes favoris", u"Mise \u00E0 jour",
     u"Une nouvelle version du logiciel est disponible, voulez vous l'installer maintenant?"},
    {u"ES", u"~ Bienvenido a Tundrel ~ ", u"Escuchas  ", u" hmmm no conecta, por favor trate luego",
     u"Publicidad", u" >> Estaciones", u" >> Mis favoritos", u"Update",
     u"Una nueva actualizaci\u00F3n de software disponible. \u00BFQuieres descargar?"},
    {u"DE", u"~ Willkommen zu Tundrel ~ ", u"Sie h\u00F6ren ",
     u" ist nicht erreichbar, versuchen Sie es sp\u00E4ter erneut", u"Werbung", u" >> Alle Sender",
     u" >> Meine Favoriten", u"Update",
     u"Eine neue Software- Version verf\u00FCgbar ist , m\u00F6chten Sie es jetzt installieren?"},
};

} // namespace

void loadMessages(const Text& languageCode) {
    for (const auto& language : languages) {
        if (languageCode != language.code) continue;
        messages.msgWelcome = language.welcome + programVersion;
        messages.msgListening = language.listening;
        messages.msgUnreachable = language.unreachable;
        messages.msgAdvert = language.advert;
        messages.msgAllStationsHeading = language.allStationsHeading;
        messages.msgFavouritesHeading = language.favouritesHeading;
        messages.msgUpdateTitle = language.updateTitle;
        messages.msgUpdatePrompt = language.updatePrompt;
        return;
    }
}
