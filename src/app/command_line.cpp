// The options of `taleplay`, and its usage and version texts.
#include "app/command_line.h"

#include <string_view>

#ifndef TALEPLAY_VERSION
#define TALEPLAY_VERSION "unknown"
#endif

namespace taleplay::launch {
namespace {

Options badUsage(const char* text, std::vector<std::string> values = {}) {
    Options o;
    o.action = Action::BadUsage;
    o.problem = Phrase{"CommandLine", text, std::move(values)};
    return o;
}

} // namespace

std::optional<WindowMode> parseScreenSize(const std::string& text) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    auto side = [](std::string_view digits) -> int {
        if (digits.empty() || digits.size() > 5)
            return 0;
        int n = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return 0;
            n = n * 10 + (c - '0');
        }
        return n <= kLargestScreenSide ? n : 0;
    };
    const int width = side(std::string_view(text).substr(0, x));
    const int height = side(std::string_view(text).substr(x + 1));
    if (width == 0 || height == 0)
        return std::nullopt;
    return WindowMode{WindowKind::Sized, width, height};
}

Options parseCommandLine(const std::vector<std::string>& args) {
    Options o;
    bool screenGiven = false, fullScreenGiven = false, optionsEnded = false, encodingGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.empty() || a[0] != '-') {
            if (o.game)
                return badUsage(
                    TALEPLAY_TEXT("CommandLine", "only one GAME can be played at a time"));
            o.game = a;
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        // An option's value may follow as the next argument or after "=".
        std::string name = a, value;
        bool inlineValue = false;
        if (std::size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            inlineValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (inlineValue)
                return true;
            if (i + 1 >= args.size())
                return false;
            value = args[++i];
            return true;
        };
        auto noValue = [&] { return !inlineValue; };

        if ((name == "--help" || name == "-h") && noValue()) {
            o.action = Action::Help;
            return o;
        } else if (name == "--version" && noValue()) {
            o.action = Action::Version;
            return o;
        } else if (name == "--verbose" && noValue()) {
            o.verbosity = Verbosity::Verbose;
        } else if (name == "--fullscreen" && noValue()) {
            fullScreenGiven = true;
            o.window = WindowMode{WindowKind::FullScreen, 0, 0};
        } else if (name == "--screen") {
            std::optional<WindowMode> size;
            if (takeValue())
                size = parseScreenSize(value);
            if (!size)
                return badUsage(TALEPLAY_TEXT("CommandLine",
                                              "--screen takes WIDTHxHEIGHT, such as 1024x768, "
                                              "each side from 1 to %1"),
                                {std::to_string(kLargestScreenSide)});
            screenGiven = true;
            o.window = *size;
        } else if (name == "--results") {
            if (!takeValue() || value.empty())
                return badUsage(
                    TALEPLAY_TEXT("CommandLine", "--results takes the folder for result files"));
            o.resultsFolder = value;
        } else if (name == "--class-results") {
            if (!takeValue() || value.empty())
                return badUsage(
                    TALEPLAY_TEXT("CommandLine", "--class-results takes a results folder"));
            o.classResults = value;
        } else if (name == "--author" && noValue()) {
            if (o.authoring == Authoring::Off)
                o.authoring = Authoring::On;
        } else if (name == "--read-aloud" && noValue()) {
            o.readAloud = ReadingAloud::On;
        } else if (name == "--new-game") {
            if (!takeValue() || value.empty())
                return badUsage(TALEPLAY_TEXT(
                    "CommandLine", "--new-game takes the folder to make the new game in"));
            o.newGame = value;
        } else if (name == "--name") {
            if (!takeValue() || value.empty())
                return badUsage(TALEPLAY_TEXT("CommandLine", "--name takes the new game's name"));
            o.newGameName = value;
        } else if (name == "--encoding") {
            if (takeValue() && (value == "utf-8" || value == "UTF-8"))
                o.newGameEncoding = TextEncodingAsked::Utf8;
            else if (value == "windows-1251" || value == "cp1251")
                o.newGameEncoding = TextEncodingAsked::Windows1251;
            else
                return badUsage(
                    TALEPLAY_TEXT("CommandLine", "--encoding takes utf-8 or windows-1251"));
            encodingGiven = true;
        } else if (name == "--watch" && noValue()) {
            // Watching is for authors only: it brings author mode with it.
            o.authoring = Authoring::Watch;
        } else {
            return badUsage(TALEPLAY_TEXT("CommandLine", "unknown option '%1'"), {a});
        }
    }
    if (o.classResults && o.game)
        return badUsage(
            TALEPLAY_TEXT("CommandLine", "--class-results shows results and plays no GAME"));
    if (screenGiven && fullScreenGiven)
        return badUsage(
            TALEPLAY_TEXT("CommandLine", "--screen and --fullscreen cannot be used together"));
    if (o.newGame && o.game)
        return badUsage(
            TALEPLAY_TEXT("CommandLine", "--new-game makes a game: it plays no GAME besides"));
    if (!o.newGame && (encodingGiven || !o.newGameName.empty()))
        return badUsage(
            TALEPLAY_TEXT("CommandLine", "--name and --encoding go with --new-game"));
    // A new game is opened to be written.
    if (o.newGame && o.authoring == Authoring::Off)
        o.authoring = Authoring::Watch;
    return o;
}

Phrase usage() {
    return {"CommandLine",
            TALEPLAY_TEXT(
                "CommandLine",
                "Usage: taleplay [OPTIONS] [GAME]\n"
                "\n"
                "Plays a Taleplay game. GAME is a game's data folder (data_NAME), a folder\n"
                "holding one, or a game's Windows program file (NAME.exe beside data_NAME);\n"
                "the game is played as if NAME had been started in the folder above data_NAME.\n"
                "Without GAME, a window lists the games of the current folder, the games\n"
                "played lately, those in the Documents folder and the installed examples.\n"
                "Started under a game's name (a link or copy named NAME), it plays data_NAME\n"
                "of the current folder.\n"
                "\n"
                "Options:\n"
                "  --screen WIDTHxHEIGHT  play in a window whose inside has that size\n"
                "  --fullscreen           play on the whole screen\n"
                "  --results DIR          write result files into DIR (as TALEPLAY_RESULTS does);\n"
                "                         DIR may also be a school's database:\n"
                "                         postgresql://HOST/NAME or service=NAME\n"
                "  --class-results DIR    show the class's results in the results folder (or\n"
                "                         the database) DIR\n"
                "  --verbose              show the messages of the toolkit and of GStreamer\n"
                "  --author               author mode: F5 rebuilds the game from its files,\n"
                "                         F12 shows or hides the inspector, F6 edits the\n"
                "                         game on the screen and Ctrl+S saves it\n"
                "  --watch                author mode, and the game is rebuilt whenever a\n"
                "                         file of its data folder changes\n"
                "  --read-aloud           read the screen's texts aloud from the start\n"
                "                         (F2 turns reading aloud on and off)\n"
                "  --new-game DIR         make a new game from the template in DIR (or as\n"
                "                         DIR, when it is named data_NAME) and open it in\n"
                "                         author mode, watching its files\n"
                "  --name NAME            the new game's name (data_NAME)\n"
                "  --encoding ENCODING    its description files in utf-8 (the default) or\n"
                "                         windows-1251, which the Windows player reads too\n"
                "  -h, --help             show this help and exit\n"
                "  --version              show the version and exit\n"),
            {}};
}

std::string usageText() {
    return usage().english();
}

std::string versionText() {
    return std::string("taleplay ") + TALEPLAY_VERSION + "\n";
}

} // namespace taleplay::launch
