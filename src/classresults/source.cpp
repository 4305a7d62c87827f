// A folder or a database.
#include "classresults/source.h"

#include "classresults/database_source.h"
#include "core/results.h"

namespace taleplay::classresults {

SourceReading checkSource(const std::string& source) {
    SourceReading out;
    out.database = results::isDatabase(source);
    if (!out.database) {
        FolderReading folder = readResultsFolder(source);
        out.folderProblem = folder.problem;
        out.records = std::move(folder.records);
        return out;
    }
    const resultsdb::Check checked = resultsdb::check(source);
    out.refusal = checked.refusal;
    out.databaseProblem = checked.detail;
    return out;
}

SourceReading readSource(const std::string& source) {
    SourceReading out = checkSource(source);
    if (!out.database || out.refusal != resultsdb::Refusal::None)
        return out;
    DatabaseReading database = readResultsDatabase(source);
    out.databaseProblem = std::move(database.problem);
    out.records = std::move(database.records);
    return out;
}

} // namespace taleplay::classresults
