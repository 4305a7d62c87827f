#include "app/class_results_window.h"
#include "app/game_chooser.h"
#include "app/language.h"
#include "app/launcher.h"
#include "core/codepage.h"
#include "core/results.h"
#include "support/qt_support.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using namespace taleplay;
using namespace taleplay::launch;
using taleplay::testing::TempFolder;

namespace {

// A class of three: anna played two games on two days, boris only in the
// table an older version kept, gleb never; one pupil not on the list.
struct ClassFolder {
    TempFolder dir;
    ClassFolder() {
        dir.write("class.txt", cp1251::fromUtf8("anna\tИванова Анна\r\nboris\tПетров "
                                                "Борис\r\ngleb\tСидоров Глеб\r\n"));
        dir.write("anna/results.csv", "time,login,computer,game,mark\r\n"
                                      "2024-05-17T10:40:00,anna,pc1,квест,2\r\n"
                                      "2024-05-17T10:50:00,anna,pc1,квест,5\r\n"
                                      "2024-05-18T09:00:00,anna,pc1,лабиринт,2\r\n");
        dir.write("results.csv", "time,login,computer,game,mark\r\n"
                                 "2024-05-17T11:00:00,boris,pc2,квест,5\r\n"
                                 "2024-05-18T09:30:00,zoe,pc3,лабиринт,5\r\n");
    }
};

std::vector<std::vector<std::string>> cellsOf(const ClassResultsWindow& w) {
    std::vector<std::vector<std::string>> out;
    const QAbstractItemModel* m = w.table().model();
    for (int r = 0; r < m->rowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < m->columnCount(); ++c)
            row.push_back(m->index(r, c).data().toString().toStdString());
        out.push_back(row);
    }
    return out;
}

// Name, game and best mark of each row, in order.
std::vector<std::string> summary(const ClassResultsWindow& w) {
    std::vector<std::string> out;
    for (const auto& row : cellsOf(w))
        out.push_back(row[0] + "/" + row[2] + "/" + row[3]);
    return out;
}

void choose(QComboBox& box, const QString& text) {
    const int i = box.findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    box.setCurrentIndex(i);
}

// Saves a picture of the window where TALEPLAY_SCREENSHOTS asks, for a
// person to look at.
void keepPicture(QWidget& w, const char* name) {
    if (const char* folder = std::getenv("TALEPLAY_SCREENSHOTS"))
        w.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

struct InLanguage {
    explicit InLanguage(Language language) { EXPECT_TRUE(useLanguage(language)); }
    ~InLanguage() { useLanguage(Language::English); }
};

} // namespace

TEST(ClassResultsWindow, ShowsEachPupilAndGameWithItsMarksInColourAndInWords) {
    ClassFolder f;
    ClassResultsWindow w(f.dir.str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    keepPicture(w, "class-results");
    EXPECT_EQ(cellsOf(w),
              (std::vector<std::vector<std::string>>{
                  {"zoe", "zoe", "лабиринт", "5", "5", "1", "2024-05-18 09:30", "2024-05-18 09:30"},
                  {"Иванова Анна", "anna", "квест", "5", "5", "2", "2024-05-17 10:40",
                   "2024-05-17 10:50"},
                  {"Иванова Анна", "anna", "лабиринт", "2", "2", "1", "2024-05-18 09:00",
                   "2024-05-18 09:00"},
                  {"Петров Борис", "boris", "квест", "5", "5", "1", "2024-05-17 11:00",
                   "2024-05-17 11:00"},
                  {"Петров Борис", "boris", "лабиринт", "not finished", "", "0", "", ""},
                  {"Сидоров Глеб", "gleb", "квест", "not finished", "", "0", "", ""},
                  {"Сидоров Глеб", "gleb", "лабиринт", "not finished", "", "0", "", ""},
              }));
    // 5 green, 2 red, not finished grey.
    const QAbstractItemModel* m = w.table().model();
    auto background = [&](int row, int column) {
        return m->index(row, column).data(Qt::BackgroundRole).value<QBrush>().color().name();
    };
    EXPECT_EQ(background(1, 3), "#c6efce");
    EXPECT_EQ(background(2, 3), "#ffc7ce");
    EXPECT_EQ(background(4, 3), "#ededed");
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString().toStdString(), "Best mark");
    EXPECT_TRUE(w.note().isEmpty()) << w.note().toStdString();
    EXPECT_EQ(w.windowTitle().toStdString(), "Class results — " + f.dir.str() + " — Taleplay");
}

