// A school's database with a real server: ctest runs these through
// with_server.sh, which starts one (tests/support/scratch_postgres.sh) and
// says where it is; alone, they skip. The schema and the roles are made once,
// by the administrator's command, and each test keeps to games of its own.
#include "app/class_results_window.h"
#include "app/language.h"
#include "app/result_sender.h"
#include "core/results.h"
#include "resultsdb/sending.h"
#include "support/qt_support.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QProcess>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

using namespace taleplay;
using namespace taleplay::resultsdb;
using taleplay::testing::TempFolder;

namespace {

const std::string kPupil = "service=school_pupil";
const std::string kTeacher = "service=school_teacher";

std::string admin() {
    const char* url = std::getenv("TALEPLAY_TEST_ADMIN");
    return url ? url : "";
}

struct Ran {
    int status = -1;
    std::string out, err;
};

// Runs a program to its end, with `env` added to the test's environment.
Ran run(const std::string& program, const QStringList& args,
        const std::map<QString, QString>& env = {}) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : env)
        e.insert(name, value);
    p.setProcessEnvironment(e);
    p.start(QString::fromStdString(program), args);
    p.closeWriteChannel();
    Ran r;
    if (!p.waitForFinished(60000))
        p.kill();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

// The server's script, for the tests that take the server away.
void server(const char* what) {
    const Ran r = run("bash", {qEnvironmentVariable("TALEPLAY_TEST_SERVER_SCRIPT"),
                               QString::fromUtf8(what), qEnvironmentVariable("TALEPLAY_TEST_POSTGRES")});
    ASSERT_EQ(r.status, 0) << what << ": " << r.err;
}

// A query as the administrator, its rows as texts.
std::vector<std::vector<Value>> query(const char* sql, const std::vector<Value>& params = {}) {
    Connection db(admin());
    const Result r = db.run(sql, params);
    EXPECT_TRUE(r.ok) << r.problem;
    return r.rows;
}

// The one value a query gives, or "<none>".
std::string scalar(const char* sql, const std::vector<Value>& params = {}) {
    const auto rows = query(sql, params);
    return rows.size() == 1 && rows[0].size() == 1 && rows[0][0] ? *rows[0][0] : "<none>";
}

std::string rowsOfGame(const std::string& game) {
    return scalar("SELECT count(*) FROM taleplay.results WHERE game = $1", {game});
}

Unsent rowFor(const std::string& game, const std::string& login, int mark) {
    Unsent row = unsentNow(kPupil, game, mark, "0123456789abcdef");
    row.login = login;
    return row;
}

class Database : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (admin().empty())
            return;
        const Ran r = run(RESULTS_DB_COMMAND, {"init", QString::fromStdString(admin())});
        initialised_ = r.status == 0;
        EXPECT_TRUE(initialised_) << r.out << r.err;
    }
    void SetUp() override {
        if (admin().empty())
            GTEST_SKIP() << "no database server: ctest runs these tests through with_server.sh";
        ASSERT_TRUE(initialised_);
        taleplay::testing::modals().clear();
    }
    static bool initialised_;
};
bool Database::initialised_ = false;

// A game of one button that wins; the victory screen's button loses.
void writeGame(const std::filesystem::path& data) {
    std::filesystem::create_directories(data);
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    picture.save(QString::fromStdString((data / "ok.png").string()));
    auto write = [&data](const char* name, const std::string& text) {
        std::ofstream(data / name, std::ios::binary) << text;
    };
    write("allbuttons.txt", "*button1*name*ok.png#\r\n*button1*clickALLGOOD*#victory^\r\n");
    write("victorypictures.txt", "*button2*name*ok.png#\r\n*button2*clickALLGOOD*#lost^\r\n");
}

} // namespace

