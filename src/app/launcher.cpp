// From the command line to the game's window.
#include "app/launcher.h"

#include "app/author_mode.h"
#include "app/class_results_text.h"
#include "app/class_results_window.h"
#include "app/game_chooser.h"
#include "app/game_shelf.h"
#include "app/language.h"
#include "app/new_game.h"
#include "app/quiet_start.h"
#include "app/read_aloud.h"
#include "app/recent_games.h"
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "core/files.h"
#include "core/results.h"
#include "platform/system.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>
#include <vector>

namespace taleplay::launch {
namespace {

// The current folder as the file system names it.
std::string nativeCurrentFolder() {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::current_path(ec);
    return ec ? std::string("/") : p.string();
}

// Marked on their own: lupdate does not look inside translate()'s arguments.
const char* const kDefaultGameName = QT_TRANSLATE_NOOP("Launcher", "my_game");
const char* const kGamesShelf = QT_TRANSLATE_NOOP("Launcher", "Games");

// The program file itself, wherever it was started from: the installed
// examples lie beside it.
std::string programFile() {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string documentsFolder() {
    return QFile::encodeName(
               QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .toStdString();
}

// Where "New game…" suggests making one: the Documents folder's shelf of
// games that already exists, else its "Игры" under a Russian locale and
// "Games" otherwise.
std::string newGamesFolder(const std::string& documents) {
    const std::string russian = documents + "/\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B";
    const std::string english = documents + "/Games";
    std::error_code ec;
    if (std::filesystem::is_directory(english, ec) && !std::filesystem::is_directory(russian, ec))
        return english;
    return translate("Launcher", kGamesShelf) == QStringLiteral("Games") ? english : russian;
}

std::string absoluteFrom(const std::string& folder, const std::string& path) {
    std::filesystem::path p(path);
    if (p.is_relative())
        p = std::filesystem::path(folder) / p;
    return p.lexically_normal().string();
}

} // namespace

bool enterGameFolder(const GameLocation& game) {
    return ::chdir(game.folder.c_str()) == 0;
}

std::optional<std::string> userResultFolder(const std::function<const char*(const char*)>& env) {
    if (const char* data = env("XDG_DATA_HOME"); data && *data == '/')
        return std::string(data) + "/taleplay/results/";
    if (const char* home = env("HOME"); home && *home)
        return std::string(home) + "/.local/share/taleplay/results/";
    return std::nullopt;
}

std::optional<std::string>
personalResultFolder(const GameLocation& game, const std::function<const char*(const char*)>& env) {
    // A database takes the rows; the file goes where it would without one.
    const char* shared = env(results::kVariable);
    if ((shared && *shared && !results::isDatabase(shared)) || files::folderWritable(game.folder))
        return std::nullopt;
    return userResultFolder(env);
}

namespace {

ResultsFallback withOwnFolder(ResultsFallback fallback,
                              const std::function<const char*(const char*)>& env) {
    std::error_code ec;
    fallback.folder = userResultFolder(env);
    if (fallback.folder)
        std::filesystem::create_directories(*fallback.folder, ec);
    if (fallback.folder && !ec) {
        fallback.instead = {"Launcher",
                            QT_TRANSLATE_NOOP("Launcher", "Your result is kept in %1 instead: "
                                                          "tell your teacher."),
                            {*fallback.folder}};
    } else {
        fallback.folder.reset();
        fallback.instead = {"Launcher",
                            QT_TRANSLATE_NOOP("Launcher", "Your result is written beside the game "
                                                          "instead: tell your teacher."),
                            {}};
    }
    return fallback;
}

} // namespace

std::optional<ResultsFallback>
checkResultsFolder(const std::function<const char*(const char*)>& env) {
    const char* shared = env(results::kVariable);
    if (!shared || !*shared)
        return std::nullopt;
    ResultsFallback fallback;
    if (results::isDatabase(shared)) {
        // Only what can be told without the network: an unreachable server
        // is no reason to keep a pupil waiting, and its rows wait anyway.
        fallback.problem = connectionRefusal(resultsdb::check(shared));
        if (fallback.problem.empty())
            return std::nullopt;
        return withOwnFolder(std::move(fallback), env);
    }
    const results::PupilFolder own = results::pupilFolder(shared);
    switch (own.refusal) {
    case results::Refusal::None:
        return std::nullopt;
    case results::Refusal::Missing:
        fallback.problem = {"Launcher",
                            QT_TRANSLATE_NOOP("Launcher", "The results folder %1 does not exist."),
                            {shared}};
        break;
    case results::Refusal::NotAFolder:
        fallback.problem = {"Launcher",
                            QT_TRANSLATE_NOOP("Launcher", "The results folder %1 is no folder."),
                            {shared}};
        break;
    case results::Refusal::NotWritable:
        fallback.problem = {
            "Launcher",
            QT_TRANSLATE_NOOP("Launcher", "The results folder %1 cannot be written."),
            {shared}};
        break;
    case results::Refusal::TakenByAnother:
        fallback.problem = {"Launcher",
                            QT_TRANSLATE_NOOP("Launcher", "In the results folder %1, %2 belongs "
                                                          "to another account."),
                            {shared, own.path}};
        break;
    }
    return withOwnFolder(std::move(fallback), env);
}

void useApplicationIcon() {
    // Where no desktop entry gives the window one: a window manager that
    // reads none, a copy started under a game's name.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.taleplay.Taleplay"),
                                                 QIcon(QStringLiteral(":/taleplay-64.png"))));
}

std::unique_ptr<TForm1> openGameWindow(const std::string& startedAs, const WindowMode& mode) {
    auto form = std::make_unique<TForm1>(startedAs);
    // Owned by the main window, which it needs for its size.
    auto* errorWindow = new TForm2(*form);
    form->setErrorWindow(errorWindow);
    QScreen* screen = form->screen();
    switch (mode.kind) {
    case WindowKind::Maximised:
        form->showMaximisedWindow();
        break;
    case WindowKind::Sized:
        // The start-up sequence measures the client area, so it has its
        // size before the window is first shown.
        form->resize(mode.width, mode.height);
        if (screen)
            form->move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, form->size(),
                                           screen->availableGeometry())
                           .topLeft());
        form->show();
        break;
    case WindowKind::FullScreen:
        // As for the maximised window: where the window system is slow to
        // obey, the start-up sequence must not measure the old size.
        if (screen)
            form->setGeometry(screen->geometry());
        form->showFullScreen();
        break;
    }
    return form;
}

