// The editor's description file: bytes, lines, values.
#include "app/edit_document.h"

#include "core/codepage.h"

#include <algorithm>
#include <cstring>

namespace taleplay::editing {
namespace {

constexpr char kCtrlZ = 26;
constexpr std::string_view kMark = "\xEF\xBB\xBF";

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool containsAnyCase(std::string_view text, std::string_view key) {
    return std::search(text.begin(), text.end(), key.begin(), key.end(),
                       [](char a, char b) { return asciiLower(a) == asciiLower(b); }) != text.end();
}

} // namespace

DescriptionDocument::DescriptionDocument(std::string bytes, files::TextEncoding whenPlain)
    : bytes_(std::move(bytes)), encoding_(files::textEncoding(bytes_)) {
    const bool plain = std::none_of(bytes_.begin(), bytes_.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (plain)
        encoding_ = whenPlain;
    index();
}

void DescriptionDocument::index() {
    lines_.clear();
    const std::size_t start = bytes_.starts_with(kMark) ? kMark.size() : 0;
    readEnd_ = std::min(bytes_.size(), bytes_.find(kCtrlZ, start));
    for (std::size_t at = start; at < readEnd_;) {
        const std::size_t lf = bytes_.find('\n', at);
        Line line;
        if (lf == std::string::npos || lf >= readEnd_) {
            line.text = {at, readEnd_};
            line.next = readEnd_;
        } else {
            const std::size_t end = lf > at && bytes_[lf - 1] == '\r' ? lf - 1 : lf;
            line.text = {at, end};
            line.next = lf + 1;
        }
        lines_.push_back(line);
        at = line.next;
    }
}

std::optional<std::size_t> DescriptionDocument::firstLineWith(std::string_view key) const {
    if (key.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lineText(i).find(key) != std::string_view::npos)
            return i;
    }
    return std::nullopt;
}

std::vector<std::size_t> DescriptionDocument::linesWithAnyCase(std::string_view key) const {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < lines_.size() && !key.empty(); ++i) {
        if (containsAnyCase(lineText(i), key))
            found.push_back(i);
    }
    return found;
}

std::optional<DescriptionDocument::Span>
DescriptionDocument::valueAfter(std::string_view key) const {
    const std::optional<std::size_t> line = firstLineWith(key);
    if (!line)
        return std::nullopt;
    const Span whole = lines_[*line].text;
    const std::size_t begin = whole.begin + lineText(*line).find(key) + key.size();
    const std::size_t hash = std::string_view(bytes_).substr(0, whole.end).find('#', begin);
    return Span{begin, hash == std::string::npos ? whole.end : hash};
}

DescriptionDocument::Span DescriptionDocument::trimmed(Span s) const {
    while (s.begin < s.end && bytes_[s.begin] == ' ')
        ++s.begin;
    while (s.end > s.begin && bytes_[s.end - 1] == ' ')
        --s.end;
    return s;
}

std::string DescriptionDocument::utf8Of(Span s) const {
    const std::string_view t = text(s);
    return encoding_ == files::TextEncoding::Windows1251 ? cp1251::toUtf8(t) : std::string(t);
}

std::optional<std::string> DescriptionDocument::encode(std::string_view utf8) const {
    utf8::Validator valid;
    if (!valid.feed(utf8) || !valid.complete())
        return std::nullopt;
    if (encoding_ != files::TextEncoding::Windows1251)
        return std::string(utf8);
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = utf8::next(utf8, i);
        const char byte = cp1251::fromUnicode(cp);
        if (byte == '?' && cp != U'?')
            return std::nullopt;
        out += byte;
    }
    return out;
}

void DescriptionDocument::setBytes(std::string bytes) {
    bytes_ = std::move(bytes);
    index();
}

void DescriptionDocument::replace(Span s, std::string_view bytes) {
    bytes_.replace(s.begin, s.size(), bytes);
    index();
}

std::string DescriptionDocument::lineEnd() const {
    std::size_t crlf = 0, lf = 0;
    for (const Line& l : lines_) {
        if (l.next == l.text.end)
            continue;
        (l.next - l.text.end == 2 ? crlf : lf)++;
    }
    // Teachers write on Windows: a file with no line end yet gets its ends.
    return lf > crlf ? "\n" : "\r\n";
}

void DescriptionDocument::insertLineAfter(std::size_t after, std::string_view bytes) {
    if (lines_.empty()) {
        const std::size_t at = readEnd_;
        bytes_.insert(at, std::string(bytes) + lineEnd());
        index();
        return;
    }
    const Line& line = lines_[std::min(after, lines_.size() - 1)];
    if (line.next == line.text.end) {
        // The last line, without an end: it gets one, and the new line
        // ends the file as it did.
        bytes_.insert(line.text.end, lineEnd() + std::string(bytes));
    } else {
        const std::string end = bytes_.substr(line.text.end, line.next - line.text.end);
        bytes_.insert(line.next, std::string(bytes) + end);
    }
    index();
}

void DescriptionDocument::eraseLine(std::size_t index) {
    const Line line = lines_.at(index);
    if (line.next == line.text.end && index > 0) {
        // The last line goes with the end of the line before it.
        bytes_.erase(lines_[index - 1].text.end, line.next - lines_[index - 1].text.end);
    } else {
        bytes_.erase(line.text.begin, line.next - line.text.begin);
    }
    this->index();
}

} // namespace taleplay::editing
