#pragma once
// The class's results in the player's language: the table's words, what
// keeps a folder from being read as a results folder, and the notices of a
// reading. Qt Core alone: the teacher's command says them too.
#include "app/phrase.h"
#include "classresults/folder_source.h"
#include "classresults/source.h"
#include "classresults/table_output.h"
#include "resultsdb/connection.h"

#include <string>

namespace taleplay::launch {

// The table's words in the chosen language (app/language.h).
classresults::Words tableWords();

// Why `folder` is no results folder; empty for FolderProblem::None.
Phrase folderProblem(classresults::FolderProblem problem, const std::string& folder);

// A notice as one sentence.
Phrase noticePhrase(const classresults::Notice& notice);

// Why a database connection is not used; empty for Refusal::None. It never
// repeats the connection: it may hold a password.
Phrase connectionRefusal(const resultsdb::Check& check);

// A database's problem in the chosen language where the words are this
// side's own (no answer in time); the server's and libpq's as they are.
std::string databaseProblem(const std::string& problem);

// Why `source` (a folder or a database) was not read; empty when it was.
Phrase sourceProblem(const classresults::SourceReading& reading, const std::string& source);

} // namespace taleplay::launch