int run(int argc, char** argv) {
    platform::boundAllocatorArenas();
    const std::string startedAs = argc > 0 && argv[0] ? argv[0] : "taleplay";
    useLanguage(languageFrom([](const char* name) { return std::getenv(name); }));
    const Options options =
        parseCommandLine(std::vector<std::string>(argv + std::min(argc, 1), argv + argc));
    switch (options.action) {
    case Action::Help:
        std::cout << translate(usage());
        return 0;
    case Action::Version:
        std::cout << versionText();
        return 0;
    case Action::BadUsage:
        std::cerr << "taleplay: " << translate(options.problem) << "\n" << translate(usage());
        return 2;
    case Action::Play:
        break;
    }

    // Everything the command line names is checked before a window exists,
    // so a mistake is one line on the terminal, not a window.
    const std::string startFolder = nativeCurrentFolder();
    const std::string examples = examplesFolderOf(programFile());
    std::optional<GameLocation> game;
    std::vector<GameLocation> offered;
    std::string offeredFolder = startFolder;
    bool choose = false;
    std::string chooserNote;
    const auto environment = [](const char* name) { return std::getenv(name); };
    if (options.newGame) {
        const std::string name =
            options.newGameName.empty()
                ? translate("Launcher", kDefaultGameName).toStdString()
                : options.newGameName;
        const NewGame made = makeNewGame(absoluteFrom(startFolder, *options.newGame), name,
                                         options.newGameEncoding, templateIn(examples));
        if (!made.problem.empty()) {
            std::cerr << "taleplay: " << translate(made.problem) << "\n";
            return 2;
        }
        std::cerr << "taleplay: "
                  << translate(Phrase{"Launcher",
                                      QT_TRANSLATE_NOOP("Launcher",
                                                        "made the new game %1 from the school "
                                                        "quiz: change its description files into "
                                                        "your own"),
                                      {made.game.dataFolder()}})
                  << "\n";
        game = made.game;
    } else if (options.game) {
        GameSearch search = findGame(*options.game, startFolder);
        std::error_code ec;
        const std::string asked = absoluteFrom(startFolder, *options.game);
        // A folder with no game, opened from a desktop launcher, would end
        // with a line nobody sees: the chooser opens on it and says why.
        if (!search.problem.empty() && !startedFromTerminal() &&
            std::filesystem::is_directory(asked, ec) && hasDisplay(environment)) {
            choose = true;
            offeredFolder = asked;
            chooserNote = translate(search.problem);
        } else if (!search.problem.empty()) {
            std::cerr << "taleplay: " << translate(search.problem) << "\n";
            return 2;
        } else if (search.games.size() == 1) {
            game = search.games.front();
        } else {
            choose = true;
            offeredFolder = search.games.front().folder;
            offered = std::move(search.games);
        }
    } else if (classicStart(startedAs, startFolder) == ClassicStart::OfferChooser) {
        choose = true;
        offered = gamesIn(startFolder);
    }
    // The game's folder becomes the current folder: a relative results
    // folder means the one the player was in when typing it.
    // A database connection is no folder: it stays as it is, and one
    // holding a password is refused at once, before it does more harm.
    if (options.resultsFolder) {
        const bool database = results::isDatabase(*options.resultsFolder);
        if (database) {
            if (const Phrase refused = connectionRefusal(resultsdb::check(*options.resultsFolder));
                !refused.empty()) {
                std::cerr << "taleplay: " << translate(refused) << "\n";
                return 2;
            }
        }
        ::setenv("TALEPLAY_RESULTS",
                 database ? options.resultsFolder->c_str()
                          : absoluteFrom(startFolder, *options.resultsFolder).c_str(),
                 1);
    }
    std::optional<std::string> classResults;
    if (options.classResults) {
        classResults = results::isDatabase(*options.classResults)
                           ? *options.classResults
                           : absoluteFrom(startFolder, *options.classResults);
        const Phrase problem = classResultsProblem(*classResults);
        if (!problem.empty()) {
            std::cerr << "taleplay: " << translate(problem) << "\n";
            return 2;
        }
    }

    if (!hasDisplay(environment)) {
        std::cerr << kNoDisplayMessage << "\n";
        return 1;
    }
    if (const std::string x = onlyXDisplay([](const char* name) { return std::getenv(name); });
        !x.empty() && !xDisplayAnswers(x)) {
        std::cerr << displayDoesNotAnswer(x) << "\n";
        return 1;
    }
    prepareEnvironment(options.verbosity);
    installMessageHandler(options.verbosity);

    // The toolkit sees no arguments: every one of them was ours.
    int qtArgc = 1;
    std::string program = startedAs;
    char* qtArgv[] = {program.data(), nullptr};
    QApplication app(qtArgc, qtArgv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.taleplay.Taleplay"));
    useApplicationIcon();
    installTranslation();

    if (classResults) {
        ClassResultsWindow window(*classResults);
        window.exec();
        return 0;
    }

    RecentGames recent = RecentGames::forUser();
    if (choose) {
        GameChooser chooser(offeredFolder, offered, recent.games());
        const std::string documents = documentsFolder();
        chooser.addGames(GameChooser::tr("Games in the Documents folder"),
                         documentsGames(documents));
        if (!examples.empty())
            chooser.addGames(GameChooser::tr("Examples"), gamesIn(examples));
        chooser.setNote(QString::fromStdString(chooserNote));
        if (options.authoring != Authoring::Off)
            chooser.offerNewGame(
                {newGamesFolder(documents),
                 translate("Launcher", kDefaultGameName).toStdString(),
                 TextEncodingAsked::Utf8},
                templateIn(examples));
        if (chooser.exec() != QDialog::Accepted || !chooser.chosen())
            return 0;
        game = chooser.chosen();
    }

    std::string playAs = startedAs;
    if (game) {
        if (!enterGameFolder(*game)) {
            std::cerr << "taleplay: "
                      << translate(
                             Phrase{"Launcher",
                                    QT_TRANSLATE_NOOP("Launcher", "cannot enter the folder %1"),
                                    {game->folder}})
                      << "\n";
            return 2;
        }
        playAs = game->name;
        recent.add(*game);
    }
    // Before the game, so that the pupil knows before playing; the results
    // then go where the pupil's own account keeps them, and nothing is lost.
    const auto getenv = [](const char* n) { return std::getenv(n); };
    const std::optional<ResultsFallback> fallback = checkResultsFolder(getenv);
    if (fallback) {
        const std::string text = translate(fallback->problem) + " " + translate(fallback->instead);
        std::cerr << "taleplay: " << text << "\n";
        platform::warningBox(nullptr, "Taleplay", text);
        ::unsetenv(results::kVariable);
    }
    std::unique_ptr<TForm1> form = openGameWindow(playAs, options.window);
    // A game opened from a read-only place (a classroom share, the package's
    // demo) still gets its mark written, where its player can find it. The
    // classic start keeps its "File access denied".
    if (fallback) {
        if (fallback->folder) {
            form->game().state.resultFolder = *fallback->folder;
            form->game().state.resultTable = true;
        }
    } else if (game) {
        const auto own = personalResultFolder(*game, getenv);
        std::error_code ec;
        if (own)
            std::filesystem::create_directories(*own, ec);
        if (own && !ec) {
            form->game().state.resultFolder = *own;
            std::cerr << "taleplay: "
                      << translate(Phrase{"Launcher",
                                          QT_TRANSLATE_NOOP("Launcher",
                                                            "%1 cannot be written; the result "
                                                            "file goes to %2"),
                                          {game->folder, *own}})
                      << "\n";
        }
    }
    if (options.readAloud == ReadingAloud::On)
        form->readAloud().turnOn();
    if (options.authoring != Authoring::Off) {
        // Owned by the window.
        new AuthorMode(*form,
                       options.authoring == Authoring::Watch ? WatchFiles::Yes : WatchFiles::No);
        std::cerr << "taleplay: "
                  << translate(Phrase{
                         "Launcher",
                         options.authoring == Authoring::Watch
                             ? QT_TRANSLATE_NOOP("Launcher",
                                                 "author mode: F5 rebuilds the game from its "
                                                 "files, F12 shows the inspector, F6 edits it on "
                                                 "the screen; a change to a file of the game "
                                                 "rebuilds it too")
                             : QT_TRANSLATE_NOOP("Launcher",
                                                 "author mode: F5 rebuilds the game from its "
                                                 "files, F12 shows the inspector, F6 edits it on "
                                                 "the screen"),
                         {}})
                  << "\n";
    }
    return app.exec();
}

} // namespace taleplay::launch
