// taleplay-check [--json] DATA_FOLDER
//
// Reads the game in DATA_FOLDER as the player would and prints what would go
// wrong, one finding a line ("file:line: error|warning: message"), or all of
// them as one JSON object. The exit status is 1 when any finding is an error.
#include "check/check.h"

#include <iostream>
#include <string>

namespace {

int usage(const std::string& why) {
    std::cerr << "taleplay-check: " << why << "\n"
              << "usage: taleplay-check [--json] DATA_FOLDER\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay::check;
    bool json = false;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--json")
            json = true;
        else if (a == "--help" || a == "-h")
            return usage("checks a game's data folder");
        else if (!a.empty() && a.front() == '-')
            return usage("unknown option " + a);
        else if (folder.empty())
            folder = a;
        else
            return usage("too many arguments");
    }
    if (folder.empty())
        return usage("no data folder given");

    const std::vector<Finding> findings = checkGame(folder);
    if (json) {
        std::cout << formatJson(folder, findings);
    } else {
        for (const Finding& f : findings)
            std::cout << formatLine(folder, f) << "\n";
    }
    return hasErrors(findings) ? 1 : 0;
}
