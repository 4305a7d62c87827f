// The editor's components: kinds, keys, adding, removing, the form's values.
#include "app/edit_component.h"

#include "app/control_origin.h"
#include "app/edit_placement.h"
#include "app/edit_session.h"
#include "commands/taleforge_serv_serv.h"
#include "core/codepage.h"
#include "core/errors.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "game/game.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace taleplay::editing {
namespace {

// Said in edit mode's status line and form, in the player's language.
QString translated(const char* text) {
    return QCoreApplication::translate("taleplay::EditMode", text);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool digit(char c) {
    return c >= '0' && c <= '9';
}

struct KindWord {
    const char* word;
    Kind kind;
};
// Longer words first: "textwindow1" is no text line.
constexpr std::array<KindWord, 6> kWords{{{"textwindow", Kind::TextWindow},
                                          {"picture", Kind::Picture},
                                          {"shape", Kind::Shape},
                                          {"text", Kind::Text},
                                          {"list", Kind::List},
                                          {"button", Kind::Button}}};

std::optional<Component> fromOrigin(const ControlOrigin& o) {
    if (o.name.empty() || o.file.empty())
        return std::nullopt;
    if (o.name == "video")
        return Component{Kind::Video, "video", o.file, "*videoscreen", "*video"};
    if (o.name == "FON" || o.name == "uraFON")
        return Component{Kind::LargeBackground, o.name, o.file, "*bigfon", {}};
    for (const KindWord& w : kWords) {
        if (!startsWith(o.name, w.word))
            continue;
        const std::string_view rest = std::string_view(o.name).substr(std::strlen(w.word));
        if (!rest.empty() && digit(rest[0]))
            return Component{w.kind, o.name, o.file, o.stem, {}};
    }
    return std::nullopt; // tiles, frames, corners
}

// How far a key at `at` reaches: a division value has two "#" (and maybe a
// centre mark), a click rule runs to the line's end, anything else to its
// "#"; the blanks after it go with it.
std::size_t keyEnd(std::string_view line, std::size_t at, std::size_t stemSize) {
    const std::string_view key = line.substr(at + stemSize);
    const std::string lower = asciiLowerCase(key.substr(0, std::min<std::size_t>(key.size(), 24)));
    if (startsWith(lower, "*click"))
        return line.size();
    const std::size_t valueAt = key.find('*', 1);
    const bool division =
        valueAt != std::string_view::npos &&
        (key.substr(0, valueAt + 1).find("indivision*") != std::string_view::npos ||
         key.substr(0, valueAt + 1) == "*fontsize*");
    std::size_t end = at + stemSize;
    for (int hashes = division ? 2 : 1; hashes > 0; --hashes) {
        end = line.find('#', end);
        if (end == std::string_view::npos)
            return line.size();
        ++end;
    }
    if (division && line.substr(end, 7) == "center#")
        end += 7;
    while (end < line.size() && line[end] == ' ')
        ++end;
    return end;
}

std::string upTo(const DescriptionDocument& doc, DescriptionDocument::Span s) {
    return doc.utf8Of(s);
}

std::string encoded(const DescriptionDocument& doc, const std::string& utf8) {
    if (utf8.find_first_of("#\r\n\x1a") != std::string::npos)
        throw Refused{translated(
            QT_TRANSLATE_NOOP("taleplay::EditMode",
                              "A value cannot hold \"#\" or a line break: the player would cut it "
                              "there."))};
    const std::optional<std::string> bytes = doc.encode(utf8);
    if (!bytes)
        throw Refused{
            translated(QT_TRANSLATE_NOOP(
                           "taleplay::EditMode",
                           "\"%1\" holds a character that %2 cannot hold; nothing was changed."))
                .arg(QString::fromStdString(utf8),
                     QString::fromUtf8(files::encodingName(doc.encoding())))};
    return *bytes;
}

std::size_t lastLineFor(const DescriptionDocument& doc, const Component& c) {
    return lastLineOf(doc, c.stem, c.otherStem).value_or(doc.lines().size());
}

// Writes one value: between the blanks of the value there, or the key on a
// line of its own after the component's others.
void setValue(DescriptionDocument& doc, const Component& c, const std::string& key,
              const std::string& utf8, bool trimmed) {
    const std::string bytes = encoded(doc, utf8);
    if (const auto span = doc.valueAfter(key)) {
        if (doc.text(*span) == bytes || (trimmed && doc.text(doc.trimmed(*span)) == bytes))
            return;
        doc.replace(trimmed ? doc.trimmed(*span) : *span, bytes);
        return;
    }
    if (!utf8.empty())
        doc.insertLineAfter(lastLineFor(doc, c), key + bytes + "#");
}

// Takes the key at the start of `key`'s first line out, the whole line when
// it holds nothing else.
void removeKeyLine(DescriptionDocument& doc, std::size_t line, std::size_t at) {
    const std::string_view text = doc.lineText(line);
    const std::size_t begin = doc.lines()[line].text.begin;
    const std::size_t stemEnd = text.find('*', at + 1);
    const std::size_t end = keyEnd(text, at, stemEnd == std::string_view::npos ? 1 : stemEnd - at);
    const std::string rest = std::string(text.substr(0, at)) + std::string(text.substr(end));
    if (rest.find_first_not_of(' ') == std::string::npos)
        doc.eraseLine(line);
    else
        doc.replace({begin + at, begin + end}, "");
}

// A right answer's value in `line`, between its blanks: the key is found in
// any letter case, as the answer check finds it.
DescriptionDocument::Span answerAt(const DescriptionDocument& doc, std::size_t line,
                                   const std::string& key) {
    const std::string_view text = doc.lineText(line);
    const std::size_t at = asciiLowerCase(text).find(asciiLowerCase(key)) + key.size();
    const std::size_t hash = text.find('#', at);
    const std::size_t begin = doc.lines()[line].text.begin;
    return doc.trimmed(
        {begin + at, hash == std::string_view::npos ? begin + text.size() : begin + hash});
}

int freeNumber(const DescriptionDocument& doc, const char* word, int most) {
    for (int n = 1; n <= most; ++n) {
        const std::string stem = std::string("*") + word + std::to_string(n);
        bool used = false;
        for (std::size_t i : doc.linesWithAnyCase(stem)) {
            const std::string lower = asciiLowerCase(doc.lineText(i));
            for (std::size_t at = lower.find(stem); at != std::string::npos && !used;
                 at = lower.find(stem, at + 1))
                used = at + stem.size() >= lower.size() || !digit(lower[at + stem.size()]);
        }
        if (!used)
            return n;
    }
    return 0;
}

} // namespace

std::optional<Component> componentOf(const Game& game, const Control& control) {
    return fromOrigin(originOf(game, control, Line::Skipped));
}

std::optional<Component> componentNamed(Game& game, const std::string& target) {
    if (Control* c = game.host().find(target))
        return componentOf(game, *c);
    if (target.empty() || target.find_first_of("*#") != std::string::npos)
        return std::nullopt;
    const std::vector<Control*> found =
        TargetComponents(game, ComponentLookup(game, "*" + target + "#", "*", "#"));
    if (found.empty())
        return std::nullopt;
    return componentOf(game, *found.front());
}

std::vector<QWidget*> widgetsOf(Game& game, const Component& c) {
    std::vector<QWidget*> out;
    if (c.kind == Kind::LargeBackground) {
        if (Control* control = game.host().find(c.target))
            out.push_back(control->widget());
        return out;
    }
    for (Control* control :
         TargetComponents(game, ComponentLookup(game, "*" + c.target + "#", "*", "#"))) {
        // The same name on another screen (an end screen's picture1) is
        // another component, made from another file.
        const std::optional<Component> shown = componentOf(game, *control);
        if (shown && shown->file == c.file)
            out.push_back(control->widget());
    }
    return out;
}

QRect rectOf(Game& game, const Component& c) {
    QRect r;
    for (QWidget* w : widgetsOf(game, c))
        r = r.isNull() ? w->geometry() : r.united(w->geometry());
    return r;
}

void removeKeys(DescriptionDocument& doc, const Component& c) {
    for (const std::string& stem : {c.stem, c.otherStem}) {
        if (stem.empty())
            continue;
        for (std::size_t line = doc.lines().size(); line-- > 0;) {
            std::vector<std::size_t> at = keyPositions(doc.lineText(line), stem);
            // From the last, so the places of the others stay.
            for (auto it = at.rbegin(); it != at.rend(); ++it) {
                const std::string_view text = doc.lineText(line);
                const std::size_t begin = doc.lines()[line].text.begin;
                const std::size_t end = keyEnd(text, *it, stem.size());
                const std::string rest =
                    std::string(text.substr(0, *it)) + std::string(text.substr(end));
                if (rest.find_first_not_of(' ') == std::string::npos) {
                    doc.eraseLine(line);
                    break;
                }
                doc.replace({begin + *it, begin + end}, "");
            }
        }
    }
}

std::string addComponent(EditSession& session, Game& game, Kind kind, int x, int y,
                         const std::string& file) {
    const std::string& folder = game.state.dataFolder;
    struct Made {
        const char* word;
        int most;
        const char* fileName;
    };
    const Made made = kind == Kind::Picture      ? Made{"picture", 50, "allbackpictures.txt"}
                      : kind == Kind::Text       ? Made{"text", 50, "allbacktexts.txt"}
                      : kind == Kind::TextWindow ? Made{"textwindow", 100, "alltextwindows.txt"}
                                                 : Made{"button", 30, "allbuttons.txt"};
    DescriptionDocument& doc = session.document(folder + made.fileName);
    const int n = freeNumber(doc, made.word, made.most);
    if (n == 0)
        throw Refused{translated(QT_TRANSLATE_NOOP(
            "taleplay::EditMode", "The game already has as many of these as the player reads."))};
    const std::string stem = std::string("*") + made.word + std::to_string(n);
    std::vector<std::string> lines;
    if (kind == Kind::Picture || kind == Kind::Button) {
        if (file.empty())
            throw Refused{translated(QT_TRANSLATE_NOOP(
                "taleplay::EditMode",
                "Put a picture into the game's folder first: the new one shows it."))};
        lines.push_back(stem + "*name*" + encoded(doc, file) + "#");
    }
    if (kind == Kind::Text)
        lines.push_back(
            stem + "*string1*" +
            encoded(doc,
                    translated(QT_TRANSLATE_NOOP("taleplay::EditMode", "New text")).toStdString()) +
            "#");
    lines.push_back(stem + "*leftinpixels*" + std::to_string(std::max(1, x)) + "#");
    lines.push_back(stem + "*topinpixels*" + std::to_string(std::max(1, y)) + "#");
    if (kind == Kind::TextWindow)
        lines.push_back(stem + "*widthinpixels*200#");
    if (kind == Kind::Button) {
        // Without the star in front the player reads no rule here; the
        // author fills the fields in and puts the star before it.
        lines.push_back(std::string(made.word) + std::to_string(n) +
                        "*click* target # condition ^ target & command + target = command ~");
    }
    for (const std::string& line : lines)
        doc.insertLineAfter(doc.lines().size(), line);
    return std::string(made.word) + std::to_string(n);
}

std::vector<Field> fieldsOf(EditSession& session, const Component& c) {
    DescriptionDocument& doc = session.document(c.file);
    std::vector<Field> fields;
    auto single = [&](const char* label, const std::string& key, bool trimmed = true) {
        Field f{translated(label), key, Field::Shape::Single, trimmed, {}};
        const auto span = doc.valueAfter(key);
        f.values.push_back(span ? upTo(doc, trimmed ? doc.trimmed(*span) : *span) : "");
        fields.push_back(std::move(f));
    };
    auto strings = [&](const char* label) {
        Field f{translated(label), c.stem + "*string", Field::Shape::Lines, false, {}};
        for (int k = 1; k <= 25; ++k) {
            const auto span = doc.valueAfter(f.key + std::to_string(k) + "*");
            f.values.push_back(span ? upTo(doc, *span) : "");
        }
        while (!f.values.empty() && f.values.back().empty())
            f.values.pop_back();
        fields.push_back(std::move(f));
    };
    switch (c.kind) {
    case Kind::Picture:
    case Kind::Button:
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Picture file"), c.stem + "*name*");
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Hint for screen readers"),
               c.stem + "*hint*");
        break;
    case Kind::Text:
        strings(QT_TRANSLATE_NOOP("taleplay::EditMode", "Text, a line for each string"));
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Letter colour"), c.stem + "fontcolor*");
        break;
    case Kind::List:
        strings(QT_TRANSLATE_NOOP("taleplay::EditMode", "Items, a line for each"));
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Letter colour"), c.stem + "fontcolor*");
        break;
    case Kind::TextWindow: {
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Text at the start"), c.stem + "*text*",
               false);
        Field f{
            translated(QT_TRANSLATE_NOOP("taleplay::EditMode", "Right answers, a line for each")),
            c.stem + "*rightanswer*",
            Field::Shape::Lines,
            true,
            {}};
        for (std::size_t i : doc.linesWithAnyCase(f.key))
            f.values.push_back(upTo(doc, answerAt(doc, i, f.key)));
        fields.push_back(std::move(f));
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Hint for screen readers"),
               c.stem + "*hint*");
        break;
    }
    case Kind::Shape:
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Fill colour"), c.stem + "color*");
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Outline colour"), c.stem + "pencolor*");
        break;
    case Kind::LargeBackground:
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Picture file"), "*bigfon*name*");
        break;
    case Kind::Video:
        single(QT_TRANSLATE_NOOP("taleplay::EditMode", "Video file"), "*video*");
        break;
    }
    return fields;
}

