// A connection to the results database.
#include "resultsdb/connection.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <libpq-fe.h>
#include <poll.h>

namespace taleplay::resultsdb {
namespace {

using Clock = std::chrono::steady_clock;

// The seconds the connection's own connect_timeout asks for, wherever it
// was said (the text, the service file, PGCONNECT_TIMEOUT); libpq leaves
// the waiting to whoever connects without blocking. A player never waits
// for ever, so 0 ("indefinitely") counts as unsaid.
int connectTimeout(PGconn* conn) {
    int seconds = 0;
    if (PQconninfoOption* options = PQconninfo(conn)) {
        for (const PQconninfoOption* o = options; o->keyword; ++o)
            if (std::strcmp(o->keyword, "connect_timeout") == 0 && o->val)
                seconds = std::atoi(o->val);
        PQconninfoFree(options);
    }
    return seconds > 0 ? seconds : kConnectTimeout;
}

// The server's refusal without the statement's text that libpq quotes
// after it ("LINE 1: INSERT INTO ... ^"): a pupil or a teacher reads the
// reason, and a quoted statement cut at random only hides it.
std::string serverProblem(const PGresult* result) {
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (!primary)
        return oneLine(PQresultErrorMessage(result));
    const char* severity = PQresultErrorField(result, PG_DIAG_SEVERITY);
    return oneLine((std::string(severity ? severity : "ERROR") + ": " + primary).c_str());
}

} // namespace

std::string oneLine(const char* message) {
    std::string out;
    bool blank = false;
    for (const char* c = message ? message : ""; *c; ++c) {
        if (*c == '\n' || *c == '\r' || *c == '\t' || *c == ' ') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += *c;
    }
    return out;
}

Check check(const std::string& connection) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
    if (!options) {
        Check refused{Refusal::NotUnderstood, error ? oneLine(error) : "out of memory"};
        PQfreemem(error);
        return refused;
    }
    Check c;
    for (const PQconninfoOption* o = options; o->keyword; ++o)
        if (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val)
            c.refusal = Refusal::Password;
    PQconninfoFree(options);
    return c;
}

Connection::Connection(const std::string& connection, Patience patience) : patience_(patience) {
    const Check checked = check(connection);
    if (checked.refusal != Refusal::None) {
        problem_ = checked.refusal == Refusal::Password ? "a password in the connection is refused"
                                                        : checked.detail;
        return;
    }
    // What follows the connection text overrides it: the values we send are
    // UTF-8, whatever the server or the service file say.
    const char* keywords[] = {"dbname", "client_encoding", "fallback_application_name", nullptr};
    const char* values[] = {connection.c_str(), "UTF8", "taleplay", nullptr};
    PGconn* conn = PQconnectStartParams(keywords, values, 1);
    if (!conn) {
        problem_ = "out of memory";
        return;
    }
    conn_ = conn;
    // The server's notices ("already exists, skipping") are no news to
    // anyone here; libpq would print them on standard error.
    PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
    if (PQstatus(conn) == CONNECTION_BAD) {
        fail(oneLine(PQerrorMessage(conn)));
        return;
    }
    const Clock::time_point until = Clock::now() + std::chrono::seconds(connectTimeout(conn));
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED) {
            fail(oneLine(PQerrorMessage(conn)));
            return;
        }
        if (!wait(state == PGRES_POLLING_WRITING, until))
            return;
        state = PQconnectPoll(conn);
    }
}

Connection::~Connection() {
    if (conn_)
        PQfinish(conn_);
}

void Connection::fail(std::string why) {
    problem_ = std::move(why);
    if (conn_)
        PQfinish(conn_);
    conn_ = nullptr;
}

bool Connection::wait(bool forWriting, Clock::time_point until) {
    for (;;) {
        if (patience_.stop && patience_.stop->load()) {
            fail("stopped");
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0) {
            fail(kTimedOut);
            return false;
        }
        pollfd p{PQsocket(conn_), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
        // Without a socket, or with a poll that fails, libpq says what is
        // wrong at its next call.
        if (p.fd < 0)
            return true;
        // A tenth of a second at most, so a stop is seen at once.
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
        if (n > 0 || (n < 0 && errno != EINTR))
            return true;
    }
}

Result Connection::run(const char* sql, const std::vector<Value>& params) {
    Result r;
    if (!conn_) {
        r.problem = problem_;
        return r;
    }
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const Value& v : params)
        values.push_back(v ? v->c_str() : nullptr);
    if (!PQsendQueryParams(conn_, sql, static_cast<int>(values.size()), nullptr, values.data(),
                           nullptr, nullptr, 0)) {
        r.problem = oneLine(PQerrorMessage(conn_));
        return r;
    }
    const Clock::time_point until = Clock::now() + patience_.time;
    auto lost = [&](std::string why) {
        fail(std::move(why));
        r.problem = problem_;
        return r;
    };
    // A long statement may not fit the socket's buffer at once.
    for (int left; (left = PQflush(conn_)) != 0;) {
        if (left < 0)
            return lost(oneLine(PQerrorMessage(conn_)));
        if (!wait(true, until))
            return lost(problem_);
        if (!PQconsumeInput(conn_))
            return lost(oneLine(PQerrorMessage(conn_)));
    }
    // Every result is taken, so the connection is free again; the first
    // error wins over what followed it.
    PGresult* kept = nullptr;
    for (;;) {
        while (PQisBusy(conn_)) {
            if (!wait(false, until)) {
                PQclear(kept);
                return lost(problem_);
            }
            if (!PQconsumeInput(conn_)) {
                PQclear(kept);
                return lost(oneLine(PQerrorMessage(conn_)));
            }
        }
        PGresult* next = PQgetResult(conn_);
        if (!next)
            break;
        const bool keptFailed = kept && PQresultStatus(kept) == PGRES_FATAL_ERROR;
        if (keptFailed) {
            PQclear(next);
        } else {
            PQclear(kept);
            kept = next;
        }
    }
    const ExecStatusType status = kept ? PQresultStatus(kept) : PGRES_FATAL_ERROR;
    r.ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!r.ok) {
        r.problem = kept ? serverProblem(kept) : oneLine(PQerrorMessage(conn_));
        if (const char* state = kept ? PQresultErrorField(kept, PG_DIAG_SQLSTATE) : nullptr)
            r.sqlState = state;
    } else if (status == PGRES_TUPLES_OK) {
        const int rows = PQntuples(kept), fields = PQnfields(kept);
        r.rows.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            std::vector<Value>& row = r.rows.emplace_back();
            for (int j = 0; j < fields; ++j)
                row.push_back(PQgetisnull(kept, i, j)
                                  ? Value()
                                  : Value(std::string(PQgetvalue(kept, i, j),
                                                      static_cast<std::size_t>(PQgetlength(kept, i, j)))));
        }
    }
    PQclear(kept);
    if (PQstatus(conn_) == CONNECTION_BAD)
        fail(r.problem.empty() ? oneLine(PQerrorMessage(conn_)) : r.problem);
    return r;
}

} // namespace taleplay::resultsdb
