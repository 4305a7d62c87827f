#pragma once
// What the checker knows of a game: its description files, each read once as
// the player reads lines so that every lookup can say on which line it found
// its key, and what each screen would build from them.
#include "core/files.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace taleplay::check {

// One description file of the data folder. The lookups compare as the
// player's do (exact for value keys, ASCII and Cyrillic case folded for
// flags and counts) but answer with line numbers, from 1; 0 means none.
class DescrFile {
  public:
    DescrFile(const std::string& dataFolder, std::string name);

    const std::string& name() const { return name_; } // Windows-1251
    bool exists() const { return exists_; }
    // Why the file exists but cannot be read (UTF-8); empty when it was read.
    const std::string& readError() const { return readError_; }
    const std::vector<std::string>& lines() const { return lines_; }
    // The encoding the player reads it in, and whether that mattered: false
    // for a file of ASCII only, which reads the same in every one.
    files::TextEncoding encoding() const { return encoding_; }
    bool beyondAscii() const { return beyondAscii_; }
    // Read as Windows-1251 although most of what lies beyond ASCII is UTF-8:
    // the first line that is not (0 when the file is not such a mix).
    int firstLineNotUtf8() const { return firstLineNotUtf8_; }
    // Read as UTF-8: the lines holding characters Windows-1251 lacks, which
    // the player reads as '?', with those characters (UTF-8, each once, in
    // order; a byte that is no UTF-8 as "0xNN") and how many there are.
    struct Lost {
        int line = 0;
        int count = 0;
        std::vector<std::string> characters;
    };
    const std::vector<Lost>& lostCharacters() const { return lost_; }
    // Each line folded as the any-case comparison folds it.
    const std::vector<std::string>& folded() const { return folded_; }

    int firstExact(std::string_view key) const;
    int firstAnyCase(std::string_view key) const;
    const std::string& line(int number) const { return lines_[number - 1]; }

    struct Value {
        std::string text;
        int line = 0;
    };
    // The key value: the first exact line, from the key to the next "#",
    // blanks trimmed. An empty text with line 0 when the key is absent.
    Value value(std::string_view key) const;
    // The same without trimming, as strings and initial texts are read.
    Value untrimmedValue(std::string_view key) const;

  private:
    void readEncoding(const std::string& path, const std::string& composed);

    std::string name_;
    bool exists_ = false;
    files::TextEncoding encoding_ = files::TextEncoding::Windows1251;
    bool beyondAscii_ = false;
    int firstLineNotUtf8_ = 0;
    std::vector<Lost> lost_;
    std::string readError_;
    std::vector<std::string> lines_;
    std::vector<std::string> folded_;
};

// The last number of each family that the builders read.
inline constexpr int kLastPicture = 50;
inline constexpr int kLastShape = 30;
inline constexpr int kLastButton = 30;
inline constexpr int kLastText = 50;
inline constexpr int kLastEndText = 25;
inline constexpr int kLastList = 10;
inline constexpr int kLastTextWindow = 100;
inline constexpr int kLastString = 25;

enum class Kind { None, Text, TextWindow, Picture, List, Button, Shape, Video };

const char* kindWord(Kind kind);

// The play screen or one of the two end screens, with the files it is built
// from and the numbered components it would have.
struct Screen {
    std::string title; // "play screen", "victory screen", "loss screen": English, for tr()
    bool endScreen = false;
    std::string folder;                     // the data folder, composed
    const DescrFile* pictures = nullptr;    // also holds the end screen's buttons
    const DescrFile* texts = nullptr;       // text lines (and lists on the play screen)
    const DescrFile* buttons = nullptr;     // buttons and their click rules
    const DescrFile* textWindows = nullptr; // play screen only
    int lastText = kLastText;

    // Whether component `number` of `kind` would be built (and so found by
    // the component lookup).
    bool has(Kind kind, int number) const;
    // Whether the screen builds its button `number`, whose rules then run
    // when it is clicked.
    bool buildsButton(int number) const;
};

// What the component lookup makes of a target text.
struct Target {
    Kind kind = Kind::None;
    int number = 0;
};
Target readTarget(const std::string& target);

// One command of a click rule or of a "*clickALLGOOD*" / "*clickALLBAD*" line,
// cut from its line as the click handler cuts it.
struct Command {
    const Screen* screen = nullptr;
    const DescrFile* file = nullptr;
    int line = 0;
    enum class Role { Condition, Success, Failure, Group } role = Role::Condition;
    std::string target;
    std::string text;
    // Whether the line holds the rule key in exact case; when it does not,
    // the first target comes out empty.
    bool exactKey = true;
    std::string button; // the number of the button whose rules hold it, as written
};

// One rule line, with the key the click handler builds for it.
struct RuleLine {
    const Screen* screen = nullptr;
    const DescrFile* file = nullptr;
    int line = 0;
    std::string button;
    std::string key; // "*button" + number + "*click*" (or the group suffix), exact
    bool group = false;
};

// A file that a description file or a command names, or a default picture
// the player loads when nothing is named.
struct NamedFile {
    const DescrFile* file = nullptr; // null for a default picture
    int line = 0;
    std::string name;     // as written, Windows-1251
    std::string composed; // the path the player composes for it
    enum class Use { Picture, Sound, Video, Program } use = Use::Picture;
    // Whether the player tells the player when it is missing (pictures,
    // buttons, videos, programs) or does without it (decorations fall back
    // to their defaults, a pressed picture or a sound is left out).
    bool reportedWhenMissing = true;
};

class Game {
  public:
    explicit Game(const std::string& dataFolder);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // The data folder, native as given on the command line (made absolute),
    // ending with the separator; game names are composed onto it.
    const std::string& folder() const { return folder_; }
    bool folderExists() const { return folderExists_; }
    std::vector<const DescrFile*> files() const;
    const DescrFile& file(std::string_view name) const;
    const std::vector<Screen>& screens() const { return screens_; }
    const Screen& playScreen() const { return screens_[0]; }
    const std::vector<RuleLine>& rules() const { return rules_; }
    const std::vector<Command>& commands() const { return commands_; }
    // Every picture, sound, video and program file the game names, in the
    // order of the screens and their keys, followed by the files commands
    // name; then the default pictures that exist and would be loaded.
    std::vector<NamedFile> namedFiles() const;

  private:
    void readRules(const Screen& screen);

    std::string folder_;
    bool folderExists_ = false;
    std::vector<DescrFile> files_;
    std::vector<Screen> screens_;
    std::vector<RuleLine> rules_;
    std::vector<Command> commands_;
};

// The key of a numbered family: ("*picture", 3, "*name*") gives
// "*picture3*name*".
std::string numberedKey(std::string_view prefix, int number, std::string_view suffix);

} // namespace taleplay::check
