// Edit mode as an author's script drives it: the real driver process drags
// every kind of component, in pixels and in divisions, and saves; each file
// must then differ from what it was in exactly the values dragged, whatever
// its encoding and line ends. Adding and undoing leaves the files as they
// were, and a student's game moves nothing.
#include "core/codepage.h"
#include "support/qt_support.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>

using taleplay::testing::TempFolder;

namespace {

struct Variant {
    const char* name;
    enum { Windows1251, Utf8WithMark, Utf8 } encoding;
    const char* lineEnd;
    bool videoInDivisions;
};

// The game's files with {placeholders} for the values the script drags.
const std::map<std::string, std::string> kFiles{
    {"allbackpictures.txt",
     "*screencolor*clYellow#\n"
     "Картинки для урока: строка, которую игра не читает\n"
     "*picture1*name*a.bmp#*picture1*leftinpixels*{p1}#\n"
     "*picture1*topinpixels*40#\n"
     "*picture2*name*a.bmp#\n"
     "*picture2*leftindivision* 20 # {p2} #*picture2*topinpixels*40#\n"
     "*shape1*form*rectangle#*shape1*widthinpixels*40#*shape1*heightinpixels*30#\n"
     "*shape1*leftinpixels*250#*shape1*topinpixels*{s1}#\n"
     "*shape2*form*ellipse#*shape2*widthinpixels*40#*shape2*heightinpixels*30#\n"
     "*shape2*leftindivision*20#{s2}#\n"
     "*shape2*topinpixels*40#\n"
     "{video}"},
    {"allbacktexts.txt",
     "*text1*string1*Привет#\n"
     "*text1*leftinpixels*40#*text1*topinpixels*{t1}#*text1*widthinpixels*200#\n"
     "*text2*string1*Ёлка#\n"
     "*text2*leftindivision*20#{t2}#*text2*topinpixels*200#*text2*widthinpixels*200#\n"
     "*list1*string1*один#*list1*string2*два#\n"
     "*list1*leftinpixels*{l1}#*list1*topinpixels*400#\n"
     "*list1*widthinpixels*150#*list1*heightinpixels*100#\n"
     "*list2*string1*три#\n"
     "*list2*leftinpixels*300#*list2*topindivision*16#{l2}#\n"
     "*list2*widthinpixels*150#*list2*heightinpixels*100#\n"},
    {"alltextwindows.txt",
     "*textwindow1*leftinpixels*40#*textwindow1*topinpixels*{w1}#*textwindow1*widthinpixels*150#\n"
     "*textwindow1*rightanswer*Москва#\n"
     "*textwindow2*leftindivision*20#{w2}#\n"
     "*textwindow2*topinpixels*600#*textwindow2*widthinpixels*150#\n"},
    {"allbuttons.txt",
     "*button1*name*a.bmp#\n"
     "*button1*leftinpixels*{b1}#*button1*topinpixels*40#\n"
     "*button2*name*a.bmp#*button2*leftindivision*20#{b2}#*button2*topinpixels*40#\n"
     "*button1*click*picture1#visible^picture1&hide+picture1=show~\n"},
};

// The values before and after the script's drags.
const std::map<std::string, std::pair<std::string, std::string>> kValues{
    {"p1", {"40", "104"}},  {"p2", {"2", "3"}}, {"s1", {"40", "104"}},  {"s2", {"6", "7"}},
    {"t1", {"200", "264"}}, {"t2", {"6", "7"}}, {"l1", {"40", "104"}},  {"l2", {"6", "7"}},
    {"w1", {"600", "664"}}, {"w2", {"8", "9"}}, {"b1", {"500", "564"}}, {"b2", {"10", "11"}},
};

const char* kScript = "key F6\n"
                      "drag picture1 64 0\n"
                      "drag picture2 64 0\n"
                      "drag shape1 0 64\n"
                      "drag shape2 64 0\n"
                      "drag text1 0 64\n"
                      "drag text2 64 0\n"
                      "drag list1 64 0\n"
                      "drag list2 0 64\n"
                      "drag textwindow1 0 64\n"
                      "drag textwindow2 64 0\n"
                      "drag button1 64 0\n"
                      "drag button2 64 0\n"
                      "drag video 64 0\n"
                      "key Ctrl+S\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
        text.replace(at, from.size(), to), at += to.size();
    return text;
}

// The file's bytes in the variant's encoding and line ends, with the values
// before or after the drags.
std::string bytesOf(const Variant& v, std::string text, bool after) {
    const std::string video =
        v.videoInDivisions ? "*videoscreen*leftindivision*20#{v}#*videoscreen*topinpixels*600#\n"
                             "*videoscreen*widthinpixels*160#*videoscreen*heightinpixels*120#\n"
                           : "*videoscreen*leftinpixels*{v}#*videoscreen*topinpixels*600#\n"
                             "*videoscreen*widthinpixels*160#*videoscreen*heightinpixels*120#";
    text = replaced(text, "{video}", video);
    text =
        replaced(text, "{v}", v.videoInDivisions ? (after ? "14" : "13") : (after ? "864" : "800"));
    for (const auto& [name, values] : kValues)
        text = replaced(text, "{" + name + "}", after ? values.second : values.first);
    text = replaced(text, "\n", v.lineEnd);
    switch (v.encoding) {
    case Variant::Windows1251:
        return taleplay::cp1251::fromUtf8(text);
    case Variant::Utf8WithMark:
        return "\xEF\xBB\xBF" + text;
    case Variant::Utf8:
        return text;
    }
    return text;
}

