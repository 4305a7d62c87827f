#pragma once
// A connection to a school's results database (PostgreSQL, through libpq):
// the connection text checked before it is used, the connection made within
// a time the caller chooses, and statements run with their values passed as
// parameters, never written into their text.
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

typedef struct pg_conn PGconn;

namespace taleplay::resultsdb {

// Why a connection text is not used at all.
enum class Refusal {
    None,
    NotUnderstood, // libpq cannot read it; the detail says why, in libpq's words
    Password,      // it holds a password, which process listings and shell history show
};
struct Check {
    Refusal refusal = Refusal::None;
    std::string detail;
};
Check check(const std::string& connection);

// How long a statement may take, and a flag that gives up at once when set
// (a player that is closing). Connecting waits as long as the connection's
// connect_timeout says, kConnectTimeout when nothing says.
struct Patience {
    std::chrono::milliseconds time{10000};
    const std::atomic<bool>* stop = nullptr;
};
inline constexpr int kConnectTimeout = 5; // seconds

// The problem of a connection or a statement that got no answer in time:
// this side's words, not libpq's, so the player says it in its own language.
inline constexpr const char* kTimedOut = "timeout expired";

// A value of a statement's parameter or of a result's field: nothing is NULL.
using Value = std::optional<std::string>;

struct Result {
    bool ok = false;
    std::string problem;  // why not, in the server's or libpq's words, on one line
    std::string sqlState; // the server's code for it, such as 42501 (no privilege)
    std::vector<std::vector<Value>> rows;
};

class Connection {
  public:
    // Connects to `connection` (checked first: a refused one is not tried),
    // as UTF-8. The password comes from where libpq looks for one: the
    // password file, the service file.
    Connection(const std::string& connection, Patience patience = {});
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return conn_ != nullptr; }
    // Why it is not connected, in libpq's words on one line.
    const std::string& problem() const { return problem_; }

    // Runs `sql` with `params` as $1, $2, ...; after a statement that
    // outlived the patience the connection is closed.
    Result run(const char* sql, const std::vector<Value>& params = {});

    PGconn* handle() const { return conn_; }

  private:
    // Waits until the socket is ready as asked or the time is up; false
    // when it is up or the stop flag is set.
    bool wait(bool forWriting, std::chrono::steady_clock::time_point until);
    void fail(std::string why);

    PGconn* conn_ = nullptr;
    Patience patience_;
    std::string problem_;
};

// libpq's message on one line: its lines joined, the blanks at the ends gone.
std::string oneLine(const char* message);

} // namespace taleplay::resultsdb
