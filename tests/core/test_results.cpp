#include "core/errors.h"
#include "core/results.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <map>
#include <pwd.h>
#include <random>
#include <regex>
#include <set>
#include <sys/prctl.h>
#include <sys/stat.h>
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

// An account of its own for a pupil, made by the test.
struct Account {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
};

// Starts the helper program `program` with `args`, as `account` if one is
// given; its standard input and output are the pipes given (or -1 to keep
// the test's). The pipes are made close-on-exec, so that a writer holds no
// other writer's end open.
pid_t startWriter(const std::vector<std::string>& args, int in, int out,
                  const Account* account = nullptr, const std::string& program = RESULT_WRITER) {
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // A writer never outlives a test that stops early.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (in >= 0)
        ::dup2(in, 0);
    if (out >= 0)
        ::dup2(out, 1);
    if (account) {
        // As the pupil's own session would be: its account, its group only,
        // and a umask that lets the group write (pupils often share one).
        if (::setgroups(0, nullptr) != 0 || ::setgid(account->gid) != 0 ||
            ::setuid(account->uid) != 0)
            ::_exit(126);
        ::umask(002);
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

int exitStatusOf(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
    EXPECT_FALSE(results::database());
    // A database is no folder.
    ::setenv(results::kVariable, "service=school", 1);
    EXPECT_FALSE(results::sharedFolder());
    EXPECT_EQ(results::database(), "service=school");
    ::unsetenv(results::kVariable);
}

TEST(Results, TheGamesVersionFollowsItsDescriptionFilesAlone) {
    Folder f;
    const std::string data = f.str() + "/";
    auto write = [&f](const char* name, const std::string& text) {
        std::ofstream(f.dir / name, std::ios::binary) << text;
    };
    write("allbuttons.txt", "*button1*name*ok.bmp#\r\n");
    const std::string first = results::gameVersion(data);
    EXPECT_EQ(first.size(), 16u);
    EXPECT_EQ(results::gameVersion(data), first);
    write("ok.bmp", "a picture"); // pictures do not count
    EXPECT_EQ(results::gameVersion(data), first);
    write("victorytexts.txt", ""); // an empty file is not a missing one
    const std::string second = results::gameVersion(data);
    EXPECT_NE(second, first);
    // Found in any letter case, as the player finds it.
    fs::rename(f.dir / "allbuttons.txt", f.dir / "ALLBUTTONS.TXT");
    EXPECT_EQ(results::gameVersion(data), second);
    write("ALLBUTTONS.TXT", "*button1*name*ok.bmp#\r\n*button1*click*#victory^\r\n");
    EXPECT_NE(results::gameVersion(data), second);
}

TEST(Results, TheTableGetsItsHeaderOnceAndALineAPlayer) {
    Folder f;
    results::append(f.str(), {"2024-05-17T10:42:05", "anna", "pc1", "quest", "5"});
    results::append(f.str() + "/", {"2024-05-17T10:43:00", "boris", "pc2", "quest", "2"});
    EXPECT_EQ(contentOf(f.dir / "results.csv"), "time,login,computer,game,mark\r\n"
                                                "2024-05-17T10:42:05,anna,pc1,quest,5\r\n"
                                                "2024-05-17T10:43:00,boris,pc2,quest,2\r\n");
    // The pupil's own: the teacher reads it, nobody else writes it.
    EXPECT_EQ(fs::status(f.dir / "results.csv").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
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

// The pupil's folder in a results folder: made readable by everyone and
// writable by the pupil alone whatever the umask, and found again the next
// time; refused where it cannot be, with nothing made.
TEST(PupilFolder, IsMadeForThePupilAloneOrRefused) {
    Folder f;
    const mode_t before = ::umask(002);
    const results::PupilFolder made = results::pupilFolder(f.str());
    ::umask(before);
    ASSERT_EQ(made.refusal, results::Refusal::None);
    const std::string login = results::loginName();
    EXPECT_EQ(made.path, f.str() + "/" + login);
    EXPECT_EQ(fs::status(made.path).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                  fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(results::pupilFolder(f.str() + "/").refusal, results::Refusal::None);
    EXPECT_EQ(results::markFilePath(f.str(), "mark for quest.txt"),
              f.str() + "/" + login + "/mark for quest.txt");

    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec;
    std::ofstream(f.dir / "a file") << "x";
    fs::create_directories(f.dir / "read-only");
    fs::permissions(f.dir / "read-only", readOnly);
    fs::create_directories(f.dir / "a link" / "elsewhere");
    fs::create_directory_symlink("elsewhere", f.dir / "a link" / login);
    fs::create_directories(f.dir / "a file of that name");
    std::ofstream(f.dir / "a file of that name" / login) << "x";
    fs::create_directories(f.dir / "own read-only" / login);
    fs::permissions(f.dir / "own read-only" / login, readOnly);
    struct Row {
        const char* folder;
        results::Refusal refusal;
    } rows[] = {
        {"missing", results::Refusal::Missing},
        {"a file", results::Refusal::NotAFolder},
        {"read-only", results::Refusal::NotWritable},
        {"a link", results::Refusal::NotWritable},
        {"a file of that name", results::Refusal::NotWritable},
        {"own read-only", results::Refusal::NotWritable},
    };
    for (const Row& r : rows)
        EXPECT_EQ(results::pupilFolder((f.dir / r.folder).string()).refusal, r.refusal) << r.folder;
    EXPECT_FALSE(fs::exists(f.dir / "read-only" / login));
    EXPECT_TRUE(fs::is_empty(f.dir / "a link" / "elsewhere"));
    // Another account's folder in the pupil's name is refused, unless that
    // account owns the results folder too (the teacher, or a share that
    // shows one owner for all). Only root can give folders away.
    if (::geteuid() == 0) {
        const uid_t other = 65534;
        fs::create_directories(f.dir / "taken" / login);
        ASSERT_EQ(::chown((f.dir / "taken" / login).c_str(), other, other), 0);
        EXPECT_EQ(results::pupilFolder((f.dir / "taken").string()).refusal,
                  results::Refusal::TakenByAnother);
        ASSERT_EQ(::chown((f.dir / "taken").c_str(), other, other), 0);
        EXPECT_EQ(results::pupilFolder((f.dir / "taken").string()).refusal, results::Refusal::None);
    }
    fs::permissions(f.dir / "read-only", fs::perms::owner_all);
    fs::permissions(f.dir / "own read-only" / login, fs::perms::owner_all);
}

namespace {

// Runs a system command by its full path; true when it succeeded. The
// account files are locked while another test run changes them, so a
// refusal is tried again.
bool runCommand(const std::vector<std::string>& args) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        const int status = exitStatusOf(pid);
        if (status == 0)
            return true;
        if (status == 127)
            return false;
        ::usleep(200'000);
    }
    return false;
}

std::map<std::string, std::string> filesOf(const fs::path& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out[e.path().filename().string()] = contentOf(e.path());
    return out;
}

} // namespace

// Pupils of accounts of their own, made for these tests and removed at the
// end (CI runs as root); each plays in a process of its own, as its own
// account, with a umask that lets the pupils' shared group write.
class Pupils : public ::testing::Test {
  public:
    static void SetUpTestSuite() {
        if (::geteuid() != 0) {
            skip_ = "not run as root, so no pupils' accounts can be made";
            return;
        }
        std::random_device seed;
        std::string prefix = "tpr";
        for (int i = 0; i < 6; ++i)
            prefix += static_cast<char>('a' + seed() % 26);
        const bool sharedGroup = ::getgrnam("users") != nullptr;
        for (char letter = 'a'; letter <= 'f'; ++letter) {
            const std::string name = prefix + letter;
            std::vector<std::string> args{"/usr/sbin/useradd", "-M", "-s", "/usr/sbin/nologin"};
            if (sharedGroup)
                args.insert(args.end(), {"-N", "-g", "users"});
            args.push_back(name);
            if (!runCommand(args)) {
                skip_ = "useradd could not make the account " + name;
                return;
            }
            const passwd* pw = ::getpwnam(name.c_str());
            if (!pw) {
                skip_ = "the account " + name + " was made but cannot be found";
                return;
            }
            accounts_.push_back({name, pw->pw_uid, pw->pw_gid});
        }
        // Every account can run this copy, whatever the build folder's
        // permissions; the results folders lie beside it.
        char place[] = "/tmp/taleplay-pupils-XXXXXX";
        if (!::mkdtemp(place)) {
            skip_ = "no temporary folder";
            return;
        }
        root_ = place;
        fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
        writer_ = root_ + "/result_writer";
        fs::copy_file(RESULT_WRITER, writer_);
        fs::permissions(writer_, fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    }

    static void TearDownTestSuite() {
        for (const Account& a : accounts_)
            runCommand({"/usr/sbin/userdel", a.name});
        accounts_.clear();
        if (!root_.empty())
            fs::remove_all(root_);
    }

    void SetUp() override {
        if (!skip_.empty())
            GTEST_SKIP() << skip_;
    }

  protected:
    // A results folder as the guide makes it: everyone adds, the sticky bit
    // keeps each one's own.
    static std::string classFolder(const std::string& name) {
        const fs::path p = fs::path(root_) / name;
        fs::create_directories(p);
        fs::permissions(p, fs::perms::all | fs::perms::sticky_bit);
        return p.string();
    }

    // Runs writers side by side, each as its account, held at one gate and
    // let go together; their exit statuses in order.
    static std::vector<int>
    together(const std::vector<std::pair<const Account*, std::vector<std::string>>>& writers) {
        int gate[2];
        if (::pipe2(gate, O_CLOEXEC) != 0)
            return {};
        std::vector<pid_t> pids;
        for (const auto& [account, args] : writers)
            pids.push_back(startWriter(args, gate[0], -1, account, writer_));
        ::close(gate[0]);
        ::usleep(20'000 + 2'000 * static_cast<int>(writers.size())); // all of them at the gate
        ::close(gate[1]);
        std::vector<int> statuses;
        for (pid_t pid : pids)
            statuses.push_back(exitStatusOf(pid));
        return statuses;
    }

    static inline std::string skip_, root_, writer_;
    static inline std::vector<Account> accounts_;
};

// Two pupils finishing the same game at the same moment, fifty times, each
// time in a new results folder, so that their folders are made at once too.
TEST_F(Pupils, FiftyPairsFinishingAtOnceLoseNothing) {
    const Account& a = accounts_[0];
    const Account& b = accounts_[1];
    for (int round = 0; round < 50; ++round) {
        const fs::path folder = classFolder("pair " + std::to_string(round));
        const std::vector<int> statuses = together(
            {{&a, {"finish", folder, "квест", "5"}}, {&b, {"finish", folder, "квест", "2"}}});
        ASSERT_EQ(statuses, (std::vector<int>{0, 0})) << "round " << round;
        for (const auto& [pupil, mark] : {std::pair{&a, "5"}, std::pair{&b, "2"}}) {
            const fs::path own = folder / pupil->name;
            ASSERT_EQ(contentOf(own / "mark for квест.txt"), std::string(mark) + "\r\n")
                << "round " << round;
            const std::vector<std::string> lines = linesOf(contentOf(own / "results.csv"));
            ASSERT_EQ(lines.size(), 2u) << "round " << round;
            EXPECT_NE(lines[1].find("," + pupil->name + ","), std::string::npos) << lines[1];
            const std::string end = ",квест," + std::string(mark);
            EXPECT_EQ(lines[1].substr(lines[1].size() - end.size()), end);
        }
    }
    // Each its own, readable by the teacher, writable by nobody else,
    // whatever the umask said.
    for (const Account* pupil : {&a, &b}) {
        const fs::path own = fs::path(root_) / "pair 0" / pupil->name;
        struct stat st;
        ASSERT_EQ(::stat(own.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, pupil->uid);
        EXPECT_EQ(st.st_mode & 07777, 0755u);
        for (const char* file : {"mark for квест.txt", "results.csv"}) {
            ASSERT_EQ(::stat((own / file).c_str(), &st), 0);
            EXPECT_EQ(st.st_uid, pupil->uid) << file;
            EXPECT_EQ(st.st_mode & 07777, 0644u) << file;
        }
    }
}

// Thirty finishing at the same moment, five on each of six accounts (a pupil
// may play on several computers at once).
TEST_F(Pupils, ABurstOfThirtyLosesNothing) {
    const fs::path folder = classFolder("burst");
    std::vector<std::pair<const Account*, std::vector<std::string>>> writers;
    for (int i = 0; i < 30; ++i)
        writers.push_back({&accounts_[static_cast<std::size_t>(i) % accounts_.size()],
                           {"finish", folder, "игра " + std::to_string(i), i % 3 ? "5" : "2"}});
    for (int status : together(writers))
        EXPECT_EQ(status, 0);
    for (int i = 0; i < 30; ++i) {
        const fs::path own =
            folder / accounts_[static_cast<std::size_t>(i) % accounts_.size()].name;
        const std::string game = "игра " + std::to_string(i);
        EXPECT_EQ(contentOf(own / ("mark for " + game + ".txt")), i % 3 ? "5\r\n" : "2\r\n");
        EXPECT_NE(contentOf(own / "results.csv").find("," + game + (i % 3 ? ",5\r\n" : ",2\r\n")),
                  std::string::npos)
            << game;
    }
    for (const Account& a : accounts_)
        EXPECT_EQ(linesOf(contentOf(folder / a.name / "results.csv")).size(), 6u) << a.name;
}

// Another pupil can neither write, cut, rename nor delete a pupil's records,
// nor its folder; a folder made in a pupil's name before the pupil came is
// never written into, and the pupil is refused rather than fooled.
TEST_F(Pupils, NoPupilCanChangeOrDeleteAnothersRecords) {
    const Account& a = accounts_[0];
    const Account& b = accounts_[1];
    const Account& c = accounts_[2];
    const fs::path folder = classFolder("protected");
    ASSERT_EQ(together({{&a, {"finish", folder, "квест", "5"}}}), (std::vector<int>{0}));
    const fs::path own = folder / a.name;
    const auto before = filesOf(own);
    ASSERT_EQ(before.size(), 2u);

    int out[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    const pid_t pid = startWriter({"tamper", own}, -1, out[1], &b, writer_);
    ::close(out[1]);
    std::string worked;
    char buf[512];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        worked.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    EXPECT_EQ(exitStatusOf(pid), 0) << "what another pupil could do:\n" << worked;
    EXPECT_EQ(filesOf(own), before);

    // B's folder in C's name.
    const fs::path taken = folder / c.name;
    fs::create_directory(taken);
    ASSERT_EQ(::chown(taken.c_str(), b.uid, b.gid), 0);
    ::chmod(taken.c_str(), 0777);
    EXPECT_EQ(together({{&c, {"finish", folder, "квест", "5"}}}), (std::vector<int>{1}));
    EXPECT_TRUE(fs::is_empty(taken));
}
