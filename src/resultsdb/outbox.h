#pragma once
// Results on their way to the school's database. Each is kept in a file of
// its own in the pupil's data folder before it is sent, and the file goes
// once the row is in: so a result survives a server that is away, a crash
// or a kill at any moment, and is sent again until it arrives. Each carries
// an id made here, which the database keeps once, so a row sent twice (the
// file outlived the insert) still arrives once.
#include <cstdint>
#include <string>
#include <vector>

namespace taleplay::resultsdb {

// One finished game for the database. Texts are UTF-8.
struct Unsent {
    std::string id;         // a random UUID: 8-4-4-4-12 hexadecimal digits
    std::string connection; // the database it is for, as TALEPLAY_RESULTS named it
    std::int64_t time = 0;  // when the game ended, microseconds since 1970 (UTC)
    std::string login, computer, game;
    int mark = 0; // 5 or 2
    std::string version; // the game's version stamp
};

// A game finished now, on this computer, by this user, for `connection`.
// Names that are no UTF-8 (from Windows) are taken as Windows-1251.
Unsent unsentNow(std::string connection, const std::string& game, int mark, std::string version);

// A random UUID (version 4) from the kernel's generator.
std::string newId();

class Outbox {
  public:
    // The folder the files are kept in (native); made when the first one is
    // kept, for the pupil alone.
    explicit Outbox(std::string folder) : folder_(std::move(folder)) {}
    const std::string& folder() const { return folder_; }

    // Keeps `row` so that a crash at any moment leaves it whole or not at
    // all. False, with the reason in `why`, when it cannot be kept.
    bool keep(const Unsent& row, std::string& why) const;

    struct Listing {
        std::vector<Unsent> rows;          // oldest first
        std::vector<std::string> damaged;  // files that hold no row: left as they are
    };
    Listing list() const;

    // The row's file goes; one already gone is no error.
    void forget(const std::string& id) const;

  private:
    std::string folder_;
};

// A row's time as PostgreSQL reads a timestamp with time zone: in UTC, to
// the microsecond, so that two games ended in one second keep their order.
std::string timestampOf(std::int64_t microseconds);

// The file's text of a row, and the row of a file's text (false when the
// text is not a whole row).
std::string rowText(const Unsent& row);
bool rowFromText(const std::string& text, Unsent& row);

} // namespace taleplay::resultsdb
