// What the editor writes into a description file: a placement value in the
// unit it had, keys taken out, a form's values, file names made safe, and a
// save that refuses what would change how the player reads a file.
#include "app/edit_component.h"
#include "app/edit_placement.h"
#include "app/edit_session.h"
#include "app/game_fixture.h"
#include "core/codepage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace taleplay;
using namespace taleplay::editing;
using taleplay::testing::TestGame;

namespace {

std::string win1251(const char* utf8) {
    return cp1251::fromUtf8(utf8);
}

std::string read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(EditWriting, APlacementValueIsWrittenInTheUnitItHad) {
    struct Row {
        const char* what;
        std::string before;
        Axis axis;
        Quantity quantity;
        int wanted;
        std::string after;
        Written::How how;
        int reads;
    };
    constexpr Axis H = Axis::Horizontal;
    constexpr Quantity Pos = Quantity::Position, Size = Quantity::Size;
    const std::vector<Row> rows{
        {"pixels between their blanks", "*picture1*leftinpixels* 1 2 #\r\n", H, Pos, 40,
         "*picture1*leftinpixels* 40 #\r\n", Written::How::Pixels, 40},
        {"pixels up to the line's end", "*picture1*leftinpixels*12", H, Pos, -7,
         "*picture1*leftinpixels*-7", Written::How::Pixels, -7},
        {"the numerator, its blanks kept", "*picture1*leftindivision* 1 0 # 3 #\n", H, Pos, 400,
         "*picture1*leftindivision* 1 0 # 4 #\n", Written::How::Divisions, 400},
        {"the nearest division, a few pixels off", "*picture1*leftindivision*10#3#", H, Pos, 349,
         "*picture1*leftindivision*10#3#", Written::How::Divisions, 300},
        {"a centred position moved", "*picture1*leftindivision*2#center#\n", H, Pos, 500,
         "*picture1*leftindivision*2#1#\n", Written::How::OffCentre, 500},
        {"centred with no divisions written", "*picture1*leftindivision*#center#\n", H, Pos, 250,
         "*picture1*leftindivision*100#25#\n", Written::How::OffCentre, 250},
        {"four alone, read as four of four", "*picture1*widthindivision*4\n", H, Size, 500,
         "*picture1*widthindivision*4#2#\n", Written::How::Divisions, 500},
        {"a size shrunk below half a division keeps one", "*picture1*widthindivision*10#3#", H,
         Size, 20, "*picture1*widthindivision*10#1#", Written::How::Divisions, 100},
        {"a default: a line after the component's last",
         "*picture1*name*a.bmp#\r\n*picture1*widthinpixels*9#\r\n*picture2*name*b.bmp#\r\n", H, Pos,
         40,
         "*picture1*name*a.bmp#\r\n*picture1*widthinpixels*9#\r\n*picture1*leftinpixels*40#\r\n"
         "*picture2*name*b.bmp#\r\n",
         Written::How::Added, 40},
        {"a default in an LF file", "*picture1*name*a.bmp#\n*x#\n", H, Pos, 40,
         "*picture1*name*a.bmp#\n*picture1*leftinpixels*40#\n*x#\n", Written::How::Added, 40},
        {"after a last line without an end, before a Ctrl-Z",
         "*picture1*name*a.bmp#\x1a*picture1*leftinpixels*1#", H, Pos, 40,
         "*picture1*name*a.bmp#\r\n*picture1*leftinpixels*40#\x1a*picture1*leftinpixels*1#",
         Written::How::Added, 40},
        {"picture12 is not picture1", "*picture1*name*a#\n*picture12*leftinpixels*5#\n", H, Pos, 40,
         "*picture1*name*a#\n*picture1*leftinpixels*40#\n*picture12*leftinpixels*5#\n",
         Written::How::Added, 40},
        {"a division that reads 0 leaves the pixels",
         "*picture1*leftindivision*4#0#*picture1*leftinpixels*3#", H, Pos, 40,
         "*picture1*leftindivision*4#0#*picture1*leftinpixels*40#", Written::How::Pixels, 40},
    };
    for (const Row& r : rows) {
        DescriptionDocument doc(r.before);
        const Written w = writePlacement(doc, "*picture1", r.axis, r.quantity, r.wanted, 1000);
        EXPECT_EQ(doc.bytes(), r.after) << r.what;
        EXPECT_EQ(w.how, r.how) << r.what;
        EXPECT_EQ(w.reads, r.reads) << r.what;
    }
}

TEST(EditWriting, KeysAreTakenOutAndNothingElse) {
    struct Row {
        const char* what;
        Component component;
        std::string before, after;
    };
    const Component picture3{Kind::Picture, "picture3", "", "*picture3", {}};
    const Component button1{Kind::Button, "button1", "", "*button1", {}};
    const Component video{Kind::Video, "video", "", "*videoscreen", "*video"};
    const std::vector<Row> rows{
        {"whole lines, shared lines, flags; a rule naming it stays", picture3,
         "*picture3*name*a#\r\n*button2*click*picture3#visible^picture3&hide+x=y~\r\n"
         "*picture3*leftindivision*10#2#*picture4*name*b#\r\n*picture3visible*no# \r\n"
         "*picture4*leftinpixels*5# *picture3*topindivision*#center#\r\n"
         "Sun: *picture3*hint*The sun#\r\n",
         "*button2*click*picture3#visible^picture3&hide+x=y~\r\n*picture4*name*b#\r\n"
         "*picture4*leftinpixels*5# \r\nSun: \r\n"},
        {"its click rules with it, button10 stays", button1,
         "*button1*name*a#\n*button1*click*p#c^q&d+r=e~\n*button1*clickALLGOOD*p#show^\n"
         "*button10*name*b#",
         "*button10*name*b#"},
        {"the video and its screen", video,
         "*sound*s.wav#\n*video*v.avi#*videoscreen*leftinpixels*5#\n*videoscreenvisible*no#\n",
         "*sound*s.wav#\n"},
    };
    for (const Row& r : rows) {
        DescriptionDocument doc(r.before);
        removeKeys(doc, r.component);
        EXPECT_EQ(doc.bytes(), r.after) << r.what;
    }
}

TEST(EditWriting, TheFormsValuesGoWhereThePlayerReadsThem) {
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    g.dir.write("data_game/alltextwindows.txt",
                "*textwindow1*rightanswer*Paris#\r\n*TextWindow1*RightAnswer* Lutetia #\r\n"
                "*textwindow1*rightanswer*Lyon#*textwindow1*hint*City#\r\n"
                "*textwindow1*text*  #\r\n");
    g.dir.write("data_game/allbacktexts.txt",
                win1251("*text1*string1*Один#\r\n*text1*string2*Два#\r\n*text1*string3*Три#\r\n"
                        "*text1fontcolor*clRed#*text1*leftinpixels*5#\r\n"));
    TForm1& form = g.start();
    EditSession session(form.game());
    const std::string folder = form.game().state.dataFolder;
    const Component window{
        Kind::TextWindow, "textwindow1", folder + "alltextwindows.txt", "*textwindow1", {}};
    std::vector<Field> fields = fieldsOf(session, window);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0].values, std::vector<std::string>{"  "}); // the text at the start, untrimmed
    EXPECT_EQ(fields[1].values, (std::vector<std::string>{"Paris", "Lutetia", "Lyon"}));
    EXPECT_EQ(fields[2].values, std::vector<std::string>{"City"});

    // Answers replaced in turn between their blanks, the third goes with its
    // key only, a new one follows the last; all in Windows-1251.
    fields[1].values = {"Rome", "Москва"};
    fields[2].values = {"Столица"};
    EXPECT_FALSE(session.change("form", [&] { writeFields(session, window, fields); }));
    EXPECT_EQ(session.document(window.file).bytes(),
              win1251("*textwindow1*rightanswer*Rome#\r\n*TextWindow1*RightAnswer* Москва #\r\n"
                      "*textwindow1*hint*Столица#\r\n*textwindow1*text*  #\r\n"));

    // What Windows-1251 cannot hold, or a "#", changes nothing at all.
    fields[1].values = {"東京"};
    const std::string kept = session.document(window.file).bytes();
    EXPECT_TRUE(session.change("form", [&] { writeFields(session, window, fields); }));
    fields[1].values = {"a#b"};
    EXPECT_TRUE(session.change("form", [&] { writeFields(session, window, fields); }));
    EXPECT_EQ(session.document(window.file).bytes(), kept);

    // A text's strings: the third taken out, the colour replaced.
    const Component text{Kind::Text, "text1", folder + "allbacktexts.txt", "*text1", {}};
    fields = fieldsOf(session, text);
    EXPECT_EQ(fields[0].values, (std::vector<std::string>{"Один", "Два", "Три"}));
    fields[0].values = {"Один", "Двa и три"};
    fields[1].values = {"clBlue"};
    EXPECT_EQ(linesOf(fields).join("|").toStdString(),
              "*text1*string1*Один#|*text1*string2*Двa и три#|*text1fontcolor*clBlue#");
    EXPECT_FALSE(session.change("form", [&] { writeFields(session, text, fields); }));
    EXPECT_EQ(session.document(text.file).bytes(),
              win1251("*text1*string1*Один#\r\n*text1*string2*Двa и три#\r\n"
                      "*text1fontcolor*clBlue#*text1*leftinpixels*5#\r\n"));
}

