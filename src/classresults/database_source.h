#pragma once
// A school's results database read as a class's results: every result it
// holds, and its class lists (the table taleplay.pupils) as class.txt's
// names, with the class each pupil is in. Read with the teacher's role.
#include "classresults/records.h"

#include <string>

namespace taleplay::classresults {

struct DatabaseReading {
    // Why nothing was read, in the server's or libpq's words; empty when read.
    std::string problem;
    ClassRecords records;
};

// Reads the database `connection` names (checked by resultsdb::check first:
// a refused one is not tried). Times are this computer's local time, as a
// folder's tables have them.
DatabaseReading readResultsDatabase(const std::string& connection);

} // namespace taleplay::classresults
