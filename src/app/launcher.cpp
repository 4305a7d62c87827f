// From the command line to the game's window.
#include "app/launcher.h"

#include "app/author_mode.h"
#include "app/game_chooser.h"
#include "app/language.h"
#include "app/quiet_start.h"
#include "app/read_aloud.h"
#include "app/recent_games.h"
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "core/files.h"
#include "core/results.h"
#include "platform/system.h"

#include <QApplication>
#include <QScreen>
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

std::optional<std::string>
personalResultFolder(const GameLocation& game, const std::function<const char*(const char*)>& env) {
    const char* shared = env(results::kVariable);
    if ((shared && *shared) || files::folderWritable(game.folder))
        return std::nullopt;
    std::string base;
    if (const char* data = env("XDG_DATA_HOME"); data && *data == '/')
        base = data;
    else if (const char* home = env("HOME"); home && *home)
        base = std::string(home) + "/.local/share";
    else
        return std::nullopt;
    return base + "/taleplay/results/";
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
    std::optional<GameLocation> game;
    std::vector<GameLocation> offered;
    std::string offeredFolder = startFolder;
    bool choose = false;
    if (options.game) {
        GameSearch search = findGame(*options.game, startFolder);
        if (!search.problem.empty()) {
            std::cerr << "taleplay: " << translate(search.problem) << "\n";
            return 2;
        }
        if (search.games.size() == 1) {
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
    if (options.resultsFolder)
        ::setenv("TALEPLAY_RESULTS", absoluteFrom(startFolder, *options.resultsFolder).c_str(), 1);

    if (!hasDisplay([](const char* name) { return std::getenv(name); })) {
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
    installTranslation();

    RecentGames recent = RecentGames::forUser();
    if (choose) {
        GameChooser chooser(offeredFolder, offered, recent.games());
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
    std::unique_ptr<TForm1> form = openGameWindow(playAs, options.window);
    // A game opened from a read-only place (a classroom share, the package's
    // demo) still gets its mark written, where its player can find it. The
    // classic start keeps its "File access denied".
    if (game) {
        const auto own = personalResultFolder(*game, [](const char* n) { return std::getenv(n); });
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
                                                 "files, F12 shows the inspector; a change to a "
                                                 "file of the game rebuilds it too")
                             : QT_TRANSLATE_NOOP("Launcher",
                                                 "author mode: F5 rebuilds the game from its "
                                                 "files, F12 shows the inspector"),
                         {}})
                  << "\n";
    }
    return app.exec();
}

} // namespace taleplay::launch
