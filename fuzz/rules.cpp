// Rule fields and command texts cut from every line of the input as the
// click handler cuts them, and the pieces of the game checker that read
// rule lines, targets and keys, and print findings. The cutting is checked
// against the rules of the click-rule syntax; the checker's pieces against
// what they promise (slips found where they stand, distances that are
// distances, reports that are UTF-8 and JSON).
#include "reference.h"
#include "scratch.h"
#include "targets.h"

#include "check/check.h"
#include "check/game.h"
#include "check/keys.h"
#include "check/spelling.h"
#include "commands/command_text.h"
#include "core/codepage.h"

#include <array>

namespace taleplay::fuzz {
namespace {

// A field of a rule line: between the first `open` and the first `close`
// after it, trimmed; empty when the line lacks either anywhere.
std::string field(std::string_view line, std::string_view open, std::string_view close) {
    const std::size_t at = line.find(open);
    if (at == std::string_view::npos || line.find(close) == std::string_view::npos)
        return {};
    return trimmed(beforeDelimiter(line.substr(at + open.size()), close));
}

// The colour of a lower-cased textcolor or backcolor command.
std::string colourText(std::string_view lowered) {
    std::string out;
    if (const std::size_t at = lowered.find("cl"); at != std::string_view::npos)
        out = std::string(lowered.substr(at));
    if (const std::size_t at = lowered.find('$'); at != std::string_view::npos)
        out = std::string(lowered.substr(at));
    return out;
}

// What the component lookup makes of a target, as its description reads.
check::Target target(const std::string& text) {
    using check::Kind;
    check::Target t;
    if (text.empty())
        return t;
    static constexpr std::array<std::pair<const char*, Kind>, 6> kWords{
        {{"text", Kind::Text},
         {"textwindow", Kind::TextWindow},
         {"picture", Kind::Picture},
         {"list", Kind::List},
         {"button", Kind::Button},
         {"shape", Kind::Shape}}};
    for (const auto& [word, kind] : kWords) {
        if (!text.starts_with(word))
            continue;
        t.kind = kind;
        t.number = integer(replacedAll(word, "", text)).value_or(0);
    }
    if (asciiLower(text).starts_with("video"))
        t = {Kind::Video, 0};
    return t;
}

// The rule key a line is read with: its first "*button<digits>*click*" as
// written, or button 1's.
std::string ruleKeyOf(std::string_view line) {
    for (std::size_t at = line.find("*button"); at != std::string_view::npos;
         at = line.find("*button", at + 1)) {
        std::size_t end = at + 7;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
        if (end > at + 7 && line.substr(end).starts_with("*click"))
            return std::string(line.substr(at, end - at)) + "*click*";
    }
    return "*button1*click*";
}

// Inputs up to this size are compared with the rules and their properties
// in full; longer ones are cut and judged as the player and the checker do,
// with one edit distance for each of the first kSlipLines lines, so the
// target keeps its speed.
constexpr std::size_t kLongestCompared = 1024;
// Lines searched for key slips, each against every key of a role: the
// checker's dearest work, and more lines of one input told the fuzzer
// less than more inputs.
constexpr std::size_t kSlipLines = 16;

// The cutting alone, for an input too long to compare at speed.
void cut(std::string_view line) {
    static constexpr std::array<std::pair<const char*, const char*>, 6> kPairs{
        {{"#", "^"}, {"^", "&"}, {"&", "+"}, {"+", "="}, {"=", "~"}, {"*", "*"}}};
    for (const auto& [open, close] : kPairs) {
        const std::string f = RuleField(line, open, close);
        (void)CommandColour(asciiLower(f));
        (void)CommandArgument(f, 5);
        (void)check::readTarget(f);
    }
}

void compareCutting(std::string_view line) {
    const std::string key = ruleKeyOf(line);
    static constexpr std::array<std::pair<const char*, const char*>, 7> kPairs{
        {{"#", "^"}, {"^", "&"}, {"&", "+"}, {"+", "="}, {"=", "~"}, {"*", "*"}, {"", "#"}}};
    std::vector<std::string> fields = {RuleField(line, key, "#")};
    same("condition target of " + printable(line), fields.back(), field(line, key, "#"));
    for (const auto& [open, close] : kPairs) {
        fields.push_back(RuleField(line, open, close));
        same(std::string("field from ") + open + " to " + close + " of " + printable(line),
             fields.back(), field(line, open, close));
    }
    for (const std::string& f : fields) {
        const std::string lowered = asciiLower(f);
        same("command colour of " + printable(f), CommandColour(lowered), colourText(lowered));
        for (const std::size_t cut : {5u, 9u, 12u, 0u, 100u})
            same("argument of " + printable(f) + " after " + std::to_string(cut),
                 CommandArgument(f, cut), trimmed(f.size() > cut ? f.substr(cut) : ""));
        const check::Target player = check::readTarget(f);
        const check::Target expected = target(f);
        same("kind of target " + printable(f), static_cast<int>(player.kind),
             static_cast<int>(expected.kind));
        same("number of target " + printable(f), player.number, expected.number);
    }
}

// One role a line: the search for slips measures the distance of every
// key-like word to every key of the role, which is what a game's lines cost
// the checker too, once each.
void checkSlips(std::string_view line, std::size_t index) {
    using check::FileRole;
    static constexpr FileRole kRoles[] = {FileRole::PlayPictures, FileRole::PlayTexts,
                                          FileRole::TextWindows,  FileRole::Buttons,
                                          FileRole::EndPictures,  FileRole::EndTexts};
    {
        const FileRole role = kRoles[index % std::size(kRoles)];
        std::size_t previous = 0;
        for (const check::KeySlip& slip : check::keySlipsIn(line, role)) {
            if (slip.at < previous || slip.at >= line.size() ||
                line.substr(slip.at, slip.written.size()) != slip.written)
                differs("a key slip of " + printable(line),
                        std::to_string(slip.at) + " " + printable(slip.written),
                        "slips in order, each written where it stands");
            // Another file's key stands for itself; the others name a key.
            if (slip.kind == check::KeySlip::Kind::OtherFile ? slip.readFrom.empty()
                                                             : slip.meant.empty())
                differs("a key slip of " + printable(line), printable(slip.written),
                        "the key it stands for");
            previous = slip.at + 1;
        }
    }
}

void checkSpelling(std::string_view a, std::string_view b) {
    a = a.substr(0, 48);
    b = b.substr(0, 48);
    const int d = check::editDistance(a, b);
    same("distance of " + printable(a) + " to itself", check::editDistance(a, a), 0);
    same("distance of " + printable(a) + " and " + printable(b) + " both ways",
         check::editDistance(b, a), d);
    const long long longer = static_cast<long long>(std::max(a.size(), b.size()));
    const long long shorter = static_cast<long long>(std::min(a.size(), b.size()));
    if (d < longer - shorter || d > longer)
        differs("distance of " + printable(a) + " and " + printable(b), std::to_string(d),
                "between the difference of the lengths and the longer length");
    const std::string latin = check::withLatinLookAlikes(a);
    same("look-alikes keep the length of " + printable(a), latin.size(), a.size());
    for (const char c : a) {
        const char l = check::latinLookAlike(static_cast<unsigned char>(c));
        if (l != 0 && !((l >= 'a' && l <= 'z') || (l >= 'A' && l <= 'Z')))
            differs("look-alike of a byte", std::string(1, l), "a Latin letter or none");
    }
    if (check::allowedSlips(a.size()) < 0)
        differs("allowed slips", std::to_string(check::allowedSlips(a.size())), "not negative");
}

// Enough of JSON to tell a well-formed document: objects, arrays, strings
// with their escapes, numbers and the three words.
class Json {
  public:
    explicit Json(std::string_view text) : s_(text) {}
    bool document() {
        blanks();
        if (!value())
            return false;
        blanks();
        return at_ == s_.size();
    }

