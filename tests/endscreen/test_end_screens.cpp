#include "app/game_fixture.h"
#include "commands/taleforge_serv_serv.h"

#include <QImage>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

using namespace taleplay;
using taleplay::testing::TestGame;

namespace {

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// A game won by its only button; the victory screen's button loses it.
struct EndGame : TestGame {
    TForm1* form = nullptr;
    EndGame() {
        std::filesystem::create_directories(dir.path() / "data_game");
        for (const char* n : {"go.png", "cup.png", "again.png", "again2.png"})
            picture(n, 20, 10, Qt::green);
        dir.write("data_game/allbuttons.txt", "*button1*name*go.png#\r\n"
                                              "*button1*click*#^&victory+=~\r\n"
                                              "*button1*clickALLBAD*picture2#invisible^\r\n");
        dir.write("data_game/allbackpictures.txt",
                  "*picture1*name*go.png#\r\n*picture2*name*go.png#\r\n"
                  "*picture3*name*go.png#\r\n");
        dir.write("data_game/allbacktexts.txt", "*text1*string1*one#\r\n*text1*string2*two#\r\n"
                                                "*text2*string1*three#\r\n");
        dir.write("data_game/victorypictures.txt", "*screencolor*clGreen#\r\n"
                                                   "*picture2*name*cup.png#\r\n"
                                                   "*button1*name*again.png#\r\n"
                                                   "*button3*name*again2.png#\r\n"
                                                   "*button3*click*#^&lost+=~\r\n");
        dir.write("data_game/victorytexts.txt",
                  "*text1*string1*You won#\r\n*text30*string1*never#\r\n");
        dir.write("data_game/lostpictures.txt", "*screencolor*clMaroon#\r\n");
        form = &start();
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (Control* c : form->game().host().controls())
            out.push_back(c->name());
        return out;
    }
    void click(const std::string& name) {
        Control* c = form->game().host().find(name);
        ASSERT_NE(c, nullptr) << name;
        QTest::mouseClick(c->widget(), Qt::LeftButton, {}, QPoint(2, 2));
    }
};

} // namespace

TEST(EndScreens, VictoryThenLossFromAnEndScreenButton) {
    EndGame g;
    EXPECT_EQ(g.form->game().host().find("TLine2")->name(), "TLine2");
    g.click("Nazhimalka1");

    EXPECT_EQ(slurp(g.dir.path() / "mark for game.txt"), "5\r\n");
    EXPECT_EQ(g.names(), (std::vector<std::string>{"ImageServant", "LabelServant", "VideoWindow1",
                                                   "Nazhimalka1", "uraRIS1", "uraTLine0",
                                                   "URANazhimalka1", "URANazhimalka3"}));
    EXPECT_EQ(g.form->game().host().colour(), 0x008000);
    // The victory flag made the rule answer no: the click went down its bad
    // group, whose target now names nothing.
    auto find = [&](const std::string& target) {
        return ComponentLookup(g.form->game(), "*b*" + target + "#", "*b*", "#").component;
    };
    EXPECT_EQ(find("picture2"), g.form->game().host().find("uraRIS1"));
    EXPECT_EQ(find("picture1"), nullptr);
    EXPECT_EQ(find("text1"), g.form->game().host().find("uraTLine0"));
    EXPECT_EQ(find("text2"), nullptr);
    ASSERT_EQ(g.form->game().tables.endButtons.size(), 3u);
    EXPECT_TRUE(g.form->game().tables.endButtons[1].isNull());

    g.click("URANazhimalka3");
    EXPECT_EQ(slurp(g.dir.path() / "mark for game.txt"), "2\r\n");
    EXPECT_EQ(g.names(), (std::vector<std::string>{"ImageServant", "LabelServant", "VideoWindow1",
                                                   "URANazhimalka3"}));
    EXPECT_EQ(g.form->game().host().colour(), 0x000080);
    EXPECT_TRUE(g.form->game().messages().empty());
}

TEST(EndScreens, TheLargeBackgroundLineIsFoundInAnyCaseButCutExactly) {
    EndGame g;
    g.picture("bigfon.bmp", 20, 10, Qt::blue);
    g.picture("a.png", 20, 10, Qt::red);
    g.picture("b.png", 20, 10, Qt::red);
    g.dir.write("data_game/victorypictures.txt", "*BIGFON*NAME*a.png#\r\n*bigfon*name*b.png#\r\n");
    g.click("Nazhimalka1");
    auto* fon = dynamic_cast<ImageControl*>(g.form->game().host().find("uraFON"));
    ASSERT_NE(fon, nullptr);
    EXPECT_EQ(fon->pictureName(), g.dir.str() + "/data_game/bigfon.bmp");
}
