#pragma once
// A description file as the editor holds it: every byte as read, and where
// each line and each key's value sits in them, so that a change touches the
// bytes of that value and nothing else. The file's encoding, line ends, the
// lines nobody reads and whatever follows a Ctrl-Z stay as they were.
//
// Keys are plain ASCII, and so is "#": in UTF-8 neither byte can be part of
// a letter of several bytes, so keys and values are found in the bytes
// themselves, whatever the encoding, exactly where the player's reading
// (which converts UTF-8 first) finds them.
#include "core/files.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace taleplay::editing {

class DescriptionDocument {
  public:
    // `bytes` as on disk; a file whose letters are all ASCII reads the same
    // in every encoding and takes `whenPlain` for the text written into it.
    explicit DescriptionDocument(std::string bytes,
                                 files::TextEncoding whenPlain = files::TextEncoding::Windows1251);

    const std::string& bytes() const { return bytes_; }
    files::TextEncoding encoding() const { return encoding_; }

    struct Span {
        std::size_t begin = 0, end = 0; // offsets into bytes()
        std::size_t size() const { return end - begin; }
    };
    struct Line {
        Span text;            // without its line end
        std::size_t next = 0; // where the next line begins
    };
    // The lines the player reads: up to a Ctrl-Z, if any.
    const std::vector<Line>& lines() const { return lines_; }
    std::string_view text(const Span& s) const {
        return std::string_view(bytes_).substr(s.begin, s.size());
    }
    std::string_view lineText(std::size_t index) const { return text(lines_[index].text); }

    // The index of the first line holding `key` byte for byte (as value keys
    // are read), or of every line holding it ignoring ASCII letter case (as
    // flags and answers are).
    std::optional<std::size_t> firstLineWith(std::string_view key) const;
    std::vector<std::size_t> linesWithAnyCase(std::string_view key) const;

    // Where the key's value sits in the first line holding the key: from just
    // after the key to the next "#", or to the line's end when none follows.
    std::optional<Span> valueAfter(std::string_view key) const;
    // The same span without the blanks at its ends (empty, at its start, when
    // it holds nothing else).
    Span trimmed(Span s) const;

    // UTF-8 of a span, whatever the file's encoding.
    std::string utf8Of(Span s) const;
    // `utf8` in the file's encoding; nothing when the encoding cannot hold
    // one of its characters.
    std::optional<std::string> encode(std::string_view utf8) const;

    // Other bytes for the same file: its encoding stays the one it was read
    // in, whatever they hold (a save checks that they still read so).
    void setBytes(std::string bytes);
    void replace(Span s, std::string_view bytes);
    // A new line with `bytes` (in the file's encoding, without a line end)
    // after line `after`, or at the end when `after` is past the last line:
    // it takes that line's end (CR LF or LF), or the file's most common one.
    void insertLineAfter(std::size_t after, std::string_view bytes);
    void eraseLine(std::size_t index);

  private:
    void index();
    std::string lineEnd() const;

    std::string bytes_;
    files::TextEncoding encoding_;
    std::vector<Line> lines_;
    std::size_t readEnd_ = 0; // where the lines end: a Ctrl-Z or the end
};

} // namespace taleplay::editing
