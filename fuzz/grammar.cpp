// Games from bytes, written with the player's real keys.
#include "grammar.h"

#include "check/keys.h"
#include "real_keys.h"

#include <array>
#include <map>

namespace taleplay::fuzz {
namespace {

// The input read as a stream of choices; past its end every choice is 0,
// so any input makes a game and a longer one a larger game. Each choice is
// taken in a statement of its own, never two in one expression: the order
// of the operands of + is the compiler's, and the fuzz build (clang) and the
// seed replay (g++) must make the same game of the same bytes.
class Choices {
  public:
    explicit Choices(std::string_view input) : in_(input) {}
    bool done() const { return at_ >= in_.size(); }
    unsigned byte() { return done() ? 0u : static_cast<unsigned char>(in_[at_++]); }
    unsigned below(unsigned n) { return byte() % n; }
    // Bytes copied as they are.
    std::string_view raw(std::size_t n) {
        const std::string_view out = in_.substr(std::min(at_, in_.size()), n);
        at_ += out.size();
        return out;
    }
    // A number of a family: mostly the first few, sometimes the last ones
    // the player reads and the first past them, or no number at all.
    std::string number() {
        const unsigned b = byte();
        if (b < 180)
            return std::to_string(1 + b % 4);
        if (b < 240)
            return std::to_string(1 + b % 50);
        static constexpr std::array<const char*, 16> kOdd{
            "0",  "51", "101", "-1", "01", "2147483647", "4294967297", "",
            "$1", "1 ", "x2",  "1a", "30", "31",         "25",         "26"};
        return kOdd[b % kOdd.size()];
    }

