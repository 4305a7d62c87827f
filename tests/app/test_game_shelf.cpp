// Where games are found besides the current folder, and new games made from
// the template.
#include "app/game_shelf.h"
#include "app/new_game.h"
#include "core/codepage.h"
#include "launch_support.h"
#include "support/qt_support.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

using namespace taleplay;
using namespace taleplay::launch;
using taleplay::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

void writeFile(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

} // namespace

TEST(GameShelf, TheDocumentsFolderAndItsShelvesOneLevelDown) {
    TempFolder dir;
    const std::string docs = dir.str() + "/Документы";
    for (const char* folder :
         {"/data_loose", "/Игры/data_planets", "/Игры/5 класс/data_animals", "/Игры/5 класс/data_birds",
          "/Игры/5 класс/deeper/data_hidden", "/Games/data_quiz", "/Other/data_elsewhere",
          "/Игры/.cache/data_dot"})
        fs::create_directories(docs + folder);
    EXPECT_EQ(documentsGames(docs),
              (std::vector<GameLocation>{{docs, "loose"},
                                         {docs + "/Игры", "planets"},
                                         {docs + "/Игры/5 класс", "animals"},
                                         {docs + "/Игры/5 класс", "birds"},
                                         {docs + "/Games", "quiz"}}));
    EXPECT_TRUE(documentsGames(dir.str() + "/nowhere").empty());
    EXPECT_TRUE(documentsGames("").empty());
}

TEST(GameShelf, ExamplesLieAboveTheProgramsFolder) {
    TempFolder dir;
    fs::create_directories(dir.str() + "/usr/bin");
    EXPECT_EQ(examplesFolderOf(dir.str() + "/usr/bin/taleplay"), "");
    fs::create_directories(dir.str() + "/usr/share/taleplay/examples/data_demo");
    EXPECT_EQ(examplesFolderOf(dir.str() + "/usr/bin/taleplay"),
              dir.str() + "/usr/share/taleplay/examples");
    // The template is the quiz among them, when it is there.
    EXPECT_EQ(templateIn(dir.str() + "/usr/share/taleplay/examples"), "");
    fs::create_directories(dir.str() + "/usr/share/taleplay/examples/data_викторина");
    EXPECT_EQ(templateIn(dir.str() + "/usr/share/taleplay/examples"),
              dir.str() + "/usr/share/taleplay/examples/data_викторина");
}

// The template's description files are Windows-1251; a new game gets them in
// the encoding asked for, its pictures as they are, and nothing is made over
// a game that exists.
TEST(NewGame, MadeFromTheTemplateInTheEncodingAsked) {
    TempFolder dir;
    const fs::path templ = dir.path() / "data_template";
    const std::string riddle = "*text1*string1*Загадка: ёлка#\r\n";
    writeFile(templ / "allbacktexts.txt", cp1251::fromUtf8(riddle));
    writeFile(templ / "el.png", std::string("\x89PNG\r\n\x1a\n\xE0", 9));
    struct Row {
        std::string where, name;
        TextEncodingAsked encoding;
        std::string game;  // the data folder made, relative; empty when none
        std::string texts; // what its allbacktexts.txt holds
        const char* problem;
    } rows[] = {
        {"Игры", "планеты", TextEncodingAsked::Utf8, "Игры/data_планеты", riddle, ""},
        {"Игры/", "old", TextEncodingAsked::Windows1251, "Игры/data_old", cp1251::fromUtf8(riddle),
         ""},
        {"here/data_named", "unused", TextEncodingAsked::Utf8, "here/data_named", riddle, ""},
        {"Игры", "планеты", TextEncodingAsked::Utf8, "", "", "already exists"},
        {"Игры", "a/b", TextEncodingAsked::Utf8, "", "", "'a/b' cannot be a game's name"},
        {"Игры", "..", TextEncodingAsked::Utf8, "", "", "cannot be a game's name"},
        {"Игры", "", TextEncodingAsked::Utf8, "", "", "cannot be a game's name"},
    };
    for (const Row& r : rows) {
        const NewGame made =
            makeNewGame(dir.str() + "/" + r.where, r.name, r.encoding, templ.string());
        if (r.game.empty()) {
            EXPECT_NE(made.problem.english().find(r.problem), std::string::npos)
                << r.name << ": " << made.problem.english();
            continue;
        }
        ASSERT_TRUE(made.problem.empty()) << made.problem.english();
        EXPECT_EQ(made.game.dataFolder(), dir.str() + "/" + r.game);
        EXPECT_EQ(readFile(made.game.dataFolder() + "/allbacktexts.txt"), r.texts) << r.game;
        EXPECT_EQ(readFile(made.game.dataFolder() + "/el.png"), readFile(templ / "el.png"));
    }
    EXPECT_NE(makeNewGame(dir.str(), "x", TextEncodingAsked::Utf8, "").problem.english().find(
                  "not installed"),
              std::string::npos);
}
