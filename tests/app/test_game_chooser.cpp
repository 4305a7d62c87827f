#include "app/game_chooser.h"
#include "app/recent_games.h"
#include "launch_support.h"
#include "support/qt_support.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>

using namespace taleplay::launch;
using taleplay::testing::TempFolder;

namespace {

std::vector<std::string> texts(const QListWidget& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i)
        out.push_back(list.item(i)->text().toStdString());
    return out;
}

// Games here (alpha, beta), one far away, and folders to open.
struct Shelf {
    TempFolder dir;
    std::string here = dir.str() + "/here", far = dir.str() + "/far";

    Shelf() {
        for (const char* folder : {"/here/data_alpha", "/here/data_beta", "/far/data_comet",
                                   "/two/data_a", "/two/data_b", "/one/data_solo", "/none"})
            std::filesystem::create_directories(dir.str() + folder);
    }
    std::vector<GameLocation> recent() const {
        return {{far, "comet"}, {dir.str() + "/vanished", "gone"}, {here, "alpha"}};
    }
};

} // namespace

TEST(GameChooser, ListsTheFolderAndTheGamesPlayedLately) {
    Shelf s;
    GameChooser chooser(s.here, gamesIn(s.here), s.recent());
    // A vanished game, and one already listed above, are left out.
    EXPECT_EQ(texts(chooser.list()),
              (std::vector<std::string>{"Games in " + s.here, "alpha", "beta", "Played lately",
                                        "comet    (" + s.far + ")"}));
    EXPECT_EQ(chooser.list().currentRow(), 1);
    EXPECT_TRUE(chooser.playButton().isEnabled());
    EXPECT_EQ(chooser.openFolderButton().text().remove('&').toStdString(), "Open folder…");
    EXPECT_EQ(chooser.windowTitle().toStdString(), "Choose a game — Taleplay");
}

// A first start lists more than the folder it was started in: the user's
// own games and the installed examples, each game once, under the heading
// that lists it first; and says why it is shown when it was asked to play a
// folder that holds no game.
TEST(GameChooser, ListsTheDocumentsGamesAndTheExamples) {
    Shelf s;
    GameChooser chooser(s.dir.str() + "/none", {}, {{s.far, "comet"}});
    chooser.addGames("Games in the Documents folder",
                     {{s.far, "comet"}, {s.dir.str() + "/two", "a"}});
    chooser.addGames("Examples", {{s.dir.str() + "/one", "solo"}});
    chooser.addGames("Nothing", {});
    chooser.setNote("none holds no game");
    EXPECT_EQ(texts(chooser.list()),
              (std::vector<std::string>{"Played lately", "comet    (" + s.far + ")",
                                        "Games in the Documents folder",
                                        "a    (" + s.dir.str() + "/two)", "Examples",
                                        "solo    (" + s.dir.str() + "/one)"}));
    EXPECT_EQ(chooser.note().toStdString(), "none holds no game");
    EXPECT_TRUE(chooser.playButton().isEnabled());
    // "New game…" is for authors only.
    EXPECT_EQ(chooser.newGameButton(), nullptr);
}

// In author mode "New game…" makes a game from the template where the author
// says, and chooses it; what goes wrong is said under the list.
TEST(GameChooser, ANewGameFromTheTemplate) {
    Shelf s;
    const std::string templ = s.dir.str() + "/templ/data_quiz";
    std::filesystem::create_directories(templ);
    std::ofstream(templ + "/allbacktexts.txt", std::ios::binary) << "*text1*string1*\xC0#\r\n";
    GameChooser chooser(s.here, gamesIn(s.here), {});
    chooser.offerNewGame({s.dir.str() + "/Игры", "моя_игра", TextEncodingAsked::Utf8}, templ);
    ASSERT_NE(chooser.newGameButton(), nullptr);
    GameChooser::NewGameRequest suggested;
    chooser.setNewGameAsker([&](QWidget*, const GameChooser::NewGameRequest& offered) {
        suggested = offered;
        return std::optional(offered);
    });
    chooser.newGameButton()->click();
    EXPECT_EQ(suggested.name, "моя_игра");
    EXPECT_EQ(chooser.chosen(), (GameLocation{s.dir.str() + "/Игры", "моя_игра"}));
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    std::ifstream made(s.dir.str() + "/Игры/data_моя_игра/allbacktexts.txt", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(made)), {}), "*text1*string1*А#\r\n");

    GameChooser again(s.here, gamesIn(s.here), {});
    again.offerNewGame({s.dir.str() + "/Игры", "моя_игра", TextEncodingAsked::Utf8}, templ);
    again.setNewGameAsker(
        [](QWidget*, const GameChooser::NewGameRequest& offered) { return std::optional(offered); });
    again.newGameButton()->click();
    EXPECT_FALSE(again.chosen());
    EXPECT_NE(again.note().toStdString().find("already exists"), std::string::npos);
}

