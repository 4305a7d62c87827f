#include "check/game.h"

#include "check/translate.h"
#include "commands/command_text.h"

#include "core/codepage.h"
#include "core/errors.h"
#include "core/files.h"
#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sys/stat.h>

namespace taleplay::check {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string foldedText(std::string_view text) {
    std::string f(text);
    anyCaseLowerInPlace(f);
    return f;
}

} // namespace

std::string numberedKey(std::string_view prefix, int number, std::string_view suffix) {
    std::string key(prefix);
    key += std::to_string(number);
    key += suffix;
    return key;
}

// --- DescrFile -------------------------------------------------------------

DescrFile::DescrFile(const std::string& dataFolder, std::string name) : name_(std::move(name)) {
    const std::string composed = dataFolder + name_;
    const auto path = paths::existingFile(composed);
    if (!path)
        return;
    exists_ = true;
    try {
        files::LineReader reader(*path, composed);
        std::string line;
        while (reader.next(line))
            lines_.push_back(line);
        readEncoding(*path, composed);
    } catch (const InOutError& e) {
        readError_ = cp1251::toUtf8(e.what());
        lines_.clear();
    }
    folded_.reserve(lines_.size());
    for (const std::string& l : lines_)
        folded_.push_back(foldedText(l));
}

namespace {

// Calls `each(number, line)` for the lines the player reads: LF or CR LF
// ends one, a Ctrl-Z the file.
template <class Each> void eachRawLine(std::string_view text, Each each) {
    text = text.substr(0, text.find('\x1a'));
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        each(number, text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

} // namespace

void DescrFile::readEncoding(const std::string& path, const std::string& composed) {
    std::vector<unsigned char> bytes;
    files::readWholeFile(path, composed, bytes, 256u * 1024 * 1024);
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    encoding_ = files::textEncoding(text);
    if (encoding_ == files::TextEncoding::Utf8WithMark)
        text.remove_prefix(3);
    const std::string_view read = text.substr(0, text.find('\x1a'));
    beyondAscii_ = std::any_of(read.begin(), read.end(),
                               [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!beyondAscii_)
        return;

    if (encoding_ == files::TextEncoding::Windows1251) {
        // Windows-1251 text is almost never valid UTF-8, letter after letter;
        // a file where valid sequences outnumber the other bytes was meant
        // as UTF-8 and spoiled by a few.
        int sequences = 0, strays = 0, firstStray = 0;
        eachRawLine(text, [&](int number, std::string_view line) {
            for (std::size_t i = 0; i < line.size();) {
                const char32_t cp = utf8::next(line, i);
                if (cp >= 0x110000) {
                    ++strays;
                    if (firstStray == 0)
                        firstStray = number;
                } else if (cp >= 0x80) {
                    ++sequences;
                }
            }
        });
        if (sequences > strays)
            firstLineNotUtf8_ = firstStray;
        return;
    }

    eachRawLine(text, [&](int number, std::string_view line) {
        Lost lost{number, 0, {}};
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t at = i;
            const char32_t cp = utf8::next(line, i);
            std::string character;
            if (cp >= 0x110000) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(cp & 0xFF));
                character = hex;
            } else if (cp1251::fromUnicode(cp) == '?' && cp != '?') {
                character = std::string(line.substr(at, i - at));
            } else {
                continue;
            }
            ++lost.count;
            if (std::find(lost.characters.begin(), lost.characters.end(), character) ==
                lost.characters.end())
                lost.characters.push_back(character);
        }
        if (lost.count > 0)
            lost_.push_back(std::move(lost));
    });
}

int DescrFile::firstExact(std::string_view key) const {
    if (key.empty())
        return 0;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].find(key) != std::string::npos)
            return static_cast<int>(i) + 1;
    return 0;
}

int DescrFile::firstAnyCase(std::string_view key) const {
    const std::string k = foldedText(key);
    if (k.empty())
        return 0;
    for (std::size_t i = 0; i < folded_.size(); ++i)
        if (folded_[i].find(k) != std::string::npos)
            return static_cast<int>(i) + 1;
    return 0;
}

