// A player's last act, alone in a process of its own, for the tests that run
// many players at once or kill one in the middle of writing.
//
//   result_writer append FOLDER GAME MARK
//       waits until its standard input closes, then adds the game's line to
//       FOLDER/results.csv;
//   result_writer overwrite FILE
//       writes the marks "5" and "2" into FILE by turns until it is killed,
//       saying "." on its standard output once the first one is written.
#include "core/errors.h"
#include "core/files.h"
#include "core/results.h"

#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace taleplay;
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "append" && argc == 5) {
            char c;
            while (::read(0, &c, 1) > 0) {
            }
            results::append(argv[2], results::entryNow(argv[3], argv[4]));
            return 0;
        }
        if (mode == "overwrite" && argc == 3) {
            for (long i = 0;; ++i) {
                files::overwriteFile(argv[2], i % 2 ? "2\r\n" : "5\r\n");
                if (i == 0 && ::write(1, ".", 1) != 1)
                    return 1;
            }
        }
    } catch (const TaleError& e) {
        std::fprintf(stderr, "result_writer: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: result_writer append FOLDER GAME MARK | overwrite FILE\n");
    return 2;
}
