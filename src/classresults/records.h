#pragma once
// A class's results as a source gives them (a results folder, a school's
// database): every finished game, the class list, and what the teacher
// should know about what was read. The table (table.h) is made from this
// alone, so a source needs only to fill it.
#include <string>
#include <string_view>
#include <vector>

namespace taleplay::classresults {

// One finished game. Texts are UTF-8.
struct Attempt {
    std::string login;
    std::string game;
    std::string time; // local time where it was played: 2024-05-17T10:42:05
    std::string computer;
    int mark = 0; // 5 or 2
};

// A pupil of the class list: a login and the name the teacher calls the
// pupil by.
struct Pupil {
    std::string login;
    std::string name;
    std::string className = {}; // a database lists a school's classes; class.txt one class
};

// What was read with a doubt, for the caller to say in its language. The
// values are UTF-8 and go into the message in this order.
struct Notice {
    enum class Kind {
        OpenToEveryone,   // folder: every account may rename or delete what is in it
        ForeignFolder,    // folder, owner: a pupil's folder another account made
        ForeignClassList, // file, owner: a class list another account wrote
        OldTable,         // file, owner: a table of an older version, any pupil could change
        Unreadable,       // file, reason: left out
        BadLines,         // file, count: lines that hold no result, left out
    };
    Kind kind;
    std::vector<std::string> values;
};

struct ClassRecords {
    std::vector<Attempt> attempts;
    std::vector<Pupil> pupils; // in the order of the list; empty without one
    std::vector<Notice> notices;
};

// The pupils of a class list: one a line, the login, a tab and the name
// (where a tab is missing, the first blanks part them; a line without a
// name is a login alone). UTF-8 with or without a byte-order mark, or
// Windows-1251, as the teacher's editor saved it; blank lines and lines
// starting with '#' say nothing. A login listed twice keeps its first name.
std::vector<Pupil> readClassList(std::string_view bytes);

// The lines of a table in results.csv's form (time, login, computer, game,
// mark, under a header line) added to `into`; returns how many lines held
// no result. `login`, when not empty, is the login of every line, whatever
// the line says: the table lies in that pupil's own folder.
std::size_t readTable(std::string_view bytes, const std::string& login, std::vector<Attempt>& into);

// A name as the file system or a table gives it, as UTF-8: bytes that are no
// UTF-8 are taken as Windows-1251, as names from Windows are.
std::string asUtf8(std::string_view bytes);

} // namespace taleplay::classresults
