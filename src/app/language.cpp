// Choosing the language of the player's own texts and loading its translation.
#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <string_view>

namespace taleplay::launch {
namespace {

// Left alive to the end of the process on purpose: widgets may translate
// while the application object is being taken down.
QTranslator*& translator() {
    static QTranslator* t = nullptr;
    return t;
}

// Qt's own texts (the buttons of a message box, the folder dialog), from
// the translations Qt is installed with (Debian's qt6-translations-l10n).
QTranslator*& qtTranslator() {
    static QTranslator* t = nullptr;
    return t;
}

void install(QTranslator* t) {
    if (!t || !QCoreApplication::instance())
        return;
    // Once only, however often it is asked for.
    QCoreApplication::removeTranslator(t);
    QCoreApplication::installTranslator(t);
}

void drop(QTranslator*& t) {
    if (t && QCoreApplication::instance())
        QCoreApplication::removeTranslator(t);
    delete t;
    t = nullptr;
}

const char* setting(const EnvironmentLookup& getenv, const char* name) {
    const char* value = getenv(name);
    return value && *value ? value : nullptr;
}

// "ru", "ru_RU", "ru_RU.UTF-8", "ru_UA@euro" and the like.
bool isLanguage(std::string_view locale, std::string_view code) {
    return locale.substr(0, code.size()) == code &&
           (locale.size() == code.size() || locale[code.size()] == '_' ||
            locale[code.size()] == '.' || locale[code.size()] == '@');
}

} // namespace

Language languageFrom(const EnvironmentLookup& getenv) {
    const char* locale = setting(getenv, "LC_ALL");
    if (!locale)
        locale = setting(getenv, "LC_MESSAGES");
    if (!locale)
        locale = setting(getenv, "LANG");
    const std::string_view chosen = locale ? locale : "C";
    if (chosen == "C" || chosen == "POSIX" || chosen.substr(0, 2) == "C.")
        return Language::English;
    if (const char* list = setting(getenv, "LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            if (isLanguage(entry, "ru"))
                return Language::Russian;
            if (isLanguage(entry, "en"))
                return Language::English;
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return isLanguage(chosen, "ru") ? Language::Russian : Language::English;
}

bool useLanguage(Language language) {
    drop(translator());
    drop(qtTranslator());
    if (language == Language::English)
        return true;
    auto loaded = std::make_unique<QTranslator>();
    if (!loaded->load(QStringLiteral(":/i18n/taleplay_ru.qm")))
        return false;
    translator() = loaded.release();
    // Without Qt's own, its dialogs stay English around our Russian.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QStringLiteral("qtbase_ru"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qtTranslator() = qt.release();
    installTranslation();
    return true;
}

bool toolkitTranslated() {
    return qtTranslator() != nullptr;
}

void installTranslation() {
    install(qtTranslator());
    install(translator());
}

QString translate(const char* context, const char* text) {
    if (QTranslator* t = translator()) {
        const QString found = t->translate(context, text);
        if (!found.isEmpty())
            return found;
    }
    return QString::fromUtf8(text);
}

std::string translate(const Phrase& phrase) {
    return phrase.fill(translate(phrase.context, phrase.text).toStdString());
}

} // namespace taleplay::launch
