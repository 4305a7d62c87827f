#pragma once
// Where a class's results are read from: a results folder, or a school's
// database, as TALEPLAY_RESULTS names either (core/results.h tells them
// apart).
#include "classresults/folder_source.h"
#include "resultsdb/connection.h"

#include <string>

namespace taleplay::classresults {

struct SourceReading {
    bool database = false;
    FolderProblem folderProblem = FolderProblem::None;
    // A connection refused before it was tried; the detail is then
    // libpq's reason for one it cannot read.
    resultsdb::Refusal refusal = resultsdb::Refusal::None;
    // Why a database was not read, in its words.
    std::string databaseProblem;
    ClassRecords records;

    bool read() const {
        return folderProblem == FolderProblem::None && refusal == resultsdb::Refusal::None &&
               databaseProblem.empty();
    }
};

SourceReading readSource(const std::string& source);

// Only whether a connection is refused, for a check before any window: a
// folder is read, a database is not yet connected to.
SourceReading checkSource(const std::string& source);

} // namespace taleplay::classresults
