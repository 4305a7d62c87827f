// A player's last act with a school's database, alone in a process of its
// own, for the tests that run a class of players at once:
//
//   db_player CONNECTION OUTBOX LOGIN GAME MARK
//       waits until its standard input closes, then keeps the finished game
//       in OUTBOX and sends what OUTBOX keeps, as the player does at the
//       end of a game; LOGIN stands for the pupil's login. Exit status 0
//       when the row went, 1 when it waits in OUTBOX.
#include "resultsdb/sending.h"

#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace taleplay::resultsdb;
    if (argc != 6) {
        std::fprintf(stderr, "usage: db_player CONNECTION OUTBOX LOGIN GAME MARK\n");
        return 2;
    }
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    Unsent row = unsentNow(argv[1], argv[4], std::stoi(argv[5]), "0123456789abcdef");
    row.login = argv[3];
    const Outbox outbox(argv[2]);
    std::string why;
    if (!outbox.keep(row, why)) {
        std::fprintf(stderr, "db_player: %s\n", why.c_str());
        return 2;
    }
    const Delivery d = sendKept(outbox);
    if (!d.problem.empty())
        std::fprintf(stderr, "db_player: %s\n", d.problem.c_str());
    return d.waiting == 0 ? 0 : 1;
}
