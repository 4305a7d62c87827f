#pragma once
// Sending results to the school's database: each row inserted once,
// whatever happened before, and its kept file forgotten once it is in.
#include "resultsdb/connection.h"
#include "resultsdb/outbox.h"

#include <map>
#include <string>
#include <vector>

namespace taleplay::resultsdb {

struct Delivery {
    std::vector<std::string> sent; // ids the database has now
    std::size_t waiting = 0;       // rows not sent
    // Why a row was not sent: the first reason met, in libpq's or the
    // server's words; empty when every row went.
    std::string problem;
    // Each waiting row's own reason, by id: rows of several databases wait
    // for reasons of their own, and a pupil hears the one of the game just
    // played.
    std::map<std::string, std::string> why;
    std::vector<std::string> damaged; // kept files that hold no row
};

// Inserts `rows`, each into its own database, in order; a row kept in
// `outbox` is forgotten once the database has it. Rows for a database that
// cannot be reached wait, and so does a row the database refuses; a
// connection lost on the way keeps the rest waiting too.
Delivery send(const std::vector<Unsent>& rows, const Outbox* outbox, Patience patience = {});

// Sends every row `outbox` keeps.
Delivery sendKept(const Outbox& outbox, Patience patience = {});

} // namespace taleplay::resultsdb
