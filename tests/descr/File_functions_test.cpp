#include "descr/File_functions.h"

#include "core/errors.h"
#include "descr_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace taleplay {
namespace {

using test::cp;
using test::TempFolder;

class FileFunctions : public ::testing::Test {
  protected:
    std::string write(std::string_view utf8Text) { return folder.write("game.txt", cp(utf8Text)); }
    TempFolder folder;
};

TEST_F(FileFunctions, KeyValues) {
    const std::string file = write("first line\n"
                                   "*fon*name* night.bmp #\n"
                                   "*fon*name*\tsky.bmp#\n"
                                   "*picture2*name*tree.bmp\n"
                                   "*fon*name*day.bmp#\n"
                                   "*Picture3*name*house.bmp#\n"
                                   "*picture11*name*eleven.bmp#\n"
                                   "*picture1*name*a.bmp#*picture1*widthindivision*4#1#\n"
                                   "*empty*#   \n"
                                   "*blank*   #\n"
                                   "*twice*x#*twice*y#\n"
                                   "*кнопка*Ёлка#\n");
    struct Case {
        std::string key, value;
    };
    for (const Case& c :
         std::vector<Case>{{"*fon*name*", "night.bmp"}, // first line wins, blanks trimmed
                           {"*picture2*name*", "tree.bmp"},
                           {"*picture3*name*", ""}, // value keys are case-sensitive
                           {"*Picture3*name*", "house.bmp"},
                           {"*picture1*name*", "a.bmp"}, // the stars keep 1 from matching 11
                           {"*picture1*widthindivision*", "4"},
                           {"*empty*", ""},
                           {"*blank*", ""},
                           {"*twice*", "x"},
                           {"*missing*", ""},
                           {"", ""},
                           {cp("*кнопка*"), cp("Ёлка")},
                           {cp("*КНОПКА*"), ""}}) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(keyValue(file, c.key), c.value);
    }
    // Only blanks are trimmed: the tab stays in front of the value.
    EXPECT_EQ(keyValue(write("*fon*name*\tsky.bmp#"), "*fon*name*"), "\tsky.bmp");
}

TEST_F(FileFunctions, LineLookupsAndCounts) {
    const std::string file = write("*PICTURE2TRANSPARENT*YES# \n"
                                   "*picture3transparent*yes#\n"
                                   "*Button1*click*picture1#visible#\n"
                                   "*button1*CLICK*picture2#invisible#*button1*click*\n"
                                   "*ЁЛКА*Ель#\n"
                                   "*ёлка*ель#\n");
    EXPECT_TRUE(flagSet(file, "*picture2transparent*yes# "));
    // The blank after "#" belongs to the flag text.
    EXPECT_FALSE(flagSet(file, "*picture3transparent*yes# "));
    EXPECT_TRUE(flagSet(file, "*picture3transparent*yes#"));
    EXPECT_FALSE(flagSet(file, ""));

    EXPECT_EQ(firstLineWithKey(file, "*button1*click*"),
              "*button1*CLICK*picture2#invisible#*button1*click*");
    EXPECT_EQ(firstLineWithKey(file, "*Button1*Click*"), "");
    EXPECT_EQ(firstLineWithKeyAnyCase(file, "*BUTTON1*click*"), "*Button1*click*picture1#visible#");

    struct Nth {
        int n;
        std::string line;
    };
    for (const Nth& c : std::vector<Nth>{{1, "*Button1*click*picture1#visible#"},
                                         {2, "*button1*CLICK*picture2#invisible#*button1*click*"},
                                         {3, ""},
                                         {0, ""},
                                         {-1, ""}}) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(nthLineWithKey(file, "*button1*click*", c.n), c.line);
    }
    // A line holding the key twice counts once.
    EXPECT_EQ(countLinesWithKey(file, "*button1*click*"), 2);
    EXPECT_EQ(countLinesWithKey(file, cp("*ёлка*ЕЛЬ#")), 2);
    EXPECT_EQ(countLinesWithKey(file, ""), 0);
    EXPECT_EQ(nthLineWithKey(file, cp("*Ёлка*"), 1), cp("*ЁЛКА*Ель#"));
}