DescrFile::Value DescrFile::untrimmedValue(std::string_view key) const {
    const int at = firstExact(key);
    if (at == 0)
        return {};
    return {textBeforeDelimiter(textAfterKey(line(at), key), "#"), at};
}

DescrFile::Value DescrFile::value(std::string_view key) const {
    Value v = untrimmedValue(key);
    v.text = trimSpaces(v.text);
    return v;
}

// --- Screens and targets ---------------------------------------------------

const char* kindWord(Kind kind) {
    switch (kind) {
    case Kind::None:
        return "";
    case Kind::Text:
        return "text";
    case Kind::TextWindow:
        return "textwindow";
    case Kind::Picture:
        return "picture";
    case Kind::List:
        return "list";
    case Kind::Button:
        return "button";
    case Kind::Shape:
        return "shape";
    case Kind::Video:
        return "video";
    }
    return "";
}

Target readTarget(const std::string& target) {
    Target t;
    if (target.empty())
        return t;
    // As the lookup tests them: case-sensitive prefixes, a later match
    // replacing an earlier one ("textwindow2" is first "text" then
    // "textwindow").
    static constexpr std::array<Kind, 6> kinds{Kind::Text, Kind::TextWindow, Kind::Picture,
                                               Kind::List, Kind::Button,     Kind::Shape};
    for (Kind k : kinds) {
        const std::string word = kindWord(k);
        if (!startsWith(target, word))
            continue;
        t.kind = k;
        t.number = readInteger(replaceAll(word, "", target)).value_or(0);
    }
    if (startsWith(asciiLowerCase(target), "video"))
        t = {Kind::Video, 0};
    return t;
}

namespace {

bool namedFileExists(const std::string& folder, const DescrFile& file, const std::string& key) {
    const std::string name = file.value(key).text;
    return !name.empty() && paths::fileExists(folder + name);
}

} // namespace

bool Screen::has(Kind kind, int number) const {
    switch (kind) {
    case Kind::None:
        return false;
    case Kind::Video:
        return true;
    case Kind::Picture:
        return number >= 1 && number <= kLastPicture &&
               namedFileExists(folder, *pictures, numberedKey("*picture", number, "*name*"));
    case Kind::Button:
        // The end screen's own buttons are in a table the lookup never
        // searches, and the play screen's are gone by then.
        return !endScreen && number >= 1 && number <= kLastButton &&
               namedFileExists(folder, *buttons, numberedKey("*button", number, "*name*"));
    case Kind::Shape:
        return !endScreen && number >= 1 && number <= kLastShape &&
               !pictures->value(numberedKey("*shape", number, "*form*")).text.empty();
    case Kind::List:
        return !endScreen && number >= 1 && number <= kLastList &&
               texts->firstAnyCase(numberedKey("*list", number, "*string1*")) != 0;
    case Kind::TextWindow:
        return textWindows && number >= 1 && number <= kLastTextWindow &&
               textWindows->firstAnyCase(numberedKey("*textwindow", number, "*")) != 0;
    case Kind::Text: {
        if (number < 1 || number > lastText ||
            texts->firstAnyCase(numberedKey("*text", number, "*string1*")) == 0)
            return false;
        // A text whose strings are all empty has no label to be found.
        const std::string stem = numberedKey("*text", number, "*string");
        for (int k = 1; k <= kLastString; ++k)
            if (!texts->untrimmedValue(numberedKey(stem, k, "*")).text.empty())
                return true;
        return false;
    }
    }
    return false;
}

bool Screen::buildsButton(int number) const {
    return number >= 1 && number <= kLastButton &&
           namedFileExists(folder, *buttons, numberedKey("*button", number, "*name*"));
}

// --- Game ------------------------------------------------------------------

namespace {

// The folder that holds the data folder: the working folder when the game is
// started as the player expects, and so where "startprogram" looks.
std::string parentOf(const std::string& folder) {
    const std::size_t cut = folder.find_last_of('/', folder.size() - 2);
    return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

} // namespace

Game::Game(const std::string& dataFolder) {
    // Absolute and without "." and "..", so that the folder above it, where
    // "startprogram" looks, is the real one. Native, as the player keeps its
    // folders; only the game names composed onto it are Windows-1251.
    std::string absolute =
        std::filesystem::absolute(dataFolder.empty() ? "." : dataFolder).lexically_normal();
    while (absolute.size() > 1 && absolute.back() == '/')
        absolute.pop_back();
    folder_ = absolute;
    if (folder_.back() != paths::kSeparator)
        folder_ += paths::kSeparator;
    paths::setNativeFolders({parentOf(folder_), folder_});
    folderExists_ = paths::folderExists(folder_);

    static constexpr std::array<const char*, 8> names{
        "allbackpictures.txt", "allbacktexts.txt", "alltextwindows.txt", "allbuttons.txt",
        "victorypictures.txt", "victorytexts.txt", "lostpictures.txt",   "losttexts.txt"};
    files_.reserve(names.size());
    for (const char* name : names)
        files_.emplace_back(folder_, name);

    Screen play;
    play.title = N_("play screen");
    play.folder = folder_;
    play.pictures = &file("allbackpictures.txt");
    play.texts = &file("allbacktexts.txt");
    play.buttons = &file("allbuttons.txt");
    play.textWindows = &file("alltextwindows.txt");
    screens_.push_back(play);
    for (const char* outcome : {"victory", "lost"}) {
        Screen end;
        end.title = std::string(outcome) == "victory" ? N_("victory screen") : N_("loss screen");
        end.endScreen = true;
        end.folder = folder_;
        end.pictures = &file(std::string(outcome) + "pictures.txt");
        end.texts = &file(std::string(outcome) + "texts.txt");
        end.buttons = end.pictures;
        end.lastText = kLastEndText;
        screens_.push_back(end);
    }
    for (const Screen& s : screens_)
        readRules(s);
}

std::vector<const DescrFile*> Game::files() const {
    std::vector<const DescrFile*> out;
    for (const DescrFile& f : files_)
        out.push_back(&f);
    return out;
}

const DescrFile& Game::file(std::string_view name) const {
    for (const DescrFile& f : files_)
        if (f.name() == name)
            return f;
    assert(!"not a description file of the game");
    return files_.front();
}

void Game::readRules(const Screen& screen) {
    const DescrFile& file = *screen.buttons;
    struct Suffix {
        const char* folded;
        const char* exact;
        bool group;
    };
    static constexpr std::array<Suffix, 3> suffixes{{{"*click*", "*click*", false},
                                                     {"*clickallgood*", "*clickALLGOOD*", true},
                                                     {"*clickallbad*", "*clickALLBAD*", true}}};
    for (std::size_t i = 0; i < file.folded().size(); ++i) {
        const std::string& f = file.folded()[i];
        // The first "*button<digits><suffix>" of the line, compared in any
        // case as the click handler counts rule lines.
        for (std::size_t at = f.find("*button"); at != std::string::npos;
             at = f.find("*button", at + 1)) {
            std::size_t end = at + 7;
            while (end < f.size() && std::isdigit(static_cast<unsigned char>(f[end])))
                ++end;
            if (end == at + 7)
                continue;
            const Suffix* found = nullptr;
            for (const Suffix& s : suffixes)
                if (f.compare(end, std::string_view(s.folded).size(), s.folded) == 0)
                    found = &s;
            if (!found)
                continue;
            RuleLine rule;
            rule.screen = &screen;
            rule.file = &file;
            rule.line = static_cast<int>(i) + 1;
            rule.button = f.substr(at + 7, end - at - 7);
            rule.key = "*button" + rule.button + found->exact;
            rule.group = found->group;
            rules_.push_back(rule);

            const std::string& line = file.line(rule.line);
            auto add = [&](Command::Role role, std::string target, std::string text) {
                if (text.empty())
                    return; // nothing runs
                commands_.push_back({&screen, &file, rule.line, role, std::move(target),
                                     std::move(text), line.find(rule.key) != std::string::npos,
                                     rule.button});
            };
            if (rule.group) {
                add(Command::Role::Group, RuleField(line, rule.key, "#"),
                    RuleField(line, "#", "^"));
            } else {
                add(Command::Role::Condition, RuleField(line, rule.key, "#"),
                    RuleField(line, "#", "^"));
                add(Command::Role::Success, RuleField(line, "^", "&"), RuleField(line, "&", "+"));
                add(Command::Role::Failure, RuleField(line, "+", "="), RuleField(line, "=", "~"));
            }
            break;
        }
    }
}

namespace {

struct Decoration {
    const char* key;
    const char* defaultName; // "" when nothing stands in for it
};
constexpr std::array<Decoration, 10> kDecorations{{
    {"*fon*name*", "fon.bmp"},
    {"*bigfon*name*", "bigfon.bmp"},
    {"*bigfon*squarename*", ""},
    {"*bigfon*longname*", ""},
    {"*framehoriz*name*", "ramkahor.bmp"},
    {"*framevert*name*", "ramkavert.bmp"},
    {"*upleftcorner*name*", "cornerupleft.bmp"},
    {"*uprightcorner*name*", "cornerupright.bmp"},
    {"*bottomleftcorner*name*", "cornerbottomleft.bmp"},
    {"*bottomrightcorner*name*", "cornerbottomright.bmp"},
}};

} // namespace

std::vector<NamedFile> Game::namedFiles() const {
    std::vector<NamedFile> out;
    auto add = [&](const DescrFile& file, const std::string& key, NamedFile::Use use,
                   bool reported = true) {
        const DescrFile::Value v = file.value(key);
        if (!v.text.empty())
            out.push_back({&file, v.line, v.text, folder_ + v.text, use, reported});
    };
    std::set<std::string> defaults;
    for (const Screen& s : screens_) {
        for (const Decoration& d : kDecorations) {
            add(*s.pictures, d.key, NamedFile::Use::Picture, false);
            // The default stands in for a name that is not given or whose
            // file is missing.
            if (*d.defaultName && !namedFileExists(folder_, *s.pictures, d.key))
                defaults.insert(d.defaultName);
        }
        for (int n = 1; n <= kLastPicture; ++n)
            add(*s.pictures, numberedKey("*picture", n, "*name*"), NamedFile::Use::Picture);
        for (int n = 1; n <= kLastButton; ++n) {
            add(*s.buttons, numberedKey("*button", n, "*name*"), NamedFile::Use::Picture);
            add(*s.buttons, numberedKey("*button", n, "*pressedname*"), NamedFile::Use::Picture,
                false);
        }
        add(*s.pictures, "*sound*", NamedFile::Use::Sound, false);
        add(*s.pictures, "*video*", NamedFile::Use::Video);
    }
    for (const Command& c : commands_) {
        const std::string lowered = asciiLowerCase(c.text);
        auto argument = [&](std::size_t wordLength) { return CommandArgument(c.text, wordLength); };
        if (lowered.find("playsound") != std::string::npos) {
            if (std::string name = argument(9); !name.empty())
                out.push_back({c.file, c.line, name, folder_ + name, NamedFile::Use::Sound, false});
        }
        if (lowered.find("playvideo ") != std::string::npos) {
            if (std::string name = argument(9); !name.empty())
                out.push_back({c.file, c.line, name, folder_ + name, NamedFile::Use::Video});
        }
        if (lowered.find("startprogram ") != std::string::npos) {
            std::string name = argument(12);
            if (name.empty())
                continue;
            std::string composed;
            if (startsWith(name, "..\\") || startsWith(name, "../"))
                composed = parentOf(folder_) + name.substr(3);
            else if (name.size() > 1 && name[1] == ':')
                continue; // a Windows drive: nothing here to look at
            else if (name.front() == '/' || name.front() == '\\')
                composed = name;
            else
                composed = parentOf(folder_) + name;
            out.push_back({c.file, c.line, name, composed, NamedFile::Use::Program});
        }
    }
    for (const std::string& name : defaults)
        if (paths::fileExists(folder_ + name))
            out.push_back({nullptr, 0, name, folder_ + name, NamedFile::Use::Picture, false});
    return out;
}

} // namespace taleplay::check
