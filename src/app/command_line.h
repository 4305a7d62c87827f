#pragma once
// What `taleplay [OPTIONS] [GAME]` asks for. No Qt here: the command line is
// read, and bad usage reported, before any window or toolkit exists.
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

struct Options {
    Action action = Action::Play;
    std::string problem; // for BadUsage: what was wrong, one line
    WindowMode window;
    std::optional<std::string> resultsFolder; // native path, as given
    Verbosity verbosity = Verbosity::Quiet;
    std::optional<std::string> game; // native path, as given
};

// Reads the arguments after the program's name.
Options parseCommandLine(const std::vector<std::string>& args);

// Parses "WIDTHxHEIGHT"; nothing unless both are whole numbers from 1 to
// kLargestScreenSide. The limit keeps a typing slip from asking the window
// system for a window of gigabytes.
inline constexpr int kLargestScreenSide = 8192;
std::optional<WindowMode> parseScreenSize(const std::string& text);

std::string usageText();
std::string versionText();

} // namespace taleplay::launch