TEST(ClassResultsWindow, FiltersByGameAndDay) {
    ClassFolder f;
    ClassResultsWindow w(f.dir.str());
    EXPECT_EQ(w.gameFilter().count(), 3); // all, квест, лабиринт
    EXPECT_EQ(w.dayFilter().itemText(1).toStdString(), "2024-05-18"); // the latest first
    struct Row {
        const char* game;
        const char* day;
        std::vector<std::string> rows;
    } rows[] = {
        {"квест",
         "All days",
         {"Иванова Анна/квест/5", "Петров Борис/квест/5", "Сидоров Глеб/квест/not finished"}},
        // A day counts the attempts of that day: the 5 of the day before is
        // not there.
        {"All games",
         "2024-05-18",
         {"zoe/лабиринт/5", "Иванова Анна/лабиринт/2", "Петров Борис/лабиринт/not finished",
          "Сидоров Глеб/лабиринт/not finished"}},
        {"квест",
         "2024-05-18",
         {"Иванова Анна/квест/not finished", "Петров Борис/квест/not finished",
          "Сидоров Глеб/квест/not finished"}},
    };
    for (const Row& r : rows) {
        choose(w.gameFilter(), QString::fromUtf8(r.game));
        choose(w.dayFilter(), QString::fromUtf8(r.day));
        EXPECT_EQ(summary(w), r.rows) << r.game << " " << r.day;
    }
}

TEST(ClassResultsWindow, SortsByNameGameMarkAndTimeFromTheHeaderOrTheChoice) {
    ClassFolder f;
    ClassResultsWindow w(f.dir.str());
    choose(w.gameFilter(), QString::fromUtf8("квест"));
    struct Row {
        std::function<void()> act;
        std::vector<std::string> rows;
    } rows[] = {
        {[&] { choose(w.sortChoice(), "Mark, best first"); },
         {"Иванова Анна/квест/5", "Петров Борис/квест/5", "Сидоров Глеб/квест/not finished"}},
        {[&] { w.table().horizontalHeader()->setSortIndicator(3, Qt::AscendingOrder); },
         {"Сидоров Глеб/квест/not finished", "Иванова Анна/квест/5", "Петров Борис/квест/5"}},
        {[&] { choose(w.sortChoice(), "Time, latest first"); },
         {"Петров Борис/квест/5", "Иванова Анна/квест/5", "Сидоров Глеб/квест/not finished"}},
        {[&] { w.table().horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder); },
         {"Сидоров Глеб/квест/not finished", "Петров Борис/квест/5", "Иванова Анна/квест/5"}},
    };
    for (const Row& r : rows) {
        r.act();
        EXPECT_EQ(summary(w), r.rows);
    }
    // The choice follows the header, so the keyboard sees what the mouse did.
    EXPECT_EQ(w.sortChoice().currentText().toStdString(), "Name");
    choose(w.gameFilter(), "All games");
    ASSERT_FALSE(w.rows().empty());
    EXPECT_EQ(w.rows().front().name, "Сидоров Глеб");
}

