// bench_results_db [--results N] [--players P] DATABASE FOLDER
//
// A class finishing games at once: P players (30 unless told), processes of
// their own, end N games between them (1,000 unless told), each as the
// player ends one: the row kept in the pupil's data folder, then sent (a
// connection, the insert, the file forgotten). The same games then go into
// a results folder, each player keeping them in a pupil's folder of its own
// as the player does without a database: the peer. Prints the time of each
// from the moment all players start to the moment the last is done.
#include "core/errors.h"
#include "core/results.h"
#include "resultsdb/sending.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace taleplay;
using Clock = std::chrono::steady_clock;

// One player's games; false when one of them did not arrive.
bool play(bool database, const std::string& target, const std::string& own, int player,
          int games) {
    for (int g = 0; g < games; ++g) {
        const std::string game = "bench" + std::to_string(g % 7);
        const int mark = (player + g) % 3 ? 5 : 2;
        if (!database) {
            try {
                results::record(own, "mark for " + game + ".txt", game, std::to_string(mark));
            } catch (const TaleError& e) {
                std::fprintf(stderr, "bench_results_db: %s\n", e.what());
                return false;
            }
            continue;
        }
        resultsdb::Unsent row = resultsdb::unsentNow(target, game, mark, "0123456789abcdef");
        row.login = "pupil" + std::to_string(player);
        const resultsdb::Outbox outbox(own);
        std::string why;
        if (!outbox.keep(row, why)) {
            std::fprintf(stderr, "bench_results_db: %s\n", why.c_str());
            return false;
        }
        if (const resultsdb::Delivery d = resultsdb::sendKept(outbox); !d.problem.empty()) {
            std::fprintf(stderr, "bench_results_db: %s\n", d.problem.c_str());
            return false;
        }
    }
    return true;
}

// Milliseconds for all players' games; negative when one failed.
double lesson(bool database, const std::string& target, const std::string& scratch, int players,
              int results) {
    int gate[2];
    if (::pipe(gate) != 0)
        return -1;
    std::vector<pid_t> pids;
    for (int p = 0; p < players; ++p) {
        const int games = results / players + (p < results % players ? 1 : 0);
        const std::string own = scratch + "/" + (database ? "unsent" : "pupil") + std::to_string(p);
        std::filesystem::create_directories(own);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(gate[1]);
            char c;
            while (::read(gate[0], &c, 1) > 0) {
            }
            ::_exit(play(database, target, own, p, games) ? 0 : 1);
        }
        pids.push_back(pid);
    }
    ::close(gate[0]);
    ::usleep(200'000); // everyone at the gate
    const Clock::time_point start = Clock::now();
    ::close(gate[1]);
    bool ok = true;
    for (pid_t pid : pids) {
        int status = 0;
        ok = ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char** argv) {
    int results = 1000, players = 30;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--results" || a == "--players") && i + 1 < argc)
            (a == "--results" ? results : players) = std::atoi(argv[++i]);
        else
            rest.push_back(a);
    }
    if (rest.size() != 2 || results <= 0 || players <= 0) {
        std::fprintf(stderr, "usage: bench_results_db [--results N] [--players P] DATABASE FOLDER\n");
        return 2;
    }
    const std::string scratch = rest[1] + "/bench-" + std::to_string(::getpid());
    const double database = lesson(true, rest[0], scratch, players, results);
    const double folder = lesson(false, "", scratch, players, results);
    std::filesystem::remove_all(scratch);
    if (database < 0 || folder < 0) {
        std::fprintf(stderr, "bench_results_db: results were lost\n");
        return 1;
    }
    std::printf("players      %d\nresults      %d\n", players, results);
    std::printf("database     %.1f ms\nfolder       %.1f ms\n", database, folder);
    std::printf("per result   %.2f ms (database, %d at once)\n", database / results * players,
                players);
    return 0;
}
