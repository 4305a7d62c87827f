#include "classresults/folder_source.h"
#include "classresults/records.h"
#include "classresults/table.h"
#include "classresults/table_output.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace taleplay::classresults;
namespace fs = std::filesystem;

namespace {

struct Folder {
    fs::path dir = fs::temp_directory_path() / ("taleplay-class-" + std::to_string(::getpid()));
    Folder() {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~Folder() { fs::remove_all(dir); }
    void write(const std::string& name, const std::string& bytes) const {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
};

std::string logins(const std::vector<Pupil>& pupils) {
    std::string out;
    for (const Pupil& p : pupils)
        out += p.login + "=" + p.name + ";";
    return out;
}

Words english() {
    return wordsIn([](const char*, const char* text) { return std::string(text); });
}

Attempt attempt(std::string login, std::string game, std::string time, int mark) {
    return {std::move(login), std::move(game), std::move(time), "pc", mark};
}

} // namespace

// However the teacher's editor saved it.
TEST(ClassList, IsReadInEitherEncodingWithTabsOrBlanks) {
    struct Row {
        const char* what;
        std::string bytes;
        std::string pupils;
    } rows[] = {
        {"UTF-8", "anna\tИванова Анна\nboris\tПетров Борис\n",
         "anna=Иванова Анна;boris=Петров Борис;"},
        {"UTF-8 with a mark, CR LF",
         "\xEF\xBB\xBF"
         "anna\tАнна\r\nboris\tБорис\r\n",
         "anna=Анна;boris=Борис;"},
        {"Windows-1251", "anna\t\xC8\xE2\xE0\xED\xEE\xE2\xE0 \xC0\xED\xED\xE0\r\n",
         "anna=Иванова Анна;"},
        {"Windows-1251, ё", "olga\t\xA8\xEB\xEA\xE8\xED\xE0\r\n", "olga=Ёлкина;"},
        {"blanks for the tab", "anna   Иванова Анна  \n", "anna=Иванова Анна;"},
        {"comments, blank lines, a login alone, a login twice",
         "# 5B\n\n  \ngleb\nanna\tАнна\nanna\tАня\n", "gleb=;anna=Анна;"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(logins(readClassList(r.bytes)), r.pupils) << r.what;
}

TEST(ResultTables, ReadTodaysAndLastTermsLinesAndCountWhatHoldsNone) {
    std::vector<Attempt> got;
    const std::string table = "time,login,computer,game,mark\r\n"
                              "2024-05-17T10:42:05,anna,\"room 5, pc 3\",квест,5\r\n"
                              "2024-05-17 10:43:00,boris,pc4,\"say \"\"hi\"\"\",2\r\n"
                              "2024-05-17T10,anna\r\n"              // cut by a crash
                              "2024-05-17T10:44:00,anna,pc,g,4\r\n" // no such mark
                              "yesterday,anna,pc,g,5\r\n"
                              "2024-05-17T10:45:00,,pc,g,5\r\n" // nobody
                              "2024-05-17T10:46:00,anna,pc,\xCA\xE2\xE5\xF1\xF2,5\r\n";
    EXPECT_EQ(readTable(table, "", got), 4u);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].computer, "room 5, pc 3");
    EXPECT_EQ(got[0].mark, 5);
    EXPECT_EQ(got[1].time, "2024-05-17T10:43:00");
    EXPECT_EQ(got[1].game, "say \"hi\"");
    EXPECT_EQ(got[2].game, "Квест"); // a name from Windows
    // In a pupil's own folder the folder says who played, whatever the
    // line claims.
    got.clear();
    EXPECT_EQ(readTable("\xEF\xBB\xBFtime,login,computer,game,mark\n"
                        "2024-05-17T10:42:05,boris,pc,квест,5\n",
                        "anna", got),
              0u);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].login, "anna");
}

