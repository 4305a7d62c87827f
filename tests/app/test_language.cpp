// The player's own texts in Russian when the locale asks for it, English
// otherwise; phrases with their values.
#include "app/command_line.h"
#include "app/game_chooser.h"
#include "app/game_location.h"
#include "app/language.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>
#include <map>

using namespace taleplay::launch;

namespace {

// Leaves the language as every other test expects it.
struct InLanguage {
    explicit InLanguage(Language language) { EXPECT_TRUE(useLanguage(language)); }
    ~InLanguage() { useLanguage(Language::English); }
};

} // namespace

TEST(Language, TheLocaleForMessagesDecides) {
    struct Row {
        std::map<std::string, std::string> env;
        Language language;
    } rows[] = {
        {{}, Language::English},
        {{{"LANG", "ru_RU.UTF-8"}}, Language::Russian},
        {{{"LANG", "ru_UA"}}, Language::Russian},
        {{{"LANG", "ru"}}, Language::Russian},
        {{{"LANG", "en_GB.UTF-8"}}, Language::English},
        {{{"LANG", "rue_UA"}}, Language::English}, // Rusyn, not Russian
        {{{"LANG", "C.UTF-8"}}, Language::English},
        // LC_ALL before LC_MESSAGES before LANG; empty ones do not count.
        {{{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "ru_RU.UTF-8"}}, Language::Russian},
        {{{"LANG", "ru_RU.UTF-8"}, {"LC_MESSAGES", "de_DE.UTF-8"}}, Language::English},
        {{{"LANG", "ru_RU.UTF-8"}, {"LC_ALL", "C"}}, Language::English},
        {{{"LANG", "ru_RU.UTF-8"}, {"LC_ALL", ""}}, Language::Russian},
        // LANGUAGE's first language we speak wins, unless the locale is C.
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "uk:ru:en"}}, Language::Russian},
        {{{"LANG", "ru_RU.UTF-8"}, {"LANGUAGE", "en_GB:ru"}}, Language::English},
        {{{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "fr"}}, Language::English},
        {{{"LANGUAGE", "ru"}}, Language::English},
    };
    for (const Row& r : rows) {
        const auto env = [&](const char* name) -> const char* {
            const auto it = r.env.find(name);
            return it == r.env.end() ? nullptr : it->second.c_str();
        };
        std::string shown;
        for (const auto& [k, v] : r.env)
            shown += k + "=" + v + " ";
        EXPECT_EQ(languageFrom(env), r.language) << shown;
    }
}

TEST(Language, PhrasesTakeTheirValuesAsTheyAre) {
    struct Row {
        const char* text;
        std::vector<std::string> values;
        const char* english;
    } rows[] = {
        {"%1: no such file", {"/tmp/a"}, "/tmp/a: no such file"},
        {"%2 before %1", {"one", "two"}, "two before one"},
        // A value is never read for places of its own.
        {"%1 and %2", {"100%2", "x"}, "100%2 and x"},
        {"%1 and %3", {"a"}, "a and %3"},
        {"100% sure", {}, "100% sure"},
        {"%1", {"\xd0\x98\xd0\xb3\xd1\x80\xd1\x8b \xff"}, "\xd0\x98\xd0\xb3\xd1\x80\xd1\x8b \xff"},
    };
    for (const Row& r : rows)
        EXPECT_EQ((Phrase{"T", r.text, r.values}).english(), r.english) << r.text;
}

TEST(Language, EnglishUnlessRussianIsChosen) {
    const Phrase unknown = parseCommandLine({"--bogus"}).problem;
    EXPECT_EQ(translate(usage()), usageText());
    EXPECT_EQ(translate(unknown), "unknown option '--bogus'");
    {
        InLanguage russian(Language::Russian);
        EXPECT_EQ(translate(usage()).rfind("Использование: taleplay", 0), 0u);
        EXPECT_EQ(translate(unknown), "неизвестный параметр '--bogus'");
        EXPECT_EQ(translate(findGame("/nowhere/at/all", "/").problem),
                  "/nowhere/at/all: нет такого файла или папки");
        // Every option keeps its name.
        for (const char* option : {"--screen", "--fullscreen", "--results", "--verbose", "--author",
                                   "--watch", "--help", "--version"})
            EXPECT_NE(translate(usage()).find(option), std::string::npos) << option;
    }
    EXPECT_EQ(translate(unknown), "unknown option '--bogus'");
}

TEST(Language, TheChooserSpeaksRussian) {
    InLanguage russian(Language::Russian);
    GameChooser chooser("/nowhere", {}, {});
    EXPECT_EQ(chooser.windowTitle().toStdString(), "Выбор игры — Taleplay");
    EXPECT_EQ(chooser.playButton().text().toStdString(), "&Играть");
    EXPECT_EQ(chooser.openFolderButton().text().toStdString(), "&Открыть папку…");
}

// Qt's own dialogs around ours: the buttons of the question Escape asks, and
// the folder dialog's labels, come from Qt's translation, which the Russian
// locale loads with the player's.
TEST(Language, TheToolkitsDialogsSpeakRussianToo) {
    InLanguage russian(Language::Russian);
    ASSERT_TRUE(toolkitTranslated()) << "Qt's translations (qt6-translations-l10n) are missing";
    QMessageBox box(QMessageBox::Question, "Taleplay", "Выйти из игры?",
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().toStdString(), "&Да");
    EXPECT_EQ(box.button(QMessageBox::No)->text().toStdString(), "&Нет");
    QFileDialog dialog(nullptr, "Открыть папку");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("Перейти к:")) << labels.join(" | ").toStdString();
}