TEST_F(Database, InitMakesTwoRolesOfLeastPrivilegeAndAgainChangesNothing) {
    const char* rights =
        "SELECT r, t, p, has_table_privilege(r, t, p) "
        "FROM unnest(array['taleplay_pupil', 'taleplay_teacher']) r, "
        "unnest(array['taleplay.results', 'taleplay.pupils']) t, "
        "unnest(array['SELECT', 'INSERT', 'UPDATE', 'DELETE', 'TRUNCATE']) p ORDER BY 1, 2, 3";
    Connection pupil(kPupil);
    ASSERT_TRUE(pupil.ok()) << pupil.problem();
    const Unsent row = rowFor("init", "anna", 5);
    ASSERT_EQ(send({row}, nullptr).sent.size(), 1u);
    const auto before = query(rights);

    const Ran again = run(RESULTS_DB_COMMAND, {"init", QString::fromStdString(admin())});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(query(rights), before);
    EXPECT_EQ(rowsOfGame("init"), "1");

    // Two at once, on a database of their own, both succeed.
    ASSERT_TRUE(Connection(admin()).run("CREATE DATABASE init_twice").ok);
    std::string twice = admin();
    twice.replace(twice.rfind('/'), std::string::npos, "/init_twice");
    QProcess first, second;
    for (QProcess* p : {&first, &second})
        p->start(RESULTS_DB_COMMAND, {"init", QString::fromStdString(twice)});
    for (QProcess* p : {&first, &second}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }

    // A pupil's role adds rows and nothing else; the teacher's reads.
    struct Case {
        const std::string& role;
        const char* sql;
        bool allowed;
    };
    for (const Case& c : {
             Case{kPupil, "SELECT count(*) FROM taleplay.results", false},
             Case{kPupil, "SELECT id FROM taleplay.results WHERE game = 'init'", false},
             Case{kPupil, "UPDATE taleplay.results SET mark = 5", false},
             Case{kPupil, "DELETE FROM taleplay.results", false},
             Case{kPupil, "TRUNCATE taleplay.results", false},
             Case{kPupil, "SELECT * FROM taleplay.pupils", false},
             Case{kPupil, "INSERT INTO taleplay.pupils VALUES ('5b', 'x', 'x')", false},
             // Where and when a row came from are the server's to say.
             Case{kPupil,
                  "INSERT INTO taleplay.results (id, finished_at, login, computer, game, mark, "
                  "game_version, received_at) VALUES (gen_random_uuid(), now(), 'a', 'c', 'g', 5, "
                  "'v', now() - interval '1 day')",
                  false},
             Case{kTeacher, "SELECT count(*) FROM taleplay.results", true},
             Case{kTeacher, "SELECT count(*) FROM taleplay.pupils", true},
             Case{kTeacher, "UPDATE taleplay.results SET mark = 5", false},
             Case{kTeacher, "DELETE FROM taleplay.results", false},
             Case{kTeacher, "INSERT INTO taleplay.pupils VALUES ('5b', 'x', 'x')", false},
         }) {
        Connection db(c.role);
        ASSERT_TRUE(db.ok()) << db.problem();
        const Result r = db.run(c.sql);
        EXPECT_EQ(r.ok, c.allowed) << c.role << ": " << c.sql << ": " << r.problem;
        if (!c.allowed) {
            EXPECT_EQ(r.sqlState, "42501") << c.sql << ": " << r.problem;
        }
    }
    EXPECT_EQ(rowsOfGame("init"), "1");
}

