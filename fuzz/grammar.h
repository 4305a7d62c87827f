#pragma once
// Games written from an input's bytes: each byte chooses what comes next
// (which description file, which real key with which number, a value of the
// kind that key takes, a click rule of real targets and commands, a typed
// answer) and some bytes are copied as they are, so that a fuzzer reaches
// what a game can say as well as what broken bytes do.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace taleplay::fuzz {

struct GeneratedGame {
    // Description files by name, Windows-1251 bytes; files not listed are
    // not there.
    std::vector<std::pair<std::string, std::string>> files;
    // What the player types into the text windows, in their order.
    std::vector<std::string> typed;
};

// The media every generated game may name, in the data folder: pictures of
// several formats, a sound, a video, a program for startprogram.
struct MediaFile {
    const char* name;
    enum class Kind { Bmp, Png, Gif, Jpeg, Wav, Avi, Program } kind;
};
inline constexpr MediaFile kMedia[] = {
    {"a.bmp", MediaFile::Kind::Bmp},   {"b.png", MediaFile::Kind::Png},
    {"c.gif", MediaFile::Kind::Gif},   {"d.jpg", MediaFile::Kind::Jpeg},
    {"fon.bmp", MediaFile::Kind::Bmp}, {"s.wav", MediaFile::Kind::Wav},
    {"v.avi", MediaFile::Kind::Avi},   {"setup.sh", MediaFile::Kind::Program},
};

GeneratedGame generateGame(std::string_view input);

} // namespace taleplay::fuzz
