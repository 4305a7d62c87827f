// A player's last act, alone in a process of its own, for the tests that run
// many players at once (as one account or as several) or kill one in the
// middle of writing.
//
//   result_writer append FOLDER GAME MARK
//       waits until its standard input closes, then adds the game's line to
//       FOLDER/results.csv;
//   result_writer finish FOLDER GAME MARK
//       waits until its standard input closes, then keeps the finished game
//       in the pupil's own folder of the results folder FOLDER, as the
//       player does;
//   result_writer overwrite FILE
//       writes the marks "5" and "2" into FILE by turns until it is killed,
//       saying "." on its standard output once the first one is written;
//   result_writer tamper FOLDER
//       tries every way of changing what the pupil's folder FOLDER holds,
//       or the folder itself, and prints each one that worked.
#include "core/errors.h"
#include "core/files.h"
#include "core/results.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void waitForTheGate() {
    char c;
    while (::read(0, &c, 1) > 0) {
    }
}

// Each way another pupil could spoil a pupil's records; true when it worked.
int tamper(const std::string& folder) {
    std::vector<std::string> files;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.')
                files.push_back(folder + "/" + e->d_name);
        ::closedir(d);
    }
    int worked = 0;
    auto tried = [&](const std::string& what, bool ok) {
        if (ok) {
            std::printf("%s\n", what.c_str());
            ++worked;
        }
    };
    for (const std::string& f : files) {
        const int fd = ::open(f.c_str(), O_WRONLY | O_APPEND);
        tried("write " + f, fd >= 0 && ::write(fd, "9\r\n", 3) == 3);
        if (fd >= 0)
            ::close(fd);
        tried("truncate " + f, ::truncate(f.c_str(), 0) == 0);
        tried("rename " + f, ::rename(f.c_str(), (f + ".moved").c_str()) == 0);
        tried("delete " + f, ::unlink(f.c_str()) == 0);
        tried("chmod " + f, ::chmod(f.c_str(), 0666) == 0);
    }
    const int made = ::open((folder + "/forged.csv").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    tried("create in " + folder, made >= 0);
    if (made >= 0)
        ::close(made);
    tried("chmod " + folder, ::chmod(folder.c_str(), 0777) == 0);
    tried("rename " + folder, ::rename(folder.c_str(), (folder + ".moved").c_str()) == 0);
    tried("delete " + folder, ::rmdir(folder.c_str()) == 0);
    return worked == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "append" && argc == 5) {
            waitForTheGate();
            results::append(argv[2], results::entryNow(argv[3], argv[4]));
            return 0;
        }
        if (mode == "finish" && argc == 5) {
            waitForTheGate();
            results::recordInResultsFolder(argv[2], "mark for " + std::string(argv[3]) + ".txt",
                                           argv[3], argv[4]);
            return 0;
        }
        if (mode == "overwrite" && argc == 3) {
            for (long i = 0;; ++i) {
                files::overwriteFile(argv[2], i % 2 ? "2\r\n" : "5\r\n");
                if (i == 0 && ::write(1, ".", 1) != 1)
                    return 1;
            }
        }
        if (mode == "tamper" && argc == 3)
            return tamper(argv[2]);
    } catch (const TaleError& e) {
        std::fprintf(stderr, "result_writer: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: result_writer append FOLDER GAME MARK | finish FOLDER GAME MARK "
                         "| overwrite FILE | tamper FOLDER\n");
    return 2;
}
