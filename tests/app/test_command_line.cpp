#include "app/command_line.h"
#include "app/game_location.h"
#include "launch_support.h"
#include "support/qt_support.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace taleplay::launch;
using taleplay::testing::TempFolder;

TEST(CommandLine, OptionsAndGame) {
    struct Row {
        std::vector<std::string> args;
        Action action;
        WindowKind window;
        int width, height;
        Verbosity verbosity;
        const char* game;    // nullptr: none
        const char* results; // nullptr: none
    } rows[] = {
        {{}, Action::Play, WindowKind::Maximised, 0, 0, Verbosity::Quiet, nullptr, nullptr},
        {{"data_quiz"},
         Action::Play,
         WindowKind::Maximised,
         0,
         0,
         Verbosity::Quiet,
         "data_quiz",
         nullptr},
        {{"--screen", "1024x768", "g"},
         Action::Play,
         WindowKind::Sized,
         1024,
         768,
         Verbosity::Quiet,
         "g",
         nullptr},
        {{"--screen=800x600"},
         Action::Play,
         WindowKind::Sized,
         800,
         600,
         Verbosity::Quiet,
         nullptr,
         nullptr},
        {{"--fullscreen", "--verbose"},
         Action::Play,
         WindowKind::FullScreen,
         0,
         0,
         Verbosity::Verbose,
         nullptr,
         nullptr},
        {{"--results", "marks", "g"},
         Action::Play,
         WindowKind::Maximised,
         0,
         0,
         Verbosity::Quiet,
         "g",
         "marks"},
        {{"--results=/srv/marks"},
         Action::Play,
         WindowKind::Maximised,
         0,
         0,
         Verbosity::Quiet,
         nullptr,
         "/srv/marks"},
        // After "--" a game may look like an option.
        {{"--", "--odd name"},
         Action::Play,
         WindowKind::Maximised,
         0,
         0,
         Verbosity::Quiet,
         "--odd name",
         nullptr},
        {{"--help", "--bogus"},
         Action::Help,
         WindowKind::Maximised,
         0,
         0,
         Verbosity::Quiet,
         nullptr,
         nullptr},
        {{"g", "-h"}, Action::Help, WindowKind::Maximised, 0, 0, Verbosity::Quiet, "g", nullptr},
        {{"--version"},
         Action::Version,
         WindowKind::Maximised,
         0,
         0,
         Verbosity::Quiet,
         nullptr,
         nullptr},
    };
    for (const Row& r : rows) {
        const Options o = parseCommandLine(r.args);
        const std::string at = ::testing::PrintToString(r.args);
        EXPECT_EQ(o.action, r.action) << at;
        EXPECT_EQ(o.window.kind, r.window) << at;
        EXPECT_EQ(o.window.width, r.width) << at;
        EXPECT_EQ(o.window.height, r.height) << at;
        EXPECT_EQ(o.verbosity, r.verbosity) << at;
        EXPECT_EQ(o.game.value_or("(none)"), r.game ? r.game : "(none)") << at;
        EXPECT_EQ(o.resultsFolder.value_or("(none)"), r.results ? r.results : "(none)") << at;
    }
}

TEST(CommandLine, AuthorModeAndWatching) {
    struct Row {
        std::vector<std::string> args;
        Authoring authoring;
    } rows[] = {
        {{"g"}, Authoring::Off},
        {{"--author", "g"}, Authoring::On},
        {{"g", "--author"}, Authoring::On},
        // Watching is for authors: it brings author mode along.
        {{"--watch", "g"}, Authoring::Watch},
        {{"--author", "--watch"}, Authoring::Watch},
        {{"--watch", "--author"}, Authoring::Watch},
    };
    for (const Row& r : rows) {
        const Options o = parseCommandLine(r.args);
        EXPECT_EQ(o.action, Action::Play) << ::testing::PrintToString(r.args);
        EXPECT_EQ(o.authoring, r.authoring) << ::testing::PrintToString(r.args);
    }
}

TEST(CommandLine, ReadAloudFromTheStart) {
    EXPECT_EQ(parseCommandLine({"g"}).readAloud, ReadingAloud::Off);
    EXPECT_EQ(parseCommandLine({"--read-aloud", "g"}).readAloud, ReadingAloud::On);
    EXPECT_EQ(parseCommandLine({"--read-aloud=yes"}).action, Action::BadUsage);
    EXPECT_NE(usageText().find("--read-aloud"), std::string::npos);
}