// The numbers an editor shows, blank lines and a line end of any kind
// counted; kept in memory or not, the same.
TEST_F(FileFunctions, LineNumbersOfKeys) {
    const std::string file = write("\r\n"
                                   "*picture1*name*a.bmp#\r\n"
                                   "\n"
                                   "*Picture1*leftinpixels*5#\r\n"
                                   "*picture1*topinpixels*7# *picture1*name*b.bmp#\n"
                                   "*picture12*name*c.bmp#");
    struct Row {
        const char* key;
        KeyCase keyCase;
        int first;
        std::vector<int> numbers;
    } rows[] = {
        {"*picture1*", KeyCase::Exact, 2, {2, 5}},   {"*picture1*", KeyCase::Any, 2, {2, 4, 5}},
        {"*picture1", KeyCase::Exact, 2, {2, 5, 6}}, {"*picture12*name*", KeyCase::Exact, 6, {6}},
        {"*picture2*", KeyCase::Any, 0, {}},         {"", KeyCase::Exact, 0, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(firstLineNumberWithKey(file, r.key, r.keyCase), r.first);
        std::vector<int> numbers;
        for (const NumberedLine& l : numberedLinesWithKey(file, r.key, r.keyCase))
            numbers.push_back(l.number);
        EXPECT_EQ(numbers, r.numbers);
    }
    EXPECT_EQ(numberedLinesWithKey(file, "*Picture1*", KeyCase::Exact).at(0).text,
              "*Picture1*leftinpixels*5#");
    EXPECT_EQ(firstLineNumberWithKey(folder.composed("none.txt"), "*a*", KeyCase::Any), 0);
}

TEST_F(FileFunctions, AnswerComparison) {
    const std::string file =
        write("*textwindow1*rightanswer*Москва - столица#\n"
              "*textwindow1*rightanswer*(Ёж)#*textwindow2*rightanswer*well-known#\n"
              "*textwindow3*rightanswer*Paris!#\n");
    struct Case {
        std::string key;
        int count;
    };
    for (const Case& c :
         std::vector<Case>{{cp("textwindow1*rightanswer*МОСКВА,  СТОЛИЦА#"), 1},
                           {cp("textwindow1*rightanswer*москва – столица#"), 1},
                           {cp("textwindow1*rightanswer*москва#"), 0}, // a prefix is not the answer
                           // Punctuation in a listed answer leaves blanks in the line.
                           {cp("textwindow1*rightanswer* ёж #"), 1},
                           {cp("textwindow1*rightanswer*ёж#"), 0},
                           {cp("TEXTWINDOW2*RIGHTANSWER*WELL-KNOWN#"), 1},
                           {cp("textwindow2*rightanswer*well known#"), 0},
                           // The line's "!" leaves a blank before its "#".
                           {cp("textwindow3*rightanswer*paris #"), 1},
                           {cp("textwindow3*rightanswer*paris#"), 0},
                           {"...", 0}, // normalised to nothing, which never matches
                           {"", 0}}) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(countLinesWithAnswer(file, c.key), c.count);
    }
}

TEST_F(FileFunctions, MissingFileOrFolderGivesNothing) {
    std::filesystem::create_directory(folder.onDisk("folder.txt"));
    for (const std::string& file : {folder.composed("missing.txt"), folder.composed("folder.txt"),
                                    folder.composed("missing/game.txt")}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(firstLineWithKey(file, "*k*"), "");
        EXPECT_EQ(firstLineWithKeyAnyCase(file, "*k*"), "");
        EXPECT_EQ(nthLineWithKey(file, "*k*", 1), "");
        EXPECT_EQ(countLinesWithKey(file, "*k*"), 0);
        EXPECT_EQ(countLinesWithAnswer(file, "*k*"), 0);
        EXPECT_EQ(keyValue(file, "*k*"), "");
        EXPECT_FALSE(flagSet(file, "*k*"));
    }
}