TEST_F(Database, AWinAndALossFromThePlayerArriveAndTheFileIsStillWritten) {
    TempFolder dir;
    const std::string name = "Квест \"O'Brien\"";
    const std::filesystem::path data = dir.path() / "games" / ("data_" + name);
    writeGame(data);
    dir.write("script.txt", "click Nazhimalka1\nexpect result 5\nclick URANazhimalka2\n"
                            "expect result 2\n");
    const Ran r = run(PLAYTEST, {QString::fromStdString(data.string()),
                                 QString::fromStdString(dir.str() + "/script.txt")},
                      {{"TALEPLAY_RESULTS", QString::fromStdString(kPupil)},
                       {"HOME", QString::fromStdString(dir.str() + "/home")},
                       {"XDG_DATA_HOME", ""}});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("2 passed, 0 failed"), std::string::npos) << r.out;

    const auto rows = query("SELECT login, computer, mark::text, game_version FROM taleplay.results "
                            "WHERE game = $1 ORDER BY finished_at",
                            {name});
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(*rows[0][2], "5");
    EXPECT_EQ(*rows[1][2], "2");
    EXPECT_EQ(*rows[0][0], results::loginName());
    EXPECT_EQ(*rows[0][1], results::computerName());
    EXPECT_EQ(*rows[0][3], results::gameVersion(data.string() + "/"));
    // The Part's result file beside the game, as without a database.
    std::ifstream mark(dir.path() / "games" / ("mark for " + name + ".txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(mark), {}), "2\r\n");
    // Nothing left waiting.
    EXPECT_TRUE(Outbox(dir.str() + "/home/.local/share/taleplay/results/unsent").list().rows.empty());
}

TEST_F(Database, ThirtyPlayersAtOnceEachArriveOnce) {
    TempFolder dir;
    // Thirty players and the server on one machine (under the sanitizers,
    // on two busy cores) may connect more slowly than the player waits by
    // default; a row that waits is another test's matter.
    const QString patient = QString::fromStdString(kPupil + " connect_timeout=120");
    std::vector<std::unique_ptr<QProcess>> players;
    for (int i = 0; i < 30; ++i) {
        auto& p = players.emplace_back(std::make_unique<QProcess>());
        p->start(DB_PLAYER, {patient,
                             QString::fromStdString(dir.str() + "/pupil" + std::to_string(i)),
                             QStringLiteral("pupil%1").arg(i), QStringLiteral("тридцать"),
                             i % 2 ? "2" : "5"});
        ASSERT_TRUE(p->waitForStarted());
    }
    // All of them at the gate, then through it at once.
    for (auto& p : players)
        p->closeWriteChannel();
    for (auto& p : players) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_EQ(rowsOfGame("тридцать"), "30");
    EXPECT_EQ(scalar("SELECT count(DISTINCT login) FROM taleplay.results WHERE game = $1",
                     {"тридцать"}),
              "30");
}

TEST_F(Database, TheServerAwayMidLessonLosesNothingAndSendsEachOnce) {
    TempFolder dir;
    const std::string game = "урок";
    ASSERT_EQ(send({rowFor(game, "anna", 5), rowFor(game, "boris", 2)}, nullptr).sent.size(), 2u);

    server("stop");
    // The player: the row kept, the pupil told once, in the player's language.
    const std::string outbox = dir.str() + "/gleb/unsent/";
    launch::useLanguage(launch::Language::Russian);
    {
        QWidget window;
        ResultSender sender(window, outbox, [] { return false; });
        sender.send(rowFor(game, "gleb", 5));
        ASSERT_TRUE(sender.waitUntilIdle(30000));
        QApplication::processEvents();
    }
    launch::useLanguage(launch::Language::English);
    ASSERT_EQ(taleplay::testing::modals().size(), 1u);
    EXPECT_NE(taleplay::testing::modals()[0].second.find("будет отправлен"), std::string::npos)
        << taleplay::testing::modals()[0].second;
    const Outbox kept(outbox);
    ASSERT_EQ(kept.list().rows.size(), 1u);
    const Unsent waiting = kept.list().rows[0];
    // Three more finish meanwhile, in processes of their own.
    for (const char* login : {"dina", "egor", "fedor"}) {
        const Ran r = run(DB_PLAYER, {QString::fromStdString(kPupil),
                                      QString::fromStdString(dir.str() + "/" + login),
                                      login, QString::fromStdString(game), "5"});
        EXPECT_EQ(r.status, 1) << r.err; // kept, not sent
    }

    server("restart");
    // The next start of any game sends what waits, and says nothing.
    {
        QWidget window;
        ResultSender sender(window, outbox, [] { return false; });
        sender.sendKept();
        ASSERT_TRUE(sender.waitUntilIdle(30000));
        QApplication::processEvents();
    }
    EXPECT_EQ(taleplay::testing::modals().size(), 1u);
    EXPECT_TRUE(kept.list().rows.empty());
    for (const char* login : {"dina", "egor", "fedor"})
        EXPECT_EQ(sendKept(Outbox(dir.str() + "/" + login)).sent.size(), 1u);
    EXPECT_EQ(rowsOfGame(game), "6");

    // A player killed between the insert and forgetting its file sends the
    // row again: it is there once.
    std::string why;
    ASSERT_TRUE(kept.keep(waiting, why)) << why;
    EXPECT_EQ(sendKept(kept).sent.size(), 1u);
    EXPECT_TRUE(kept.list().rows.empty());
    EXPECT_EQ(rowsOfGame(game), "6");
}

TEST_F(Database, AWrongPasswordIsSaidAndTheRowKept) {
    TempFolder dir;
    dir.write("pgpass", "127.0.0.1:*:*:taleplay_pupil:wrong\n");
    ::chmod((dir.str() + "/pgpass").c_str(), 0600);
    const std::string right = std::getenv("PGPASSFILE");
    ::setenv("PGPASSFILE", (dir.str() + "/pgpass").c_str(), 1);
    const Outbox outbox(dir.str() + "/unsent");
    std::string why;
    ASSERT_TRUE(outbox.keep(rowFor("пароль", "anna", 5), why));
    const Delivery d = sendKept(outbox);
    ::setenv("PGPASSFILE", right.c_str(), 1);
    EXPECT_TRUE(d.sent.empty());
    EXPECT_NE(d.problem.find("password authentication failed"), std::string::npos) << d.problem;
    EXPECT_EQ(outbox.list().rows.size(), 1u);
    EXPECT_EQ(sendKept(outbox).sent.size(), 1u); // the right password: it goes
}

TEST_F(Database, AwkwardTextsAreStoredExactly) {
    std::string login;
    for (int i = 0; i < 40; ++i)
        login += "Щё'\""; // 4 characters, 7 bytes
    login += std::string(40, 'x');
    Unsent row = rowFor("Квест \"Дом\" 'x'); DROP TABLE taleplay.results; --", login, 2);
    row.computer = "pc\\1 %s $1";
    ASSERT_EQ(send({row}, nullptr).sent.size(), 1u);
    const auto got = query("SELECT login, game, computer, length(login)::text FROM taleplay.results "
                           "WHERE id = $1",
                           {row.id});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(*got[0][0], login);
    EXPECT_EQ(*got[0][1], row.game);
    EXPECT_EQ(*got[0][2], row.computer);
    EXPECT_EQ(*got[0][3], "200");

    // A row the server refuses (a file changed by hand: no UTF-8) waits,
    // and the rows after it still go.
    Unsent spoilt = rowFor("испорчено", "\xff\xfe", 5), good = rowFor("испорчено", "anna", 5);
    const Delivery d = send({spoilt, good}, nullptr);
    EXPECT_EQ(d.sent, std::vector<std::string>{good.id});
    EXPECT_EQ(d.waiting, 1u);
    EXPECT_NE(d.problem.find("UTF8"), std::string::npos) << d.problem;
}

TEST_F(Database, TheTeachersTableAndWindowReadTheDatabase) {
    TempFolder dir;
    // The class list from Windows, then a newer one in its place.
    dir.write("old.txt", "zoya\tZ\r\n");
    dir.write("class.txt", "anna\t\xc8\xe2\xe0\xed\xee\xe2\xe0 \xc0\xed\xed\xe0\r\n"
                           "gleb\t\xd1\xe8\xe4\xee\xf0\xee\xe2 \xc3\xeb\xe5\xe1\r\n");
    for (const char* file : {"old.txt", "class.txt"}) {
        const Ran r = run(RESULTS_DB_COMMAND, {"classlist", QString::fromStdString(admin()), "5б",
                                               QString::fromStdString(dir.str() + "/" + file)});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    ASSERT_EQ(send({rowFor("лабиринт", "anna", 5), rowFor("лабиринт", "boris", 2)}, nullptr)
                  .sent.size(),
              2u);
    // A row no player sends, added with the pupils' password, hides no other.
    Connection pupil(kPupil);
    const Result forged = pupil.run(
        "INSERT INTO taleplay.results (id, finished_at, login, computer, game, mark, game_version) "
        "VALUES ($1::uuid, 'infinity', 'boris', 'pc', 'лабиринт', 5, 'v')",
        {newId()});
    ASSERT_TRUE(forged.ok) << forged.problem;

    // The other tests' rows are there too: the CSV's lines do not move with them.
    const Ran table =
        run(RESULTS_COMMAND, {"--class", "5б", "--csv", "-", QString::fromStdString(kTeacher)});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("\nИванова Анна,anna,лабиринт,5,5,1,"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("\nСидоров Глеб,gleb,лабиринт,not finished,,0,,"), std::string::npos)
        << table.out;
    EXPECT_EQ(table.out.find("boris"), std::string::npos) << table.out; // of no class of the lists
    EXPECT_EQ(table.out.find("zoya"), std::string::npos) << table.out;   // the old list is gone

    const Ran asPupil = run(RESULTS_COMMAND, {QString::fromStdString(kPupil)});
    EXPECT_EQ(asPupil.status, 2);
    EXPECT_NE(asPupil.err.find("permission denied"), std::string::npos) << asPupil.err;
    EXPECT_EQ(run(RESULTS_COMMAND, {"--class", "9z", QString::fromStdString(kTeacher)}).status, 2);

    launch::ClassResultsWindow window(kTeacher);
    EXPECT_TRUE(window.note().isEmpty()) << window.note().toStdString();
    EXPECT_TRUE(window.classFilter().isVisibleTo(&window));
    window.classFilter().setCurrentIndex(window.classFilter().findData(QStringLiteral("5б")));
    std::set<std::string> logins;
    for (const classresults::Row& r : window.rows())
        logins.insert(r.login);
    EXPECT_EQ(logins, (std::set<std::string>{"anna", "gleb"}));
}
