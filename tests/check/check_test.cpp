// The game checker on broken games the tests write: each row is one kind of
// fault, and the whole list of findings must match, so that a check that
// finds too much fails as well as one that finds too little.
#include "check/check.h"
#include "check/spelling.h"

#include "core/codepage.h"
#include "pictures/encoders.h"
#include "pictures/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <vector>

namespace taleplay::check {
namespace {

namespace fs = std::filesystem;

// A game folder data_test inside a fresh temporary folder. Texts are given
// in UTF-8 and written as the Windows-1251 bytes a game holds.
class TempGame {
  public:
    TempGame() {
        std::string pattern = (fs::temp_directory_path() / "check-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root_ = pattern;
        fs::create_directory(folder());
        // A small real picture every fixture may name.
        pictures::encoders::PngSpec spec;
        spec.width = 4;
        spec.height = 2;
        writeBytes("ok.png",
                   pictures::encoders::writePng(spec, std::vector<unsigned char>(4 * 2 * 3, 0x80)));
    }
    ~TempGame() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    TempGame(const TempGame&) = delete;
    TempGame& operator=(const TempGame&) = delete;

    std::string folder() const { return root_ + "/data_test"; }
    std::string root() const { return root_; }

    void write(const std::string& name, const std::string& utf8Text) const {
        const std::string bytes = cp1251::fromUtf8(utf8Text);
        writeBytes(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
    }
    std::string read(const std::string& name) const {
        std::ifstream in(folder() + "/" + name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) const {
        std::ofstream out(folder() + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

  private:
    std::string root_;
};

// What a row expects of one finding; the message is matched by a part of it.
struct Expected {
    std::string file;
    int line;
    Severity severity;
    std::string kind;
    std::string messagePart = "";
};

struct Row {
    const char* name;
    // Lines added to the base game's files, by file name.
    std::map<std::string, std::string> files;
    std::vector<Expected> findings;
    // Files of the base game written under another name (UTF-8), and files
    // written instead of the base game's.
    std::map<std::string, std::string> renamed = {};
    std::map<std::string, std::string> replaced = {};
};

constexpr Severity E = Severity::Error;
constexpr Severity W = Severity::Warning;
constexpr Severity N = Severity::Note;

// Errors and warnings: what asks the author to act.
std::vector<Finding> problems(std::vector<Finding> findings) {
    std::erase_if(findings, [](const Finding& f) { return f.severity == Severity::Note; });
    return findings;
}

// "дом.png" as unzip leaves it from a Windows archive, and as a Windows-1251
// archive tool does.
const std::string kDomCp866 = "\xA4\xAE\xAC.png";
const std::string kDomCp1251 = "\xE4\xEE\xEC.png";

// A game without faults: one picture, one button whose rule checks an answer
// that exists and ends the game, and both victory files. Rows append to it.
const std::map<std::string, std::string> kBase{
    {"allbackpictures.txt", "*picture1*name*ok.png#\n"},
    {"allbuttons.txt", "*button1*name*ok.png#\n"
                       "*button1*click*textwindow1#checktext^picture1&visible+picture1=invisible~\n"
                       "*button1*clickALLGOOD*#victory^\n"},
    // Half-way down: text 1 stands above it on every screen size.
    {"alltextwindows.txt", "*textwindow1*rightanswer*Paris# *textwindow1*topindivision*2#1#\n"},
    {"allbacktexts.txt", "*text1*string1*Загадка#\n"},
    {"victorypictures.txt", "*picture1*name*ok.png#\n"},
    {"victorytexts.txt", "*text1*string1*Победа!#\n"},
};

std::vector<Row> rows() {
    return {
        {"clean", {}, {}},
        {"missing_files",
         {{"allbackpictures.txt", "*picture2*name*gone.png#\n"
                                  "*picture3*name*OK.PNG#\n"
                                  "*sound*gone.wav#\n"
                                  "*picture4*name*дом.png#\n"},
          {"allbuttons.txt", "*button1*clickALLBAD*#playvideo gone.avi^\n"
                             "*button1*clickALLBAD*#startprogram ..\\setup.exe^\n"
                             "*button1*pressedname*gone_down.png#\n"}},
         {{"allbackpictures.txt", 2, E, "missing-file", "'gone.png' does not exist"},
          {"allbackpictures.txt", 3, W, "missing-file", "as 'ok.png'"},
          {"allbackpictures.txt", 4, W, "missing-file", "'gone.wav'"},
          {"allbackpictures.txt", 5, E, "missing-file", "'дом.png'"},
          {"allbuttons.txt", 4, E, "missing-file", "video 'gone.avi'"},
          {"allbuttons.txt", 5, E, "missing-file", "program '..\\setup.exe'"},
          {"allbuttons.txt", 6, W, "missing-file", "goes on without it"}}},
        // Lines end in CR LF and a Ctrl-Z ends the file, as the player reads it.
        {"line_numbers",
         {{"allbackpictures.txt", "\r\n*picture2*name*gone.png#\r\n\x1a*picture3*name*x.png#\r\n"}},
         {{"allbackpictures.txt", 3, E, "missing-file", "'gone.png'"}}},
        {"bad_pictures",
         {{"allbackpictures.txt", "*picture2*name*broken.png#\n*picture3*name*ok.xyz#\n"}},
         {{"allbackpictures.txt", 2, E, "bad-picture", "'broken.png' cannot be loaded"},
          {"allbackpictures.txt", 3, E, "bad-picture", "Unknown picture file extension (.xyz)"}}},
        // A photo far larger than shown, and a picture the memory of all
        // pictures (8 MiB here) has no room left for.
        {"picture_costs",
         {{"allbackpictures.txt", "*picture2*name*photo.png#\n*picture2*widthinpixels*160#\n"
                                  "*picture3*name*photo.png#\n*picture4*name*photo.png#\n"}},
         {{"allbackpictures.txt", 2, W, "picture-cost",
           "'photo.png' is 1600 x 1200 shown at 160 x 120: the play screen decodes 1 such picture"},
          {"allbackpictures.txt", 5, E, "picture-cost",
           "'photo.png' would not fit the memory of all pictures: the play screen keeps 7 MiB of "
           "pictures before it, of the 8 MiB"}}},
        {"bad_colours",
         {{"allbackpictures.txt", "*screencolor*red#\n"
                                  "*shape1*form*circle#*shape1color*clRed#*shape1pencolor*255 #\n"
                                  "*shape2*form*square#*shape2color*$FF0000x#\n"},
          {"allbacktexts.txt", "*text1fontcolor*clSky#\n*list1*string1*a#*list1color*clAqua#\n"},
          {"allbuttons.txt", "*button1*clickALLBAD*list1#textcolor 255^\n"
                             "*button1*clickALLBAD*picture1#textcolor 255^\n"}},
         {{"allbacktexts.txt", 2, E, "bad-colour", "'clSky'"},
          {"allbackpictures.txt", 2, E, "bad-colour", "\"'red' is not a valid integer value\""},
          {"allbackpictures.txt", 4, E, "bad-colour", "'$FF0000x'"},
          {"allbuttons.txt", 4, E, "bad-colour", "'textcolor 255' on 'list1'"}}},
        {"numbers_beyond_limits",
         {{"allbackpictures.txt", "*picture51*name*ok.png#\n*picture07*name*ok.png#\n"},
          {"allbuttons.txt", "*button31*name*ok.png#\n"},
          {"allbacktexts.txt", "*text51*string1*a#\n*list11*string1*a#\n*text1*string26*a#\n"},
          {"alltextwindows.txt", "*textwindow101*text*a#\n"},
          {"victorytexts.txt", "*text26*string1*a#\n"}},
         {{"allbackpictures.txt", 2, W, "number-limit", "pictures 1 to 50"},
          {"allbackpictures.txt", 3, W, "number-limit", "leading zeros"},
          {"allbacktexts.txt", 2, W, "number-limit", "texts 1 to 50"},
          {"allbacktexts.txt", 3, W, "number-limit", "lists 1 to 10"},
          {"allbacktexts.txt", 4, W, "number-limit", "strings 1 to 25"},
          {"allbuttons.txt", 4, W, "number-limit", "buttons 1 to 30"},
          {"alltextwindows.txt", 2, W, "number-limit", "textwindows 1 to 100"},
          {"victorytexts.txt", 2, W, "number-limit", "texts 1 to 25"}}},
        {"flags",
         {{"allbackpictures.txt", "*picture1transparent*yes#\n"
                                  "*picture1visible*no# \n"
                                  "*picture1*visible*no# \n"},
          {"allbuttons.txt", "*BUTTON1TRANSPARENT*YES#*button1visible*no# \n"},
          {"alltextwindows.txt", "*textwindow1noborder*yes#x\n"}},
         {{"allbackpictures.txt", 2, W, "flag-form", "lacks the blank"},
          {"allbackpictures.txt", 4, W, "flag-form", "'*picture1visible*no# '"},
          {"allbuttons.txt", 4, W, "flag-form", "'*BUTTON1TRANSPARENT*YES#'"},
          {"alltextwindows.txt", 2, W, "flag-form", "lacks the blank"}}},
        {"key_case",
         {{"allbackpictures.txt", "*Picture2*Name*ok.png#\n*FON*name*ok.png#\n"},
          {"allbuttons.txt", "*Button1*Click*picture1#visible^\n*BUTTON1*CLICK*#pause 1^\n"},
          {"victorypictures.txt", "*BigFon*Name*ok.png#\n"}},
         {{"allbackpictures.txt", 2, W, "key-case", "reads '*picture2*name*'"},
          {"allbackpictures.txt", 3, W, "key-case", "reads '*fon*name*'"},
          {"allbuttons.txt", 4, W, "key-case", "target 'picture1' comes out empty"},
          {"victorypictures.txt", 2, W, "key-case", "'*BigFon*Name*' is not found"},
          {"victorypictures.txt", 2, W, "key-case", "cuts the name"}}},
        {"rule_separators",
         {{"allbuttons.txt",
           "*button1*click*textwindow1#checktext^picture1&visible~\n"
           "*button1*click*textwindow1#checktext^\n"
           "*button1*click*picture1^visible#\n"
           "*button1*click*#pause 1^picture1&playsound a+b.wav+picture1=invisible~\n"
           "*button1*clickALLBAD*picture1#invisible\n"}},
         {{"allbuttons.txt", 4, W, "rule-separators", "it lacks '+', '='"},
          {"allbuttons.txt", 6, W, "rule-separators", "'^' stands before"},
          {"allbuttons.txt", 7, W, "rule-separators", "'+' occurs more than once"},
          {"allbuttons.txt", 8, W, "rule-separators", "it lacks '^'"},
          // The "+" inside the file name cuts the success command short and
          // makes the failure target out of what follows it.
          {"allbuttons.txt", 7, W, "missing-file", "sound 'a' does not exist"},
          {"allbuttons.txt", 7, W, "target", "'b.wav+picture1'"}}},
        {"targets",
         {{"allbuttons.txt", "*button1*click*picture9#visible^\n"
                             "*button1*click*Picture1#visible^\n"
                             "*button1*click*#bringtofront^\n"
                             "*button2*click*picture1#visible^\n"},
          {"victorypictures.txt", "*button1*name*ok.png#\n"
                                  "*button1*click*textwindow1#invisible^picture1&visible+=~\n"}},
         {{"allbuttons.txt", 4, W, "target", "no picture 9"},
          {"allbuttons.txt", 5, W, "target", "none of the words"},
          {"allbuttons.txt", 6, W, "target", "'bringtofront' has no target"},
          {"allbuttons.txt", 7, W, "target", "button 2, which the play screen does not build"},
          {"victorypictures.txt", 3, W, "target", "victory screen has no textwindows"}}},
        {"commands",
         {{"allbuttons.txt", "*button1*clickALLBAD*#playvideointro.avi^\n"
                             "*button1*clickALLBAD*#pause1^\n"
                             "*button1*clickALLBAD*#playsound pause.wav^\n"
                             "*button1*clickALLBAD*picture1#visible now^\n"
                             "*button1*clickALLBAD*#Pause 10^\n"
                             "*button1*clickALLBAD*#playsound backcolor.wav^\n"},
          {"pause.wav", ""}},
         {{"allbuttons.txt", 4, W, "command", "need a blank"},
          {"allbuttons.txt", 5, W, "command", "argument '1'"},
          {"allbuttons.txt", 6, W, "command", "argument 'ound pause.wav'"},
          {"allbuttons.txt", 7, W, "command", "'visible' must stand alone"},
          {"allbuttons.txt", 9, W, "command", "also runs 'backcolor'"},
          {"allbuttons.txt", 9, W, "missing-file", "'backcolor.wav'"}}},
        {"checktext",
         {{"allbackpictures.txt", "*picture2*name*ok.png#\n"},
          {"alltextwindows.txt", "*textwindow2*text*# *textwindow2*topinpixels*300#\n"
                                 "*textwindow3*rightanswer*Москва# *textwindow3*topinpixels*300#\n"
                                 "*textwindow4*rightanswer* Paris # *textwindow4*topinpixels*300#\n"
                                 "*TextWindow4*RightAnswer*Lutetia!#\n"
                                 "*textwindow5*rightanswer*Rome.# *textwindow5*topinpixels*300#\n"
                                 "*textwindow5*rightanswer*rome#\n"},
          {"allbuttons.txt", "*button1*click*textwindow2#checktext^\n"
                             "*button1*click*picture2#CheckText^\n"
                             "*button1*click*#checktext^\n"
                             "*button1*click*textwindow3#checktext^\n"
                             "*button1*click*textwindow4#checktext^\n"
                             "*button1*click*textwindow5#checktext^\n"}},
         {{"allbuttons.txt", 4, E, "checktext", "'textwindow2', which has no right answer"},
          {"allbuttons.txt", 5, E, "checktext", "Invalid class typecast"},
          {"allbuttons.txt", 6, E, "checktext", "no target"},
          {"allbuttons.txt", 8, E, "checktext", "can none of them be typed"},
          {"alltextwindows.txt", 4, W, "checktext", "' Paris '"},
          {"alltextwindows.txt", 5, W, "checktext", "'Lutetia!'"},
          {"alltextwindows.txt", 6, W, "checktext", "'Rome.'"}}},
        // Written as UTF-8 with its mark (see below): the lines are read into
        // Windows-1251, and what it lacks is told line by line.
        {"utf8_with_mark",
         {},
         {{"allbacktexts.txt", 2, W, "lost-characters",
           "2 characters Windows-1251 lacks ('漢', "
           "'字')"}}},
        // Rows that expect notes get all of them: each file beyond ASCII
        // names the encoding it is read in.
        {"encodings",
         {{"victorypictures.txt", "*text1*string1*© 2024#\n"}},
         // Each encoding is named once for the game, with its files.
        {{"", 0, N, "encoding", "read as UTF-8 without a byte-order mark: allbacktexts.txt"},
          {"victorypictures.txt", 2, W, "unknown-key", "the player reads it from victorytexts.txt"},
          {"allbacktexts.txt", 3, W, "lost-characters",
           "5 characters Windows-1251 lacks ('ü', 'ß', '日', '本')"},
          {"", 0, N, "encoding",
           "read as Windows-1251: alltextwindows.txt, victorypictures.txt, victorytexts.txt"},
          {"alltextwindows.txt", 3, W, "encoding", "mostly UTF-8, but this line is not"}}},
        {"names_in_code_pages",
         {{"allbackpictures.txt", "*picture2*name*ДОМ.png#\n"},
          {"allbuttons.txt", "*button2*name*Дом.PNG#\n"},
          {"victorypictures.txt", "*picture2*name*кот.png#\n"}},
         {{"allbackpictures.txt", 2, W, "name-encoding",
           "'ДОМ.png' is found as 'дом.png', whose name is stored in CP866 (DOS) bytes, as "
           "unpacking an archive made on Windows leaves it; the player uses that file, but other "
           "programs show its name garbled. Rename such files with 'convmv -f cp866 -t utf-8 -r "
           "--notest FOLDER', or unpack the archive again with 'unzip -O CP866'"},
          {"allbuttons.txt", 4, W, "name-encoding", "'Дом.PNG' is found as 'дом.png'"},
          {"victorypictures.txt", 2, W, "name-encoding", "convmv -f cp1251 -t utf-8"}}},
        // Every fixture of tests/media plays; copies made odd (see below) do not.
        {"media_formats",
         {{"allbackpictures.txt", "*sound*odd.wav#\n*video*odd_picture.avi#\n"},
          {"allbuttons.txt",
           "*button1*clickALLBAD*#playvideo odd_sound.avi^\n"
           "*button1*clickALLBAD*#playsound odd_sound.avi^\n"
           "*button1*clickALLBAD*#playsound pcm.wav^\n*button1*clickALLBAD*#playsound "
           "adpcm_ms.wav^\n"
           "*button1*clickALLBAD*#playsound adpcm_ima.wav^\n*button1*clickALLBAD*#playsound "
           "sound.mp3^\n"
           "*button1*clickALLBAD*#playsound sound.mp2^\n*button1*clickALLBAD*#playsound "
           "sound.ogg^\n"
           "*button1*clickALLBAD*#playsound sound.aiff^\n*button1*clickALLBAD*#playsound "
           "mjpeg.avi^\n"
           "*button1*clickALLBAD*#playvideo mjpeg.avi^\n*button1*clickALLBAD*#playvideo xvid.avi^\n"
           "*button1*clickALLBAD*#playvideo msvideo1.avi^\n"
           "*button1*clickALLBAD*#playvideo cinepak.avi^\n"
           "*button1*clickALLBAD*#playvideo mpeg1.mpg^\n*button1*clickALLBAD*#playvideo "
           "mpeg2.mpg^\n"
           "*button1*clickALLBAD*#playvideo wmv.wmv^\n*button1*clickALLBAD*#playvideo h264.mp4^\n"
           "*button1*clickALLBAD*#playvideo movie.mov^\n"}},
         {{"allbackpictures.txt", 2, W, "media-format", "sound in format tag 0x7777 (WAV)"},
          {"allbackpictures.txt", 3, W, "media-format",
           "compressed as 'QZQZ' (AVI), which none "
           "of the player's decoders reads: it will "
           "not play"},
          {"allbuttons.txt", 4, W, "media-format", "it plays without that sound"},
          {"allbuttons.txt", 5, W, "media-format",
           "format tag 0x7777 (AVI), which none of the "
           "player's decoders reads: it will not play"}}},
        {"end_screens",
         {{"allbuttons.txt", "*button1*clickALLBAD*#lost^\n"}},
         {{"allbuttons.txt", 4, W, "end-screen", "lostpictures.txt does not exist"},
          {"allbuttons.txt", 4, W, "end-screen", "losttexts.txt does not exist"}}},
        // Typing slips in keys, each told with the key the file is read for;
        // text that is plainly no key is left alone.
        {"unknown_keys",
         {{"allbackpictures.txt", "*pictrue1*name*ok.png#\n"
                                  "*picture2*leftindivison*2#1#\n"
                                  "*shape1*form*circle#*shape1*color*clRed#\n"
                                  "*button1*name*ok.png#\n"
                                  "A note *about* the pictures, *** 2*3=6 #1# *fon*name*\n"},
          {"allbacktexts.txt", "*text2*string1*Hi#*text2fontcolour*clRed#\n"
                               "*text3*sting1*Hello#\n"
                               "*text1*string2*The *key* to it#\n"},
          {"allbuttons.txt", "*button2*clik*picture1#visible^\n"},
          {"alltextwindows.txt", "*textwindow1*rigthanswer*Rome#\n"}},
         {{"allbackpictures.txt", 2, W, "unknown-key",
           "'*pictrue1*name*' is no key the player reads in allbackpictures.txt: did you mean "
           "'*picture1*name*'?"},
          {"allbackpictures.txt", 3, W, "unknown-key", "did you mean '*picture2*leftindivision*'?"},
          {"allbackpictures.txt", 4, W, "unknown-key", "did you mean '*shape1color*'?"},
          {"allbackpictures.txt", 5, W, "unknown-key",
           "'*button1*name*' is not read from allbackpictures.txt: the player reads it from "
           "allbuttons.txt"},
          {"allbacktexts.txt", 2, W, "unknown-key", "did you mean '*text2fontcolor*'?"},
          {"allbacktexts.txt", 3, W, "unknown-key", "did you mean '*text3*string1*'?"},
          {"allbuttons.txt", 4, W, "unknown-key", "did you mean '*button2*click*'?"},
          {"alltextwindows.txt", 2, W, "unknown-key",
           "did you mean '*textwindow1*rightanswer*'?"}}},
        // Keys typed with a Russian layout: Cyrillic letters that look Latin.
        {"look_alikes",
         {{"allbackpictures.txt", "*picturе2*name*ok.png#\n"
                                  "*picture1visible*nо# (shown later)\n"
                                  "*Рicturе3*name*ok.png#\n"},
          {"victorypictures.txt", "*vidео*end.avi#\n"}},
         {{"allbackpictures.txt", 2, W, "unknown-key",
           "'*picturе2*name*' is written with Cyrillic letters that look Latin: the 7th letter "
           "'е' is Cyrillic. The player does not find it: write '*picture2*name*'"},
          {"allbackpictures.txt", 3, W, "unknown-key", "the 16th letter 'о' is Cyrillic"},
          {"allbackpictures.txt", 4, W, "unknown-key",
           "the 1st letter 'Р' and the 7th letter 'е' are Cyrillic"},
          {"victorypictures.txt", 2, W, "unknown-key", "write '*video*'"}}},
        // Description files saved under a name the player does not read.
        {"file_names",
         {{"LostPicture.TXT", "*screencolor*clRed#\n"}, {"notes.txt", "my notes\n"}},
         {{"LostPicture.TXT", 0, W, "file-name", "did you mean lostpictures.txt?"},
          {"allbacktext.txt", 0, W, "file-name",
           "did you mean allbacktexts.txt? The player reads only allbacktexts.txt"},
          {"allbuttons.txt.txt", 0, W, "file-name", "shows allbuttons.txt.txt as allbuttons.txt"},
          {"victorytеxts.txt", 0, W, "file-name", "the 9th letter 'е' is Cyrillic"},
          {"", 0, W, "no-ending", "the game never ends"}},
         {{"allbacktexts.txt", "allbacktext.txt"},
          {"allbuttons.txt", "allbuttons.txt.txt"},
          {"victorytexts.txt", "victorytеxts.txt"}}},
        // A name in bytes that are not UTF-8 is reported in UTF-8.
        {"file_name_not_in_utf8",
         {},
         {{"victorytexts›.txt", 0, W, "file-name", "did you mean victorytexts.txt?"},
          {"allbuttons.txt", 3, W, "end-screen", "victorytexts.txt does not exist"}},
         {{"victorytexts.txt", "victorytexts\x9B.txt"}}},
        // Rules of a button the play screen does not build never run, so
        // their "victory" does not count.
        {"no_ending",
         {},
         {{"allbuttons.txt", 0, W, "no-ending",
           "no click rule of the play screen runs 'victory' or 'lost'"},
          {"allbuttons.txt", 3, W, "target", "button 2, which the play screen does not build"}},
         {},
         {{"allbuttons.txt",
           "*button1*name*ok.png#\n"
           "*button1*click*textwindow1#checktext^picture1&visible+picture1=invisible~\n"
           "*button2*clickALLGOOD*#victory^\n"}}},
        // Mistakes teachers make in right answers: several in one key, ё
        // without the е a pupil types.
        {"right_answers_as_teachers_write_them",
         {{"alltextwindows.txt", "*textwindow1*rightanswer*ель, ёлка, елка#\n"
                                 "*textwindow1*rightanswer*Ёж#\n"
                                 "*textwindow1*rightanswer*ещё раз#\n"
                                 "*textwindow1*rightanswer*еще раз#\n"}},
         {{"alltextwindows.txt", 2, W, "answer-list",
           "right answer 'ель, ёлка, елка' of 'textwindow1' holds several answers separated by "
           "commas: the player takes it as one answer, so a pupil passes only by typing all of "
           "them. Write one key a line: '*textwindow1*rightanswer*ель#', "
           "'*textwindow1*rightanswer*ёлка#', '*textwindow1*rightanswer*елка#'"},
          {"alltextwindows.txt", 3, W, "yo", "add '*textwindow1*rightanswer*Еж#' as well"}}},
        // A command word or target typed partly on the Russian layout: the
        // letters are named by their place, as no eye tells 'с' from 'c'.
        {"look_alike_commands",
         {{"allbuttons.txt", "*button1*click*textwindow1#сhecktext^picture1&visible+=~\n"
                             "*button1*clickALLBAD*picture1#invisiblе^\n"
                             "*button1*clickALLBAD*рicture1#visible^\n"}},
         {{"allbuttons.txt", 4, E, "condition",
           "'сhecktext' is no command: the condition always answers yes, so the success part "
           "always runs (the 1st letter 'с' is Cyrillic: write 'checktext')"},
          {"allbuttons.txt", 5, W, "command", "the 9th letter 'е' is Cyrillic: write 'invisible'"},
          {"allbuttons.txt", 6, W, "target",
           "(the 1st letter 'р' is Cyrillic: write 'picture1')"}}},
        // A missing picture, with the files whose names come nearest:
        // transliterated, in another letter case, a slip off, another
        // extension.
        {"nearest_names",
         {{"allbackpictures.txt", "*picture2*name*солнышко.png#\n"
                                  "*picture3*name*Kartinka.png#\n"
                                  "*picture4*name*sun.jpg#\n"
                                  "*picture5*name*zzz.png#\n"},
          {"solnyshko.PNG", ""},
          {"kartinka1.png", ""},
          {"sun.png", ""}},
         {{"allbackpictures.txt", 2, E, "missing-file",
           "picture 'солнышко.png' does not exist; the player reports it. Files with a name near "
           "it: 'solnyshko.PNG'"},
          {"allbackpictures.txt", 3, E, "missing-file", "near it: 'kartinka1.png'"},
          {"allbackpictures.txt", 4, E, "missing-file", "near it: 'sun.png'"},
          {"allbackpictures.txt", 5, E, "missing-file", "'zzz.png' does not exist; the player "
                                                        "reports it"}}},
        // Text lines that answer boxes or buttons cover: the default places
        // of a text and a window are both the top left corner; a long
        // question wraps to a second line on the projector's 1024 x 768
        // only, where the box below it starts too high.
        {"overlaps",
         {{"allbacktexts.txt",
           "*text2*string1*Сколько ног у паука, если у него нет двух лап, а потом выросла ещё "
           "одна?#*text2*topindivision*10#3#*text2*widthinpixels*700#\n"},
          {"alltextwindows.txt", "*textwindow2*text*#\n"
                                 "*textwindow3*text*#*textwindow3*topinpixels*258#\n"},
          {"allbuttons.txt", "*button1*widthinpixels*200#*button1*heightinpixels*40#\n"}},
         {{"allbacktexts.txt", 1, W, "overlap",
           "'text1' is covered by 'textwindow2' on screens of 1024 x 768, 1280 x 1024 and "
           "1920 x 1080: move one of them, or the pupil cannot read that text there"},
          {"allbacktexts.txt", 1, W, "overlap", "'text1' is covered by 'button1' on screens"},
          {"allbacktexts.txt", 2, W, "overlap",
           "'text2' is covered by 'textwindow3' on a screen of 1024 x 768: move"}}},
        {"ampersands",
         {{"allbacktexts.txt", "*text1*string2*Tom & Jerry#\n"
                               "*text1*string3*Tom && Jerry, R&&D#\n"
                               "*list1*string1*A & B#\n"
                               "*text1*string4*the end &#\n"},
          {"victorytexts.txt", "*text1*string2*R&D#\n"}},
         {{"allbacktexts.txt", 2, W, "ampersand", "string 'Tom & Jerry' holds a single '&'"},
          {"allbacktexts.txt", 5, W, "ampersand", "Write '&&' to show one '&'"},
          {"victorytexts.txt", 2, W, "ampersand", "'R&D'"}}},
        // A condition that is no command answers yes: the rule accepts every
        // answer. An action that is no command only does nothing.
        {"unknown_conditions",
         {{"allbuttons.txt", "*button1*click*textwindow1#chektext^picture1&visible+=~\n"
                             "*button1*click*picture1#blink^picture1&visible+=~\n"
                             "*button1*clickALLBAD*picture1#visibel^\n"}},
         {{"allbuttons.txt", 4, E, "condition",
           "'chektext' is no command: the condition always answers yes, so the success part "
           "always runs (did you mean 'checktext'?)"},
          {"allbuttons.txt", 5, E, "condition",
           "'blink' is no command: the condition always answers yes, so the success part always "
           "runs"},
          {"allbuttons.txt", 6, W, "command",
           "'visibel' matches no command and does nothing: did you mean 'visible'?"}}},
    };
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class CheckRows : public ::testing::TestWithParam<Row> {};

TEST_P(CheckRows, FindsExactlyWhatIsWrong) {
    const Row& row = GetParam();
    TempGame game;
    std::map<std::string, std::string> files = kBase;
    for (const auto& [name, text] : row.replaced)
        files[name] = text;
    for (const auto& [name, lines] : row.files)
        files[name] += lines;
    for (const auto& [name, text] : files)
        game.write(name, text);
    for (const auto& [from, to] : row.renamed)
        fs::rename(fs::path(game.folder()) / from, fs::path(game.folder()) / to);
    if (std::string(row.name) == "utf8_with_mark") {
        const std::string text = "\xEF\xBB\xBF*text1*string1*Загадка#\r\n*text1*string2*漢字?#\r\n";
        game.writeBytes("allbacktexts.txt", std::vector<unsigned char>(text.begin(), text.end()));
    }
    if (std::string(row.name) == "encodings") {
        // UTF-8 without a mark; and a UTF-8 file with one Windows-1251 line.
        const std::string text = "*text1*string1*Загадка#\n*text1*string2*«Ёлка» №1 —#\n"
                                 "*text1*string3*Grüße, 日本, ü#\n";
        game.writeBytes("allbacktexts.txt", std::vector<unsigned char>(text.begin(), text.end()));
        const std::string mixed =
            "*textwindow1*rightanswer*Paris# *textwindow1*topindivision*2#1#\n"
            "*textwindow1*rightanswer*Париж Франция#"
            "\n*textwindow1*rightanswer*\xcc\xee\xf1\xea\xe2\xe0#\n";
        game.writeBytes("alltextwindows.txt",
                        std::vector<unsigned char>(mixed.begin(), mixed.end()));
    }
    if (std::string(row.name) == "names_in_code_pages") {
        const std::string png = game.read("ok.png");
        game.writeBytes(kDomCp866, std::vector<unsigned char>(png.begin(), png.end()));
        game.writeBytes("\xCA\xCE\xD2.png", std::vector<unsigned char>(png.begin(), png.end()));
    }
    if (std::string(row.name) == "media_formats") {
        for (const auto& entry : fs::directory_iterator(TALEPLAY_MEDIA_FIXTURES))
            fs::copy_file(entry.path(), game.folder() + "/" + entry.path().filename().string());
        // A WAV of format tag 0x7777, and the AVI with its pictures
        // compressed as "QZQZ" or its sound in format tag 0x7777: codecs that
        // no decoder reads.
        std::vector<unsigned char> wav = readBytes(game.folder() + "/pcm.wav");
        wav[20] = wav[21] = 0x77;
        game.writeBytes("odd.wav", wav);
        const std::vector<unsigned char> avi = readBytes(game.folder() + "/mjpeg.avi");
        const auto find = [&](std::string_view what, std::size_t from) {
            return static_cast<std::size_t>(
                std::search(avi.begin() + static_cast<std::ptrdiff_t>(from), avi.end(),
                            what.begin(), what.end()) -
                avi.begin());
        };
        std::vector<unsigned char> odd = avi;
        const std::size_t video = find("vids", 0);
        for (std::size_t at : {video + 4, find("strf", video) + 8 + 16})
            std::copy_n("QZQZ", 4, odd.begin() + static_cast<std::ptrdiff_t>(at));
        game.writeBytes("odd_picture.avi", odd);
        odd = avi;
        const std::size_t sound = find("strf", find("auds", 0)) + 8;
        odd[sound] = odd[sound + 1] = 0x77;
        game.writeBytes("odd_sound.avi", odd);
    }
    const bool costs = std::string(row.name) == "picture_costs";
    if (costs) {
        pictures::encoders::PngSpec spec{.width = 1600, .height = 1200};
        game.writeBytes("photo.png", pictures::encoders::writePng(
                                         spec, std::vector<unsigned char>(1600 * 1200 * 3, 0x40)));
        pictures::setPictureMemoryBudget(8 << 20);
    }
    if (std::string(row.name) == "bad_pictures") {
        game.writeBytes("broken.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0});
        game.write("ok.xyz", "not a picture format the player knows");
    }

    std::vector<Finding> found = checkGame(game.folder());
    if (costs)
        pictures::setPictureMemoryBudget(0);
    if (std::none_of(row.findings.begin(), row.findings.end(),
                     [](const Expected& e) { return e.severity == N; }))
        found = problems(found);
    std::string all;
    for (const Finding& f : found)
        all += formatLine("", f) + " [" + f.kind + "]\n";

    ASSERT_EQ(found.size(), row.findings.size()) << all;
    for (const Expected& e : row.findings) {
        const bool hit = std::any_of(found.begin(), found.end(), [&](const Finding& f) {
            return f.file == e.file && f.line == e.line && f.severity == e.severity &&
                   f.kind == e.kind && f.message.find(e.messagePart) != std::string::npos;
        });
        EXPECT_TRUE(hit) << "expected " << e.file << ":" << e.line << " [" << e.kind << "] "
                         << e.messagePart << "\nfound:\n"
                         << all;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, CheckRows, ::testing::ValuesIn(rows()),
                         [](const auto& info) { return std::string(info.param.name); });

// Every kind of finding has a row. "unreadable" has none: a file the tests
// could make unreadable is still read when they run as root.
TEST(Check, EveryKindHasARow) {
    // "no-hint" runs only when asked for: it has a test of its own.
    std::set<std::string> covered{"unreadable", "no-hint"};
    for (const Row& row : rows())
        for (const Expected& e : row.findings)
            covered.insert(e.kind);
    for (const std::string& kind : checkKinds())
        EXPECT_TRUE(covered.count(kind)) << kind;
}

// Every extension of the player's list takes a real file of its format (the
// fuzz seeds, made by the decoders' tests); the checker reads each without
// a finding, metafiles included, though it cannot draw them.
TEST(Check, AcceptsEveryPictureFormatOfTheList) {
    const std::pair<const char*, const char*> kinds[] = {
        {"bmp", "bmp/4-bits.bmp"},
        {"dib", "bmp/packed-DIB.dib"},
        {"rle", "bmp/delta-and-early-end.rle"},
        {"ico", "ico/three-sizes.ico"},
        {"wmf", "wmf/rectangle.wmf"},
        {"emf", "emf/path.emf"},
        {"jpg", "jpeg/rgb.jpg"},
        {"jpeg", "jpeg/grey.jpg"},
        {"jpe", "jpeg/progressive.jpg"},
        {"jfif", "jpeg/cmyk_adobe.jpg"},
        {"gif", "gif/plain.gif"},
        {"png", "png/rgb8.png"},
        {"win", "tga/grey.tga"},
        {"vst", "tga/15-bits.tga"},
        {"vda", "tga/colour-mapped.tga"},
        {"tga", "tga/RLE-grey.tga"},
        {"icb", "tga/32-bits-with-alpha.tga"},
        {"tiff", "tiff/rgb_lzw.tif"},
        {"tif", "tiff/g4.tif"},
        {"fax", "fax/g3_msb.fax"},
        {"eps", "eps/wmf-preview.eps"},
        {"pcx", "pcx/4-bits-packed.pcx"},
        {"pcc", "pcx/monochrome.pcx"},
        {"scr", "pcx/EGA-colours.pcx"},
        {"rpf", "rla/placed-window.rpf"},
        {"rla", "rla/rgb16.rla"},
        {"sgi", "sgi/rgb-verbatim.sgi"},
        {"rgba", "sgi/rgba16-rle.rgba"},
        {"rgb", "sgi/rgb-rle.rgb"},
        {"bw", "sgi/grey-rle.bw"},
        {"psd", "psd/rgb-raw.psd"},
        {"pdd", "psd/indexed.psd"},
        {"ppm", "pnm/colour.ppm"},
        {"pgm", "pnm/grey16.pgm"},
        {"pbm", "pnm/packed.pbm"},
        {"cel", "cel/animator.cel"},
        {"pic", "cel/pro-bytes.pic"},
        {"pcd", "pcd/quarter-turn.pcd"},
        {"cut", "cut/greys.cut"},
        {"psp", "psp/three-layers.psp"},
    };
    TempGame game;
    std::string pictures;
    std::set<std::string> extensions;
    int n = 0;
    for (const auto& [ext, seed] : kinds) {
        if (!extensions.insert(ext).second)
            continue;
        std::ifstream in(std::string(TALEPLAY_FUZZ_CORPUS) + "/" + seed, std::ios::binary);
        ASSERT_TRUE(in) << seed;
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                               std::istreambuf_iterator<char>());
        const std::string name = "p" + std::to_string(++n) + "." + ext;
        game.writeBytes(name, bytes);
        pictures += "*picture" + std::to_string(n) + "*name*" + name + "#\n";
    }
    EXPECT_EQ(extensions.size(), 40u) << "every extension of the list";
    // And one that is not what it says, to show the pictures were read.
    game.writeBytes("broken.psp", std::vector<unsigned char>(64, 'x'));
    pictures += "*picture" + std::to_string(++n) + "*name*broken.psp#\n";
    game.write("allbackpictures.txt", pictures);
    std::string all;
    for (const Finding& f : checkGame(game.folder()))
        if (f.kind == "bad-picture")
            all += f.message + "\n";
    EXPECT_EQ(all, "picture 'broken.psp' cannot be loaded: Paint Shop Pro picture is damaged (not "
                   "a Paint Shop Pro file)\n");
}

// Hints are keys like any other, and only --accessibility asks for them:
// each built button without one is a warning at its name's line, on the
// play screen and on the end screens.
TEST(Check, ButtonsWithoutHintsOnlyWhenAskedFor) {
    TempGame game;
    for (const auto& [name, text] : kBase)
        game.write(name, text);
    game.write("allbuttons.txt", kBase.at("allbuttons.txt") +
                                     "*button2*name*ok.png#*button2*hint*Check the answer#\n"
                                     "*button3*name*missing.png#\n");
    game.write("allbackpictures.txt",
               kBase.at("allbackpictures.txt") + "*picture1*hint*The moon#\n");
    game.write("victorypictures.txt", kBase.at("victorypictures.txt") + "*button1*name*ok.png#\n");
    const std::vector<Finding> plain = checkGame(game.folder());
    for (const Finding& f : plain)
        EXPECT_NE(f.kind, "unknown-key") << f.message;
    EXPECT_EQ(std::count_if(plain.begin(), plain.end(),
                            [](const Finding& f) { return f.kind == "no-hint"; }),
              0);

    std::vector<std::string> hints;
    for (const Finding& f : checkGame(game.folder(), Accessibility::Check))
        if (f.kind == "no-hint")
            hints.push_back(f.file + ":" + std::to_string(f.line) + " " + f.message);
    EXPECT_EQ(hints,
              (std::vector<std::string>{
                  "allbuttons.txt:1 button 1 has no hint: a screen reader calls it by its "
                  "picture's name 'ok.png'. Say what it does with *button1*hint*...#",
                  "victorypictures.txt:2 button 1 has no hint: a screen reader calls it by its "
                  "picture's name 'ok.png'. Say what it does with *button1*hint*...#"}));
}

TEST(Check, MissingDataFolderIsAnError) {
    const std::vector<Finding> found = checkGame("/nonexistent/data_nothing");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].severity, Severity::Error);
}

// Programs are looked for beside the data folder, where the game is started
// from, however the folder is written on the command line.
TEST(Check, ProgramsBesideTheDataFolder) {
    TempGame game;
    for (const auto& [name, text] : kBase)
        game.write(name, text);
    game.write("allbuttons.txt",
               kBase.at("allbuttons.txt") + "*button1*clickALLBAD*#startprogram ..\\setup.exe^\n");
    std::ofstream(game.root() + "/setup.exe") << "#!/bin/sh\n";
    EXPECT_TRUE(problems(checkGame(game.folder() + "/./")).empty());
    EXPECT_TRUE(problems(checkGame(game.folder() + "/../data_test")).empty());
}

// The folder is a command-line path: used as it is, whatever its name.
TEST(Check, GamesInFoldersOfAnyName) {
    TempGame game;
    for (const auto& [name, text] : kBase)
        game.write(name, text);
    game.write("allbuttons.txt",
               kBase.at("allbuttons.txt") + "*button1*clickALLBAD*#startprogram ..\\setup.exe^\n");
    for (const std::string folder : {"Игры", "café", "日本 語", "«A» ё", "back\\slash"}) {
        const fs::path home = fs::path(game.root()) / folder;
        fs::create_directories(home);
        fs::copy(game.folder(), home / "data_test");
        std::ofstream(home / "setup.exe") << "#!/bin/sh\n";
        EXPECT_TRUE(problems(checkGame((home / "data_test").string())).empty()) << folder;
        fs::remove(home / "data_test" / "ok.png");
        const std::vector<Finding> found = problems(checkGame((home / "data_test").string()));
        ASSERT_FALSE(found.empty()) << folder;
        EXPECT_EQ(found[0].message, "picture 'ok.png' does not exist; the player reports it");
    }
}

// The demo game is the authors' example: the checker must find nothing in
// it, neither a fault of the demo nor a false alarm of its own.
TEST(Check, DemoGameHasNoFindings) {
    std::string all, notes;
    for (const Finding& f : checkGame(TALEPLAY_DEMO_FOLDER))
        (f.severity == N ? notes : all) += formatLine("", f) + "\n";
    EXPECT_EQ(all, "");
    // Its Russian texts are Windows-1251, as games from Windows are.
    EXPECT_EQ(notes, ": note: every description file with text beyond plain Latin is read as "
                     "Windows-1251\n");
}

// Runs the program in an environment of its own: `environment` is the whole
// of it besides PATH ("LANG=ru_RU.UTF-8"), so that the caller's locale
// never leaks in. Returns the exit status and leaves stdout and stderr in
// `out`.
int runChecker(const std::string& environment, const std::string& arguments, std::string& out) {
    const std::string command = "env -i PATH=/usr/bin:/bin " + environment + " " +
                                std::string(TALEPLAY_CHECK_EXE) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    char buf[4096];
    out.clear();
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
        out.append(buf, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void writeBase(const TempGame& game) {
    for (const auto& [name, text] : kBase)
        game.write(name, text);
}

// The program itself: JSON out, exit status 1 on an error and 0 without.
TEST(CheckProgram, JsonAndExitStatus) {
    TempGame game;
    writeBase(game);
    std::string out;
    const std::string arguments = "--json '" + game.folder() + "'";
    EXPECT_EQ(runChecker("LANG=C.UTF-8", arguments, out), 0) << out;
    // Notes (the encoding of the Russian files) are no fault.
    EXPECT_NE(out.find("\"game\": \"test\", \"errors\": 0, \"warnings\": 0, \"notes\": 1, "
                       "\"findings\": ["),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"severity\": \"note\", \"kind\": \"encoding\""), std::string::npos) << out;

    game.write("allbackpictures.txt", "*picture1*name*ok.png#\n*picture2*name*\"gone\".png#\n");
    EXPECT_EQ(runChecker("LANG=C.UTF-8", arguments, out), 1) << out;
    EXPECT_NE(out.find("\"line\": 2, \"severity\": \"error\", \"kind\": \"missing-file\""),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("picture '\\\"gone\\\".png' does not exist"), std::string::npos) << out;
}

// Every run ends with one line that counts the findings, a clean game
// included; --quiet leaves only that line, the exit status tells the rest.
TEST(CheckProgram, SummaryLine) {
    TempGame game;
    writeBase(game);
    const std::string folder = "'" + game.folder() + "'";
    std::string out;
    EXPECT_EQ(runChecker("", folder, out), 0);
    EXPECT_TRUE(out.ends_with("\ntest: 0 errors, 0 warnings, 1 note\n")) << out;
    EXPECT_EQ(runChecker("", "--quiet " + folder, out), 0);
    EXPECT_EQ(out, "test: 0 errors, 0 warnings, 1 note\n");

    game.write("allbackpictures.txt", "*picture1*name*ok.png#\n*picture2*name*gone.png#\n");
    game.write("allbacktexts.txt", "*text1*string1*Tom & Jerry#\n");
    EXPECT_EQ(runChecker("", "-q " + folder, out), 1);
    EXPECT_EQ(out, "test: 1 error, 1 warning, 1 note\n");
    // JSON carries its own counts: --quiet does not cut it.
    EXPECT_EQ(runChecker("", "--quiet --json " + folder, out), 1);
    EXPECT_NE(out.find("\"errors\": 1, \"warnings\": 1, \"notes\": 1"), std::string::npos) << out;
}

TEST(Check, GameNames) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"/games/data_quiz", "quiz"},
        {"/games/data_quiz/", "quiz"},
        {"/games/data_Моя игра", "Моя игра"},
        {"/games/quiz", "quiz"},
        {"/games/data_", "data_"},
    };
    for (const auto& [folder, name] : rows)
        EXPECT_EQ(gameName(folder), name) << folder;
}

// Under a Russian locale the messages, severities, usage and summary are
// Russian: whether the system has the locale (LANG alone), or has only
// C.UTF-8 and is told the language (LANGUAGE), as a fresh Debian has. The
// catalogue comes from the build tree. JSON keeps its field names, kinds
// and severities.
TEST(CheckProgram, RussianMessages) {
    TempGame game;
    writeBase(game);
    game.write("allbackpictures.txt", "*picture1*name*ok.png#\n*picture2*name*gone.png#\n");
    const std::string folder = "'" + game.folder() + "'";
    for (const std::string environment :
         {"LANG=ru_RU.UTF-8", "LC_ALL=C.UTF-8 LANGUAGE=ru", "LANG=C LC_MESSAGES=ru_RU.UTF-8"}) {
        std::string out;
        EXPECT_EQ(runChecker(environment, folder, out), 1) << environment;
        EXPECT_NE(out.find("allbackpictures.txt:2: ошибка: картинка 'gone.png' не существует; "
                           "плеер сообщит об этом\n"),
                  std::string::npos)
            << environment << "\n"
            << out;
        EXPECT_TRUE(out.ends_with("\ntest: 1 ошибка, 0 предупреждений, 1 замечание\n"))
            << environment << "\n"
            << out;

        EXPECT_EQ(runChecker(environment, "--json " + folder, out), 1);
        EXPECT_NE(out.find("\"severity\": \"error\", \"kind\": \"missing-file\", \"message\": "
                           "\"картинка 'gone.png' не существует"),
                  std::string::npos)
            << environment << "\n"
            << out;

        EXPECT_EQ(runChecker(environment, "--help", out), 2);
        EXPECT_NE(out.find("использование: taleplay-check"), std::string::npos) << out;
    }
    // Without a Russian locale, and in plain C whatever LANGUAGE says, as
    // gettext has it: English.
    for (const std::string environment : {"", "LANG=en_GB.UTF-8", "LC_ALL=C LANGUAGE=ru"}) {
        std::string out;
        EXPECT_EQ(runChecker(environment, "--quiet " + folder, out), 1);
        EXPECT_EQ(out, "test: 1 error, 0 warnings, 1 note\n") << environment;
    }
}

// Slips of the pen and of the keyboard layout, as the key checks weigh them.
TEST(Spelling, DistancesAndLookAlikes) {
    const std::vector<std::tuple<std::string, std::string, int>> distances{
        {"pictrue", "picture", 1},
        {"leftindivison", "leftindivision", 1},
        {"fontcolour", "fontcolor", 1},
        {"clik", "click", 1},
        {"*shape1*color*", "*shape1color*", 1},
        {"abc", "abc", 0},
        {"", "abc", 3},
        {"video", "sound", 5},
    };
    for (const auto& [a, b, d] : distances) {
        EXPECT_EQ(editDistance(a, b), d) << a << " " << b;
        EXPECT_EQ(editDistance(b, a), d) << b << " " << a;
    }
    EXPECT_EQ(latinLookAlike(0xF0), 'p'); // р
    EXPECT_EQ(latinLookAlike(0xD0), 'P'); // Р
    EXPECT_EQ(latinLookAlike(0xB3), 'i'); // і
    EXPECT_EQ(latinLookAlike(0xE6), 0);   // ж
    EXPECT_EQ(latinLookAlike('p'), 0);
    EXPECT_EQ(withLatinLookAlikes(cp1251::fromUtf8("*рiсturе1*")), "*picture1*");
}

} // namespace
} // namespace taleplay::check
