// Sending kept results.
#include "resultsdb/sending.h"

#include <map>

namespace taleplay::resultsdb {
namespace {

// No conflict target: naming the id would need the right to read it, which
// a pupil's role has not. The id is the table's only unique column, so a row
// already there is the one thing skipped.
constexpr const char* kInsert =
    "INSERT INTO taleplay.results (id, finished_at, login, computer, game, mark, game_version) "
    "VALUES ($1::uuid, $2::timestamptz, $3, $4, $5, $6::smallint, $7) "
    "ON CONFLICT DO NOTHING";

} // namespace

Delivery send(const std::vector<Unsent>& rows, const Outbox* outbox, Patience patience) {
    Delivery d;
    // One connection a database, the rows in their order within it.
    std::map<std::string, std::vector<const Unsent*>> byDatabase;
    std::vector<std::string> order;
    for (const Unsent& row : rows) {
        auto [it, added] = byDatabase.try_emplace(row.connection);
        if (added)
            order.push_back(row.connection);
        it->second.push_back(&row);
    }
    auto notSent = [&d](const std::vector<const Unsent*>& rows, std::size_t from, std::size_t to,
                        const std::string& why) {
        d.waiting += to - from;
        if (d.problem.empty())
            d.problem = why;
        for (std::size_t i = from; i < to; ++i)
            d.why[rows[i]->id] = why;
    };
    for (const std::string& database : order) {
        const std::vector<const Unsent*>& own = byDatabase[database];
        Connection connection(database, patience);
        if (!connection.ok()) {
            notSent(own, 0, own.size(), connection.problem());
            continue;
        }
        for (std::size_t i = 0; i < own.size(); ++i) {
            const Unsent& row = *own[i];
            const Result r = connection.run(
                kInsert, {row.id, timestampOf(row.time), row.login, row.computer, row.game,
                          std::to_string(row.mark), row.version});
            if (!r.ok && connection.ok()) {
                notSent(own, i, i + 1, r.problem);
                continue;
            }
            if (!r.ok) {
                notSent(own, i, own.size(), r.problem);
                break;
            }
            d.sent.push_back(row.id);
            if (outbox)
                outbox->forget(row.id);
        }
    }
    return d;
}

Delivery sendKept(const Outbox& outbox, Patience patience) {
    Outbox::Listing kept = outbox.list();
    Delivery d = send(kept.rows, &outbox, patience);
    d.damaged = std::move(kept.damaged);
    return d;
}

} // namespace taleplay::resultsdb
