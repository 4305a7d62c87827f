// taleplay-results [--class NAME] [--csv FILE] [--html FILE] FOLDER|DATABASE
//
// Prints the class's table of a results folder or a school's database: one
// line per pupil and game, with the names of the folder's class.txt or of
// the database's class lists; --class keeps one class of those lists;
// --csv and --html write the same table for a spreadsheet and for printing
// ("-" for standard output, which then carries that alone). What was read
// with a doubt goes to standard error. Exit status 0; 1 when a file cannot
// be written; 2 for bad usage, or a folder or database that cannot be read
// as results. Texts follow the locale, as the player's do.
#include "app/class_results_text.h"
#include "app/language.h"
#include "classresults/source.h"
#include "classresults/table.h"
#include "classresults/table_output.h"
#include "core/errors.h"
#include "core/files.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

namespace {

using namespace taleplay;
using launch::Phrase;
using launch::translate;

constexpr const char* kContext = "ResultsCommand";

std::string usageText() {
    return translate(
        Phrase{kContext,
               TALEPLAY_TEXT("ResultsCommand",
                             "Usage: taleplay-results [--class NAME] [--csv FILE] [--html FILE] "
                             "FOLDER|DATABASE\n"
                             "\n"
                             "Prints the class's results of a results folder or of a school's "
                             "database (postgresql://HOST/NAME or service=NAME), one line per "
                             "pupil and game.\n"
                             "  --class NAME  only the pupils of this class of the database's "
                             "lists\n"
                             "  --csv FILE    also write the table for spreadsheets (UTF-8)\n"
                             "  --html FILE   also write the table as a page for printing\n"
                             "FILE - is standard output.\n"),
               {}});
}

int badUsage(const Phrase& why) {
    std::cerr << "taleplay-results: " << translate(why) << "\n" << usageText();
    return 2;
}

// Writes `content` to `path`, or to standard output for "-"; false, saying
// why, when it cannot.
bool writeOut(const std::string& path, const std::string& content) {
    if (path == "-") {
        std::cout << content << std::flush;
        return static_cast<bool>(std::cout);
    }
    try {
        files::overwriteFile(path, content);
        return true;
    } catch (const TaleError& e) {
        std::cerr << "taleplay-results: "
                  << translate(Phrase{kContext,
                                      TALEPLAY_TEXT("ResultsCommand", "%1 cannot be written: %2"),
                                      {path, e.what()}})
                  << "\n";
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    launch::useLanguage(launch::languageFrom([](const char* name) { return std::getenv(name); }));
    std::optional<std::string> folder, csv, html, className;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << usageText();
            return 0;
        }
        if (a == "--csv" || a == "--html") {
            if (i + 1 >= argc || !*argv[i + 1])
                return badUsage(
                    {kContext, TALEPLAY_TEXT("ResultsCommand", "%1 takes a file"), {a}});
            (a == "--csv" ? csv : html) = argv[++i];
        } else if (a == "--class") {
            if (i + 1 >= argc || !*argv[i + 1])
                return badUsage(
                    {kContext, TALEPLAY_TEXT("ResultsCommand", "--class takes a class's name"), {}});
            className = argv[++i];
        } else if (a.size() > 1 && a.front() == '-') {
            return badUsage(
                {kContext, TALEPLAY_TEXT("ResultsCommand", "unknown option '%1'"), {a}});
        } else if (folder) {
            return badUsage(
                {kContext, TALEPLAY_TEXT("ResultsCommand", "only one FOLDER at a time"), {}});
        } else {
            folder = a;
        }
    }
    if (!folder)
        return badUsage({kContext, TALEPLAY_TEXT("ResultsCommand", "no results folder given"), {}});
    if (csv && html && *csv == *html)
        return badUsage(
            {kContext, TALEPLAY_TEXT("ResultsCommand", "--csv and --html name the same file"), {}});

    const classresults::SourceReading reading = classresults::readSource(*folder);
    if (!reading.read()) {
        std::cerr << "taleplay-results: " << translate(launch::sourceProblem(reading, *folder))
                  << "\n";
        return 2;
    }
    for (const classresults::Notice& n : reading.records.notices)
        std::cerr << "taleplay-results: " << translate(launch::noticePhrase(n)) << "\n";

    classresults::Filter filter;
    if (className) {
        const std::vector<std::string> classes = classresults::classesOf(reading.records);
        if (std::find(classes.begin(), classes.end(), *className) == classes.end()) {
            std::cerr << "taleplay-results: "
                      << translate(Phrase{kContext,
                                          TALEPLAY_TEXT("ResultsCommand",
                                                        "no class %1 in the lists of %2"),
                                          {*className, *folder}})
                      << "\n";
            return 2;
        }
        filter.className = *className;
    }
    const std::vector<classresults::Row> rows = classresults::buildTable(reading.records, filter);
    const classresults::Words words = launch::tableWords();
    bool written = true;
    if (csv)
        written = writeOut(*csv, classresults::asCsv(rows, words)) && written;
    if (html)
        written = writeOut(*html, classresults::asHtml(rows, words, *folder)) && written;
    if (csv != "-" && html != "-")
        std::cout << classresults::asText(rows, words);
    return written ? 0 : 1;
}
