// taleplay-results-db init DATABASE
// taleplay-results-db classlist DATABASE CLASS FILE
//
// The administrator's side of a school's results database. `init` makes the
// schema and the pupils' and teachers' roles (passwords from
// TALEPLAY_PUPIL_PASSWORD and TALEPLAY_TEACHER_PASSWORD when set), and
// changes nothing when run again; `classlist` stores a class.txt as the
// class CLASS of the database's lists. DATABASE is a connection with the
// right to do that, its password where libpq finds one (the password file,
// the service file, PGPASSWORD), never in the connection itself. Exit status
// 0; 1 when the database refuses or cannot be reached; 2 for bad usage or a
// connection that is refused here.
#include "app/class_results_text.h"
#include "app/language.h"
#include "classresults/records.h"
#include "core/results.h"
#include "resultsdb/school.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

namespace {

using namespace taleplay;
using launch::Phrase;
using launch::translate;

constexpr const char* kContext = "ResultsDatabase";

std::string usageText() {
    return translate(Phrase{
        kContext,
        TALEPLAY_TEXT("ResultsDatabase",
                      "Usage: taleplay-results-db init DATABASE\n"
                      "       taleplay-results-db classlist DATABASE CLASS FILE\n"
                      "\n"
                      "init makes the schema taleplay and the roles taleplay_pupil (may only "
                      "add results) and taleplay_teacher (reads them) in DATABASE, with the "
                      "passwords of TALEPLAY_PUPIL_PASSWORD and TALEPLAY_TEACHER_PASSWORD when "
                      "they are set; run again, it changes nothing.\n"
                      "classlist stores FILE (a class.txt: login, tab, name) as the class "
                      "CLASS.\n"
                      "DATABASE is postgresql://HOST/NAME or service=NAME, as a user who may "
                      "create roles; its password comes from the password file or the service "
                      "file.\n"),
        {}});
}

int badUsage(const Phrase& why) {
    std::cerr << "taleplay-results-db: " << translate(why) << "\n" << usageText();
    return 2;
}

void say(const Phrase& phrase) {
    std::cout << translate(phrase) << "\n";
}

int failed(const Phrase& phrase) {
    std::cerr << "taleplay-results-db: " << translate(phrase) << "\n";
    return 1;
}

// An environment variable's value; nothing when unset or empty.
std::optional<std::string> password(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? std::optional<std::string>(v) : std::nullopt;
}

int init(const std::string& database) {
    resultsdb::Connection connection(database, {std::chrono::seconds(60)});
    const std::optional<std::string> pupil = password("TALEPLAY_PUPIL_PASSWORD");
    const std::optional<std::string> teacher = password("TALEPLAY_TEACHER_PASSWORD");
    if (const std::string problem = resultsdb::initialise(connection, pupil, teacher);
        !problem.empty())
        return failed({kContext, TALEPLAY_TEXT("ResultsDatabase", "%1 was not prepared: %2"),
                       {database, launch::databaseProblem(problem)}});
    say({kContext,
         TALEPLAY_TEXT("ResultsDatabase",
                       "%1 is ready: the schema taleplay, the role taleplay_pupil (may only add "
                       "results) and the role taleplay_teacher (reads them)."),
         {database}});
    for (const auto& [role, variable, given] :
         {std::tuple{resultsdb::kPupilRole, "TALEPLAY_PUPIL_PASSWORD", pupil.has_value()},
          std::tuple{resultsdb::kTeacherRole, "TALEPLAY_TEACHER_PASSWORD", teacher.has_value()}})
        say(given ? Phrase{kContext,
                           TALEPLAY_TEXT("ResultsDatabase", "The password of %1 is set."),
                           {role}}
                  : Phrase{kContext,
                           TALEPLAY_TEXT("ResultsDatabase",
                                         "%2 is not set: the password of %1 stays as it was."),
                           {role, variable}});
    return 0;
}

int classList(const std::string& database, const std::string& className,
              const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    // An empty file inserts nothing, which the stream counts as failing:
    // it is read, and lists no pupil.
    if (!in || (in.peek() != std::char_traits<char>::eof() && !(bytes << in.rdbuf())) || in.bad())
        return badUsage({kContext, TALEPLAY_TEXT("ResultsDatabase", "%1 cannot be read"), {file}});
    std::vector<std::pair<std::string, std::string>> pupils;
    for (const classresults::Pupil& p : classresults::readClassList(bytes.str()))
        pupils.emplace_back(p.login, p.name);
    if (pupils.empty())
        return badUsage(
            {kContext, TALEPLAY_TEXT("ResultsDatabase", "%1 lists no pupil"), {file}});
    resultsdb::Connection connection(database, {std::chrono::seconds(60)});
    if (const std::string problem = resultsdb::storeClassList(connection, className, pupils);
        !problem.empty())
        return failed({kContext,
                       TALEPLAY_TEXT("ResultsDatabase", "The class %1 was not stored: %2"),
                       {className, launch::databaseProblem(problem)}});
    say({kContext, TALEPLAY_TEXT("ResultsDatabase", "The class %1 (%2 pupils) is stored in %3."),
         {className, std::to_string(pupils.size()), database}});
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    launch::useLanguage(launch::languageFrom([](const char* name) { return std::getenv(name); }));
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << usageText();
        return 0;
    }
    const bool initialising = !args.empty() && args[0] == "init";
    const bool listing = !args.empty() && args[0] == "classlist";
    // A connection typed in the command's place is not repeated: it may
    // hold a password.
    if (!initialising && !listing)
        return badUsage(args.empty() || results::isDatabase(args[0])
                            ? Phrase{kContext, TALEPLAY_TEXT("ResultsDatabase", "no command given"),
                                     {}}
                            : Phrase{kContext,
                                     TALEPLAY_TEXT("ResultsDatabase", "unknown command %1"),
                                     {args[0]}});
    // A class without a name could be chosen nowhere: no class at all.
    if (args.size() != (initialising ? 2u : 4u) || (listing && args[2].empty()))
        return badUsage(
            initialising
                ? Phrase{kContext, TALEPLAY_TEXT("ResultsDatabase", "init takes DATABASE"), {}}
                : Phrase{kContext,
                         TALEPLAY_TEXT("ResultsDatabase", "classlist takes DATABASE CLASS FILE"),
                         {}});
    const std::string& database = args[1];
    if (!results::isDatabase(database))
        return badUsage({kContext,
                         TALEPLAY_TEXT("ResultsDatabase",
                                       "DATABASE must be postgresql://HOST/NAME or service=NAME"),
                         {}});
    if (const Phrase refused = launch::connectionRefusal(resultsdb::check(database));
        !refused.empty()) {
        std::cerr << "taleplay-results-db: " << translate(refused) << "\n";
        return 2;
    }
    return initialising ? init(database) : classList(database, args[2], args[3]);
}
