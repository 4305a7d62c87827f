// Control origins: the tables tell the number, the lookups tell the line.
#include "app/control_origin.h"

#include "descr/Stroki_functions.h"
#include "game/game.h"

#include <array>
#include <string_view>

namespace taleplay {
namespace {

constexpr int kLastString = 25;

// Number n (from 1) of the entry of `table` that holds `w`; 0 when none does.
int numberIn(const std::vector<QPointer<QWidget>>& table, const QWidget* w) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] == w)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The line of the first key of `keys` written in `file`, exactly as the
// builders read it, else in any letter case (lists and text windows are
// found that way).
int lineOf(const std::string& file, std::string_view key) {
    if (const int line = firstLineNumberWithKey(file, key, KeyCase::Exact))
        return line;
    return firstLineNumberWithKey(file, key, KeyCase::Any);
}

ControlOrigin numbered(const std::string& file, const char* word, int n, std::string_view key,
                       Line wanted) {
    ControlOrigin o;
    o.name = word + std::to_string(n);
    o.file = file;
    o.stem = "*" + o.name;
    if (wanted == Line::Skipped)
        return o;
    o.line = lineOf(file, o.stem + std::string(key));
    if (o.line == 0)
        o.line = lineOf(file, o.stem + "*");
    return o;
}

// The label at `index` of the label table is the k-th line of its text that
// has a value; the line of that string's key.
int stringLine(const std::string& file, const std::string& stem, int lineOfText) {
    int seen = 0;
    for (int k = 1; k <= kLastString; ++k) {
        const std::string key = stem + "*string" + std::to_string(k) + "*";
        const std::string line = firstLineWithKey(file, key);
        if (line.empty() || textBeforeDelimiter(textAfterKey(line, key), "#").empty())
            continue;
        if (seen++ == lineOfText)
            return firstLineNumberWithKey(file, key, KeyCase::Exact);
    }
    return 0;
}

ControlOrigin decoration(const std::string& file, const std::string& controlName,
                         std::string_view kind, Line wanted) {
    struct Decoration {
        std::string_view prefix, stem, key;
    };
    // The name's prefix without the end screen's "ura"; the corners by number.
    static constexpr std::array<Decoration, 8> decorations{{
        {"BP", "*fon", "*fon*name*"},
        {"FON", "*bigfon", "*bigfon*name*"},
        {"RH", "*framehoriz", "*framehoriz*name*"},
        {"RV", "*framevert", "*framevert*name*"},
        {"UGOL0", "*upleftcorner", "*upleftcorner*name*"},
        {"UGOL1", "*uprightcorner", "*uprightcorner*name*"},
        {"UGOL2", "*bottomleftcorner", "*bottomleftcorner*name*"},
        {"UGOL3", "*bottomrightcorner", "*bottomrightcorner*name*"},
    }};
    ControlOrigin o;
    o.name = controlName;
    o.file = file;
    for (const Decoration& d : decorations) {
        if (startsWith(kind, d.prefix)) {
            o.stem = d.stem;
            if (wanted == Line::Found)
                o.line = lineOf(file, d.key);
            break;
        }
    }
    return o;
}

} // namespace

ControlOrigin originOf(const Game& game, const Control& control, Line wanted) {
    const ProgramState& state = game.state;
    const ComponentTables& t = game.tables;
    const QWidget* w = control.widget();
    const std::string& name = control.name();
    if (&control == game.ImageServant || &control == game.LabelServant)
        return {};

    // The end screen's controls carry "ura" ("URA" for buttons) and come
    // from the end screen's files.
    const bool endScreen = startsWith(name, "ura") || startsWith(name, "URA");
    const std::string pictures =
        endScreen ? state.endPicturesFile : state.dataFolder + "allbackpictures.txt";
    const std::string texts =
        endScreen ? state.endTextsFile : state.dataFolder + "allbacktexts.txt";

    if (&control == game.VideoWindow1) {
        const std::string file = state.endPicturesFile.empty() ? pictures : state.endPicturesFile;
        return {"video", file, wanted == Line::Found ? lineOf(file, "*video*") : 0, "*video"};
    }
    if (int n = numberIn(t.pictures, w))
        return numbered(pictures, "picture", n, "*name*", wanted);
    if (int n = numberIn(t.shapes, w))
        return numbered(pictures, "shape", n, "*form*", wanted);
    if (int n = numberIn(t.lists, w))
        return numbered(texts, "list", n, "*string1*", wanted);
    if (int n = numberIn(t.textWindows, w))
        return numbered(state.dataFolder + "alltextwindows.txt", "textwindow", n, "*", wanted);
    if (int n = numberIn(t.buttons, w))
        return numbered(state.dataFolder + "allbuttons.txt", "button", n, "*name*", wanted);
    if (int n = numberIn(t.endButtons, w))
        return numbered(state.endPicturesFile, "button", n, "*name*", wanted);
    if (const int label = numberIn(t.labels, w) - 1; label >= 0) {
        for (std::size_t i = 0; i < t.texts.size(); ++i) {
            const auto [first, count] = t.texts[i];
            if (label < first || label >= first + count)
                continue;
            ControlOrigin o = numbered(texts, "text", static_cast<int>(i) + 1, "*string1*", wanted);
            if (wanted == Line::Skipped)
                return o;
            if (const int line = stringLine(texts, o.stem, label - first))
                o.line = line;
            return o;
        }
    }
    const std::string_view kind = std::string_view(name).substr(endScreen ? 3 : 0);
    return decoration(pictures, name, kind, wanted);
}

std::vector<NumberedLine> keyLinesOf(const ControlOrigin& origin) {
    if (origin.file.empty() || origin.stem.empty())
        return {};
    std::vector<NumberedLine> lines =
        numberedLinesWithKey(origin.file, origin.stem, KeyCase::Exact);
    // "*picture1" is also the start of "*picture12": a line counts when the
    // stem is followed by something else than a digit somewhere in it.
    std::erase_if(lines, [&](const NumberedLine& l) {
        for (std::size_t at = l.text.find(origin.stem); at != std::string::npos;
             at = l.text.find(origin.stem, at + 1)) {
            const std::size_t next = at + origin.stem.size();
            if (next >= l.text.size() || l.text[next] < '0' || l.text[next] > '9')
                return false;
        }
        return true;
    });
    return lines;
}

} // namespace taleplay
