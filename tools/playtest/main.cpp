// taleplay-playtest [--screen WIDTHxHEIGHT] [--scratch] [--author | --watch] DATA_FOLDER [SCRIPT]
//
// Plays the game in DATA_FOLDER (named data_NAME) offscreen, exactly as if
// NAME had been started in the folder above it (with --scratch, in a new
// temporary folder that links to it), runs the script's commands and closes
// with "N passed, N failed".
#include "app/author_mode.h"
#include "app/language.h"
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/speech.h"
#include "platform/system.h"
#include "playtest/offscreen.h"
#include "playtest/scratch.h"
#include "playtest/script.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

using taleplay::launch::Phrase;

Phrase said(const char* text, std::vector<std::string> values = {}) {
    return {"Playtest", text, std::move(values)};
}

int usage(const Phrase& why) {
    using taleplay::launch::translate;
    std::cerr << "taleplay-playtest: " << translate(why) << "\n"
              << translate(said(QT_TRANSLATE_NOOP("Playtest",
                                                  "usage: taleplay-playtest [--screen "
                                                  "WIDTHxHEIGHT] [--scratch] [--author | --watch] "
                                                  "DATA_FOLDER [SCRIPT|-]\n")));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    platform::boundAllocatorArenas(); // plays as the player does
    launch::useLanguage(launch::languageFrom([](const char* name) { return std::getenv(name); }));
    int width = 1280, height = 1024;
    std::string folder, scriptName;
    bool scratch = false;
    std::optional<WatchFiles> author;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--scratch") {
            scratch = true;
        } else if (a == "--screen") {
            if (i + 1 >= argc || !playtest::parseScreen(argv[++i], width, height))
                return usage(said(QT_TRANSLATE_NOOP(
                    "Playtest", "--screen takes WIDTHxHEIGHT, such as 1280x1024")));
        } else if (a == "--author") {
            author = author.value_or(WatchFiles::No);
        } else if (a == "--watch") {
            author = WatchFiles::Yes;
        } else if (folder.empty()) {
            folder = a;
        } else if (scriptName.empty()) {
            scriptName = a;
        } else {
            return usage(said(QT_TRANSLATE_NOOP("Playtest", "too many arguments")));
        }
    }
    if (folder.empty())
        return usage(said(QT_TRANSLATE_NOOP("Playtest", "no data folder given")));

    // Native paths all: the folders and names are used as the file system
    // gives them, whatever letters or '\\' they hold.
    const std::string startFolder = paths::currentFolder(); // script files are relative to it
    std::string absoluteFolder = folder.front() == '/' ? folder : startFolder + "/" + folder;
    while (absoluteFolder.size() > 1 && absoluteFolder.back() == '/')
        absoluteFolder.pop_back();
    const std::string last = paths::lastComponent(absoluteFolder);
    if (last.rfind("data_", 0) != 0 || last.size() == 5)
        return usage(
            said(QT_TRANSLATE_NOOP("Playtest", "the data folder must be named data_NAME: %1"),
                 {folder}));
    const std::string name = last.substr(5);
    std::string parent = absoluteFolder.substr(0, absoluteFolder.size() - last.size());
    // Played from a folder of its own, the game leaves its result there.
    playtest::ScratchFolder scratchFolder;
    if (scratch) {
        if (!scratchFolder.make(absoluteFolder, last))
            return usage(said(QT_TRANSLATE_NOOP("Playtest", "cannot make a scratch folder for %1"),
                              {folder}));
        parent = scratchFolder.path();
    }

    std::ifstream scriptFile;
    if (!scriptName.empty() && scriptName != "-") {
        scriptFile.open(scriptName);
        std::error_code error;
        if (!scriptFile || std::filesystem::is_directory(scriptName, error))
            return usage(
                said(QT_TRANSLATE_NOOP("Playtest", "cannot read script %1"), {scriptName}));
    }
    if (!playtest::useOffscreenScreen(width, height))
        return usage(
            said(QT_TRANSLATE_NOOP("Playtest", "cannot write the offscreen screen description")));
    if (::chdir(parent.c_str()) != 0)
        return usage(said(QT_TRANSLATE_NOOP("Playtest", "cannot enter %1"), {parent}));

    int qtArgc = 1;
    std::string program = name;
    char* qtArgv[] = {program.data(), nullptr};
    QApplication app(qtArgc, qtArgv);
    playtest::removeOffscreenScreenFile();
    launch::installTranslation();

    // Nothing is spoken: what reading aloud would say is printed, and
    // `expect said` looks for it.
    std::vector<std::string> said;
    setSpeechRecorder([&said](SpeechLanguage language, const QString& text) {
        said.push_back(text.toStdString());
        std::cout << (language == SpeechLanguage::Russian ? "said (ru): " : "said (en): ")
                  << said.back() << std::endl;
    });

    TForm1 form(name);
    TForm2 errorWindow(form);
    form.setErrorWindow(&errorWindow);
    if (author)
        new AuthorMode(form, *author); // owned by the window
    playtest::Runner runner(form, startFolder, std::cout);
    runner.hearSpeechFrom(said);

    platform::setModalObserver([](platform::ModalKind kind, const std::string& text) {
        const char* what =
            kind == platform::ModalKind::ErrorWindow
                ? QT_TRANSLATE_NOOP("Playtest", "error window: %1")
            : kind == platform::ModalKind::Question ? QT_TRANSLATE_NOOP("Playtest", "question: %1")
                                                    : QT_TRANSLATE_NOOP("Playtest", "message box: %1");
        std::cout << launch::translate(Phrase{"Playtest", what, {text}}) << std::endl;
    });
    platform::setEndProgramHandler([&] {
        runner.setEnded(form.game().messages().empty() ? std::string("halted")
                                                       : form.game().messages().back());
        form.hide();
    });

    form.showMaximisedWindow();
    QElapsedTimer clock;
    clock.start();
    while (!form.startUpDone() && !runner.ended() && clock.elapsed() < 30000) {
        platform::processEvents();
        platform::sleepMs(1);
    }
    platform::processEvents();
    platform::deleteDeferred();

    if (scriptName == "-")
        runner.runScript(std::cin, "stdin");
    else if (scriptFile.is_open())
        runner.runScript(scriptFile, scriptName);

    std::cout << runner.summary() << std::endl;
    return runner.failed() > 0 ? 1 : 0;
}
