#include "core/errors.h"
#include "core/results.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace taleplay;
namespace fs = std::filesystem;

namespace {

struct Folder {
    fs::path dir = fs::temp_directory_path() / ("taleplay-results-" + std::to_string(::getpid()));
    Folder() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Folder() {
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove_all(dir);
    }
    std::string str() const { return dir.string(); }
};

std::string contentOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at) + "<no line end>");
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::string refusal(const std::string& folder) {
    try {
        results::append(folder, {"t", "l", "c", "g", "5"});
    } catch (const InOutError& e) {
        return e.what();
    }
    return "";
}

// Starts the helper program with `args`; its standard input and output are
// the pipes given (or -1 to keep the test's). The pipes are made close-on-exec,
// so that a writer holds no other writer's end open.
pid_t startWriter(const std::vector<std::string>& args, int in, int out) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // A writer never outlives a test that stops early.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (in >= 0)
        ::dup2(in, 0);
    if (out >= 0)
        ::dup2(out, 1);
    std::vector<char*> argv{const_cast<char*>(RESULT_WRITER)};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(RESULT_WRITER, argv.data());
    ::_exit(127);
}

} // namespace

TEST(Results, FieldsAreQuotedAsRfc4180Asks) {
    struct Row {
        std::string text, written;
    } rows[] = {
        {"quest", "quest"},
        {"", ""},
        {"Иванов Пётр", "Иванов Пётр"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"lf\nonly", "\"lf\nonly\""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(results::csvField(r.text), r.written) << r.text;
    EXPECT_EQ(results::csvHeader(), "time,login,computer,game,mark\r\n");
    EXPECT_EQ(results::csvLine({"2024-05-17T10:42:05", "pupil", "room 5, pc 3", "квест", "5"}),
              "2024-05-17T10:42:05,pupil,\"room 5, pc 3\",квест,5\r\n");
}

TEST(Results, AnEntryNamesTheMomentTheUserAndTheComputer) {
    const results::Entry e = results::entryNow("quest", "2");
    EXPECT_TRUE(std::regex_match(e.time, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d)")))
        << e.time;
    EXPECT_FALSE(e.login.empty());
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    EXPECT_EQ(e.computer, host);
    EXPECT_EQ(e.game, "quest");
    EXPECT_EQ(e.mark, "2");
}

TEST(Results, TheFolderComesFromTheEnvironment) {
    ::unsetenv(results::kVariable);
    EXPECT_FALSE(results::sharedFolder());
    ::setenv(results::kVariable, "", 1);
    EXPECT_FALSE(results::sharedFolder());
    ::setenv(results::kVariable, "/srv/класс 5", 1);
    EXPECT_EQ(results::sharedFolder(), "/srv/класс 5");
    ::unsetenv(results::kVariable);
}

TEST(Results, TheTableGetsItsHeaderOnceAndALineAPlayer) {
    Folder f;
    results::append(f.str(), {"2024-05-17T10:42:05", "anna", "pc1", "quest", "5"});
    results::append(f.str() + "/", {"2024-05-17T10:43:00", "boris", "pc2", "quest", "2"});
    EXPECT_EQ(contentOf(f.dir / "results.csv"), "time,login,computer,game,mark\r\n"
                                                "2024-05-17T10:42:05,anna,pc1,quest,5\r\n"
                                                "2024-05-17T10:43:00,boris,pc2,quest,2\r\n");
    // Every account in the classroom may add to it.
    EXPECT_EQ(fs::status(f.dir / "results.csv").permissions() & fs::perms::others_write,
              fs::perms::others_write);
}

TEST(Results, ALineCutShortElsewhereDoesNotSwallowTheNext) {
    Folder f;
    std::ofstream(f.dir / "results.csv", std::ios::binary) << "time,login\r\n2024-05-17T10";
    results::append(f.str(), {"t", "l", "c", "g", "5"});
    EXPECT_EQ(contentOf(f.dir / "results.csv"), "time,login\r\n2024-05-17T10\r\nt,l,c,g,5\r\n");
}

TEST(Results, AFolderThatCannotTakeTheLineIsRefused) {
    Folder f;
    EXPECT_EQ(refusal(f.str() + "/missing"), "File access denied");
    std::ofstream(f.dir / "a file") << "x";
    EXPECT_EQ(refusal((f.dir / "a file").string()), "File access denied");
    fs::create_directories(f.dir / "table is a folder" / "results.csv");
    EXPECT_EQ(refusal((f.dir / "table is a folder").string()), "File access denied");
    // Read-only: a folder without a table, a table of its own.
    fs::create_directories(f.dir / "read-only");
    fs::permissions(f.dir / "read-only", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(refusal((f.dir / "read-only").string()), "File access denied");
    fs::create_directories(f.dir / "table read-only");
    std::ofstream(f.dir / "table read-only" / "results.csv") << "time\r\n";
    fs::permissions(f.dir / "table read-only" / "results.csv", fs::perms::owner_read);
    EXPECT_EQ(refusal((f.dir / "table read-only").string()), "File access denied");
    EXPECT_EQ(contentOf(f.dir / "table read-only" / "results.csv"), "time\r\n");
    fs::permissions(f.dir / "read-only", fs::perms::owner_all);
}

// Thirty players finish at the same moment on one share: thirty processes
// held at a gate, let go together.
TEST(Results, ThirtyPlayersAtOnceLoseNoLineAndTearNone) {
    Folder f;
    int gate[2];
    ASSERT_EQ(::pipe2(gate, O_CLOEXEC), 0);
    std::vector<pid_t> players;
    for (int i = 0; i < 30; ++i)
        players.push_back(startWriter(
            {"append", f.str(), "game, \"" + std::to_string(i) + "\"", i % 2 ? "2" : "5"}, gate[0],
            -1));
    ::close(gate[0]);
    ::usleep(100'000); // all of them at the gate
    ::close(gate[1]);
    for (pid_t pid : players) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const std::vector<std::string> lines = linesOf(contentOf(f.dir / "results.csv"));
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "time,login,computer,game,mark");
    const std::regex line(
        R"re(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d,[^,]+,[^,]*,"game, ""(\d+)""",([25]))re");
    std::set<int> games;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, line)) << lines[i];
        const int game = std::stoi(m[1]);
        games.insert(game);
        EXPECT_EQ(m[2], game % 2 ? "2" : "5");
    }
    EXPECT_EQ(games.size(), 30u);
}

// A player killed at any moment while it writes its mark leaves the old mark
// or the new one, never anything else: in a folder of its own (a new file
// renamed over the old), in a read-only folder (written in place), and
// through a symbolic link.
TEST(ResultFile, AKillDuringTheWriteLeavesTheOldMarkOrTheNew) {
    enum class Setup { OwnFolder, ReadOnlyFolder, Link };
    unsigned seed = 12345;
    for (Setup setup : {Setup::OwnFolder, Setup::ReadOnlyFolder, Setup::Link}) {
        Folder f;
        const fs::path mark = f.dir / "mark for game.txt";
        std::ofstream(mark, std::ios::binary) << "2\r\n";
        fs::path written = mark;
        if (setup == Setup::Link) {
            written = f.dir / "link.txt";
            fs::create_symlink(mark.filename(), written);
        }
        if (setup == Setup::ReadOnlyFolder)
            fs::permissions(f.dir, fs::perms::owner_read | fs::perms::owner_exec);
        for (int round = 0; round < 40; ++round) {
            int ready[2];
            ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
            const pid_t pid = startWriter({"overwrite", written.string()}, -1, ready[1]);
            ::close(ready[1]);
            char c;
            ASSERT_EQ(::read(ready[0], &c, 1), 1); // writing by turns now
            ::close(ready[0]);
            seed = seed * 1103515245 + 12345;
            ::usleep((seed >> 16) % 1500);
            ::kill(pid, SIGKILL);
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
            const std::string got = contentOf(mark);
            ASSERT_TRUE(got == "5\r\n" || got == "2\r\n")
                << static_cast<int>(setup) << " round " << round << ": " << got;
        }
        if (setup == Setup::Link) {
            EXPECT_TRUE(fs::is_symlink(written));
        }
    }
}
