#pragma once
// The class's table: one row per pupil and game with the best and the last
// mark, the number of attempts and the first and last time; the pupils of the
// class list who have not finished a game are rows of their own.
#include "classresults/records.h"

#include <string>
#include <vector>

namespace taleplay::classresults {

struct Row {
    std::string login;
    std::string name; // from the class list; the login for a pupil not on it
    std::string game; // empty only where nobody has finished any game yet
    int best = 0;     // 5 or 2; 0 when not finished
    int last = 0;
    int attempts = 0;
    std::string first, latest; // times as the records have them; empty when not finished

    bool finished() const { return attempts > 0; }
};

// Which attempts count: those of one game, those of one day (YYYY-MM-DD),
// those of the pupils of one class of the lists; empty means all. A pupil of
// the class list without an attempt that counts is not finished.
struct Filter {
    std::string game;
    std::string date;
    std::string className;
};

// Rows for every pupil and game that have an attempt, and for each pupil of
// the class list and each game of the attempts that count (the game of the
// filter, if any) without one; by name, then game.
std::vector<Row> buildTable(const ClassRecords& records, const Filter& filter = {});

// The games and the days of all attempts, each once, in order (the days
// from the latest).
std::vector<std::string> gamesOf(const ClassRecords& records);
std::vector<std::string> daysOf(const ClassRecords& records);
// The classes of the lists, each once, in order.
std::vector<std::string> classesOf(const ClassRecords& records);

// Orders rows by one of their columns, ties by name and game. Not finished
// comes before 2 and 5, and before every time.
enum class SortBy { Name, Game, Mark, Time };
enum class Direction { Ascending, Descending };
void sortRows(std::vector<Row>& rows, SortBy by, Direction direction = Direction::Ascending);

// A key that orders names as a person reads them: Latin and Cyrillic letters
// without regard to case, ё as е, then the name itself.
std::string nameKey(const std::string& utf8);

} // namespace taleplay::classresults
