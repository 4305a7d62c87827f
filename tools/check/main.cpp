// taleplay-check [--json | --quiet] [--accessibility] DATA_FOLDER
//
// Reads the game in DATA_FOLDER as the player would and prints what would go
// wrong, one finding a line ("file:line: error|warning|note: message") and a
// closing summary line ("quiz: 0 errors, 2 warnings"), or all of them as one
// JSON object. --quiet prints the summary line alone, for scripts that want
// a verdict per game; the exit status is 1 when any finding is an error.
// --accessibility adds the checks for players who cannot use a mouse or read
// the screen.
// Messages follow the locale (Russian where there is a catalogue for it).
#include "check/check.h"
#include "check/translate.h"

#include <iostream>
#include <new>
#include <string>

namespace {

using taleplay::check::format;
using taleplay::check::tr;

int usage(const std::string& why) {
    std::cerr << "taleplay-check: " << why << "\n"
              << tr("usage: taleplay-check [--json | --quiet] [--accessibility] DATA_FOLDER\n"
                    "  --json           all findings as one JSON object\n"
                    "  --quiet          the summary line only; the exit status is 1 when "
                    "there are errors\n"
                    "  --accessibility  also warn about what keeps a game from players who "
                    "use a screen reader\n");
    return 2;
}

enum class Output { Lines, Summary, Json };

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay::check;
    setUpMessages();
    Output output = Output::Lines;
    std::string folder;
    Accessibility accessibility = Accessibility::Skip;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--json")
            output = Output::Json;
        else if (a == "--quiet" || a == "-q")
            output = output == Output::Json ? output : Output::Summary;
        else if (a == "--accessibility")
            accessibility = Accessibility::Check;
        else if (a == "--help" || a == "-h")
            return usage(tr("checks a game's data folder"));
        else if (!a.empty() && a.front() == '-')
            return usage(format(tr("unknown option {1}"), {a}));
        else if (folder.empty())
            folder = a;
        else
            return usage(tr("too many arguments"));
    }
    if (folder.empty())
        return usage(tr("no data folder given"));

    std::vector<Finding> findings;
    try {
        findings = checkGame(folder, accessibility);
    } catch (const std::bad_alloc&) {
        // A game can hold a file no memory suffices for; that is its verdict.
        std::cerr << "taleplay-check: "
                  << format(tr("{1}: not enough memory to read this game"), {folder}) << "\n";
        return 2;
    }
    switch (output) {
    case Output::Json:
        std::cout << formatJson(folder, findings);
        break;
    case Output::Lines:
        for (const Finding& f : findings)
            std::cout << formatLine(folder, f) << "\n";
        [[fallthrough]];
    case Output::Summary:
        std::cout << formatSummary(folder, findings) << "\n";
        break;
    }
    return hasErrors(findings) ? 1 : 0;
}