TEST(ClassTable, OneRowAPupilAndGameWithBestLastAndTimes) {
    ClassRecords r;
    r.pupils = {{"anna", "Иванова Анна"}, {"gleb", "Сидоров Глеб"}};
    // Read out of time order (two computers' lines), two in the same second.
    r.attempts = {attempt("anna", "квест", "2024-05-17T10:50:00", 2),
                  attempt("anna", "квест", "2024-05-17T10:40:00", 5),
                  attempt("boris", "квест", "2024-05-17T11:00:00", 2),
                  attempt("boris", "квест", "2024-05-17T11:00:00", 5)};
    const std::vector<Row> rows = buildTable(r);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "boris"); // not on the list: by login
    EXPECT_EQ(rows[0].last, 5);       // the later line of the same second
    EXPECT_EQ(rows[1].name, "Иванова Анна");
    EXPECT_EQ(rows[1].best, 5);
    EXPECT_EQ(rows[1].last, 2);
    EXPECT_EQ(rows[1].attempts, 2);
    EXPECT_EQ(rows[1].first, "2024-05-17T10:40:00");
    EXPECT_EQ(rows[1].latest, "2024-05-17T10:50:00");
    EXPECT_EQ(rows[2].name, "Сидоров Глеб");
    EXPECT_FALSE(rows[2].finished());
    EXPECT_EQ(rows[2].game, "квест");

    // Before anyone has played: the class, each once.
    r.attempts.clear();
    const std::vector<Row> empty = buildTable(r);
    ASSERT_EQ(empty.size(), 2u);
    EXPECT_EQ(empty[0].game, "");
    EXPECT_EQ(daysOf(r), std::vector<std::string>{});
}

TEST(ClassTable, NamesSortAsAPersonReadsThem) {
    std::vector<Row> rows;
    for (const char* name : {"Ершов", "ёлкин", "Ежов", "Елкин", "anna", "Boris"}) {
        Row r;
        r.name = name;
        rows.push_back(r);
    }
    sortRows(rows, SortBy::Name);
    std::string order;
    for (const Row& r : rows)
        order += r.name + " ";
    EXPECT_EQ(order, "anna Boris Ежов Елкин ёлкин Ершов ");
}

TEST(TableOutput, TextCsvAndHtmlCarryTheSameTableSafely) {
    Row done;
    done.login = "anna";
    done.name = "<b>Анна</b>";
    done.game = "=HYPERLINK(\"x\")";
    done.best = 5;
    done.last = 2;
    done.attempts = 2;
    done.first = "2024-05-17T10:40:00";
    done.latest = "2024-05-17T10:50:00";
    Row open;
    open.login = "li";
    open.name = "李 小龙";
    open.game = "a\x1b[2Jb; c";
    const std::vector<Row> rows{done, open};
    Words w = english();

    // Columns line up in a terminal also with wide letters; an escape
    // sequence in a name steers nothing.
    EXPECT_EQ(asText(rows, w),
              "Name         Login  Game             Best mark     Last mark  Attempts  First "
              "played      Last played\n"
              "<b>Анна</b>  anna   =HYPERLINK(\"x\")  5             2          2         "
              "2024-05-17 10:40  2024-05-17 10:50\n"
              "李 小龙      li     a?[2Jb; c        not finished             0\n");

    EXPECT_EQ(
        asCsv(rows, w),
        "\xEF\xBB\xBFName,Login,Game,Best mark,Last mark,Attempts,First played,Last played\r\n"
        "<b>Анна</b>,anna,\"'=HYPERLINK(\"\"x\"\")\",5,2,2,2024-05-17 10:40:00,"
        "2024-05-17 10:50:00\r\n"
        "李 小龙,li,a\x1b[2Jb; c,not finished,,0,,\r\n");
    w.separator = ';';
    EXPECT_NE(asCsv(rows, w).find("李 小龙;li;\"a\x1b[2Jb; c\";not finished;;0;;\r\n"),
              std::string::npos);

    const std::string page = asHtml(rows, w, "/srv/results/5b & 5c");
    for (const char* part :
         {"<html lang=\"en\">", "<meta charset=\"utf-8\">", "<title>Class results</title>",
          "<p>/srv/results/5b &amp; 5c</p>", "<th scope=\"col\">Best mark</th>",
          "<td>&lt;b&gt;Анна&lt;/b&gt;</td>", "<td>=HYPERLINK(&quot;x&quot;)</td>",
          "<td class=\"m5\">5</td><td class=\"m2\">2</td>",
          "<td class=\"none\">not finished</td><td></td>"})
        EXPECT_NE(page.find(part), std::string::npos) << part;
    EXPECT_EQ(page.find("<b>"), std::string::npos);
}