QStringList linesOf(const std::vector<Field>& fields) {
    QStringList out;
    for (const Field& f : fields) {
        if (f.shape == Field::Shape::Single) {
            out << QString::fromStdString(f.key + f.values.front() + "#");
            continue;
        }
        int k = 0;
        for (const std::string& v : f.values) {
            ++k;
            const bool strings = f.key.ends_with("*string");
            if (!strings && v.empty())
                continue;
            out << QString::fromStdString(f.key + (strings ? std::to_string(k) + "*" : "") + v +
                                          "#");
        }
    }
    return out;
}

void writeFields(EditSession& session, const Component& c, const std::vector<Field>& fields) {
    DescriptionDocument& doc = session.document(c.file);
    for (const Field& f : fields) {
        if (f.shape == Field::Shape::Single) {
            setValue(doc, c, f.key, f.values.front(), f.trimmed);
            continue;
        }
        if (f.key.ends_with("*string")) {
            for (int k = 1; k <= 25; ++k) {
                const std::string key = f.key + std::to_string(k) + "*";
                const std::string value =
                    k <= static_cast<int>(f.values.size()) ? f.values[k - 1] : std::string();
                if (value.empty() && doc.firstLineWith(key)) {
                    const std::size_t line = *doc.firstLineWith(key);
                    removeKeyLine(doc, line, doc.lineText(line).find(key));
                } else if (!value.empty()) {
                    setValue(doc, c, key, value, false);
                }
            }
            continue;
        }
        // Right answers: the lines there in turn, new ones after the last.
        std::vector<std::string> wanted;
        std::copy_if(f.values.begin(), f.values.end(), std::back_inserter(wanted),
                     [](const std::string& v) { return !v.empty(); });
        std::vector<std::size_t> lines = doc.linesWithAnyCase(f.key);
        std::size_t i = 0;
        for (; i < wanted.size() && i < lines.size(); ++i) {
            const DescriptionDocument::Span value = answerAt(doc, lines[i], f.key);
            const std::string bytes = encoded(doc, wanted[i]);
            if (doc.text(value) != bytes)
                doc.replace(value, bytes);
            lines = doc.linesWithAnyCase(f.key);
        }
        for (std::size_t extra = i; extra < wanted.size(); ++extra) {
            const std::vector<std::size_t> now = doc.linesWithAnyCase(f.key);
            const std::size_t after = now.empty() ? lastLineFor(doc, c) : now.back();
            doc.insertLineAfter(after, f.key + encoded(doc, wanted[extra]) + "#");
        }
        for (std::size_t surplus = lines.size(); surplus-- > wanted.size();) {
            const std::size_t line = doc.linesWithAnyCase(f.key)[surplus];
            removeKeyLine(doc, line,
                          asciiLowerCase(doc.lineText(line)).find(asciiLowerCase(f.key)));
        }
    }
}