// Every control in reach of Tab, by name for a screen reader, and the table
// read cell by cell as text.
TEST(ClassResultsWindow, IsUsableByKeyboardAndNamedForScreenReaders) {
    ClassFolder f;
    ClassResultsWindow w(f.dir.str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(QApplication::focusWidget(), &w.table());
    // Tab leaves the table and goes round every control.
    std::vector<QWidget*> ring;
    for (int i = 0; i < 12 && (ring.empty() || QApplication::focusWidget() != ring.front()); ++i) {
        ring.push_back(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QWidget* w2 :
         std::initializer_list<QWidget*>{&w.gameFilter(), &w.dayFilter(), &w.sortChoice(),
                                         &w.table(), &w.csvButton(), &w.htmlButton()})
        EXPECT_NE(std::find(ring.begin(), ring.end(), w2), ring.end())
            << w2->metaObject()->className();
    // Alt and a letter reach the filters, as their labels underline it.
    QTest::keyClick(&w, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), &w.gameFilter());
    QTest::keyClick(&w.gameFilter(), Qt::Key_Down);
    EXPECT_EQ(w.gameFilter().currentIndex(), 1);

    struct Row {
        QObject* object;
        QAccessible::Role role;
        std::string name;
    } rows[] = {
        {&w.table(), QAccessible::Table, "Class results"},
        {&w.gameFilter(), QAccessible::ComboBox, "Game:"},
        {&w.dayFilter(), QAccessible::ComboBox, "Day:"},
        {&w.sortChoice(), QAccessible::ComboBox, "Sort by:"},
        {&w.csvButton(), QAccessible::Button, "Save as CSV…"},
        {&w.htmlButton(), QAccessible::Button, "Save as HTML…"},
    };
    for (const Row& r : rows) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(r.object);
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_EQ(a->role(), r.role) << r.name;
        // A list to choose from is named by its label, which a screen reader
        // finds through the relation (its own name is the choice made).
        std::string name = a->text(QAccessible::Name).remove('&').toStdString();
        if (r.role == QAccessible::ComboBox) {
            const auto labels = a->relations(QAccessible::Label);
            ASSERT_EQ(labels.size(), 1) << r.name;
            name = labels.front().first->text(QAccessible::Name).remove('&').toStdString();
        }
        EXPECT_EQ(name, r.name);
    }
    QAccessibleTableInterface* table =
        QAccessible::queryAccessibleInterface(&w.table())->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columnCount(), 8);
    EXPECT_EQ(table->columnDescription(3).toStdString(), "Best mark");
    EXPECT_EQ(table->cellAt(0, 3)->text(QAccessible::Name).toStdString(), "5");
}