TEST(ResultsFolder, ReadsPupilsFoldersTheOldTableAndTheClassList) {
    Folder f;
    EXPECT_EQ(readResultsFolder((f.dir / "missing").string()).problem, FolderProblem::Missing);
    f.write("a file", "x");
    EXPECT_EQ(readResultsFolder((f.dir / "a file").string()).problem, FolderProblem::NotAFolder);
    // Folders without a table are no pupils' (a game's, say).
    fs::create_directories(f.dir / "data_quest");
    EXPECT_EQ(readResultsFolder(f.dir.string()).problem, FolderProblem::NoResults);

    f.write("class.txt", "anna\tАнна\n");
    f.write("anna/results.csv", "time,login,computer,game,mark\r\n"
                                "2024-05-17T10:42:05,anna,pc,квест,5\r\n");
    f.write("results.csv", "time,login,computer,game,mark\r\n"
                           "2024-01-10T09:00:00,boris,pc,квест,2\r\n"
                           "garbage\r\n");
    // A link in a pupil's place, or as a pupil's table, is never followed.
    fs::create_directory_symlink("anna", f.dir / "carl");
    fs::create_directories(f.dir / "dora");
    fs::create_symlink("../anna/results.csv", f.dir / "dora" / "results.csv");
    fs::permissions(f.dir, fs::perms::all); // no sticky bit
    const FolderReading read = readResultsFolder(f.dir.string());
    fs::permissions(f.dir, fs::perms::owner_all);
    EXPECT_EQ(read.problem, FolderProblem::None);
    ASSERT_EQ(read.records.attempts.size(), 2u);
    EXPECT_EQ(read.records.attempts[0].login, "anna");
    EXPECT_EQ(read.records.attempts[1].login, "boris");
    EXPECT_EQ(logins(read.records.pupils), "anna=Анна;");
    ASSERT_EQ(read.records.notices.size(), 2u);
    EXPECT_EQ(read.records.notices[0].kind, Notice::Kind::OpenToEveryone);
    EXPECT_EQ(read.records.notices[1].kind, Notice::Kind::BadLines);
    EXPECT_EQ(read.records.notices[1].values,
              (std::vector<std::string>{(f.dir / "results.csv").string(), "1"}));
}

// What another account put in a pupil's name, or in the teacher's, is left
// out and said; what the teacher copied counts. Files are given to another
// account, which only root can do.
TEST(ResultsFolder, TrustsWhatEachOwnerMayHaveWritten) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "not run as root, so no file can be given to another account";
    Folder f;
    const uid_t nobody = 65534;
    f.write("anna/results.csv", "time,login,computer,game,mark\n"
                                "2024-05-17T10:42:05,anna,pc,квест,2\n");
    f.write("boris/results.csv", "time,login,computer,game,mark\n"
                                 "2024-05-17T10:42:05,boris,pc,квест,5\n");
    f.write("class.txt", "anna\tАнна\n");
    f.write("results.csv", "time,login,computer,game,mark\n"
                           "2024-01-10T09:00:00,boris,pc,квест,2\n");
    for (const char* path : {"boris", "boris/results.csv", "class.txt", "results.csv"})
        ASSERT_EQ(::chown((f.dir / path).c_str(), nobody, nobody), 0) << path;
    const FolderReading read = readResultsFolder(f.dir.string());
    ASSERT_EQ(read.records.attempts.size(), 2u);
    EXPECT_EQ(read.records.attempts[0].login, "anna");  // root's copy of anna's
    EXPECT_EQ(read.records.attempts[1].login, "boris"); // the old table, all the same
    EXPECT_TRUE(read.records.pupils.empty());
    std::vector<Notice::Kind> kinds;
    for (const Notice& n : read.records.notices)
        kinds.push_back(n.kind);
    EXPECT_EQ(kinds,
              (std::vector<Notice::Kind>{Notice::Kind::ForeignFolder,
                                         Notice::Kind::ForeignClassList, Notice::Kind::OldTable}));
    EXPECT_EQ(read.records.notices[0].values[1], "nobody");
}