TEST(GameChooser, PlayedWithTheKeyboard) {
    Shelf s;
    struct Row {
        std::vector<Qt::Key> keys;
        std::optional<GameLocation> chosen;
    } rows[] = {
        {{Qt::Key_Return}, GameLocation{s.here, "alpha"}},
        {{Qt::Key_Down, Qt::Key_Enter}, GameLocation{s.here, "beta"}},
        // The heading between the two lists is passed over.
        {{Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, GameLocation{s.far, "comet"}},
        {{Qt::Key_End, Qt::Key_Up, Qt::Key_Return}, GameLocation{s.here, "beta"}},
        {{Qt::Key_Down, Qt::Key_Escape}, std::nullopt},
    };
    for (const Row& r : rows) {
        GameChooser chooser(s.here, gamesIn(s.here), s.recent());
        chooser.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
        for (Qt::Key key : r.keys)
            QTest::keyClick(&chooser.list(), key);
        EXPECT_EQ(chooser.chosen(), r.chosen) << r.keys.size();
        EXPECT_EQ(chooser.result(), r.chosen ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_FALSE(chooser.isVisible());
    }
}

TEST(GameChooser, OpenFolderPlaysOrListsOrSaysWhy) {
    Shelf s;
    struct Row {
        std::optional<std::string> picked;
        std::optional<GameLocation> chosen;
        std::vector<std::string> listed; // after, when nothing was chosen
        std::string note;
    } rows[] = {
        {s.dir.str() + "/one", GameLocation{s.dir.str() + "/one", "solo"}, {}, ""},
        {s.far + "/data_comet", GameLocation{s.far, "comet"}, {}, ""},
        {s.dir.str() + "/two",
         std::nullopt,
         {"Games in " + s.dir.str() + "/two", "a", "b"},
         s.dir.str() + "/two holds several games: choose one."},
        {s.dir.str() + "/none",
         std::nullopt,
         {"No game here yet. Open a game's folder (data_NAME) or the folder that holds it."},
         s.dir.str() + "/none holds no game: there is no data_NAME folder in it"},
        {std::nullopt, // cancelled
         std::nullopt,
         {"No game here yet. Open a game's folder (data_NAME) or the folder that holds it."},
         ""},
    };
    for (const Row& r : rows) {
        GameChooser chooser(s.dir.str() + "/none", {}, {});
        chooser.setFolderPicker([&](QWidget*) { return r.picked; });
        chooser.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
        // Nothing to play yet: Return opens a folder.
        EXPECT_FALSE(chooser.playButton().isEnabled());
        QTest::keyClick(&chooser.list(), Qt::Key_Return);
        EXPECT_EQ(chooser.chosen(), r.chosen) << r.picked.value_or("(cancelled)");
        if (!r.chosen) {
            EXPECT_TRUE(chooser.isVisible());
            EXPECT_EQ(texts(chooser.list()), r.listed);
            EXPECT_EQ(chooser.note().toStdString(), r.note);
        }
    }
    // Several games opened: Return now plays the first.
    GameChooser chooser(s.dir.str() + "/none", {}, {});
    chooser.setFolderPicker([&](QWidget*) { return s.dir.str() + "/two"; });
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    chooser.openFolderButton().click();
    QTest::keyClick(&chooser.list(), Qt::Key_Return);
    EXPECT_EQ(chooser.chosen(), (GameLocation{s.dir.str() + "/two", "a"}));
}

TEST(RecentGames, NewestFirstOnceEachAndKeptInTheFile) {
    TempFolder dir;
    const QString file = QString::fromStdString(dir.str() + "/taleplay.ini");
    {
        RecentGames recent = RecentGames::inFile(file);
        EXPECT_TRUE(recent.games().empty());
        for (int i = 0; i < RecentGames::kMostKept + 2; ++i)
            recent.add({"/games", "g" + std::to_string(i)});
        recent.add({"/games", "g5"});
        // A folder whose name is not UTF-8 comes back byte for byte.
        recent.add({"/games/\xcf\xf0\xe8", "\xe8\xe3\xf0\xe0"});
    }
    const std::vector<GameLocation> games = RecentGames::inFile(file).games();
    ASSERT_EQ(games.size(), static_cast<std::size_t>(RecentGames::kMostKept));
    EXPECT_EQ(games[0], (GameLocation{"/games/\xcf\xf0\xe8", "\xe8\xe3\xf0\xe0"}));
    EXPECT_EQ(games[1], (GameLocation{"/games", "g5"}));
    EXPECT_EQ(games[2], (GameLocation{"/games", "g11"}));
    EXPECT_EQ(games.back(), (GameLocation{"/games", "g3"}));
}

TEST(RecentGames, AHandEditedFileKeepsOnlyPlayableEntries) {
    TempFolder dir;
    dir.write("taleplay.ini", "[recent]\n"
                              "1\\folder=relative/path\n1\\name=a\n"
                              "2\\folder=/games\n2\\name=\n"
                              "3\\folder=/games\n3\\name=ok\n"
                              "4\\folder=/games\n4\\name=ok\n"
                              "size=4\n");
    const auto games = RecentGames::inFile(QString::fromStdString(dir.str() + "/taleplay.ini"));
    EXPECT_EQ(games.games(), (std::vector<GameLocation>{{"/games", "ok"}}));
}