TEST(ClassResultsWindow, SavesTheTableAsShownOrSaysWhyNot) {
    ClassFolder f;
    TempFolder out;
    ClassResultsWindow w(f.dir.str());
    choose(w.gameFilter(), QString::fromUtf8("квест"));
    std::vector<QString> titles;
    w.setFilePicker([&](QWidget*, const QString& title, const QString&, const QString& suggested) {
        titles.push_back(title);
        EXPECT_TRUE(suggested.endsWith(title.endsWith("CSV") ? ".csv" : ".html"))
            << suggested.toStdString();
        return std::optional<std::string>(out.str() +
                                          (title.endsWith("CSV") ? "/a.csv" : "/a.html"));
    });
    QTest::mouseClick(&w.csvButton(), Qt::LeftButton);
    QTest::mouseClick(&w.htmlButton(), Qt::LeftButton);
    ASSERT_EQ(titles.size(), 2u);
    std::ifstream csv(out.path() / "a.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(csv)), {});
    EXPECT_EQ(text,
              classresults::asCsv(w.rows(), classresults::wordsIn([](const char*, const char* e) {
                                      return std::string(e);
                                  })));
    EXPECT_EQ(w.rows().size(), 3u);
    std::ifstream page(out.path() / "a.html", std::ios::binary);
    const std::string html((std::istreambuf_iterator<char>(page)), {});
    EXPECT_NE(html.find(f.dir.str() + " — квест"), std::string::npos);

    EXPECT_FALSE(w.save(ClassResultsWindow::Format::Csv, out.str() + "/no such folder/a.csv"));
    EXPECT_NE(w.note().toStdString().find("no such folder/a.csv cannot be saved"),
              std::string::npos)
        << w.note().toStdString();
}

TEST(ClassResultsWindow, SaysWhatIsWrongWithTheFolder) {
    TempFolder dir;
    struct Row {
        std::string folder;
        std::string note;
    } rows[] = {
        {dir.str() + "/missing", dir.str() + "/missing does not exist"},
        {dir.str(), dir.str() + " is no results folder: it holds no results.csv, no pupil's "
                                "folder with one, and no class.txt"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(classResultsProblem(r.folder).english(), r.note);
        ClassResultsWindow w(r.folder);
        EXPECT_EQ(w.note().toStdString(), r.note);
        EXPECT_FALSE(w.csvButton().isEnabled());
    }
}

TEST(ClassResultsWindow, SpeaksRussianWhereTheLocaleDoes) {
    ClassFolder f;
    InLanguage russian(Language::Russian);
    ClassResultsWindow w(f.dir.str());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    keepPicture(w, "class-results-ru");
    const QAbstractItemModel* m = w.table().model();
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString().toStdString(), "Ученик");
    EXPECT_EQ(m->headerData(3, Qt::Horizontal).toString().toStdString(), "Лучшая оценка");
    EXPECT_EQ(m->index(4, 3).data().toString().toStdString(), "не пройдена");
    EXPECT_EQ(w.gameFilter().itemText(0).toStdString(), "Все игры");
    EXPECT_EQ(w.csvButton().text().toStdString(), "Сохранить &CSV…");
}

TEST(GameChooser, ClassResultsAsksForTheFolderAndShowsIt) {
    TempFolder dir;
    GameChooser chooser(dir.str(), {}, {});
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    keepPicture(chooser, "chooser");
    std::vector<std::string> opened;
    chooser.setResultsOpener(
        [&](const std::string& folder, QWidget*) { opened.push_back(folder); });
    for (std::optional<std::string> picked :
         {std::optional<std::string>("/srv/results/5b"), std::optional<std::string>()}) {
        chooser.setFolderPicker([&](QWidget*) { return picked; });
        QTest::mouseClick(&chooser.classResultsButton(), Qt::LeftButton);
    }
    EXPECT_EQ(opened, std::vector<std::string>{"/srv/results/5b"});
    EXPECT_EQ(chooser.result(), 0); // the chooser stays
}

// A results folder that cannot take the pupil's results is found before the
// game, named in the pupil's language, and the results go to the user's own
// folder instead.
TEST(Launcher, AResultsFolderIsCheckedBeforeTheGame) {
    TempFolder dir;
    std::map<std::string, std::string> env = {{"HOME", dir.str() + "/home"}};
    auto read = [&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(checkResultsFolder(read), std::nullopt); // none set
    const std::string own = dir.str() + "/home/.local/share/taleplay/results/";
    dir.write("a file", "x");
    std::filesystem::create_directories(dir.path() / "read-only");
    std::filesystem::permissions(dir.path() / "read-only", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_exec);
    struct Row {
        std::string folder;
        std::string said; // empty: fine
    } rows[] = {
        {dir.str() + "/class", ""},
        {dir.str() + "/missing", "The results folder " + dir.str() + "/missing does not exist."},
        {dir.str() + "/a file", "The results folder " + dir.str() + "/a file is no folder."},
        {dir.str() + "/read-only",
         "The results folder " + dir.str() + "/read-only cannot be written."},
    };
    std::filesystem::create_directories(dir.path() / "class");
    for (const Row& r : rows) {
        env[results::kVariable] = r.folder;
        const std::optional<ResultsFallback> fallback = checkResultsFolder(read);
        if (r.said.empty()) {
            EXPECT_EQ(fallback, std::nullopt) << r.folder;
            // The pupil's folder is made at once.
            EXPECT_TRUE(std::filesystem::is_directory(r.folder + "/" + results::loginName()));
            continue;
        }
        ASSERT_TRUE(fallback) << r.folder;
        EXPECT_EQ(fallback->problem.english(), r.said);
        EXPECT_EQ(fallback->instead.english(),
                  "Your result is kept in " + own + " instead: tell your teacher.");
        EXPECT_EQ(fallback->folder, own);
        EXPECT_TRUE(std::filesystem::is_directory(own));
    }
    {
        InLanguage russian(Language::Russian);
        env[results::kVariable] = dir.str() + "/missing";
        EXPECT_EQ(translate(checkResultsFolder(read)->problem),
                  "Папки результатов " + dir.str() + "/missing нет.");
    }
    // Without a home, beside the game.
    env.erase("HOME");
    const auto homeless = checkResultsFolder(read);
    ASSERT_TRUE(homeless);
    EXPECT_EQ(homeless->folder, std::nullopt);
    EXPECT_EQ(homeless->instead.english(),
              "Your result is written beside the game instead: tell your teacher.");
    std::filesystem::permissions(dir.path() / "read-only", std::filesystem::perms::owner_all);
}
