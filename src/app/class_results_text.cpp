// The class's results in the player's language.
#include "app/class_results_text.h"

#include "app/language.h"

namespace taleplay::launch {

using classresults::FolderProblem;
using classresults::Notice;

classresults::Words tableWords() {
    return classresults::wordsIn([](const char* context, const char* english) {
        return translate(context, english).toStdString();
    });
}

Phrase folderProblem(FolderProblem problem, const std::string& folder) {
    switch (problem) {
    case FolderProblem::None:
        return {};
    case FolderProblem::Missing:
        return {"ClassResults", TALEPLAY_TEXT("ClassResults", "%1 does not exist"), {folder}};
    case FolderProblem::NotAFolder:
        return {"ClassResults", TALEPLAY_TEXT("ClassResults", "%1 is no folder"), {folder}};
    case FolderProblem::Unreadable:
        return {"ClassResults", TALEPLAY_TEXT("ClassResults", "%1 cannot be read"), {folder}};
    case FolderProblem::NoResults:
        return {"ClassResults",
                TALEPLAY_TEXT("ClassResults", "%1 is no results folder: it holds no results.csv, "
                                              "no pupil's folder with one, and no class.txt"),
                {folder}};
    }
    return {};
}

Phrase noticePhrase(const Notice& notice) {
    const char* text = "";
    switch (notice.kind) {
    case Notice::Kind::OpenToEveryone:
        text = TALEPLAY_TEXT("ClassResults",
                             "%1 lacks the sticky bit: a pupil could rename another pupil's "
                             "folder (chmod +t %1 mends it)");
        break;
    case Notice::Kind::ForeignFolder:
        text = TALEPLAY_TEXT("ClassResults",
                             "%1 belongs to the account %2, not to the pupil it is named after: "
                             "its results are left out");
        break;
    case Notice::Kind::ForeignClassList:
        text = TALEPLAY_TEXT("ClassResults",
                             "%1 belongs to the account %2, not to the folder's owner: its names "
                             "are left out");
        break;
    case Notice::Kind::OldTable:
        text = TALEPLAY_TEXT("ClassResults",
                             "%1 is a table of an older Taleplay, which every pupil could change "
                             "(its owner is %2): its results are shown all the same");
        break;
    case Notice::Kind::Unreadable:
        text = TALEPLAY_TEXT("ClassResults", "%1 cannot be read (%2): left out");
        break;
    case Notice::Kind::BadLines:
        text = TALEPLAY_TEXT("ClassResults", "%1: lines that hold no result are left out (%2)");
        break;
    }
    return {"ClassResults", text, notice.values};
}

Phrase connectionRefusal(const resultsdb::Check& check) {
    switch (check.refusal) {
    case resultsdb::Refusal::None:
        return {};
    case resultsdb::Refusal::NotUnderstood:
        return {"ResultsDatabase",
                TALEPLAY_TEXT("ResultsDatabase", "The database connection cannot be read: %1"),
                {check.detail}};
    case resultsdb::Refusal::Password:
        return {"ResultsDatabase",
                TALEPLAY_TEXT("ResultsDatabase",
                              "The database connection holds a password, which is refused: "
                              "the list of processes shows it to every user, and the shell's "
                              "history keeps it. Put the password in the password file "
                              "(~/.pgpass) or the service file (~/.pg_service.conf) instead."),
                {}};
    }
    return {};
}

std::string databaseProblem(const std::string& problem) {
    if (problem != resultsdb::kTimedOut)
        return problem;
    return translate(Phrase{"ResultsDatabase",
                            TALEPLAY_TEXT("ResultsDatabase", "the server did not answer in time"),
                            {}});
}

Phrase sourceProblem(const classresults::SourceReading& reading, const std::string& source) {
    if (!reading.database)
        return folderProblem(reading.folderProblem, source);
    if (reading.refusal != resultsdb::Refusal::None)
        return connectionRefusal({reading.refusal, reading.databaseProblem});
    if (!reading.databaseProblem.empty())
        return {"ResultsDatabase",
                TALEPLAY_TEXT("ResultsDatabase", "The results database %1 cannot be read: %2"),
                {source, databaseProblem(reading.databaseProblem)}};
    return {};
}

} // namespace taleplay::launch