TEST_F(FileFunctions, FileNameResolvedIgnoringCase) {
    std::filesystem::create_directory(folder.onDisk(cp("Data_Игра")));
    folder.write(cp("Data_Игра/AllBackPictures.TXT"), "*screencolor*clRed#\n");
    EXPECT_EQ(keyValue(folder.composed(cp("data_игра\\allbackpictures.txt")), "*screencolor*"),
              "clRed");
    EXPECT_EQ(keyValue(folder.composed(cp("DATA_ИГРА/ALLBACKPICTURES.TXT")), "*screencolor*"),
              "clRed");
}

TEST_F(FileFunctions, LineEndings) {
    static const char kText[] = "*crlf*a#\r\n"
                                "*crlf2*b\r\n"
                                "*lone*1#\r*after*2#\n"
                                "*nul*\0v#\n"
                                "\0\0*nulfirst*w#\n"
                                "*stop*3\x1A#\n"
                                "*hidden*4#\n";
    const std::string file = folder.write("ends.txt", std::string_view(kText, sizeof kText - 1));
    struct Case {
        std::string key, value;
    };
    for (const Case& c : std::vector<Case>{{"*crlf*", "a"},
                                           {"*crlf2*", "b"}, // no CR left at the end
                                           {"*lone*", "1"},  // a lone CR does not end a line
                                           {"*after*", "2"},
                                           {"*nul*", std::string("\0v", 2)},
                                           {"*nulfirst*", "w"},
                                           {"*stop*", "3"}, // Ctrl-Z ends the file
                                           {"*hidden*", ""}}) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(keyValue(file, c.key), c.value);
    }
    EXPECT_EQ(firstLineWithKey(file, "*after*"), "*lone*1#\r*after*2#");
    EXPECT_EQ(countLinesWithKey(file, "*"), 6);

    // No line end after the last line.
    EXPECT_EQ(keyValue(folder.write("last.txt", "x\n*last*v"), "*last*"), "v");
}

TEST_F(FileFunctions, HugeLinesAndGarbage) {
    std::mt19937 random(20240611);
    std::string garbage(256 * 1024, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    // A Ctrl-Z would end the file before the keys.
    std::replace(garbage.begin(), garbage.end(), '\x1A', 'z');
    const std::string big(6 * 1024 * 1024, 'x');
    std::string content = garbage + "\n*key*" + big + "#\n" + big + "*key2*found#\n";
    // Punctuation and blanks that answer normalisation has to collapse.
    for (int i = 0; i < 500'000; ++i)
        content += " - .";
    content += "*answer*yes#\n";
    const std::string file = folder.write("huge.txt", content);

    EXPECT_EQ(keyValue(file, "*key*"), big);
    EXPECT_EQ(keyValue(file, "*key2*"), "found");
    EXPECT_EQ(firstLineWithKeyAnyCase(file, "*KEY2*").size(), big.size() + 12);
    EXPECT_EQ(countLinesWithAnswer(file, "*answer*YES#"), 1);
    EXPECT_EQ(countLinesWithKey(file, "*answer*yes#"), 1);
}

TEST_F(FileFunctions, UnreadableFileThrows) {
    const std::string file = write("*k*v#\n");
    ::chmod(folder.onDisk("game.txt").c_str(), 0);
    auto check = [&] {
        EXPECT_THROW(keyValue(file, "*k*"), InOutError);
        EXPECT_THROW(countLinesWithKey(file, "*k*"), InOutError);
    };
    if (::geteuid() != 0) {
        check();
        return;
    }
    // Root reads through any permission: the reading is done by a child
    // that gives up root first.
    ::chmod(folder.onDisk("").c_str(), 0755);
    EXPECT_EXIT(
        {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                std::_Exit(2);
            try {
                keyValue(file, "*k*");
            } catch (const InOutError&) {
                std::_Exit(0);
            }
            std::_Exit(1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
} // namespace taleplay
