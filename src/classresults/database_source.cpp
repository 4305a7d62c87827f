// Reading a school's results database.
#include "classresults/database_source.h"

#include "resultsdb/connection.h"

#include <ctime>
#include <set>

namespace taleplay::classresults {
namespace {

// 2024-05-17T10:42:05 of seconds since 1970, in this computer's time zone.
std::string localTime(const std::string& seconds) {
    const std::time_t t = static_cast<std::time_t>(std::stoll(seconds));
    std::tm local = {};
    ::localtime_r(&t, &local);
    char out[32];
    std::strftime(out, sizeof out, "%Y-%m-%dT%H:%M:%S", &local);
    return out;
}

} // namespace

DatabaseReading readResultsDatabase(const std::string& connection) {
    DatabaseReading out;
    resultsdb::Connection db(connection);
    if (!db.ok()) {
        out.problem = db.problem();
        return out;
    }
    // Whole seconds, as the player sends them; the zone is the reader's.
    // Anyone with the pupils' password can add a row ending at 'infinity',
    // which no game does and no second counts: the rest is still read.
    const resultsdb::Result results =
        db.run("SELECT login, game, floor(extract(epoch FROM finished_at))::bigint::text, "
               "computer, mark::text FROM taleplay.results WHERE isfinite(finished_at) "
               "ORDER BY finished_at, received_at");
    if (!results.ok) {
        out.problem = results.problem;
        return out;
    }
    for (const std::vector<resultsdb::Value>& row : results.rows) {
        if (row.size() != 5 || !row[0] || !row[1] || !row[2] || !row[3] || !row[4])
            continue;
        out.records.attempts.push_back(
            {*row[0], *row[1], localTime(*row[2]), *row[3], std::stoi(*row[4])});
    }
    const resultsdb::Result pupils =
        db.run("SELECT class, login, name FROM taleplay.pupils ORDER BY class, position, login");
    if (!pupils.ok) {
        out.problem = pupils.problem;
        return out;
    }
    for (const std::vector<resultsdb::Value>& row : pupils.rows)
        if (row.size() == 3 && row[0] && row[1] && row[2])
            out.records.pupils.push_back({*row[1], *row[2], *row[0]});
    return out;
}

} // namespace taleplay::classresults
