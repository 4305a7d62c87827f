#pragma once
// The language of the player's own texts: usage, the game chooser, author
// mode and the playtest driver's messages. English unless the locale asks for
// Russian. The texts a game's player is shown by the game itself (the window's
// caption, the error window, errors of the game) are never translated; what
// the player says of a picture it cannot show (naming the component and the
// file, in its own words) is.
#include "app/phrase.h"
#include "app/quiet_start.h"

#include <QString>
#include <string>

namespace taleplay::launch {

enum class Language { English, Russian };

// The language the environment asks for, as gettext reads it: the locale for
// messages is LC_ALL, else LC_MESSAGES, else LANG; C and POSIX (or nothing)
// mean English; otherwise LANGUAGE, a list such as "ru:en", is asked first
// and its first entry that names a language we speak wins; then the locale's
// own language.
Language languageFrom(const EnvironmentLookup& getenv);

// Loads the translation of `language` for translate(); once an application
// object exists, also for tr() in the widgets. False when it could not be
// loaded, and the texts stay English. Call again after the application
// object is made (installTranslation) so widgets see it too.
// Qt's own translation is loaded with ours where Qt has one for the language
// (toolkitTranslated tells), so that its dialogs speak it too.
bool useLanguage(Language language);
void installTranslation();
bool toolkitTranslated();

// `text` of `context` in the chosen language; the text itself in English.
QString translate(const char* context, const char* text);
// The phrase in the chosen language, its values put in as they are; UTF-8.
std::string translate(const Phrase& phrase);

} // namespace taleplay::launch
