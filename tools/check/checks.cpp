// The checks, one small function per kind of finding, and the table that
// runs them. Severity follows one rule: an error is something the player
// will show an error message for, stop building a screen at, or a checked
// answer that can never be right; a warning is something written that the
// player silently ignores or reads otherwise than it looks.
#include "check/check.h"
#include "check/game.h"
#include "check/media.h"
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
            report.error(f, 0, "cannot be read: " + f->readError());
}

// --- Encodings ---------------------------------------------------------------

// Which encoding each file is read in, where that matters; and a file that
// mixes UTF-8 with other bytes, which is read as Windows-1251 throughout.
void checkEncodings(const Game& game, Report& report) {
    for (const DescrFile* f : game.files()) {
        if (!f->exists() || !f->readError().empty() || !f->beyondAscii())
            continue;
        report.note(f, 0, std::string("read as ") + files::encodingName(f->encoding()));
        if (const int line = f->firstLineNotUtf8())
            report.warning(f, line,
                           "the file is mostly UTF-8, but this line is not (Windows-1251 "
                           "perhaps), so the player reads the whole file as Windows-1251 and "
                           "every UTF-8 letter shows as two others: save the whole file in one "
                           "encoding");
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
            report.warning(f, lost.line,
                           std::to_string(lost.count) +
                               (lost.count == 1 ? " character" : " characters") +
                               " Windows-1251 lacks (" + listed + "): the player reads " +
                               (lost.count == 1 ? "it" : "them") + " as '?'");
        }
}

// --- Named files -----------------------------------------------------------

const char* useWord(NamedFile::Use use) {
    switch (use) {
    case NamedFile::Use::Picture:
        return "picture";
    case NamedFile::Use::Sound:
        return "sound";
    case NamedFile::Use::Video:
        return "video";
    case NamedFile::Use::Program:
        return "program";
    }
    return "file";
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
                report.warning(f.file, f.line,
                               std::string(useWord(f.use)) + " " + q(f.name) +
                                   " exists only in another letter case, as '" +
                                   shownResolved(game, resolved.shown) +
                                   "'; the player uses that file");
            continue;
        }
        std::string message = std::string(useWord(f.use)) + " " + q(f.name) + " does not exist";
        if (f.use == NamedFile::Use::Program)
            message += " (looked for as '" + paths::shown(f.composed) + "')";
        if (f.reportedWhenMissing)
            report.error(f.file, f.line, message + "; the player reports it");
        else
            report.warning(f.file, f.line, message + "; the player goes on without it");
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
        report.warning(
            f.file, f.line,
            std::string(useWord(f.use)) + " " + q(f.name) + " is found as '" +
                shownResolved(game, resolved.shown) + "', whose name is stored in " +
                (dos ? "CP866 (DOS)" : "Windows-1251") +
                " bytes, as unpacking an archive made on Windows leaves it; the player uses "
                "that file, but other programs show its name garbled. Rename such files with "
                "'convmv -f " +
                (dos ? "cp866" : "cp1251") + " -t utf-8 -r --notest FOLDER'" +
                (dos ? ", or unpack the archive again with 'unzip -O CP866'" : ""));
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
                         "picture " + q(f.name) + " cannot be loaded: " + it->second);
        else
            report.add(utf8(f.name), 0, Severity::Error,
                       "default picture cannot be loaded: " + it->second);
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
            report.warning(f.file, f.line,
                           std::string(useWord(f.use)) + " " + q(f.name) + " holds " +
                               (s.video ? "pictures compressed as '" + s.codec + "'"
                                        : "sound in " + (s.codec.size() == 4 ? "'" + s.codec + "'"
                                                                             : s.codec)) +
                               " (" + format.container + "), which none of the player's " +
                               "decoders reads: " +
                               (stops ? "it will not play" : "it plays without that sound"));
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
                     "colour " + q(v.text) + " of " + q(key) + " is neither a colour name nor a " +
                         "number: the player stops building the screen with \"" + utf8(e.what()) +
                         "\"");
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
                         q(c.text) + " on " + q(c.target) + " gives the colour " + q(colour) +
                             ", which is no colour: the player stops the click with \"" +
                             utf8(e.what()) + "\"");
        }
    }
}

