#pragma once
// A results folder read as a class's results: the pupils' own folders
// (FOLDER/LOGIN/results.csv), the table an older version kept for everyone
// (FOLDER/results.csv), which is also what a pupil's own data folder holds,
// and the class list (FOLDER/class.txt).
#include "classresults/records.h"

#include <string>

namespace taleplay::classresults {

inline constexpr const char* kClassListName = "class.txt";

enum class FolderProblem {
    None,
    Missing,    // no such folder
    NotAFolder, // something else of that name
    Unreadable, // it cannot be listed
    NoResults,  // it holds no table, no pupil's folder with one, and no class list
};

struct FolderReading {
    FolderProblem problem = FolderProblem::None;
    ClassRecords records;
};

// Reads the results folder `folder` (native). A pupil's folder counts as
// that pupil's when its owner has that login, or is the results folder's
// owner, root or whoever reads (a teacher's copy of last term's folder); one
// made by another pupil in its name is left out with a notice. The class
// list counts when the results folder's owner, root or whoever reads wrote
// it. Files larger than any class writes are left out, so a hostile folder
// cannot exhaust memory.
FolderReading readResultsFolder(const std::string& folder);

} // namespace taleplay::classresults
