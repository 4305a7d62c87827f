#pragma once
// What `taleplay [OPTIONS] [GAME]` asks for. No Qt here: the command line is
// read, and bad usage reported, before any window or toolkit exists.
#include "app/new_game.h"
#include "app/phrase.h"

#include <optional>
#include <string>
#include <vector>

namespace taleplay::launch {

enum class Action { Play, Help, Version, BadUsage };

enum class Verbosity { Quiet, Verbose };

// How the game's window is shown.
enum class WindowKind { Maximised, Sized, FullScreen };

struct WindowMode {
    WindowKind kind = WindowKind::Maximised;
    int width = 0, height = 0; // the client area, for Sized
};

// Author mode: keys that rebuild the game and show an inspector over it,
// which do nothing in a student's game; with Watch the game is also rebuilt
// whenever a file of its data folder changes.
enum class Authoring { Off, On, Watch };

// Reading the screen aloud from the start (F2 turns it on and off anyway).
enum class ReadingAloud { Off, On };

struct Options {
    Action action = Action::Play;
    Phrase problem; // for BadUsage: what was wrong, one line
    WindowMode window;
    std::optional<std::string> resultsFolder; // native path, as given
    // Shows the class's results of this results folder instead of playing.
    std::optional<std::string> classResults; // native path, as given
    Verbosity verbosity = Verbosity::Quiet;
    Authoring authoring = Authoring::Off;
    ReadingAloud readAloud = ReadingAloud::Off;
    std::optional<std::string> game; // native path, as given
    // --new-game DIR: a game made from the template in DIR (or as DIR, when
    // it is named data_NAME), then opened in author mode.
    std::optional<std::string> newGame; // native path, as given
    std::string newGameName;            // --name; empty: the default name
    TextEncodingAsked newGameEncoding = TextEncodingAsked::Utf8;
};

// Reads the arguments after the program's name.
Options parseCommandLine(const std::vector<std::string>& args);

// Parses "WIDTHxHEIGHT"; nothing unless both are whole numbers from 1 to
// kLargestScreenSide. The limit keeps a typing slip from asking the window
// system for a window of gigabytes.
inline constexpr int kLargestScreenSide = 8192;
std::optional<WindowMode> parseScreenSize(const std::string& text);

// In English; the launcher shows it translated.
Phrase usage();
std::string usageText();
std::string versionText();

} // namespace taleplay::launch
