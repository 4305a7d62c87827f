// The game checker on a whole data folder made from the input: its
// description files, a few tiny media files, and whatever files the input
// adds, then every check and every report format.
#include "scratch.h"
#include "targets.h"

#include "check/check.h"
#include "core/codepage.h"
#include "reference.h"

#include <string>
#include <vector>

namespace taleplay::fuzz {
namespace {

// A section of the input starts with a line "@@@ NAME"; what comes before
// the first one is allbackpictures.txt.
constexpr std::string_view kSection = "@@@ ";

// A 2 x 2 BMP of 24 bits, the smallest picture every reader takes.
std::string tinyBmp() {
    std::string b = "BM";
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](std::uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    u32(54 + 16);
    u32(0);
    u32(54);
    u32(40);
    u32(2);
    u32(2);
    u16(1);
    u16(24);
    u32(0);
    u32(16);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    b += std::string("\x00\x00\xFF\xFF\xFF\xFF\x00\x00", 8);
    b += std::string("\x00\xFF\x00\xFF\x00\x00\x00\x00", 8);
    return b;
}

// A WAV of a few samples of 8-bit PCM.
std::string tinyWav() {
    std::string w = "RIFF";
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            w += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](std::uint16_t v) {
        w += static_cast<char>(v & 0xFF);
        w += static_cast<char>(v >> 8);
    };
    u32(36 + 8);
    w += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000);
    u16(1);
    u16(8);
    w += "data";
    u32(8);
    w += std::string(8, '\x80');
    return w;
}

struct File {
    std::string name;
    std::string bytes;
};

std::vector<File> filesOf(std::string_view input) {
    std::vector<File> files = {{"pic.bmp", tinyBmp()},
                               {"fon.bmp", tinyBmp()},
                               {"Button1.BMP", tinyBmp()},
                               {"sound.wav", tinyWav()}};
    std::string name = "allbackpictures.txt";
    std::string content;
    for (std::size_t from = 0; from < input.size();) {
        std::size_t end = input.find('\n', from);
        end = end == std::string_view::npos ? input.size() : end + 1;
        const std::string_view line = input.substr(from, end - from);
        from = end;
        if (!line.starts_with(kSection)) {
            content += line;
            continue;
        }
        files.push_back({name, std::move(content)});
        content.clear();
        std::string_view named = line.substr(kSection.size());
        while (!named.empty() && (named.back() == '\n' || named.back() == '\r'))
            named.remove_suffix(1);
        name = safeName(named);
        if (name.empty())
            name = "unnamed";
    }
    files.push_back({name, std::move(content)});
    return files;
}

bool utf8Text(std::string_view text) {
    utf8::Validator v;
    v.feed(text);
    return v.complete();
}

int counter = 0;

} // namespace

void fuzzChecker(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A folder of its own for every input: nothing of one game is left for
    // the next, and the folder above holds nothing else.
    const std::string top = "checker" + std::to_string(++counter);
    const std::string folder = top + "/data_game/";
    for (const File& f : filesOf(input))
        writeScratch(folder + f.name, f.bytes);

    const std::string path = scratchRoot() + folder;
    const std::vector<check::Finding> findings = check::checkGame(path);
    for (const check::Finding& f : findings) {
        if (!utf8Text(f.message) || !utf8Text(f.file))
            differs("a finding of kind " + f.kind, f.file + ": " + f.message, "UTF-8");
        if (f.line < 0)
            differs("the line of a finding", std::to_string(f.line), "0 or more");
    }
    std::size_t length = check::formatJson(path, findings).size();
    for (const check::Finding& f : findings)
        length += check::formatLine(path, f).size();
    length += check::formatSummary(path, findings).size();
    if (length == 0)
        differs("the checker's report", "nothing", "a summary at least");
    removeScratch(top);
}

} // namespace taleplay::fuzz