std::string safeFileName(const std::string& utf8Name) {
    // Cyrillic letters in Latin ones: a name of one alphabet has no letter
    // that looks like another's, and reads the same in every encoding.
    static constexpr std::array<const char*, 33> kLatin{
        "a",  "b",  "v",  "g",    "d", "e", "zh", "z", "i",  "y",  "k",
        "l",  "m",  "n",  "o",    "p", "r", "s",  "t", "u",  "f",  "kh",
        "ts", "ch", "sh", "shch", "",  "y", "",   "e", "yu", "ya", "e"};
    std::string name = std::filesystem::path(utf8Name).filename().string();
    std::string extension;
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        for (char ch : name.substr(dot + 1)) {
            if ((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))
                extension += ch;
            else if (ch >= 'A' && ch <= 'Z')
                extension += static_cast<char>(ch - 'A' + 'a');
        }
        name.resize(dot);
    }
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const char32_t cp = utf8::next(name, i);
        std::string piece;
        if ((cp >= U'a' && cp <= U'z') || (cp >= U'A' && cp <= U'Z') ||
            (cp >= U'0' && cp <= U'9') || cp == U'-')
            piece = static_cast<char>(cp);
        else if (cp >= U'а' && cp <= U'я')
            piece = kLatin[cp - U'а'];
        else if (cp >= U'А' && cp <= U'Я')
            piece = kLatin[cp - U'А'];
        else if (cp == U'ё' || cp == U'Ё')
            piece = "e";
        else
            piece = "_";
        if (piece == "_" && (out.empty() || out.back() == '_'))
            continue;
        out += piece;
    }
    while (!out.empty() && out.back() == '_')
        out.pop_back();
    if (out.empty())
        out = "picture";
    return extension.empty() ? out : out + "." + extension;
}

std::string copyIntoGame(const std::string& dataFolder, const std::string& source) {
    namespace fs = std::filesystem;
    std::error_code e;
    std::ifstream in(source, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof())
        throw Refused{translated(QT_TRANSLATE_NOOP("taleplay::EditMode", "%1 cannot be read."))
                          .arg(QString::fromStdString(source))};
    const std::string safe = safeFileName(source);
    const std::size_t dot = safe.rfind('.');
    const std::string stem = dot == std::string::npos ? safe : safe.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : safe.substr(dot);
    for (int n = 1; n < 1000; ++n) {
        const std::string name = n == 1 ? safe : stem + "_" + std::to_string(n) + extension;
        // The player finds names in any letter case: another letter case
        // of a name taken is taken too.
        bool taken = false;
        std::string takenBy;
        for (fs::directory_iterator it(dataFolder, e), end; !e && it != end; it.increment(e)) {
            if (paths::sameNameIgnoringCase(it->path().filename().string(), name)) {
                taken = true;
                takenBy = it->path().string();
            }
        }
        if (taken) {
            std::ifstream there(takenBy, std::ios::binary);
            const std::string old((std::istreambuf_iterator<char>(there)),
                                  std::istreambuf_iterator<char>());
            if (old == bytes)
                return fs::path(takenBy).filename().string();
            continue;
        }
        try {
            files::overwriteFile(dataFolder + name, bytes);
        } catch (const std::exception& error) {
            throw Refused{
                translated(QT_TRANSLATE_NOOP("taleplay::EditMode",
                                             "%1 could not be copied into the game: %2"))
                    .arg(QString::fromStdString(source), QString::fromUtf8(error.what()))};
        }
        return name;
    }
    throw Refused{
        translated(QT_TRANSLATE_NOOP("taleplay::EditMode", "%1 could not be copied into the game."))
            .arg(QString::fromStdString(source))};
}

} // namespace taleplay::editing