// --- Numbers the player never reads ----------------------------------------

struct Family {
    const char* word;
    int last;
};

std::vector<Family> familiesOf(const Game& game, const DescrFile& file) {
    const std::string& name = file.name();
    if (name == "allbackpictures.txt")
        return {{"picture", kLastPicture}, {"shape", kLastShape}};
    if (name == "allbacktexts.txt")
        return {{"text", kLastText}, {"list", kLastList}, {"string", kLastString}};
    if (name == "alltextwindows.txt")
        return {{"textwindow", kLastTextWindow}};
    if (name == "allbuttons.txt")
        return {{"button", kLastButton}};
    if (&file == game.screens()[1].pictures || &file == game.screens()[2].pictures)
        return {{"picture", kLastPicture}, {"button", kLastButton}};
    return {{"text", kLastEndText}, {"string", kLastString}}; // the end screens' texts
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
        for (const Family& family : familiesOf(game, *file)) {
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
                        const std::string plural = std::string(family.word) + "s";
                        if (number.size() > 1 && number.front() == '0')
                            report.warning(file, line,
                                           q(written) + " is never read: the player writes " +
                                               plural + "' numbers without leading zeros");
                        else if (number.size() > 3 || std::stoi(number) > family.last)
                            report.warning(file, line,
                                           q(written) + " is never read: the player reads " +
                                               plural + " 1 to " + std::to_string(family.last) +
                                               " only");
                        else if (std::stoi(number) == 0)
                            report.warning(file, line,
                                           q(written) + " is never read: numbers start at 1");
                    });
            }
        }
    }
}

// --- Per-item flags --------------------------------------------------------

void checkFlags(const Game& game, Report& report) {
    // Which flags each family reads, by the files that hold the family.
    struct FlagFamily {
        const char* word;
        std::vector<const char*> flags; // without the blank that ends them
    };
    const FlagFamily picture{"picture", {"transparent*yes#", "visible*no#"}};
    const FlagFamily shape{"shape", {"visible*no#"}};
    const FlagFamily button{"button", {"transparent*yes#", "visible*no#"}};
    const FlagFamily text{"text", {"transparent*yes#", "bold*yes#", "visible*no#"}};
    const FlagFamily list{"list", {"bold*yes#", "visible*no#"}};
    const FlagFamily window{"textwindow", {"noborder*yes#", "bold*yes#", "visible*no#"}};

    for (const DescrFile* file : game.files()) {
        std::vector<const FlagFamily*> families;
        const std::string& name = file->name();
        if (name == "allbackpictures.txt")
            families = {&picture, &shape};
        else if (name == "allbacktexts.txt")
            families = {&text, &list};
        else if (name == "alltextwindows.txt")
            families = {&window};
        else if (name == "allbuttons.txt")
            families = {&button};
        else if (contains(name, "pictures.txt"))
            families = {&picture, &button};
        else
            families = {&text};

        for (std::size_t i = 0; i < file->folded().size(); ++i) {
            const std::string& f = file->folded()[i];
            const std::string& line = file->lines()[i];
            for (const FlagFamily* family : families) {
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
                                           "flag " + q(written) +
                                               " has a star after the number: the player looks "
                                               "for '" +
                                               utf8(meant) + "' and does not set it");
                        else if (after >= f.size() || f[after] != ' ')
                            report.warning(file, static_cast<int>(i) + 1,
                                           "flag " + q(written) +
                                               " lacks the blank after its '#': the player does "
                                               "not set it");
                    }
                });
            }
        }
    }
}

// --- Value keys in another letter case -------------------------------------

const std::array<const char*, 8> kPlacement{
    "*widthindivision*", "*widthinpixels*", "*heightindivision*", "*heightinpixels*",
    "*leftindivision*",  "*leftinpixels*",  "*topindivision*",    "*topinpixels*"};

void addNumbered(std::vector<std::string>& keys, const char* prefix, int last,
                 std::initializer_list<const char*> suffixes, bool placement) {
    for (int n = 1; n <= last; ++n) {
        for (const char* s : suffixes)
            keys.push_back(numberedKey(prefix, n, s));
        if (placement)
            for (const char* s : kPlacement)
                keys.push_back(numberedKey(prefix, n, s));
    }
}

void addTextKeys(std::vector<std::string>& keys, const char* prefix, int last, bool withHeight) {
    for (int n = 1; n <= last; ++n) {
        for (int k = 1; k <= kLastString; ++k)
            keys.push_back(numberedKey(prefix, n, "*string") + std::to_string(k) + "*");
        for (const char* s : {"*fontsize*", "font*", "fontcolor*", "color*"})
            keys.push_back(numberedKey(prefix, n, s));
        for (const char* s : kPlacement)
            if (withHeight || !contains(s, "height"))
                keys.push_back(numberedKey(prefix, n, s));
    }
}

// Every value key the player reads from `file` in exact letter case.
std::vector<std::string> valueKeysOf(const Game& game, const DescrFile& file) {
    std::vector<std::string> keys;
    const std::string& name = file.name();
    const bool endPictures =
        &file == game.screens()[1].pictures || &file == game.screens()[2].pictures;
    if (name == "allbackpictures.txt" || endPictures) {
        for (const char* k :
             {"*screencolor*", "*fon*name*", "*bigfon*name*", "*bigfon*squarename*",
              "*bigfon*longname*", "*framehoriz*name*", "*framehoriz*heightindivision*",
              "*framehoriz*heightinpixels*", "*framevert*name*", "*framevert*widthindivision*",
              "*framevert*widthinpixels*", "*upleftcorner*name*", "*uprightcorner*name*",
              "*bottomleftcorner*name*", "*bottomrightcorner*name*", "*corner*heightindivision*",
              "*corner*heightinpixels*", "*sound*", "*video*"})
            keys.push_back(k);
        for (const char* s : kPlacement)
            keys.push_back(std::string("*videoscreen") + s);
        addNumbered(keys, "*picture", kLastPicture, {"*name*"}, true);
    }
    if (name == "allbackpictures.txt")
        addNumbered(keys, "*shape", kLastShape, {"*form*", "color*", "pencolor*"}, true);
    if (name == "allbuttons.txt" || endPictures)
        addNumbered(keys, "*button", kLastButton, {"*name*", "*pressedname*"}, true);
    if (name == "allbacktexts.txt") {
        addTextKeys(keys, "*text", kLastText, false);
        addTextKeys(keys, "*list", kLastList, true);
    }
    if (name == "victorytexts.txt" || name == "losttexts.txt")
        addTextKeys(keys, "*text", kLastEndText, false);
    if (name == "alltextwindows.txt") {
        // Text windows have no height key: their height comes from the font.
        for (int n = 1; n <= kLastTextWindow; ++n) {
            for (const char* s : {"*fontsize*", "font*", "fontcolor*", "color*", "*text*"})
                keys.push_back(numberedKey("*textwindow", n, s));
            for (const char* s : kPlacement)
                if (!contains(s, "height"))
                    keys.push_back(numberedKey("*textwindow", n, s));
        }
    }
    return keys;
}

void checkKeyCase(const Game& game, Report& report) {
    for (const DescrFile* file : game.files()) {
        std::unordered_map<std::string, std::string> byFolded;
        std::set<std::size_t> lengths;
        for (std::string& key : valueKeysOf(game, *file)) {
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
                                   q(line.substr(at, length)) + " is not found by the player, " +
                                       "which reads " + q(key) + " in exactly that letter case");
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
                           "the " + s.title + " takes this line for '*bigfon*name*' (found in " +
                               "any letter case) but cuts the name with the key in exact case, " +
                               "so the name comes out wrong");
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
                       "the rule key " + q(line.substr(at, foldedKey.size())) +
                           " is not written as " + q(r.key) + ": the rule runs, but its target " +
                           q(target) + " comes out empty");
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
            if (at < previous)
                problems.push_back(std::string("'") + sep + "' stands before the field it ends");
            if (line.find(sep, at + 1) != std::string::npos)
                problems.push_back(std::string("'") + sep +
                                   "' occurs more than once, and the first one cuts the field");
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
            problems.insert(problems.begin(), "it lacks " + list);
        }
        if (problems.empty())
            continue;
        std::string message = r.group ? "group line: " : "click rule: ";
        for (std::size_t i = 0; i < problems.size(); ++i)
            message += (i ? "; " : "") + problems[i];
        if (r.group) {
            message += ". The player reads target " + q(RuleField(line, r.key, "#")) +
                       ", command " + q(RuleField(line, "#", "^"));
        } else {
            message += ". The player reads condition " + q(RuleField(line, "#", "^")) + " on " +
                       q(RuleField(line, r.key, "#")) + ", success " +
                       q(RuleField(line, "&", "+")) + " on " + q(RuleField(line, "^", "&")) +
                       ", failure " + q(RuleField(line, "=", "~")) + " on " +
                       q(RuleField(line, "+", "="));
        }
        report.warning(r.file, r.line, message);
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
                       "rules of button " + utf8(r.button) + ", which the " + r.screen->title +
                           " does not build: they never run");
    }

    for (const Command& c : game.commands()) {
        const std::string lowered = asciiLowerCase(c.text);
        if (c.target.empty()) {
            // A rule key in another case empties the target: said with the keys.
            const bool keyCase = !c.exactKey && (c.role == Command::Role::Condition ||
                                                 c.role == Command::Role::Group);
            if (needsComponent(lowered) && !keyCase)
                report.warning(c.file, c.line, q(c.text) + " has no target and does nothing");
            continue;
        }
        const Target t = readTarget(c.target);
        if (c.screen->has(t.kind, t.number))
            continue;
        std::string why;
        if (t.kind == Kind::None)
            why = "it begins with none of the words text, textwindow, picture, list, button, "
                  "shape and video, written in small letters";
        else if (c.screen->endScreen && t.kind == Kind::Button)
            why = "button targets still name the play screen's buttons, of which only the "
                  "clicked one is left, hidden";
        else if (c.screen->endScreen &&
                 (t.kind == Kind::List || t.kind == Kind::TextWindow || t.kind == Kind::Shape))
            why = "the " + c.screen->title + " has no " + kindWord(t.kind) + "s it could name";
        else
            why = "the " + c.screen->title + " has no " + kindWord(t.kind) + " " +
                  std::to_string(t.number);
        report.warning(c.file, c.line,
                       "target " + q(c.target) + " names no component (" + why + "), so " +
                           q(c.text) + " does nothing");
    }
}

// --- Commands --------------------------------------------------------------

void checkCommands(const Game& game, Report& report) {
    static constexpr std::array<const char*, 6> kEqual{"visible",   "invisible", "bringtofront",
                                                       "checktext", "victory",   "lost"};
    struct Contained {
        const char* word; // as the interpreter tests it
        std::size_t cut;  // characters it drops to get the argument
    };
    static constexpr std::array<Contained, 4> kWithArgument{
        {{"pause", 5}, {"playsound", 9}, {"playvideo ", 9}, {"startprogram ", 12}}};

    for (const Command& c : game.commands()) {
        const std::string lowered = asciiLowerCase(c.text);
        bool matched = std::find(kEqual.begin(), kEqual.end(), lowered) != kEqual.end() ||
                       contains(lowered, "textcolor") || contains(lowered, "backcolor");
        for (const Contained& w : kWithArgument) {
            const std::size_t at = lowered.find(w.word);
            if (at == std::string::npos)
                continue;
            matched = true;
            const std::string word = trimSpaces(w.word);
            const std::string argument =
                trimSpaces(c.text.size() > w.cut ? c.text.substr(w.cut) : std::string());
            if (at != 0)
                report.warning(c.file, c.line,
                               q(c.text) + " runs '" + word + "' with the argument " + q(argument) +
                                   ": the argument is cut by position, so '" + word +
                                   "' must open the command");
            else if (c.text.size() > w.cut && c.text[w.cut] != ' ')
                report.warning(c.file, c.line,
                               q(c.text) + " has no blank after '" + word + "': it runs as '" +
                                   word + "' with the argument " + q(argument));
        }
        // Every command whose word the text holds runs, not only the first.
        for (const char* word : {"textcolor", "backcolor"}) {
            const std::size_t at = lowered.find(word);
            if (at != std::string::npos && at != 0)
                report.warning(c.file, c.line,
                               q(c.text) + " also runs '" + word +
                                   "', whose word it holds: every command whose word is in a "
                                   "command text runs");
        }
        if (matched)
            continue;
        std::string hint;
        if (contains(lowered, "playvideo") || contains(lowered, "startprogram"))
            hint = ": 'playvideo' and 'startprogram' need a blank before their argument";
        for (const char* word : kEqual)
            if (lowered.rfind(word, 0) == 0)
                hint = std::string(": '") + word + "' must stand alone";
        report.warning(c.file, c.line, q(c.text) + " matches no command and does nothing" + hint);
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
                                        "right answer " + q(answer) + " of " + q(target) +
                                            " can never be typed: the answer check takes blanks "
                                            "and punctuation away from the ends of what is "
                                            "typed, but not from the answer in the file");
                     });
    }

    for (const Command& c : game.commands()) {
        if (asciiLowerCase(c.text) != "checktext")
            continue;
        if (c.target.empty()) {
            report.error(c.file, c.line,
                         "'checktext' has no target: there is nothing typed to check, so it "
                         "always fails");
            continue;
        }
        const Target t = readTarget(c.target);
        if (!c.screen->has(t.kind, t.number))
            continue; // names nothing: reported with the targets
        if (t.kind != Kind::TextWindow) {
            report.error(c.file, c.line,
                         "'checktext' on " + q(c.target) +
                             ", which is no text window: the player stops the click with "
                             "\"Invalid class typecast\"");
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
                         "'checktext' on " + q(c.target) + ", which has no right answer: no line " +
                             "of alltextwindows.txt holds " + q(c.target + "*rightanswer*") +
                             ", so every answer is wrong");
        else if (!reachable)
            report.error(c.file, c.line,
                         "'checktext' on " + q(c.target) + ", whose right answers can none of " +
                             "them be typed, so every answer is wrong");
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
        if (!screen.pictures->exists())
            report.warning(it->file, it->line,
                           std::string("'") + outcome + "' shows the " + screen.title + ", but " +
                               utf8(screen.pictures->name()) +
                               " does not exist: it gets no pictures, buttons, sound or video, "
                               "only the default decorations");
        if (!screen.texts->exists())
            report.warning(it->file, it->line,
                           std::string("'") + outcome + "' shows the " + screen.title + ", but " +
                               utf8(screen.texts->name()) + " does not exist: it shows no text");
    }
}

struct Check {
    const char* kind;
    void (*run)(const Game&, Report&);
};

const std::array<Check, 16> kChecks{{
    {"unreadable", checkUnreadable},
    {"encoding", checkEncodings},
    {"lost-characters", checkLostCharacters},
    {"missing-file", checkMissingFiles},
    {"name-encoding", checkNameEncodings},
    {"bad-picture", checkPictures},
    {"media-format", checkMediaFormats},
    {"bad-colour", checkColours},
    {"number-limit", checkNumbers},
    {"flag-form", checkFlags},
    {"key-case", checkKeyCase},
    {"rule-separators", checkRuleSeparators},
    {"target", checkTargets},
    {"command", checkCommands},
    {"checktext", checkRightAnswers},
    {"end-screen", checkEndScreens},
}};

} // namespace

std::vector<std::string> checkKinds() {
    std::vector<std::string> kinds;
    for (const Check& c : kChecks)
        kinds.push_back(c.kind);
    return kinds;
}

std::vector<Finding> checkGame(const std::string& dataFolder) {
    std::vector<Finding> findings;
    Game game(dataFolder);
    if (!game.folderExists()) {
        findings.push_back({"", 0, Severity::Error, "folder", "the data folder does not exist"});
        return findings;
    }
    for (const Check& c : kChecks) {
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