TEST(EditWriting, ASaveRefusesWhatWouldChangeHowAFileIsRead) {
    TestGame g;
    std::filesystem::create_directories(g.dir.path() / "data_game");
    const std::string utf8 = "*text1*string1*Привет#\n";
    g.dir.write("data_game/allbacktexts.txt", utf8);
    g.dir.write("data_game/allbackpictures.txt", "*screencolor*clYellow#\r\n");
    ::chmod((g.dir.path() / "data_game/allbacktexts.txt").c_str(), 0640);
    TForm1& form = g.start();
    EditSession session(form.game());
    const std::string folder = form.game().state.dataFolder;
    const Component text{Kind::Text, "text1", folder + "allbacktexts.txt", "*text1", {}};
    const Component pictures{
        Kind::LargeBackground, "FON", folder + "allbackpictures.txt", "*bigfon", {}};
    std::vector<Field> fields = fieldsOf(session, pictures);
    fields[0].values = {"big.bmp"};
    EXPECT_FALSE(session.change("name", [&] { writeFields(session, pictures, fields); }));
    // Hebrew is UTF-8 no game writes: the file would be read as Windows-1251.
    fields = fieldsOf(session, text);
    fields[0].values = {"שלום"};
    EXPECT_FALSE(session.change("text", [&] { writeFields(session, text, fields); }));
    EditSession::Saved saved = session.save();
    EXPECT_FALSE(saved.refused.isEmpty());
    EXPECT_EQ(read(g.dir.path() / "data_game/allbackpictures.txt"), "*screencolor*clYellow#\r\n");
    EXPECT_EQ(read(g.dir.path() / "data_game/allbacktexts.txt"), utf8);

    // Undone, the rest is written, the file's mode kept.
    session.undoStack().undo();
    fields[0].values = {"Пока"};
    EXPECT_FALSE(session.change("text", [&] { writeFields(session, text, fields); }));
    saved = session.save();
    EXPECT_TRUE(saved.refused.isEmpty()) << saved.refused.toStdString();
    EXPECT_EQ(saved.files.size(), 2u);
    EXPECT_EQ(read(g.dir.path() / "data_game/allbacktexts.txt"), "*text1*string1*Пока#\n");
    EXPECT_EQ(read(g.dir.path() / "data_game/allbackpictures.txt"),
              "*screencolor*clYellow#\r\n*bigfon*name*big.bmp#\r\n");
    struct stat st {};
    ::stat((g.dir.path() / "data_game/allbacktexts.txt").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_FALSE(session.unsaved());
}

TEST(EditWriting, AChosenFileGetsASafeNameInTheGame) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"/home/t/Мой рисунок (1).PNG", "moy_risunok_1.png"},
        {"a#b*c d.bmp", "a_b_c_d.bmp"},
        {"Ёлка.gif", "elka.gif"},
        {"東京.jpg", "picture.jpg"},
        {"plain-name_2.jpeg", "plain-name_2.jpeg"},
    };
    for (const auto& [from, to] : rows)
        EXPECT_EQ(safeFileName(from), to) << from;

    taleplay::testing::TempFolder dir;
    dir.write("game/moy.png", "other bytes");
    dir.write("elsewhere/Мой.png", "picture bytes");
    const std::string folder = dir.str() + "/game/";
    // Taken by another file: a number; the same bytes again: that file.
    EXPECT_EQ(copyIntoGame(folder, dir.str() + "/elsewhere/Мой.png"), "moy_2.png");
    EXPECT_EQ(copyIntoGame(folder, dir.str() + "/elsewhere/Мой.png"), "moy_2.png");
    EXPECT_EQ(read(dir.path() / "game/moy_2.png"), "picture bytes");
    EXPECT_EQ(read(dir.path() / "game/moy.png"), "other bytes");
}
