#pragma once
// The keys the player reads, file by file, as one table: the families of
// numbered items with their suffixes and flags, and the keys without a
// number. The checks that look at keys (letter case, flags, numbers beyond
// the last, keys the player never reads) all take their lists from here.
#include <string>
#include <string_view>
#include <vector>

namespace taleplay::check {

// What a description file is read for.
enum class FileRole { PlayPictures, PlayTexts, TextWindows, Buttons, EndPictures, EndTexts };

// The role of one of the eight description files, by its name.
FileRole roleOf(std::string_view fileName);

// Numbered items: their keys are "*" + word + number + suffix.
struct KeyFamily {
    const char* word;                 // "picture"
    int last;                         // the last number the player reads
    std::vector<const char*> values;  // value keys, read in exact letter case
    std::vector<const char*> flags;   // flag words, any case, without their closing blank
    std::vector<const char*> rules;   // rule lines, counted in any case
    std::vector<const char*> answers; // right answers, found by the answer comparison
    bool strings = false;             // "*string" + k + "*", k from 1 to kLastString
};

struct FileKeys {
    std::vector<const char*> values; // keys without a number, exact letter case
    std::vector<const char*> flags;  // flags without a number ("*frametransparent*yes#")
    std::vector<const KeyFamily*> families;
};

const FileKeys& keysReadFrom(FileRole role);

// Every value key the player reads from a file of `role` in exact letter
// case, numbers filled in.
std::vector<std::string> exactValueKeys(FileRole role);

// Text that looks like a key but is none the player reads from a file of
// its role, with the key it most likely stands for.
struct KeySlip {
    enum class Kind {
        Misspelt,  // a few letters off a key of this file
        LookAlike, // a key of this file written with Cyrillic look-alike letters
        OtherFile, // a key of another description file only
    };
    Kind kind = Kind::Misspelt;
    std::size_t at = 0;             // where it starts in the line
    std::string written;            // as written, Windows-1251
    std::string meant;              // the key it stands for, its numbers filled in
    std::vector<FileRole> readFrom; // OtherFile: the files that read it
};

// The slips in one line of a file of `role`, left to right. What follows a
// key the player reads (its value, the fields of a rule) is not looked at,
// and neither is text that is no near miss of any key.
std::vector<KeySlip> keySlipsIn(std::string_view line, FileRole role);

} // namespace taleplay::check
