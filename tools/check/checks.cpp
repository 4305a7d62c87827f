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

// Which encoding each file is read in, where that matters; and a file that
// mixes UTF-8 with other bytes, which is read as Windows-1251 throughout.
void checkEncodings(const Game& game, Report& report) {
    for (const DescrFile* f : game.files()) {
        if (!f->exists() || !f->readError().empty() || !f->beyondAscii())
            continue;
        switch (f->encoding()) {
        case files::TextEncoding::Windows1251:
            report.note(f, 0, tr("read as Windows-1251"));
            break;
        case files::TextEncoding::Utf8WithMark:
            report.note(f, 0, tr("read as UTF-8 with a byte-order mark"));
            break;
        case files::TextEncoding::Utf8:
            report.note(f, 0, tr("read as UTF-8 without a byte-order mark"));
            break;
        }
        if (const int line = f->firstLineNotUtf8())
            report.warning(f, line,
                           tr("the file is mostly UTF-8, but this line is not (Windows-1251 "
                              "perhaps), so the player reads the whole file as Windows-1251 and "
                              "every UTF-8 letter shows as two others: save the whole file in one "
                              "encoding"));
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
        if (f.use == NamedFile::Use::Program)
            report.error(f.file, f.line,
                         format(tr("{1} {2} does not exist (looked for as '{3}'); the player "
                                   "reports it"),
                                {useWord(f.use), q(f.name), paths::shown(f.composed)}));
        else if (f.reportedWhenMissing)
            report.error(f.file, f.line,
                         format(tr("{1} {2} does not exist; the player reports it"),
                                {useWord(f.use), q(f.name)}));
        else
            report.warning(f.file, f.line,
                           format(tr("{1} {2} does not exist; the player goes on without it"),
                                  {useWord(f.use), q(f.name)}));
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

// The Cyrillic letters of `written` that stand where Latin ones belong, each
// once, in UTF-8 and quoted, and how many there are.
std::pair<std::string, unsigned long> cyrillicLookAlikes(std::string_view written) {
    std::string listed;
    std::set<char> seen;
    for (char c : written)
        if (latinLookAlike(static_cast<unsigned char>(c)) && seen.insert(c).second)
            listed += (listed.empty() ? "" : ", ") + q(std::string(1, c));
    return {listed, seen.size()};
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
                case KeySlip::Kind::LookAlike: {
                    const auto [letters, count] = cyrillicLookAlikes(slip.written);
                    report.warning(
                        file, line,
                        format(trn("{1} is written with the Cyrillic letter {2} in place of a "
                                   "Latin one, so the player does not find it: write {3}",
                                   "{1} is written with the Cyrillic letters {2} in place of Latin "
                                   "ones, so the player does not find it: write {3}",
                                   count),
                               {q(slip.written), letters, q(slip.meant)}));
                    break;
                }
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

std::string stemOf(std::string_view name) {
    return std::string(name.substr(0, name.find('.')));
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
        const auto [letters, count] = cyrillicLookAlikes(name);
        if (count > 0)
            message = format(trn("did you mean {1}? The name is written with the Cyrillic letter "
                                 "{2} in place of a Latin one; the player reads only {1}, which "
                                 "does not exist",
                                 "did you mean {1}? The name is written with the Cyrillic letters "
                                 "{2} in place of Latin ones; the player reads only {1}, which "
                                 "does not exist",
                                 count),
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
        if (t.kind == Kind::None)
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

void checkRightAnswers(const Game& game, Report& report) {
    // Every right answer must pass when typed as written. One written with a
    // blank or punctuation next to its "*" or "#" (" Paris #", "Paris!#")
    // keeps a blank there in the folded line, and the key of a typed answer
    // never has one, so no typing can match it.
    const DescrFile& windows = game.file("alltextwindows.txt");
    std::vector<bool> typeable(windows.lines().size(), false);
    for (std::size_t i = 0; i < windows.lines().size(); ++i) {
        const std::string& line = windows.lines()[i];
        const std::string foldedLine = answerFolded(line);
        eachNumbered(windows.folded()[i], "textwindow",
                     [&](std::size_t, std::size_t digits, std::size_t end) {
                         const std::string_view suffix = "*rightanswer*";
                         if (windows.folded()[i].compare(end, suffix.size(), suffix) != 0)
                             return;
                         const std::string target =
                             "textwindow" + windows.folded()[i].substr(digits, end - digits);
                         const std::string answer =
                             textBeforeDelimiter(line.substr(end + suffix.size()), "#");
                         if (contains(foldedLine, answerFolded(answerKey(target, answer)))) {
                             typeable[i] = true;
                             return;
                         }
                         report.warning(&windows, static_cast<int>(i) + 1,
                                        format(tr("right answer {1} of {2} can never be typed: the "
                                                  "answer check takes blanks and punctuation "
                                                  "away from the ends of what is typed, but not "
                                                  "from the answer in the file"),
                                               {q(answer), q(target)}));
                     });
    }

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