  private:
    void blanks() {
        while (at_ < s_.size() &&
               (s_[at_] == ' ' || s_[at_] == '\n' || s_[at_] == '\t' || s_[at_] == '\r'))
            ++at_;
    }
    bool take(char c) {
        blanks();
        if (at_ < s_.size() && s_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool value() {
        blanks();
        if (at_ >= s_.size())
            return false;
        const char c = s_[at_];
        if (c == '{')
            return sequence('}', true);
        if (c == '[')
            return sequence(']', false);
        if (c == '"')
            return string();
        for (std::string_view word : {"true", "false", "null"})
            if (s_.substr(at_).starts_with(word)) {
                at_ += word.size();
                return true;
            }
        const std::size_t start = at_;
        if (s_[at_] == '-')
            ++at_;
        while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9')
            ++at_;
        return at_ > start && s_[at_ - 1] != '-';
    }
    bool sequence(char close, bool members) {
        ++at_;
        if (take(close))
            return true;
        do {
            if (members && !(string() && take(':')))
                return false;
            if (!value())
                return false;
        } while (take(','));
        return take(close);
    }
    bool string() {
        blanks();
        if (at_ >= s_.size() || s_[at_] != '"')
            return false;
        for (++at_; at_ < s_.size(); ++at_) {
            const auto c = static_cast<unsigned char>(s_[at_]);
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (++at_ >= s_.size())
                    return false;
                const char e = s_[at_];
                if (e == 'u') {
                    if (at_ + 4 >= s_.size())
                        return false;
                    at_ += 4;
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    return false;
                }
            }
        }
        return false;
    }

    std::string_view s_;
    std::size_t at_ = 0;
};

bool utf8Text(std::string_view text) {
    utf8::Validator v;
    v.feed(text);
    return v.complete();
}

// Findings as the checker prints them: every message it makes is UTF-8, so
// whatever the game wrote, the lines and the JSON are UTF-8 and the JSON is
// well formed.
void checkReports(const std::vector<std::string_view>& pieces) {
    std::vector<check::Finding> findings;
    for (std::size_t i = 0; i < pieces.size() && i < 16; ++i) {
        check::Finding f;
        f.file = cp1251::toUtf8(pieces[i].substr(0, 40));
        f.line = static_cast<int>(i);
        f.severity = static_cast<check::Severity>(i % 3);
        f.kind = "fuzz";
        f.message = cp1251::toUtf8(pieces[i]);
        findings.push_back(std::move(f));
    }
    const std::string folder = "data_fuzz/";
    const std::string json = check::formatJson(folder, findings);
    if (!utf8Text(json) || !Json(json).document())
        differs("the checker's JSON", json, "well-formed JSON in UTF-8");
    for (const check::Finding& f : findings)
        if (!utf8Text(check::formatLine(folder, f)))
            differs("a finding's line", check::formatLine(folder, f), "UTF-8");
    if (!utf8Text(check::formatSummary(folder, findings)))
        differs("the summary", check::formatSummary(folder, findings), "UTF-8");
}

} // namespace

void fuzzRules(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    for (std::size_t from = 0; from <= input.size() && pieces.size() < 256;) {
        std::size_t end = input.find('\n', from);
        if (end == std::string_view::npos)
            end = input.size();
        pieces.push_back(input.substr(from, std::min<std::size_t>(end - from, 4096)));
        from = end + 1;
    }
    const bool compared = size <= kLongestCompared;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string_view next = i + 1 < pieces.size() ? pieces[i + 1] : pieces[0];
        if (i < kSlipLines)
            checkSlips(pieces[i], i);
        if (compared) {
            compareCutting(pieces[i]);
            checkSpelling(pieces[i], next);
        } else {
            cut(pieces[i]);
            if (i < kSlipLines)
                (void)check::editDistance(pieces[i].substr(0, 48), next.substr(0, 48));
        }
    }
    checkReports(pieces);
}

} // namespace taleplay::fuzz
