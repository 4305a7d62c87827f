// The schema and the roles of a school's database.
#include "resultsdb/school.h"

#include <functional>
#include <libpq-fe.h>

namespace taleplay::resultsdb {
namespace {

// Each statement is safe to run again: whatever exists stays as it is.
// received_at and received_from are the server's own record of when and from
// where a row came; a pupil's role cannot give them.
constexpr const char* kSchema[] = {
    "CREATE SCHEMA IF NOT EXISTS taleplay",
    "CREATE TABLE IF NOT EXISTS taleplay.results ("
    "  id uuid PRIMARY KEY,"
    "  finished_at timestamptz NOT NULL,"
    "  login text NOT NULL,"
    "  computer text NOT NULL,"
    "  game text NOT NULL,"
    "  mark smallint NOT NULL CHECK (mark IN (2, 5)),"
    "  game_version text NOT NULL,"
    "  received_at timestamptz NOT NULL DEFAULT now(),"
    "  received_from inet DEFAULT inet_client_addr())",
    "CREATE INDEX IF NOT EXISTS results_finished_at ON taleplay.results (finished_at)",
    "CREATE TABLE IF NOT EXISTS taleplay.pupils ("
    "  class text NOT NULL,"
    "  login text NOT NULL,"
    "  name text NOT NULL,"
    "  position integer NOT NULL DEFAULT 0,"
    "  PRIMARY KEY (class, login))",
    "DO $$ BEGIN"
    "  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'taleplay_pupil') THEN"
    "    CREATE ROLE taleplay_pupil;"
    "  END IF;"
    "  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'taleplay_teacher') THEN"
    "    CREATE ROLE taleplay_teacher;"
    "  END IF;"
    // Every database lets every role connect unless its owner said
    // otherwise; only then is the owner's right needed.
    "  IF NOT has_database_privilege('taleplay_pupil', current_database(), 'CONNECT') THEN"
    "    EXECUTE format('GRANT CONNECT ON DATABASE %I TO taleplay_pupil', current_database());"
    "  END IF;"
    "  IF NOT has_database_privilege('taleplay_teacher', current_database(), 'CONNECT') THEN"
    "    EXECUTE format('GRANT CONNECT ON DATABASE %I TO taleplay_teacher', current_database());"
    "  END IF;"
    "END $$",
    "ALTER ROLE taleplay_pupil LOGIN",
    "ALTER ROLE taleplay_teacher LOGIN",
    // Whatever was granted before (by hand, say) goes; then the little each
    // role needs. The pupil's columns leave out the server's own record.
    "REVOKE ALL ON ALL TABLES IN SCHEMA taleplay FROM PUBLIC, taleplay_pupil, taleplay_teacher",
    "REVOKE ALL ON SCHEMA taleplay FROM PUBLIC, taleplay_pupil, taleplay_teacher",
    "GRANT USAGE ON SCHEMA taleplay TO taleplay_pupil, taleplay_teacher",
    "GRANT INSERT (id, finished_at, login, computer, game, mark, game_version) "
    "  ON taleplay.results TO taleplay_pupil",
    "GRANT SELECT ON taleplay.results, taleplay.pupils TO taleplay_teacher",
};

// Sets `role`'s password without its text ever reaching the server: libpq
// makes the verifier the server keeps (SCRAM, or what the server asks
// for), and it travels as a parameter, not in the statement.
std::string setPassword(Connection& connection, const char* role, const std::string& password) {
    char* verifier = PQencryptPasswordConn(connection.handle(), password.c_str(), role, nullptr);
    if (!verifier)
        return oneLine(PQerrorMessage(connection.handle()));
    const std::string kept = verifier;
    PQfreemem(verifier);
    Result r = connection.run("SELECT set_config('taleplay.role', $1, true), "
                              "set_config('taleplay.verifier', $2, true)",
                              {std::string(role), kept});
    if (r.ok)
        r = connection.run("DO $$ BEGIN EXECUTE format('ALTER ROLE %I PASSWORD %L', "
                           "current_setting('taleplay.role'), "
                           "current_setting('taleplay.verifier')); END $$");
    return r.ok ? std::string() : r.problem;
}

std::string inTransaction(Connection& connection, const std::function<std::string()>& work) {
    Result begun = connection.run("BEGIN");
    if (!begun.ok)
        return begun.problem;
    std::string problem = work();
    if (problem.empty()) {
        const Result done = connection.run("COMMIT");
        if (!done.ok)
            problem = done.problem;
    }
    if (!problem.empty() && connection.ok())
        connection.run("ROLLBACK");
    return problem;
}

} // namespace

std::string initialise(Connection& connection, const std::optional<std::string>& pupilPassword,
                       const std::optional<std::string>& teacherPassword) {
    if (!connection.ok())
        return connection.problem();
    return inTransaction(connection, [&]() -> std::string {
        // Two administrators at once: "IF NOT EXISTS" does not keep the
        // second from making the schema the first is making, and failing.
        // One waits for the other, then finds everything there.
        if (const Result r = connection.run("SELECT pg_advisory_xact_lock(7146908117400436)");
            !r.ok)
            return r.problem;
        for (const char* statement : kSchema)
            if (const Result r = connection.run(statement); !r.ok)
                return r.problem;
        if (pupilPassword)
            if (std::string problem = setPassword(connection, kPupilRole, *pupilPassword);
                !problem.empty())
                return problem;
        if (teacherPassword)
            return setPassword(connection, kTeacherRole, *teacherPassword);
        return {};
    });
}

std::string storeClassList(Connection& connection, const std::string& className,
                           const std::vector<std::pair<std::string, std::string>>& pupils) {
    if (!connection.ok())
        return connection.problem();
    return inTransaction(connection, [&]() -> std::string {
        if (const Result r =
                connection.run("DELETE FROM taleplay.pupils WHERE class = $1", {className});
            !r.ok)
            return r.problem;
        for (std::size_t i = 0; i < pupils.size(); ++i)
            if (const Result r = connection.run(
                    "INSERT INTO taleplay.pupils (class, login, name, position) "
                    "VALUES ($1, $2, $3, $4::integer)",
                    {className, pupils[i].first, pupils[i].second, std::to_string(i + 1)});
                !r.ok)
                return r.problem;
        return {};
    });
}

} // namespace taleplay::resultsdb