  private:
    std::string_view in_;
    std::size_t at_ = 0;
};

constexpr std::array<const char*, 8> kFiles{
    "allbackpictures.txt", "allbacktexts.txt", "alltextwindows.txt", "allbuttons.txt",
    "victorypictures.txt", "lostpictures.txt", "victorytexts.txt",   "losttexts.txt"};

std::string oneOf(Choices& c, std::initializer_list<const char*> options) {
    return *(options.begin() + c.below(static_cast<unsigned>(options.size())));
}

std::string fileName(Choices& c) {
    switch (c.below(8)) {
    case 0:
        return std::string(kMedia[c.below(std::size(kMedia))].name);
    case 1:
        return oneOf(c, {"A.BMP", "B.Png", "missing.bmp", "missing.png", "x.xyz", "noextension",
                         "..\\data_game\\a.bmp", "sub\\a.bmp", "a.bmp ", " ", "a.wmf", "a.emf",
                         "a.tiff", "a.pcx", "\xC0.bmp", "s.wav", "v.avi", "missing.wav"});
    case 2:
        return std::string(c.raw(c.below(12)));
    default:
        return std::string(kMedia[c.below(5)].name); // a picture
    }
}

std::string colourText(Choices& c) {
    switch (c.below(6)) {
    case 0:
        return oneOf(c, {"clRed", "clred", "CLBLUE", "clBtnFace", "clNone", "clDefault",
                         "clWindowText", "clInfoBk", "clMenuBar", "clCream"});
    case 1: {
        const unsigned high = c.byte();
        return "$" + std::to_string(high) + std::to_string(c.byte());
    }
    case 2:
        return std::to_string(c.byte() * 65793u);
    case 3:
        return oneOf(c, {"red", "255 ", "", "$", "0x", "$FF000010", "$FF0000FF", "-1", "2147483648",
                         "$1FFFFFFF"});
    default:
        return oneOf(c, {"clYellow", "$00FF00", "16777215", "clGreen", "clSilver"});
    }
}

std::string text(Choices& c) {
    switch (c.below(5)) {
    case 0:
        return std::string(c.raw(c.below(40)));
    case 1:
        return oneOf(c, {"", " ", "&", "&&", "a&b", "\xCC\xEE\xF1\xEA\xE2\xE0",
                         "\xB8\xEB\xEA\xE0 - \xE5\xEB\xEA\xE0", "Hello, World!", "well-known",
                         "yes \x96 no", "(a)", "   spaced   "});
    default: {
        std::string word = oneOf(c, {"Moon", "Sun", "star", "Answer", "\xCB\xF3\xED\xE0", "Orion"});
        if (c.below(2))
            word += " " + oneOf(c, {"is", "and", "or", "42"});
        return word;
    }
    }
}

std::string placement(Choices& c, bool division) {
    if (!division) {
        switch (c.below(4)) {
        case 0:
            return oneOf(c, {"0", "-5", "1 0", "abc", "100000", "2147483647", "$10", ""});
        default:
            return std::to_string(c.below(1400));
        }
    }
    switch (c.below(6)) {
    case 0:
        return oneOf(c, {"#center#", "2#center#", "center#", "4", "4#", "0#1#", "3000#1#",
                         "1#2000000000#", " 1 0 # 3 #", "-2#1#", "1#-1#"});
    default: {
        const unsigned numerator = 1 + c.below(12);
        return std::to_string(numerator) + "#" + std::to_string(c.below(12)) + "#";
    }
    }
}

// A value of the kind `key` takes.
std::string valueFor(Choices& c, const std::string& key) {
    if (c.below(16) == 0)
        return std::string(c.raw(c.below(24)));
    auto ends = [&](std::string_view suffix) { return key.ends_with(suffix); };
    if (ends("indivision*"))
        return placement(c, true);
    if (ends("inpixels*") || ends("*fontsize*"))
        return placement(c, false);
    if (ends("color*") || ends("*screencolor*"))
        return colourText(c);
    if (ends("*form*"))
        return oneOf(c, {"circle", "Ellipse", "square", "rectangle", "roundrectangle", "roundrect",
                         "roundsquare", "triangle", ""});
    if (ends("font*"))
        return oneOf(c, {"Arial", "Times New Roman", "Courier New", "NoSuchFont", ""});
    if (ends("name*") || ends("*sound*") || ends("*video*"))
        return fileName(c);
    return text(c);
}

std::string target(Choices& c) {
    switch (c.below(8)) {
    case 0:
        return std::string(c.raw(c.below(10)));
    case 1:
        return oneOf(c, {"video", "VIDEO", "video2", "", "Picture1", "text", "picture0",
                         "text-2147483648", "textwindow$1", "picture 1"});
    default: {
        const std::string word =
            oneOf(c, {"picture", "text", "textwindow", "list", "button", "shape"});
        return word + c.number();
    }
    }
}

std::string command(Choices& c) {
    switch (c.below(10)) {
    case 0:
        return std::string(c.raw(c.below(16)));
    case 1:
        return oneOf(c, {"textcolor clRed", "backcolor $00FFFF", "textcolor 255",
                         "backcolor clYellow", "TextColor clBlue", "textcolor red"});
    case 2:
        return oneOf(c, {"pause 0", "pause 1", "pause", "pause 1.5", "pause -1", "pause 3"});
    case 3:
        return oneOf(c, {"playsound s.wav", "playsound missing.wav", "playsound pause.wav",
                         "playvideo v.avi", "playvideo missing.avi", "playvideo",
                         "playvideointro.avi"});
    case 4:
        return oneOf(c, {"startprogram ..\\setup.sh", "startprogram setup.sh",
                         "startprogram missing.exe", "startprogram data_game\\setup.sh"});
    case 5:
        return oneOf(c, {"victory", "lost"});
    default:
        return oneOf(c, {"visible", "invisible", "bringtofront", "checktext", "Visible",
                         "visible now", "checktext", "invisible"});
    }
}

// "*button<n>*click*" with a condition and two actions, the separators
// sometimes left out or doubled; or a group line.
std::string ruleLine(Choices& c) {
    const std::string stem = "*button" + c.number();
    const unsigned form = c.below(8);
    if (form == 0) {
        const std::string key = oneOf(c, {"*clickALLGOOD*", "*clickALLBAD*", "*clickallgood*"});
        const std::string what = target(c);
        return stem + key + what + "#" + command(c) + "^";
    }
    std::string line = stem + (form == 1 ? "*Click*" : "*click*") + target(c);
    static constexpr std::array<const char*, 6> kSeparators{"#", "^", "&", "+", "=", "~"};
    for (std::size_t i = 0; i < kSeparators.size(); ++i) {
        const unsigned how = c.below(16);
        if (how != 0) // left out now and then
            line += kSeparators[i];
        if (how == 1)
            line += kSeparators[c.below(6)];
        line += i % 2 == 0 ? command(c) : target(c);
    }
    return line;
}

} // namespace

GeneratedGame generateGame(std::string_view input) {
    Choices c(input);
    GeneratedGame game;
    std::map<std::string, std::string> files;
    std::array<bool, kFiles.size()> written{};
    const char* lineEnd = "\r\n";
    for (int statement = 0; statement < 400 && !c.done(); ++statement) {
        const unsigned op = c.byte();
        const std::size_t which = op % kFiles.size();
        const std::string name = kFiles[which];
        std::string& file = files[name];
        written[which] = true;
        const unsigned kind = op / kFiles.size();
        std::string line;
        if (kind < 18 || kind == 27) {
            const std::vector<RealKey> keys = realKeys(check::roleOf(name), 1 + c.below(4));
            std::vector<const RealKey*> values;
            for (const RealKey& k : keys)
                if (k.use == KeyUse::Value || (kind == 27 && k.use == KeyUse::Answer))
                    values.push_back(&k);
            if (values.empty())
                continue;
            // The family's number again, from the choices: "*picture3*" and
            // beyond the last are written as well as "*picture1*".
            std::string key = values[c.below(static_cast<unsigned>(values.size()))]->text;
            // A component is built only when it has a picture or a text: a
            // quarter of the keys are those, or few games would have a
            // button to click.
            if (c.below(4) == 0)
                for (const RealKey* k : values)
                    if (k->text.ends_with("*name*") || k->text.ends_with("*string1*")) {
                        key = k->text;
                        break;
                    }
            if (c.below(4) == 0) {
                const std::size_t digits = key.find_first_of("0123456789");
                if (digits != std::string::npos)
                    key.replace(digits, 1, c.number());
            }
            line = key + valueFor(c, key);
            if (c.below(12))
                line += "#";
        } else if (kind < 22) {
            const std::vector<RealKey> keys = realKeys(check::roleOf(name), 1 + c.below(4));
            std::vector<std::string> flags;
            for (const RealKey& k : keys)
                if (k.use == KeyUse::Flag)
                    flags.push_back(k.text);
            if (flags.empty())
                continue;
            line = flags[c.below(static_cast<unsigned>(flags.size()))];
            if (c.below(4) == 0)
                line = "text before " + line + " after";
            if (c.below(4) == 0 && !line.empty())
                line.pop_back(); // without its closing blank
        } else if (kind < 27) {
            line = ruleLine(c);
        } else if (kind < 30) {
            line = std::string(c.raw(c.below(64)));
        } else if (kind == 30) {
            game.typed.push_back(text(c));
            continue;
        } else {
            switch (c.below(4)) {
            case 0:
                lineEnd = lineEnd[0] == '\r' ? "\n" : "\r\n";
                break;
            case 1:
                line = "\x1A"; // the end of what is read
                break;
            case 2:
                if (file.empty())
                    file = "\xEF\xBB\xBF"; // UTF-8 from here on
                break;
            default:
                line = "*picture1*name*a.bmp#*picture1*widthindivision*4#1#";
                break;
            }
        }
        file += line;
        file += lineEnd;
    }
    for (std::size_t i = 0; i < kFiles.size(); ++i)
        if (written[i])
            game.files.emplace_back(kFiles[i], files[kFiles[i]]);
    return game;
}

} // namespace taleplay::fuzz