std::string read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 20 x 20 BMP, written by hand so the test needs no encoder.
std::string bmp() {
    std::string b = "BM";
    auto le = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const int w = 20, h = 20, row = w * 3;
    le(54 + row * h, 4), le(0, 4), le(54, 4), le(40, 4), le(w, 4), le(h, 4), le(1, 2), le(24, 2);
    le(0, 4), le(row * h, 4), le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
    for (int i = 0; i < w * h; ++i)
        b += std::string("\x00\x00\xFF", 3);
    return b;
}

struct Driven {
    int status = -1;
    std::string out;
};

Driven drive(const TempFolder& dir, const std::string& script, const QStringList& options) {
    dir.write("script.txt", script);
    QProcess driver;
    driver.setWorkingDirectory(QString::fromStdString(dir.str()));
    driver.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LANG", "C.UTF-8");
    env.remove("LC_ALL");
    env.remove("LANGUAGE");
    driver.setProcessEnvironment(env);
    driver.start(TALEPLAY_PLAYTEST_DRIVER, options + QStringList{"data_game", "script.txt"});
    driver.waitForFinished(60000);
    return {driver.exitCode(), driver.readAll().toStdString()};
}

void PrintTo(const Variant& v, std::ostream* os) {
    *os << v.name;
}

class EditDriver : public ::testing::TestWithParam<Variant> {};

} // namespace

TEST_P(EditDriver, ADragAndASaveChangeExactlyTheValuesDragged) {
    const Variant& v = GetParam();
    TempFolder dir;
    dir.write("data_game/a.bmp", bmp());
    for (const auto& [name, text] : kFiles)
        dir.write("data_game/" + name, bytesOf(v, text, false));

    // Built again from the files saved, the scene is the one edited.
    const std::string video = v.videoInDivisions ? "896" : "864";
    const Driven run = drive(dir,
                             std::string(kScript) +
                                 "expect prop RIS0 left 104\nexpect prop RIS1 left 192\n"
                                 "expect prop SHAP0 top 104\nexpect prop TLine1 left 448\n"
                                 "expect prop LIST1 top 448\nexpect prop TW1 left 576\n"
                                 "expect prop Nazhimalka2 left 704\n"
                                 "expect prop VideoWindow1 left " +
                                 video + "\n",
                             {"--author"});
    EXPECT_NE(run.out.find("8 passed, 0 failed"), std::string::npos) << run.out;
    for (const auto& [name, text] : kFiles)
        EXPECT_EQ(read(dir.path() / "data_game" / name), bytesOf(v, text, true)) << name;

    // A student's game: F6, the same drags and Ctrl+S change nothing.
    for (const auto& [name, text] : kFiles)
        dir.write("data_game/" + name, bytesOf(v, text, false));
    const Driven student = drive(
        dir, std::string(kScript) + "expect prop RIS0 left 40\nexpect prop TW1 left 512\n", {});
    EXPECT_NE(student.out.find("2 passed, 0 failed"), std::string::npos) << student.out;
    for (const auto& [name, text] : kFiles)
        EXPECT_EQ(read(dir.path() / "data_game" / name), bytesOf(v, text, false)) << name;
}

TEST_P(EditDriver, AddingAndUndoingLeavesTheFilesAsTheyWere) {
    const Variant& v = GetParam();
    TempFolder dir;
    dir.write("data_game/a.bmp", bmp());
    // No file of text windows: adding one makes it, undoing takes it away.
    for (const auto& [name, text] : kFiles)
        if (name != "alltextwindows.txt")
            dir.write("data_game/" + name, bytesOf(v, text, false));
    const Driven run =
        drive(dir,
              "key F6\n"
              "key Ctrl+Shift+P\nkey Ctrl+Shift+T\nkey Ctrl+Shift+W\nkey Ctrl+Shift+B\n"
              "key Ctrl+S\n"
              "expect visible picture3\nexpect visible text3\n"
              "expect visible textwindow1\nexpect visible button3\n"
              "key Ctrl+Z\nkey Ctrl+Z\nkey Ctrl+Z\nkey Ctrl+Z\n"
              "key Ctrl+S\n"
              "expect absent picture3\nexpect absent textwindow1\n",
              {"--author"});
    EXPECT_NE(run.out.find("6 passed, 0 failed"), std::string::npos) << run.out;
    for (const auto& [name, text] : kFiles) {
        if (name == "alltextwindows.txt")
            EXPECT_FALSE(std::filesystem::exists(dir.path() / "data_game" / name));
        else
            EXPECT_EQ(read(dir.path() / "data_game" / name), bytesOf(v, text, false)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    EncodingsAndLineEnds, EditDriver,
    ::testing::Values(Variant{"Windows1251CrLf", Variant::Windows1251, "\r\n", false},
                      Variant{"Windows1251Lf", Variant::Windows1251, "\n", true},
                      Variant{"Utf8WithMarkCrLf", Variant::Utf8WithMark, "\r\n", true},
                      Variant{"Utf8Lf", Variant::Utf8, "\n", false}),
    [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });
