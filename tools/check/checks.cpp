// The checks, one small function per kind of finding, and the table that
// runs them. Severity follows one rule: an error is something the player
// will show an error message for, stop building a screen at, or a checked
// answer that can never be right or that every answer passes; a warning is
// something written that the player silently ignores or reads otherwise
// than it looks. Messages go through tr() whole, with numbered places, so
// that a translation can order a sentence its own way.
#include "check/check.h"
#include "check/game.h"
#include "check/keys.h"
#include "check/layout.h"
#include "check/media.h"
#include "check/screen_cost.h"
#include "check/spelling.h"
#include "check/translate.h"
#include "commands/command_text.h"

#include "core/codepage.h"
#include "core/errors.h"
#include "core/files.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "pictures/loader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

namespace taleplay::check {
namespace {

std::string utf8(std::string_view cp) {
    return cp1251::toUtf8(cp);
}

// A text of the game in quotes, for messages.
std::string q(std::string_view cp) {
    return "'" + utf8(cp) + "'";
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Collects the findings of one check.
class Report {
  public:
    Report(std::vector<Finding>& out, const char* kind) : out_(out), kind_(kind) {}

    void error(const DescrFile* file, int line, std::string message) {
        add(file ? utf8(file->name()) : std::string(), line, Severity::Error, std::move(message));
    }
    void warning(const DescrFile* file, int line, std::string message) {
        add(file ? utf8(file->name()) : std::string(), line, Severity::Warning, std::move(message));
    }
    void note(const DescrFile* file, int line, std::string message) {
        add(file ? utf8(file->name()) : std::string(), line, Severity::Note, std::move(message));
    }
    void add(std::string file, int line, Severity severity, std::string message) {
        out_.push_back({std::move(file), line, severity, kind_, std::move(message)});
    }

  private:
    std::vector<Finding>& out_;
    const char* kind_;
};

// --- Description files that cannot be read --------------------------------

void checkUnreadable(const Game& game, Report& report) {
    for (const DescrFile* f : game.files())
        if (!f->readError().empty())
            report.error(f, 0, format(tr("cannot be read: {1}"), {f->readError()}));
}

// --- Encodings ---------------------------------------------------------------

// Which encoding the files are read in, where that matters: said once for
// the game, naming the files only when they differ; and a file that mixes
// UTF-8 with other bytes, which is read as Windows-1251 throughout.
void checkEncodings(const Game& game, Report& report) {
    std::map<files::TextEncoding, std::vector<const DescrFile*>> byEncoding;
    for (const DescrFile* f : game.files()) {
        if (!f->exists() || !f->readError().empty() || !f->beyondAscii())
            continue;
        byEncoding[f->encoding()].push_back(f);
        if (const int line = f->firstLineNotUtf8())
            report.warning(f, line,
                           tr("the file is mostly UTF-8, but this line is not (Windows-1251 "
                              "perhaps), so the player reads the whole file as Windows-1251 and "
                              "every UTF-8 letter shows as two others: save the whole file in one "
                              "encoding"));
    }
    for (const auto& [encoding, files] : byEncoding) {
        const char* read = encoding == files::TextEncoding::Windows1251
                               ? tr("read as Windows-1251")
                           : encoding == files::TextEncoding::Utf8WithMark
                               ? tr("read as UTF-8 with a byte-order mark")
                               : tr("read as UTF-8 without a byte-order mark");
        if (byEncoding.size() == 1) {
            report.note(nullptr, 0,
                        format(tr("every description file with text beyond plain Latin is {1}"),
                               {read}));
            continue;
        }
        std::string names;
        for (const DescrFile* f : files)
            names += (names.empty() ? "" : ", ") + utf8(f->name());
        report.note(nullptr, 0, format(tr("{1}: {2}"), {read, names}));
    }
}

// A file read as UTF-8 is converted into Windows-1251; what the code page
// lacks becomes '?', in texts and in file names alike.
void checkLostCharacters(const Game& game, Report& report) {
    for (const DescrFile* f : game.files())
        for (const DescrFile::Lost& lost : f->lostCharacters()) {
            std::string listed;
            for (const std::string& c : lost.characters)
                listed += (listed.empty() ? "" : ", ") + ("'" + c + "'");
            report.warning(
                f, lost.line,
                format(trn("{1} character Windows-1251 lacks ({2}): the player reads it as '?'",
                           "{1} characters Windows-1251 lacks ({2}): the player reads them as '?'",
                           static_cast<unsigned long>(lost.count)),
                       {std::to_string(lost.count), listed}));
        }
}

// --- Named files -----------------------------------------------------------

// What a named file is for, as the subject of a message.
std::string useWord(NamedFile::Use use) {
    switch (use) {
    case NamedFile::Use::Picture:
        return tr("picture");
    case NamedFile::Use::Sound:
        return tr("sound");
    case NamedFile::Use::Video:
        return tr("video");
    case NamedFile::Use::Program:
        return tr("program");
    }
    return tr("file");
}

// The path of `resolved` (readable) inside the data folder, or all of it
// when it lies elsewhere (programs started from the folder above).
std::string shownResolved(const Game& game, const std::string& resolved) {
    if (resolved.rfind(game.folder(), 0) == 0)
        return resolved.substr(game.folder().size());
    return resolved;
}

std::string stemOf(std::string_view name) {
    return std::string(name.substr(0, name.find('.')));
}

// A name in Latin letters: Russian ones as they are usually transliterated,
// case folded, so that "Солнышко.PNG" and "solnyshko.png" compare equal.
std::string transliterated(std::string_view windows1251) {
    static constexpr std::array<const char*, 32> kLetters{
        "a", "b", "v", "g", "d", "e",  "zh", "z",    "i", "y", "k",  "l", "m",  "n",  "o", "p",
        "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "", "y", "", "e", "yu", "ya"};
    std::string out;
    for (char c : windows1251) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xC0)
            out += kLetters[(byte - 0xC0) % 32];
        else if (byte == 0xA8 || byte == 0xB8)
            out += "e"; // Ё
        else
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return out;
}

// The files beside a missing one whose names come nearest to it: in another
// letter case, another alphabet or a slip or two off, up to three, quoted.
// Empty when nothing comes near.
std::string nearestNames(const NamedFile& f) {
    const std::size_t slash = f.composed.find_last_of("/\\");
    const std::string folder = paths::resolve(f.composed.substr(0, slash + 1));
    const std::string wanted = transliterated(f.composed.substr(slash + 1));
    std::vector<std::pair<int, std::string>> near;
    std::error_code e;
    for (std::filesystem::directory_iterator it(folder, e), end; !e && it != end; it.increment(e)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored))
            continue;
        const std::string shown = it->path().filename().string();
        utf8::Validator isUtf8;
        isUtf8.feed(shown);
        const std::string name = isUtf8.complete() ? cp1251::fromUtf8(shown) : shown;
        const std::string candidate = transliterated(name);
        const int d = editDistance(wanted, candidate);
        if (d <= allowedSlips(wanted.size()) || stemOf(wanted) == stemOf(candidate))
            near.push_back({d, isUtf8.complete() ? shown : utf8(name)});
    }
    std::sort(near.begin(), near.end());
    std::string listed;
    for (std::size_t i = 0; i < near.size() && i < 3; ++i)
        listed += (i ? ", " : "") + ("'" + near[i].second + "'");
    return listed;
}

void checkMissingFiles(const Game& game, Report& report) {
    std::set<std::tuple<const DescrFile*, int, std::string>> seen;
    for (const NamedFile& f : game.namedFiles()) {
        if (!f.file || !seen.insert({f.file, f.line, f.name}).second)
            continue;
        if (paths::fileExists(f.composed)) {
            // Names in other code pages are name-encoding's.
            const paths::Resolved resolved = paths::resolveName(f.composed);
            if (resolved.match == paths::NameMatch::LetterCase)
                report.warning(
                    f.file, f.line,
                    format(tr("{1} {2} exists only in another letter case, as '{3}'; "
                              "the player uses that file"),
                           {useWord(f.use), q(f.name), shownResolved(game, resolved.shown)}));
            continue;
        }
        std::string message;
        if (f.use == NamedFile::Use::Program)
            message = format(tr("{1} {2} does not exist (looked for as '{3}'); the player "
                                "reports it"),
                             {useWord(f.use), q(f.name), paths::shown(f.composed)});
        else if (f.reportedWhenMissing)
            message = format(tr("{1} {2} does not exist; the player reports it"),
                             {useWord(f.use), q(f.name)});
        else
            message = format(tr("{1} {2} does not exist; the player goes on without it"),
                             {useWord(f.use), q(f.name)});
        if (const std::string near = nearestNames(f); !near.empty())
            message += format(tr(". Files with a name near it: {1}"), {near});
        if (f.use == NamedFile::Use::Program || f.reportedWhenMissing)
            report.error(f.file, f.line, message);
        else
            report.warning(f.file, f.line, message);
    }
}

// Names that unpacking a Windows archive left in a DOS or Windows code page:
// the player finds the file, other programs show its name garbled.
void checkNameEncodings(const Game& game, Report& report) {
    std::set<std::tuple<const DescrFile*, int, std::string>> seen;
    for (const NamedFile& f : game.namedFiles()) {
        if (!f.file || !seen.insert({f.file, f.line, f.name}).second)
            continue;
        const paths::Resolved resolved = paths::resolveName(f.composed);
        const bool dos = resolved.match == paths::NameMatch::Cp866;
        if ((!dos && resolved.match != paths::NameMatch::Windows1251) ||
            !paths::fileExists(f.composed))
            continue;
        const char* pattern =
            dos ? tr("{1} {2} is found as '{3}', whose name is stored in CP866 (DOS) bytes, as "
                     "unpacking an archive made on Windows leaves it; the player uses that file, "
                     "but other programs show its name garbled. Rename such files with 'convmv "
                     "-f cp866 -t utf-8 -r --notest FOLDER', or unpack the archive again with "
                     "'unzip -O CP866'")
                : tr("{1} {2} is found as '{3}', whose name is stored in Windows-1251 bytes, as "
                     "unpacking an archive made on Windows leaves it; the player uses that file, "
                     "but other programs show its name garbled. Rename such files with 'convmv "
                     "-f cp1251 -t utf-8 -r --notest FOLDER'");
        report.warning(
            f.file, f.line,
            format(pattern, {useWord(f.use), q(f.name), shownResolved(game, resolved.shown)}));
    }
}

// --- Pictures that do not load ---------------------------------------------

void checkPictures(const Game& game, Report& report) {
    std::map<std::string, std::string> failures; // resolved path -> message, "" when it loads
    std::set<std::tuple<const DescrFile*, int, std::string>> seen;
    for (const NamedFile& f : game.namedFiles()) {
        if (f.use != NamedFile::Use::Picture || !seen.insert({f.file, f.line, f.name}).second)
            continue;
        const auto path = paths::existingFile(f.composed);
        if (!path)
            continue;
        auto [it, fresh] = failures.try_emplace(*path);
        if (fresh) {
            // One picture at a time, nothing kept: a game's pictures together
            // may be large. Metafiles are read, not drawn: no Qt here.
            try {
                pictures::checkPicture(*path, f.composed);
            } catch (const TaleError& e) {
                it->second = utf8(e.what());
            }
        }
        if (it->second.empty())
            continue;
        if (f.file)
            report.error(f.file, f.line,
                         format(tr("picture {1} cannot be loaded: {2}"), {q(f.name), it->second}));
        else
            report.add(utf8(f.name), 0, Severity::Error,
                       format(tr("default picture cannot be loaded: {1}"), {it->second}));
    }
}

// --- What a screen's pictures cost -----------------------------------------

std::string sizeText(pictures::Extent e) {
    return std::to_string(e.width) + " x " + std::to_string(e.height);
}

std::string timeText(double ms) {
    char number[32];
    if (ms >= 1000) {
        std::snprintf(number, sizeof number, "%.1f", ms / 1000);
        return format(tr("{1} s"), {number});
    }
    std::snprintf(number, sizeof number, ms >= 10 ? "%.0f" : "%.1f", ms);
    return format(tr("{1} ms"), {number});
}

void checkPictureCosts(const Game& game, Report& report) {
    for (const ScreenCost& screen : screenCosts(game)) {
        const std::string title = tr(screen.screen->title.c_str());
        int large = 0;
        double largeMs = 0, largeSmallMs = 0;
        for (const PictureCost& c : screen.pictures)
            if (farLargerThanShown(c))
                ++large, largeMs += c.decodeMs, largeSmallMs += c.decodeSavedSmallMs;
        for (const PictureCost& c : screen.pictures) {
            const std::string file = c.file ? utf8(c.file->name()) : utf8(c.name);
            if (c.refused)
                report.add(file, c.line, Severity::Error,
                           format(tr("picture {1} would not fit the memory of all pictures: the "
                                     "{2} keeps {3} MiB of pictures before it, of the {4} MiB "
                                     "they may take (TALEPLAY_PICTURE_MEMORY), and leaves it out"),
                                  {q(c.name), title, std::to_string(c.keptBefore >> 20),
                                   std::to_string(pictures::pictureMemoryBudget() >> 20)}));
            else if (farLargerThanShown(c))
                report.add(file, c.line, Severity::Warning,
                           format(trn("picture {1} is {2} shown at {3}: the {4} decodes {5} such "
                                      "picture, for about {6} of start-up ({7} were it saved at "
                                      "the size shown); save it at the size shown",
                                      "picture {1} is {2} shown at {3}: the {4} decodes {5} such "
                                      "pictures, for about {6} of start-up ({7} were they saved "
                                      "at the size shown); save them at the size shown",
                                      static_cast<unsigned long>(large)),
                                  {q(c.name), sizeText(c.natural), sizeText(c.kept), title,
                                   std::to_string(large), timeText(largeMs),
                                   timeText(largeSmallMs)}));
        }
    }
}

// --- Sounds and videos no decoder reads ------------------------------------

// The player plays what the media framework's plugin sets decode, and says
// nothing of a file they do not: only a line on standard error.
void checkMediaFormats(const Game& game, Report& report) {
    std::set<std::tuple<const DescrFile*, int, std::string>> seen;
    for (const NamedFile& f : game.namedFiles()) {
        if ((f.use != NamedFile::Use::Sound && f.use != NamedFile::Use::Video) || !f.file ||
            !seen.insert({f.file, f.line, f.name}).second)
            continue;
        const auto path = paths::existingFile(f.composed);
        if (!path)
            continue;
        const MediaFormat format = readMediaFormat(*path);
        const bool asVideo = f.use == NamedFile::Use::Video;
        bool picture = false;
        for (const MediaStream& s : format.streams)
            picture = picture || (s.video && s.decodable);
        for (const MediaStream& s : format.streams) {
            if (s.decodable || (!asVideo && s.video))
                continue;
            // A video still plays without its sound, a sound without pictures.
            const bool stops = asVideo ? s.video || !picture : true;
            // A four-character code is quoted; a description ("format tag
            // 0x0055", "an unknown codec") is not.
            const std::string codec =
                s.video || s.codec.size() == 4 ? "'" + s.codec + "'" : tr(s.codec.c_str());
            const char* pattern =
                s.video ? tr("{1} {2} holds pictures compressed as {3} ({4}), which none of the "
                             "player's decoders reads: it will not play")
                : stops ? tr("{1} {2} holds sound in {3} ({4}), which none of the player's "
                             "decoders reads: it will not play")
                        : tr("{1} {2} holds sound in {3} ({4}), which none of the player's "
                             "decoders reads: it plays without that sound");
            report.warning(
                f.file, f.line,
                check::format(pattern, {useWord(f.use), q(f.name), codec, format.container}));
        }
    }
}

// --- Colour values ---------------------------------------------------------

void checkColourKey(const DescrFile& file, const std::string& key, Report& report) {
    const DescrFile::Value v = file.value(key);
    if (v.text.empty())
        return;
    try {
        convertColour(v.text);
    } catch (const ConversionError& e) {
        report.error(&file, v.line,
                     format(tr("colour {1} of {2} is neither a colour name nor a number: the "
                               "player stops building the screen with \"{3}\""),
                            {q(v.text), q(key), utf8(e.what())}));
    }
}

void checkColours(const Game& game, Report& report) {
    for (const Screen& s : game.screens()) {
        checkColourKey(*s.pictures, "*screencolor*", report);
        for (int n = 1; n <= kLastShape; ++n)
            if (s.has(Kind::Shape, n)) {
                checkColourKey(*s.pictures, numberedKey("*shape", n, "color*"), report);
                checkColourKey(*s.pictures, numberedKey("*shape", n, "pencolor*"), report);
            }
        for (int n = 1; n <= s.lastText; ++n)
            if (s.has(Kind::Text, n)) {
                checkColourKey(*s.texts, numberedKey("*text", n, "fontcolor*"), report);
                checkColourKey(*s.texts, numberedKey("*text", n, "color*"), report);
            }
        for (int n = 1; n <= kLastList; ++n)
            if (s.has(Kind::List, n)) {
                checkColourKey(*s.texts, numberedKey("*list", n, "fontcolor*"), report);
                checkColourKey(*s.texts, numberedKey("*list", n, "color*"), report);
            }
        for (int n = 1; n <= kLastTextWindow; ++n)
            if (s.has(Kind::TextWindow, n)) {
                checkColourKey(*s.textWindows, numberedKey("*textwindow", n, "fontcolor*"), report);
                checkColourKey(*s.textWindows, numberedKey("*textwindow", n, "color*"), report);
            }
    }

    // Commands convert their colour only for the components that take one.
    for (const Command& c : game.commands()) {
        const std::string lowered = asciiLowerCase(c.text);
        if (!contains(lowered, "textcolor") && !contains(lowered, "backcolor"))
            continue;
        const Target t = readTarget(c.target);
        if (c.target.empty() || !c.screen->has(t.kind, t.number))
            continue;
        const bool takesColour = contains(c.target, "textwindow") ? t.kind == Kind::TextWindow
                                 : contains(c.target, "list")     ? t.kind == Kind::List
                                 : contains(c.target, "text")     ? t.kind == Kind::Text
                                                                  : false;
        if (!takesColour)
            continue;
        const std::string colour = CommandColour(lowered);
        try {
            convertColour(colour);
        } catch (const ConversionError& e) {
            report.error(c.file, c.line,
                         format(tr("{1} on {2} gives the colour {3}, which is no colour: the "
                                   "player stops the click with \"{4}\""),
                                {q(c.text), q(c.target), q(colour), utf8(e.what())}));
        }
    }
}

// --- Numbers the player never reads ----------------------------------------

// The plural of a family's word, as messages name the family.
std::string familyPlural(std::string_view word) {
    if (word == "picture")
        return tr("pictures");
    if (word == "shape")
        return tr("shapes");
    if (word == "button")
        return tr("buttons");
    if (word == "text")
        return tr("texts");
    if (word == "list")
        return tr("lists");
    if (word == "textwindow")
        return tr("textwindows");
    return tr("strings");
}

struct Numbered {
    const char* word;
    int last;
};

// The numbered words of a file, with the last number read: its families
// and, in a file of texts, their strings.
std::vector<Numbered> numberedWordsOf(const DescrFile& file) {
    std::vector<Numbered> out;
    bool strings = false;
    for (const KeyFamily* family : keysReadFrom(roleOf(file.name())).families) {
        out.push_back({family->word, family->last});
        strings = strings || family->strings;
    }
    if (strings)
        out.push_back({"string", kLastString});
    return out;
}

// Calls `found(at, wordEnd, digitsEnd)` for every "*" + word + digits in a
// folded line.
template <class Found> void eachNumbered(const std::string& f, std::string_view word, Found found) {
    const std::string start = "*" + std::string(word);
    for (std::size_t at = f.find(start); at != std::string::npos; at = f.find(start, at + 1)) {
        const std::size_t digits = at + start.size();
        std::size_t end = digits;
        while (end < f.size() && std::isdigit(static_cast<unsigned char>(f[end])))
            ++end;
        if (end > digits)
            found(at, digits, end);
    }
}

void checkNumbers(const Game& game, Report& report) {
    for (const DescrFile* file : game.files()) {
        for (const Numbered& family : numberedWordsOf(*file)) {
            for (std::size_t i = 0; i < file->folded().size(); ++i) {
                const std::string& f = file->folded()[i];
                std::set<std::string> reported;
                eachNumbered(
                    f, family.word, [&](std::size_t at, std::size_t digits, std::size_t end) {
                        const std::string number = f.substr(digits, end - digits);
                        const std::string written = file->lines()[i].substr(at, end - at);
                        if (!reported.insert(number).second)
                            return;
                        const int line = static_cast<int>(i) + 1;
                        if (number.size() > 1 && number.front() == '0')
                            report.warning(file, line,
                                           format(tr("{1} is never read: the player writes {2}' "
                                                     "numbers without leading zeros"),
                                                  {q(written), familyPlural(family.word)}));
                        else if (number.size() > 3 || std::stoi(number) > family.last)
                            report.warning(file, line,
                                           format(tr("{1} is never read: the player reads {2} 1 "
                                                     "to {3} only"),
                                                  {q(written), familyPlural(family.word),
                                                   std::to_string(family.last)}));
                        else if (std::stoi(number) == 0)
                            report.warning(
                                file, line,
                                format(tr("{1} is never read: numbers start at 1"), {q(written)}));
                    });
            }
        }
    }
}

// --- Per-item flags --------------------------------------------------------

void checkFlags(const Game& game, Report& report) {
    for (const DescrFile* file : game.files()) {
        const std::vector<const KeyFamily*>& families = keysReadFrom(roleOf(file->name())).families;
        for (std::size_t i = 0; i < file->folded().size(); ++i) {
            const std::string& f = file->folded()[i];
            const std::string& line = file->lines()[i];
            for (const KeyFamily* family : families) {
                eachNumbered(f, family->word, [&](std::size_t at, std::size_t, std::size_t end) {
                    const bool star = end < f.size() && f[end] == '*';
                    const std::size_t from = star ? end + 1 : end;
                    for (const char* flag : family->flags) {
                        const std::string_view fl(flag);
                        if (f.compare(from, fl.size(), fl) != 0)
                            continue;
                        const std::size_t after = from + fl.size();
                        const std::string written = line.substr(at, after - at);
                        const std::string meant = f.substr(at, end - at) + std::string(fl) + " ";
                        if (star)
                            report.warning(file, static_cast<int>(i) + 1,
                                           format(tr("flag {1} has a star after the number: the "
                                                     "player looks for '{2}' and does not set it"),
                                                  {q(written), utf8(meant)}));
                        else if (after >= f.size() || f[after] != ' ')
                            report.warning(file, static_cast<int>(i) + 1,
                                           format(tr("flag {1} lacks the blank after its '#': the "
                                                     "player does not set it"),
                                                  {q(written)}));
                    }
                });
            }
        }
    }
}

// --- Value keys in another letter case -------------------------------------

void checkKeyCase(const Game& game, Report& report) {
    for (const DescrFile* file : game.files()) {
        std::unordered_map<std::string, std::string> byFolded;
        std::set<std::size_t> lengths;
        for (std::string& key : exactValueKeys(roleOf(file->name()))) {
            std::string f = key;
            anyCaseLowerInPlace(f);
            lengths.insert(f.size());
            byFolded.emplace(std::move(f), std::move(key));
        }
        for (std::size_t i = 0; i < file->folded().size(); ++i) {
            const std::string& f = file->folded()[i];
            const std::string& line = file->lines()[i];
            std::set<std::string> reported;
            for (std::size_t at = f.find('*'); at != std::string::npos; at = f.find('*', at + 1)) {
                for (std::size_t length : lengths) {
                    if (at + length > f.size())
                        break;
                    auto it = byFolded.find(f.substr(at, length));
                    if (it == byFolded.end())
                        continue;
                    const std::string& key = it->second;
                    if (line.compare(at, length, key) == 0 || contains(line, key) ||
                        !reported.insert(key).second)
                        continue;
                    report.warning(file, static_cast<int>(i) + 1,
                                   format(tr("{1} is not found by the player, which reads {2} in "
                                             "exactly that letter case"),
                                          {q(line.substr(at, length)), q(key)}));
                }
            }
        }
    }

    // The end screens find their large background's line in any case but
    // cut the name with the key as written.
    for (const Screen& s : game.screens()) {
        if (!s.endScreen)
            continue;
        const int anyCase = s.pictures->firstAnyCase("*bigfon*name*");
        if (anyCase != 0 && !contains(s.pictures->line(anyCase), "*bigfon*name*"))
            report.warning(s.pictures, anyCase,
                           format(tr("the {1} takes this line for '*bigfon*name*' (found in any "
                                     "letter case) but cuts the name with the key in exact case, "
                                     "so the name comes out wrong"),
                                  {tr(s.title.c_str())}));
    }

    // Rule lines are counted in any case, but their first target is cut with
    // the key as the handler builds it.
    for (const RuleLine& r : game.rules()) {
        const std::string& line = r.file->line(r.line);
        if (contains(line, r.key))
            continue;
        std::string foldedKey = r.key;
        anyCaseLowerInPlace(foldedKey);
        const std::string& f = r.file->folded()[r.line - 1];
        const std::size_t at = f.find(foldedKey);
        const std::string target = trimSpaces(
            textBeforeDelimiter(std::string_view(line).substr(at + foldedKey.size()), "#"));
        if (target.empty() || !contains(line, "#"))
            continue;
        report.warning(r.file, r.line,
                       format(tr("the rule key {1} is not written as {2}: the rule runs, but its "
                                 "target {3} comes out empty"),
                              {q(line.substr(at, foldedKey.size())), q(r.key), q(target)}));
    }
}

// --- Keys the player never reads -------------------------------------------

// "1st", "2nd", "3rd", "4th", ..., "11th", "21st", in the language of the
// messages.
std::string ordinal(int n) {
    const int last = n % 10, tens = n % 100;
    const char* pattern = tens >= 11 && tens <= 13 ? tr("{1}th")
                          : last == 1              ? tr("{1}st")
                          : last == 2              ? tr("{1}nd")
                          : last == 3              ? tr("{1}rd")
                                                   : tr("{1}th");
    return format(pattern, {std::to_string(n)});
}

// The Cyrillic letters of `written` that stand where Latin ones belong,
// named letter by letter ("the 1st letter 'с' is Cyrillic"), counting the
// letters of the word only; empty when there is none. A person sees no
// difference between 'с' and 'c', so only the place tells where to look.
std::string cyrillicLookAlikes(std::string_view written) {
    std::vector<std::string> letters;
    int position = 0;
    for (char c : written) {
        const auto byte = static_cast<unsigned char>(c);
        const bool latin = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!latin && byte < 0xA8)
            continue; // not a letter: blanks, stars, digits, punctuation
        ++position;
        if (latinLookAlike(byte))
            letters.push_back(
                format(tr("the {1} letter {2}"), {ordinal(position), q(std::string(1, c))}));
    }
    if (letters.empty())
        return {};
    std::string listed;
    for (std::size_t i = 0; i < letters.size(); ++i)
        listed += (i == 0 ? "" : i + 1 == letters.size() ? tr(" and ") : ", ") + letters[i];
    return format(trn("{1} is Cyrillic", "{1} are Cyrillic", letters.size()), {listed});
}

// The description file of the game that reads a key of one of `roles`, of
// the same screen as `file` where there is one.
std::string fileReading(const Game& game, const DescrFile& file,
                        const std::vector<FileRole>& roles) {
    const std::string screen = file.name().substr(0, 3); // "all", "vic", "los"
    const DescrFile* found = nullptr;
    for (const DescrFile* f : game.files()) {
        if (std::find(roles.begin(), roles.end(), roleOf(f->name())) == roles.end())
            continue;
        if (!found ||
            (f->name().compare(0, 3, screen) == 0 && found->name().compare(0, 3, screen) != 0))
            found = f;
    }
    return found ? utf8(found->name()) : std::string();
}

void checkUnknownKeys(const Game& game, Report& report) {
    for (const DescrFile* file : game.files()) {
        const FileRole role = roleOf(file->name());
        for (std::size_t i = 0; i < file->lines().size(); ++i) {
            const int line = static_cast<int>(i) + 1;
            for (const KeySlip& slip : keySlipsIn(file->lines()[i], role)) {
                switch (slip.kind) {
                case KeySlip::Kind::Misspelt:
                    report.warning(file, line,
                                   format(tr("{1} is no key the player reads in {2}: did you mean "
                                             "{3}?"),
                                          {q(slip.written), utf8(file->name()), q(slip.meant)}));
                    break;
                case KeySlip::Kind::LookAlike:
                    report.warning(file, line,
                                   format(tr("{1} is written with Cyrillic letters that look "
                                             "Latin: {2}. The player does not find it: write {3}"),
                                          {q(slip.written), cyrillicLookAlikes(slip.written),
                                           q(slip.meant)}));
                    break;
                case KeySlip::Kind::OtherFile:
                    report.warning(file, line,
                                   format(tr("{1} is not read from {2}: the player reads it from "
                                             "{3}"),
                                          {q(slip.written), utf8(file->name()),
                                           fileReading(game, *file, slip.readFrom)}));
                    break;
                }
            }
        }
    }
}

// --- Description files under another name -----------------------------------

// A file name folded for comparison: ASCII and Cyrillic case, Cyrillic
// look-alikes as their Latin twins.
std::string nameFolded(std::string_view windows1251) {
    std::string f(windows1251);
    anyCaseLowerInPlace(f);
    f = withLatinLookAlikes(f);
    asciiLowerCaseInPlace(f);
    return f;
}


void checkFileNames(const Game& game, Report& report) {
    const std::vector<const DescrFile*> files = game.files();
    std::vector<const DescrFile*> missing;
    for (const DescrFile* f : files)
        if (!f->exists())
            missing.push_back(f);
    if (missing.empty())
        return;
    std::error_code e;
    for (std::filesystem::directory_iterator it(game.folder(), e), end; !e && it != end;
         it.increment(e)) {
        const std::filesystem::directory_entry& entry = *it;
        std::error_code ignored;
        if (!entry.is_regular_file(ignored))
            continue;
        // Native names are UTF-8 as a rule; one that is not came from an
        // archive of Windows-1251 names and is shown as those letters, so
        // that every report stays UTF-8.
        std::string shown = entry.path().filename().string();
        utf8::Validator isUtf8;
        isUtf8.feed(shown);
        const std::string name = isUtf8.complete() ? cp1251::fromUtf8(shown) : shown;
        if (!isUtf8.complete())
            shown = utf8(name);
        // Pictures and sounds may share a description file's stem.
        static constexpr std::array<const char*, 13> kMedia{"bmp", "png", "jpg",  "jpeg", "gif",
                                                            "ico", "tif", "tiff", "wav",  "mp3",
                                                            "ogg", "avi", "mpg"};
        const std::string extension = asciiLowerCase(pictures::extensionOf(name));
        if (std::find(kMedia.begin(), kMedia.end(), extension) != kMedia.end())
            continue;
        const std::string f = nameFolded(name);
        if (std::any_of(files.begin(), files.end(), [&](const DescrFile* d) {
                return d->exists() && nameFolded(d->name()) == f;
            }))
            continue; // found by the player in another letter case
        const DescrFile* best = nullptr;
        int bestDistance = 0;
        for (const DescrFile* m : missing) {
            const std::string known = m->name();
            int d = editDistance(f, known);
            if (d > allowedSlips(known.size()) && stemOf(f) == stemOf(known))
                d = 0; // "allbuttons.txt.txt", "allbuttons", "allbuttons.rtf"
            if (d <= allowedSlips(known.size()) && (!best || d < bestDistance)) {
                best = m;
                bestDistance = d;
            }
        }
        if (!best)
            continue;
        const std::string meant = utf8(best->name());
        std::string message;
        if (const std::string letters = cyrillicLookAlikes(name); !letters.empty())
            message = format(tr("did you mean {1}? In the name {2}; the player reads only {1}, "
                                "which does not exist"),
                             {meant, letters});
        else if (asciiLowerCase(name).rfind(asciiLowerCase(best->name()) + ".", 0) == 0)
            message = format(tr("did you mean {1}? The name goes on after {1} (a file manager "
                                "that hides extensions shows {2} as {1}); the player reads only "
                                "{1}, which does not exist"),
                             {meant, shown});
        else
            message = format(tr("did you mean {1}? The player reads only {1}, which does not "
                                "exist, and never this file"),
                             {meant});
        report.add(shown, 0, Severity::Warning, message);
    }
}

// --- Click-rule separators -------------------------------------------------

void checkRuleSeparators(const Game& game, Report& report) {
    static constexpr std::array<char, 6> kSeparators{'#', '^', '&', '+', '=', '~'};
    for (const RuleLine& r : game.rules()) {
        const std::string& line = r.file->line(r.line);
        std::string foldedKey = r.key;
        anyCaseLowerInPlace(foldedKey);
        const std::size_t keyEnd = r.file->folded()[r.line - 1].find(foldedKey) + foldedKey.size();
        const std::size_t count = r.group ? 2 : 6;

        std::vector<std::string> problems;
        std::vector<std::string> missing;
        std::size_t previous = keyEnd;
        std::size_t lastPresent = std::string::npos;
        bool middleGap = false; // a separator is missing before one that is there
        for (std::size_t k = 0; k < count; ++k) {
            const char sep = kSeparators[k];
            const std::size_t at = line.find(sep);
            if (at == std::string::npos) {
                missing.push_back(std::string("'") + sep + "'");
                continue;
            }
            if (!missing.empty())
                middleGap = true;
            const std::string quoted = std::string("'") + sep + "'";
            if (at < previous)
                problems.push_back(format(tr("{1} stands before the field it ends"), {quoted}));
            if (line.find(sep, at + 1) != std::string::npos)
                problems.push_back(format(
                    tr("{1} occurs more than once, and the first one cuts the field"), {quoted}));
            previous = at;
            lastPresent = at;
        }
        // A rule may stop early ("...#checktext^"), as long as nothing
        // written after its last separator is lost.
        const std::size_t restFrom = lastPresent == std::string::npos ? keyEnd : lastPresent + 1;
        const bool lost = !trimSpaces(line.substr(std::min(restFrom, line.size()))).empty();
        if (!missing.empty() && (middleGap || lost)) {
            std::string list;
            for (std::size_t i = 0; i < missing.size(); ++i)
                list += (i ? ", " : "") + missing[i];
            problems.insert(problems.begin(), format(tr("it lacks {1}"), {list}));
        }
        if (problems.empty())
            continue;
        std::string listed;
        for (std::size_t i = 0; i < problems.size(); ++i)
            listed += (i ? "; " : "") + problems[i];
        if (r.group)
            report.warning(
                r.file, r.line,
                format(tr("group line: {1}. The player reads target {2}, command {3}"),
                       {listed, q(RuleField(line, r.key, "#")), q(RuleField(line, "#", "^"))}));
        else
            report.warning(
                r.file, r.line,
                format(tr("click rule: {1}. The player reads condition {2} on {3}, "
                          "success {4} on {5}, failure {6} on {7}"),
                       {listed, q(RuleField(line, "#", "^")), q(RuleField(line, r.key, "#")),
                        q(RuleField(line, "&", "+")), q(RuleField(line, "^", "&")),
                        q(RuleField(line, "=", "~")), q(RuleField(line, "+", "="))}));
    }
}

// --- Targets ---------------------------------------------------------------

// Whether a command text does nothing at all without a component: it runs
// only commands that act on one.
bool needsComponent(const std::string& lowered) {
    const bool onComponent = lowered == "visible" || lowered == "invisible" ||
                             lowered == "bringtofront" || contains(lowered, "textcolor") ||
                             contains(lowered, "backcolor");
    return onComponent && !contains(lowered, "pause") && !contains(lowered, "playsound") &&
           !contains(lowered, "playvideo ") && !contains(lowered, "startprogram ");
}

void checkTargets(const Game& game, Report& report) {
    // Rules of a button the screen does not build never run.
    std::set<std::pair<const DescrFile*, std::string>> seenButtons;
    for (const RuleLine& r : game.rules()) {
        if (!seenButtons.insert({r.file, r.button}).second)
            continue;
        const bool plain = r.button.size() <= 2 && r.button.front() != '0';
        if (plain && r.screen->buildsButton(std::stoi(r.button)))
            continue;
        report.warning(r.file, r.line,
                       format(tr("rules of button {1}, which the {2} does not build: they never "
                                 "run"),
                              {utf8(r.button), tr(r.screen->title.c_str())}));
    }

    for (const Command& c : game.commands()) {
        const std::string lowered = asciiLowerCase(c.text);
        if (c.target.empty()) {
            // A rule key in another case empties the target: said with the keys.
            const bool keyCase = !c.exactKey && (c.role == Command::Role::Condition ||
                                                 c.role == Command::Role::Group);
            if (needsComponent(lowered) && !keyCase)
                report.warning(c.file, c.line,
                               format(tr("{1} has no target and does nothing"), {q(c.text)}));
            continue;
        }
        const Target t = readTarget(c.target);
        if (c.screen->has(t.kind, t.number))
            continue;
        const std::string title = tr(c.screen->title.c_str());
        std::string why;
        const std::string latin = withLatinLookAlikes(c.target);
        if (latin != c.target && c.screen->has(readTarget(latin).kind, readTarget(latin).number))
            why = format(tr("{1}: write {2}"), {cyrillicLookAlikes(c.target), q(latin)});
        else if (t.kind == Kind::None)
            why = tr("it begins with none of the words text, textwindow, picture, list, button, "
                     "shape and video, written in small letters");
        else if (c.screen->endScreen && t.kind == Kind::Button)
            why = tr("button targets still name the play screen's buttons, of which only the "
                     "clicked one is left, hidden");
        else if (c.screen->endScreen &&
                 (t.kind == Kind::List || t.kind == Kind::TextWindow || t.kind == Kind::Shape))
            why = format(tr("the {1} has no {2}s it could name"), {title, kindWord(t.kind)});
        else
            why = format(tr("the {1} has no {2} {3}"),
                         {title, kindWord(t.kind), std::to_string(t.number)});
        report.warning(c.file, c.line,
                       format(tr("target {1} names no component ({2}), so {3} does nothing"),
                              {q(c.target), why, q(c.text)}));
    }
}

// --- Commands --------------------------------------------------------------

constexpr std::array<const char*, 6> kEqualCommands{"visible",   "invisible", "bringtofront",
                                                    "checktext", "victory",   "lost"};

struct Contained {
    const char* word; // as the interpreter tests it
    std::size_t cut;  // characters it drops to get the argument
};
constexpr std::array<Contained, 4> kCommandsWithArgument{
    {{"pause", 5}, {"playsound", 9}, {"playvideo ", 9}, {"startprogram ", 12}}};

// Whether the interpreter runs anything for a lower-cased command text.
bool isCommand(const std::string& lowered) {
    if (std::find(kEqualCommands.begin(), kEqualCommands.end(), lowered) != kEqualCommands.end())
        return true;
    for (const char* word : {"textcolor", "backcolor"})
        if (contains(lowered, word))
            return true;
    return std::any_of(kCommandsWithArgument.begin(), kCommandsWithArgument.end(),
                       [&](const Contained& w) { return contains(lowered, w.word); });
}

// The command word a text that is no command most likely stands for: its
// first word a slip or two off one.
const char* nearestCommand(const std::string& lowered) {
    static constexpr std::array<const char*, 12> kWords{
        "visible",   "invisible", "bringtofront", "textcolor", "backcolor", "pause",
        "playsound", "playvideo", "startprogram", "checktext", "victory",   "lost"};
    const std::string first = lowered.substr(0, lowered.find(' '));
    const char* best = nullptr;
    int bestDistance = 0;
    for (const char* word : kWords) {
        const int d = editDistance(first, word);
        if (d <= allowedSlips(std::string_view(word).size()) && (!best || d < bestDistance)) {
            best = word;
            bestDistance = d;
        }
    }
    return best;
}

// What the author probably meant by a text that is no command; empty when
// nothing comes close.
std::string commandHint(const std::string& lowered) {
    // A command word typed with a Russian keyboard layout for some letters.
    if (const std::string latin = asciiLowerCase(withLatinLookAlikes(lowered));
        latin != lowered && isCommand(latin))
        return format(tr("{1}: write '{2}'"), {cyrillicLookAlikes(lowered), utf8(latin)});
    for (const char* word : kEqualCommands)
        if (lowered.rfind(word, 0) == 0)
            return format(tr("'{1}' must stand alone"), {word});
    if (contains(lowered, "playvideo") || contains(lowered, "startprogram"))
        return tr("'playvideo' and 'startprogram' need a blank before their argument");
    if (const char* near = nearestCommand(lowered))
        return format(tr("did you mean '{1}'?"), {near});
    return {};
}

void checkCommands(const Game& game, Report& report) {
    for (const Command& c : game.commands()) {
        const std::string lowered = asciiLowerCase(c.text);
        for (const Contained& w : kCommandsWithArgument) {
            const std::size_t at = lowered.find(w.word);
            if (at == std::string::npos)
                continue;
            const std::string word = trimSpaces(w.word);
            const std::string argument =
                trimSpaces(c.text.size() > w.cut ? c.text.substr(w.cut) : std::string());
            if (at != 0)
                report.warning(c.file, c.line,
                               format(tr("{1} runs '{2}' with the argument {3}: the argument is "
                                         "cut by position, so '{2}' must open the command"),
                                      {q(c.text), word, q(argument)}));
            else if (c.text.size() > w.cut && c.text[w.cut] != ' ')
                report.warning(c.file, c.line,
                               format(tr("{1} has no blank after '{2}': it runs as '{2}' with the "
                                         "argument {3}"),
                                      {q(c.text), word, q(argument)}));
        }
        // Every command whose word the text holds runs, not only the first.
        for (const char* word : {"textcolor", "backcolor"}) {
            const std::size_t at = lowered.find(word);
            if (at != std::string::npos && at != 0)
                report.warning(c.file, c.line,
                               format(tr("{1} also runs '{2}', whose word it holds: every command "
                                         "whose word is in a command text runs"),
                                      {q(c.text), word}));
        }
        // A condition that is no command is worse than doing nothing: the
        // conditions' check tells it.
        if (isCommand(lowered) || c.role == Command::Role::Condition)
            continue;
        const std::string hint = commandHint(lowered);
        report.warning(
            c.file, c.line,
            hint.empty()
                ? format(tr("{1} matches no command and does nothing"), {q(c.text)})
                : format(tr("{1} matches no command and does nothing: {2}"), {q(c.text), hint}));
    }
}

// A condition that is no command answers yes: its rule takes the success
// part whatever was typed, and the click never fails.
void checkConditions(const Game& game, Report& report) {
    for (const Command& c : game.commands()) {
        const std::string lowered = asciiLowerCase(c.text);
        if (c.role != Command::Role::Condition || isCommand(lowered))
            continue;
        const std::string hint = commandHint(lowered);
        report.error(c.file, c.line,
                     hint.empty()
                         ? format(tr("{1} is no command: the condition always answers yes, so the "
                                     "success part always runs"),
                                  {q(c.text)})
                         : format(tr("{1} is no command: the condition always answers yes, so the "
                                     "success part always runs ({2})"),
                                  {q(c.text), hint}));
    }
}

// --- Answers for checktext -------------------------------------------------

// A text folded as the answer comparison folds both the line and the key.
std::string answerFolded(std::string_view text) {
    return cyrillicLowerCase(normaliseAnswer(asciiLowerCase(text)));
}

// The key the answer check builds when `typed` is typed into the window that
// `target` names.
std::string answerKey(const std::string& target, const std::string& typed) {
    std::string key = target + "*rightanswer*" + trimSpaces(normaliseAnswer(typed + "#"));
    return replaceAll(" #", "#", replaceAll("* ", "*", key));
}

// Calls `each(lineIndex, target, answer)` for every right answer of
// alltextwindows.txt: target "textwindow" + number (as the folded line has
// it), the answer as written up to its "#".
template <class Each> void eachRightAnswer(const DescrFile& windows, Each each) {
    for (std::size_t i = 0; i < windows.lines().size(); ++i) {
        const std::string& folded = windows.folded()[i];
        eachNumbered(folded, "textwindow", [&](std::size_t, std::size_t digits, std::size_t end) {
            const std::string_view suffix = "*rightanswer*";
            if (folded.compare(end, suffix.size(), suffix) != 0)
                return;
            each(i, "textwindow" + folded.substr(digits, end - digits),
                 textBeforeDelimiter(windows.lines()[i].substr(end + suffix.size()), "#"));
        });
    }
}

void checkRightAnswers(const Game& game, Report& report) {
    // Every right answer must pass when typed as written. One written with a
    // blank or punctuation next to its "*" or "#" (" Paris #", "Paris!#")
    // keeps a blank there in the folded line, and the key of a typed answer
    // never has one, so no typing can match it.
    const DescrFile& windows = game.file("alltextwindows.txt");
    std::vector<bool> typeable(windows.lines().size(), false);
    eachRightAnswer(windows, [&](std::size_t i, const std::string& target,
                                 const std::string& answer) {
        if (contains(answerFolded(windows.lines()[i]), answerFolded(answerKey(target, answer)))) {
            typeable[i] = true;
            return;
        }
        report.warning(&windows, static_cast<int>(i) + 1,
                       format(tr("right answer {1} of {2} can never be typed: the answer check "
                                 "takes blanks and punctuation away from the ends of what is "
                                 "typed, but not from the answer in the file"),
                              {q(answer), q(target)}));
    });

    for (const Command& c : game.commands()) {
        if (asciiLowerCase(c.text) != "checktext")
            continue;
        if (c.target.empty()) {
            report.error(c.file, c.line,
                         tr("'checktext' has no target: there is nothing typed to check, so it "
                            "always fails"));
            continue;
        }
        const Target t = readTarget(c.target);
        if (!c.screen->has(t.kind, t.number))
            continue; // names nothing: reported with the targets
        if (t.kind != Kind::TextWindow) {
            report.error(c.file, c.line,
                         format(tr("'checktext' on {1}, which is no text window: the player "
                                   "stops the click with \"{2}\""),
                                {q(c.target), "Invalid class typecast"}));
            continue;
        }
        // The lines the answer check can find, with the target as written.
        const std::string key = answerFolded(c.target + "*rightanswer*");
        bool listed = false, reachable = false;
        for (std::size_t i = 0; i < windows.lines().size(); ++i) {
            if (!contains(answerFolded(windows.lines()[i]), key))
                continue;
            listed = true;
            reachable = reachable || typeable[i];
        }
        if (!listed)
            report.error(c.file, c.line,
                         format(tr("'checktext' on {1}, which has no right answer: no line of "
                                   "alltextwindows.txt holds {2}, so every answer is wrong"),
                                {q(c.target), q(c.target + "*rightanswer*")}));
        else if (!reachable)
            report.error(c.file, c.line,
                         format(tr("'checktext' on {1}, whose right answers can none of them be "
                                   "typed, so every answer is wrong"),
                                {q(c.target)}));
    }
}

// --- End screens -----------------------------------------------------------

void checkEndScreens(const Game& game, Report& report) {
    for (const char* outcome : {"victory", "lost"}) {
        const auto it =
            std::find_if(game.commands().begin(), game.commands().end(),
                         [&](const Command& c) { return asciiLowerCase(c.text) == outcome; });
        if (it == game.commands().end())
            continue;
        const bool victory = std::string_view(outcome) == "victory";
        const Screen& screen = game.screens()[victory ? 1 : 2];
        const std::string title = tr(screen.title.c_str());
        if (!screen.pictures->exists())
            report.warning(it->file, it->line,
                           format(tr("'{1}' shows the {2}, but {3} does not exist: it gets no "
                                     "pictures, buttons, sound or video, only the default "
                                     "decorations"),
                                  {outcome, title, utf8(screen.pictures->name())}));
        if (!screen.texts->exists())
            report.warning(it->file, it->line,
                           format(tr("'{1}' shows the {2}, but {3} does not exist: it shows no "
                                     "text"),
                                  {outcome, title, utf8(screen.texts->name())}));
    }
}

// --- A game that cannot end ------------------------------------------------

// The play screen ends only through a rule of a button it builds that runs
// "victory" or "lost"; "startprogram" ends it as well, by closing the window.
void checkEnding(const Game& game, Report& report) {
    const Screen& play = game.playScreen();
    for (const Command& c : game.commands()) {
        if (c.screen != &play)
            continue;
        const bool plain = c.button.size() <= 2 && c.button.front() != '0';
        if (!plain || !play.buildsButton(std::stoi(c.button)))
            continue;
        const std::string lowered = asciiLowerCase(c.text);
        if (lowered == "victory" || lowered == "lost" || contains(lowered, "startprogram "))
            return;
    }
    const DescrFile* buttons = play.buttons;
    const char* message = N_("no click rule of the play screen runs 'victory' or 'lost': the game "
                             "never ends and writes no result file");
    if (buttons->exists())
        report.warning(buttons, 0, tr(message));
    else
        report.add("", 0, Severity::Warning, tr(message));
}

// --- A single "&" in a text line -------------------------------------------

void checkAmpersands(const Game& game, Report& report) {
    for (const Screen& s : game.screens()) {
        for (int n = 1; n <= s.lastText; ++n) {
            if (!s.has(Kind::Text, n))
                continue;
            const std::string stem = numberedKey("*text", n, "*string");
            for (int k = 1; k <= kLastString; ++k) {
                const DescrFile::Value v = s.texts->untrimmedValue(numberedKey(stem, k, "*"));
                bool single = false;
                for (std::size_t i = 0; i < v.text.size(); ++i)
                    if (v.text[i] == '&') {
                        if (i + 1 < v.text.size() && v.text[i + 1] == '&')
                            ++i; // "&&" shows one "&"
                        else
                            single = true;
                    }
                if (single)
                    report.warning(s.texts, v.line,
                                   format(tr("string {1} holds a single '&', which the label "
                                             "does not show: it underlines the letter after it "
                                             "instead. Write '&&' to show one '&'"),
                                          {q(v.text)}));
            }
        }
    }
}

// --- Buttons a screen reader can only call by their picture's name ---------

void checkHints(const Game& game, Report& report) {
    for (const Screen& s : game.screens()) {
        if (!s.buttons)
            continue;
        for (int n = 1; n <= kLastButton; ++n) {
            if (!s.buildsButton(n))
                continue;
            const std::string stem = numberedKey("*button", n, "");
            if (!s.buttons->value(stem + "*hint*").text.empty())
                continue;
            const DescrFile::Value name = s.buttons->value(stem + "*name*");
            report.warning(s.buttons, name.line,
                           format(tr("button {1} has no hint: a screen reader calls it by its "
                                     "picture's name {2}. Say what it does with "
                                     "*button{1}*hint*...#"),
                                  {std::to_string(n), q(name.text)}));
        }
    }
}

// --- Right answers as teachers write them ------------------------------------

// The answer check takes a right-answer key whole: commas are punctuation it
// turns into blanks, so "ель, ёлка, елка" passes only when all three are
// typed.
void checkAnswerLists(const Game& game, Report& report) {
    const DescrFile& windows = game.file("alltextwindows.txt");
    eachRightAnswer(windows, [&](std::size_t i, const std::string& target,
                                 const std::string& answer) {
        std::vector<std::string> parts;
        std::string_view rest = answer;
        for (std::size_t comma; (comma = rest.find(',')) != std::string_view::npos;
             rest.remove_prefix(comma + 1))
            parts.push_back(trimSpaces(rest.substr(0, comma)));
        parts.push_back(trimSpaces(rest));
        if (parts.size() < 2 ||
            std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); }))
            return;
        std::string keys;
        for (const std::string& p : parts)
            keys += (keys.empty() ? "" : ", ") + q("*" + target + "*rightanswer*" + p + "#");
        report.warning(&windows, static_cast<int>(i) + 1,
                       format(tr("right answer {1} of {2} holds several answers separated by "
                                 "commas: the player takes it as one answer, so a pupil passes "
                                 "only by typing all of them. Write one key a line: {3}"),
                              {q(answer), q(target), keys}));
    });
}

// Pupils type "е" for "ё"; the answer check tells the two apart.
void checkYo(const Game& game, Report& report) {
    const DescrFile& windows = game.file("alltextwindows.txt");
    if (windows.firstLineNotUtf8() != 0)
        return; // its letters are not what was written: said with the encodings
    std::set<std::pair<std::string, std::string>> written; // target, folded answer
    eachRightAnswer(windows, [&](std::size_t, const std::string& target,
                                 const std::string& answer) {
        written.insert({target, answerFolded(answer)});
    });
    eachRightAnswer(windows, [&](std::size_t i, const std::string& target,
                                 const std::string& answer) {
        if (answer.find_first_of("\xA8\xB8") == std::string::npos || contains(answer, ","))
            return; // no ё, or said as a list already
        const std::string plain = replaceAll("\xB8", "\xE5", replaceAll("\xA8", "\xC5", answer));
        if (written.count({target, answerFolded(plain)}))
            return;
        report.warning(&windows, static_cast<int>(i) + 1,
                       format(tr("right answer {1} of {2} has 'ё', and a pupil who types 'е' "
                                 "instead is told the answer is wrong: add {3} as well"),
                              {q(answer), q(target), q("*" + target + "*rightanswer*" + plain + "#")}));
    });
}

// --- Text lines covered on smaller and larger screens ----------------------

// Answer boxes and list boxes always lie above text lines, buttons are built
// after them and so painted over them; a picture covers one only once a rule
// brings it to the front. Checked on a classroom projector's 1024 x 768, the
// 1280 x 1024 of school monitors and a 1920 x 1080 screen.
void checkOverlaps(const Game& game, Report& report) {
    static constexpr std::array<ScreenSize, 3> kScreens{{{1024, 768}, {1280, 1024}, {1920, 1080}}};
    std::set<int> broughtToFront;
    for (const Command& c : game.commands()) {
        const Target t = readTarget(c.target);
        if (c.screen == &game.playScreen() && t.kind == Kind::Picture &&
            asciiLowerCase(c.text) == "bringtofront")
            broughtToFront.insert(t.number);
    }
    // Each pair once, with every screen size it is covered on.
    std::map<std::tuple<int, int, int, int>, std::pair<const Box*, std::vector<std::string>>> pairs;
    std::vector<std::vector<Box>> screens;
    NaturalSizes sizes;
    for (const ScreenSize& size : kScreens)
        screens.push_back(layOutPlayScreen(game, size, sizes));
    for (std::size_t s = 0; s < kScreens.size(); ++s) {
        for (const Box& text : screens[s]) {
            if (text.kind != Kind::Text || text.hidden)
                continue;
            for (const Box& other : screens[s]) {
                const bool covers = other.kind == Kind::TextWindow || other.kind == Kind::Button ||
                                    (other.kind == Kind::Picture &&
                                     broughtToFront.count(other.number));
                if (!covers || other.hidden)
                    continue;
                const int across = std::min(text.left + text.width, other.left + other.width) -
                                   std::max(text.left, other.left);
                const int down = std::min(text.top + text.height, other.top + other.height) -
                                 std::max(text.top, other.top);
                // A pixel or two is the measuring's; a quarter of a line is
                // letters hidden.
                if (across < 4 || down < std::max(3, text.lineHeight / 4))
                    continue;
                auto& entry = pairs[{text.line, text.number, static_cast<int>(other.kind),
                                     other.number}];
                entry.first = &other;
                entry.second.push_back(std::to_string(kScreens[s].width) + " x " +
                                       std::to_string(kScreens[s].height));
            }
        }
    }
    const DescrFile* texts = game.playScreen().texts;
    for (const auto& [key, found] : pairs) {
        const auto& [line, number, kind, otherNumber] = key;
        std::string where;
        for (std::size_t i = 0; i < found.second.size(); ++i)
            where += (i == 0 ? "" : i + 1 == found.second.size() ? tr(" and ") : ", ") +
                     found.second[i];
        const std::string covering =
            std::string(kindWord(static_cast<Kind>(kind))) + std::to_string(otherNumber);
        report.warning(texts, line,
                       format(trn("{1} is covered by {2} on a screen of {3}: move one of them, "
                                  "or the pupil cannot read that text there",
                                  "{1} is covered by {2} on screens of {3}: move one of them, "
                                  "or the pupil cannot read that text there",
                                  found.second.size()),
                              {q("text" + std::to_string(number)), q(covering), where}));
    }
}

struct Check {
    const char* kind;
    void (*run)(const Game&, Report&);
    Accessibility only = Accessibility::Skip;
};

const auto kChecks = std::to_array<Check>({
    {"unreadable", checkUnreadable},
    {"file-name", checkFileNames},
    {"encoding", checkEncodings},
    {"lost-characters", checkLostCharacters},
    {"missing-file", checkMissingFiles},
    {"name-encoding", checkNameEncodings},
    {"bad-picture", checkPictures},
    {"picture-cost", checkPictureCosts},
    {"media-format", checkMediaFormats},
    {"bad-colour", checkColours},
    {"number-limit", checkNumbers},
    {"flag-form", checkFlags},
    {"key-case", checkKeyCase},
    {"unknown-key", checkUnknownKeys},
    {"rule-separators", checkRuleSeparators},
    {"target", checkTargets},
    {"command", checkCommands},
    {"condition", checkConditions},
    {"ampersand", checkAmpersands},
    {"checktext", checkRightAnswers},
    {"answer-list", checkAnswerLists},
    {"yo", checkYo},
    {"overlap", checkOverlaps},
    {"end-screen", checkEndScreens},
    {"no-ending", checkEnding},
    {"no-hint", checkHints, Accessibility::Check},
});

} // namespace

std::vector<std::string> checkKinds() {
    std::vector<std::string> kinds;
    for (const Check& c : kChecks)
        kinds.push_back(c.kind);
    return kinds;
}

std::vector<Finding> checkGame(const std::string& dataFolder, Accessibility accessibility) {
    std::vector<Finding> findings;
    Game game(dataFolder);
    if (!game.folderExists()) {
        findings.push_back(
            {"", 0, Severity::Error, "folder", tr("the data folder does not exist")});
        return findings;
    }
    for (const Check& c : kChecks) {
        if (c.only == Accessibility::Check && accessibility != Accessibility::Check)
            continue;
        const std::size_t from = findings.size();
        Report report(findings, c.kind);
        c.run(game, report);
        std::stable_sort(findings.begin() + static_cast<std::ptrdiff_t>(from), findings.end(),
                         [](const Finding& a, const Finding& b) {
                             return std::tie(a.file, a.line) < std::tie(b.file, b.line);
                         });
        // The same finding from two screens sharing a file is said once.
        findings.erase(
            std::unique(findings.begin() + static_cast<std::ptrdiff_t>(from), findings.end(),
                        [](const Finding& a, const Finding& b) {
                            return a.file == b.file && a.line == b.line && a.message == b.message;
                        }),
            findings.end());
    }
    return findings;
}

} // namespace taleplay::check