TEST(CommandLine, BadUsageSaysWhatIsWrong) {
    struct Row {
        std::vector<std::string> args;
        const char* says;
    } rows[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x", "g"}, "unknown option '-x'"},
        {{"-"}, "unknown option '-'"},
        {{"--help=yes"}, "unknown option '--help=yes'"},
        {{"--author=yes"}, "unknown option '--author=yes'"},
        {{"--watch=5"}, "unknown option '--watch=5'"},
        {{"a", "b"}, "only one GAME"},
        {{"--screen"}, "--screen takes WIDTHxHEIGHT"},
        {{"--screen", "1024"}, "--screen takes"},
        {{"--screen", "0x768"}, "--screen takes"},
        {{"--screen", "1024x"}, "--screen takes"},
        {{"--screen", "-1x768"}, "--screen takes"},
        {{"--screen", "8193x768"}, "--screen takes"},
        {{"--screen", "99999999999x1"}, "--screen takes"},
        {{"--screen", "1024x768x2"}, "--screen takes"},
        {{"--results"}, "--results takes"},
        {{"--results="}, "--results takes"},
        {{"--screen", "800x600", "--fullscreen"}, "cannot be used together"},
        {{"--new-game"}, "--new-game takes the folder"},
        {{"--new-game", "games", "data_quiz"}, "it plays no GAME besides"},
        {{"--name", "quiz"}, "go with --new-game"},
        {{"--new-game", "games", "--encoding", "koi8-r"}, "utf-8 or windows-1251"},
    };
    for (const Row& r : rows) {
        const Options o = parseCommandLine(r.args);
        EXPECT_EQ(o.action, Action::BadUsage) << ::testing::PrintToString(r.args);
        const std::string problem = o.problem.english();
        EXPECT_NE(problem.find(r.says), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
    }
    EXPECT_TRUE(parseScreenSize("8192x8192"));
    EXPECT_TRUE(parseScreenSize("1x1"));
}

TEST(CommandLine, UsageAndVersionTexts) {
    EXPECT_EQ(usageText().rfind("Usage: taleplay [OPTIONS] [GAME]\n", 0), 0u);
    for (const char* option : {"--screen", "--fullscreen", "--results", "--verbose", "--author",
                               "--watch", "--help", "--version"})
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    EXPECT_EQ(versionText().rfind("taleplay ", 0), 0u);
    EXPECT_EQ(versionText().back(), '\n');
}

namespace {

// A games folder: data_quiz and data_maze (a link to a data folder kept
// elsewhere), a Windows program file beside its data folder, and some
// things that are no game.
struct GamesFolder {
    TempFolder dir;
    std::string games = dir.str() + "/games";

    GamesFolder() {
        namespace fs = std::filesystem;
        fs::create_directories(games + "/data_quiz");
        fs::create_directories(dir.str() + "/elsewhere/data_maze");
        fs::create_directory_symlink(dir.str() + "/elsewhere/data_maze", games + "/data_maze");
        fs::create_directories(dir.str() + "/one/data_Story");
        dir.write("one/readme.txt", "");
        dir.write("one/data_notes", "a file named like a data folder");
        fs::create_directories(dir.str() + "/empty/data_");
        fs::create_directories(dir.str() + "/win/DATA_Planets");
        dir.write("win/Planets.EXE", "MZ");
        dir.write("win/lonely.exe", "MZ");
        dir.write("win/data_lonely", "not a folder");
        dir.write("win/notes.txt", "");
    }
};

} // namespace

TEST(GameLocation, EveryWayOfNamingAGame) {
    GamesFolder f;
    const std::string d = f.dir.str();
    struct Row {
        std::string argument, currentFolder;
        std::string folder, name; // the game found
    } rows[] = {
        {d + "/games/data_quiz", "/", d + "/games", "quiz"},
        {d + "/games/data_quiz/", "/", d + "/games", "quiz"},
        {"data_quiz", d + "/games", d + "/games", "quiz"},
        {".", d + "/games/data_quiz", d + "/games", "quiz"},
        {"../games/./data_quiz", d + "/one", d + "/games", "quiz"},
        // Through a link, the game is played from the folder holding the link.
        {"games/data_maze", d, d + "/games", "maze"},
        // A folder holding exactly one data folder; files beside it do not count.
        {d + "/one", "/", d + "/one", "Story"},
        {"one/", d, d + "/one", "Story"},
        // A Windows program file; its data folder in another letter case.
        {d + "/win/Planets.EXE", "/", d + "/win", "Planets"},
        {"win/planets.exe", d, d + "/win", "Planets"},
    };
    for (const Row& r : rows) {
        f.dir.write("win/planets.exe", "MZ"); // a second program file, lower case
        const GameSearch s = findGame(r.argument, r.currentFolder);
        ASSERT_EQ(s.problem.english(), "") << r.argument;
        ASSERT_EQ(s.games.size(), 1u) << r.argument;
        EXPECT_EQ(s.games[0], (GameLocation{r.folder, r.name})) << r.argument;
    }
    EXPECT_EQ((GameLocation{"/", "x"}).dataFolder(), "/data_x");
    EXPECT_EQ((GameLocation{"/a b", "x"}).dataFolder(), "/a b/data_x");
}

TEST(GameLocation, SeveralGamesAreOfferedInOrder) {
    GamesFolder f;
    const GameSearch s = findGame(f.games, "/");
    EXPECT_EQ(s.problem.english(), "");
    ASSERT_EQ(s.games.size(), 2u);
    EXPECT_EQ(s.games[0], (GameLocation{f.games, "maze"}));
    EXPECT_EQ(s.games[1], (GameLocation{f.games, "quiz"}));
}

TEST(GameLocation, WhatIsNoGameIsSaidInOneLine) {
    GamesFolder f;
    const std::string d = f.dir.str();
    struct Row {
        std::string argument, says;
    } rows[] = {
        {d + "/missing", d + "/missing: no such file or folder"},
        {d + "/games/data_gone", d + "/games/data_gone: no such file or folder"},
        {d + "/win/notes.txt", d + "/win/notes.txt is not a game"},
        {d + "/one/data_notes", d + "/one/data_notes is not a game"},
        {d + "/empty", d + "/empty holds no game: there is no data_NAME folder in it"},
        {d + "/empty/data_", d + "/empty/data_ holds no game"},
        {d + "/win/lonely.exe", d + "/win/lonely.exe: there is no data_lonely folder beside it"},
    };
    for (const Row& r : rows) {
        const GameSearch s = findGame(r.argument, "/");
        EXPECT_TRUE(s.games.empty()) << r.argument;
        const std::string problem = s.problem.english();
        EXPECT_EQ(problem.rfind(r.says, 0), 0u) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
    }
}

TEST(GameLocation, TheChooserOnlyWhenStartedAsTheBarePlayer) {
    GamesFolder f;
    struct Row {
        std::string startedAs, folder;
        ClassicStart start;
    } rows[] = {
        {"taleplay", f.games, ClassicStart::OfferChooser},
        {"/usr/bin/taleplay", f.dir.str(), ClassicStart::OfferChooser},
        {"taleplay.exe", f.games, ClassicStart::OfferChooser},
        // Any other name is a game's name, found or reported as before.
        {"quiz", f.games, ClassicStart::PlayStartedName},
        {"missing", f.games, ClassicStart::PlayStartedName},
        {"Taleplay", f.games, ClassicStart::PlayStartedName},
        {"taleplay.EXE", f.games, ClassicStart::PlayStartedName},
    };
    for (const Row& r : rows)
        EXPECT_EQ(classicStart(r.startedAs, r.folder), r.start) << r.startedAs << " " << r.folder;

    // A game of the player's own name is played the classic way.
    std::filesystem::create_directories(f.games + "/data_taleplay");
    EXPECT_EQ(classicStart("taleplay", f.games), ClassicStart::PlayStartedName);
}

// A new game is opened to be written: in author mode, watching its files,
// unless the author asked for author mode without watching.
TEST(CommandLine, ANewGameOpensInAuthorMode) {
    struct Row {
        std::vector<std::string> args;
        std::string name;
        TextEncodingAsked encoding;
        Authoring authoring;
    } rows[] = {
        {{"--new-game", "Игры"}, "", TextEncodingAsked::Utf8, Authoring::Watch},
        {{"--new-game=Игры", "--name", "планеты", "--encoding", "windows-1251"},
         "планеты",
         TextEncodingAsked::Windows1251,
         Authoring::Watch},
        {{"--author", "--new-game", "x", "--encoding=utf-8"}, "", TextEncodingAsked::Utf8,
         Authoring::On},
    };
    for (const Row& r : rows) {
        const Options o = parseCommandLine(r.args);
        ASSERT_EQ(o.action, Action::Play) << o.problem.english();
        EXPECT_TRUE(o.newGame);
        EXPECT_FALSE(o.game);
        EXPECT_EQ(o.newGameName, r.name);
        EXPECT_EQ(o.newGameEncoding, r.encoding);
        EXPECT_EQ(o.authoring, r.authoring);
    }
}
