// Placement values written back: the numerator, the pixels, or a new key.
#include "app/edit_placement.h"

#include <algorithm>
#include <cmath>

namespace taleplay::editing {
namespace {

// An author centring with "#center#" wrote no number of divisions; moved off
// centre, the position is written in hundredths of the window.
constexpr int kDivisionsWhenNoneWritten = 100;

int nearestNumerator(int wanted, int denominator, int reference) {
    if (reference == 0)
        return 0;
    return static_cast<int>(
        std::lround(static_cast<long double>(wanted) * denominator / reference));
}

// What the player reads for the quantity from the document as it is now.
int reading(const DescriptionDocument& doc, const std::string& division, const std::string& pixels,
            int reference) {
    auto lineOf = [&](const std::string& key) {
        const auto i = doc.firstLineWith(key);
        return i ? std::string(doc.lineText(*i)) : std::string();
    };
    const DivisionValue d = divisionValueOfLine(lineOf(division), division, reference);
    if (d.value != 0)
        return d.value;
    return pixelValueOfLine(lineOf(pixels), pixels);
}

// The span from after `key` in its first line to the line's end.
DescriptionDocument::Span restOfLine(const DescriptionDocument& doc, std::string_view key) {
    const std::size_t i = *doc.firstLineWith(key);
    const DescriptionDocument::Span line = doc.lines()[i].text;
    const std::size_t begin = line.begin + doc.lineText(i).find(key) + key.size();
    return {begin, line.end};
}

// The fields of a division value as written, blanks and all: before the
// first "#" and between it and the next.
struct Fields {
    DescriptionDocument::Span denominator, numerator;
    bool hasFirstHash = false, hasSecondHash = false;
};

Fields fieldsOf(const DescriptionDocument& doc, std::string_view key) {
    const DescriptionDocument::Span rest = restOfLine(doc, key);
    const std::string_view text = doc.text(rest);
    Fields f;
    const std::size_t first = text.find('#');
    if (first == std::string_view::npos) {
        f.denominator = doc.trimmed(rest);
        f.numerator = {rest.end, rest.end};
        return f;
    }
    f.hasFirstHash = true;
    f.denominator = doc.trimmed({rest.begin, rest.begin + first});
    const std::size_t second = text.find('#', first + 1);
    f.hasSecondHash = second != std::string_view::npos;
    f.numerator =
        doc.trimmed({rest.begin + first + 1, f.hasSecondHash ? rest.begin + second : rest.end});
    return f;
}

bool digitAt(std::string_view text, std::size_t at) {
    return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

} // namespace

std::string placementSuffix(Axis axis, Quantity quantity, bool divisions) {
    const bool across = axis == Axis::Horizontal;
    const char* what =
        quantity == Quantity::Size ? (across ? "width" : "height") : (across ? "left" : "top");
    return std::string("*") + what + (divisions ? "indivision*" : "inpixels*");
}

std::vector<std::size_t> keyPositions(std::string_view line, std::string_view stem) {
    std::vector<std::size_t> found;
    for (std::size_t at = stem.empty() ? std::string_view::npos : line.find(stem);
         at != std::string_view::npos; at = line.find(stem, at + 1)) {
        std::size_t next = at + stem.size();
        if (digitAt(line, next))
            continue;
        // A rule's target ends where a separator follows; a key goes on.
        while (next < line.size() && line[next] == ' ')
            ++next;
        if (next < line.size() &&
            std::string_view("#^&+=~").find(line[next]) == std::string_view::npos)
            found.push_back(at);
    }
    return found;
}

std::optional<std::size_t> lastLineOf(const DescriptionDocument& doc, std::string_view stem,
                                      std::string_view otherStem) {
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < doc.lines().size(); ++i) {
        if (!keyPositions(doc.lineText(i), stem).empty() ||
            !keyPositions(doc.lineText(i), otherStem).empty())
            last = i;
    }
    return last;
}

Written writePlacement(DescriptionDocument& doc, std::string_view stem, Axis axis,
                       Quantity quantity, int wanted, int reference, std::string_view otherStem) {
    const std::string division = std::string(stem) + placementSuffix(axis, quantity, true);
    const std::string pixels = std::string(stem) + placementSuffix(axis, quantity, false);
    Written w;

    if (const auto line = doc.firstLineWith(division)) {
        const std::string text(doc.lineText(*line));
        const DivisionValue read = divisionValueOfLine(text, division, reference);
        const bool centred = quantity == Quantity::Position && read.centre;
        if (read.value != 0 || centred) {
            Fields f = fieldsOf(doc, division);
            w.how = centred ? Written::How::OffCentre : Written::How::Divisions;
            w.denominator = pixelValueOfLine(text, division);
            if (w.denominator == 0) {
                // Only a centre mark gets here: its first field is empty.
                w.denominator = kDivisionsWhenNoneWritten;
                w.numerator = nearestNumerator(wanted, w.denominator, reference);
                doc.replace(f.numerator, std::to_string(w.numerator));
                doc.replace(f.denominator, std::to_string(w.denominator));
            } else {
                w.numerator = nearestNumerator(wanted, w.denominator, reference);
                // A size of no divisions is read as none written, and the
                // component springs back to its own size: shrunk that far,
                // it keeps the smallest one.
                if (quantity == Quantity::Size && wanted > 0 && w.numerator <= 0)
                    w.numerator = 1;
                const std::string n = std::to_string(w.numerator);
                if (!f.hasFirstHash) // "4" alone, which reads as 4 of 4
                    doc.replace({f.denominator.end, f.denominator.end}, "#" + n + "#");
                else
                    doc.replace(f.numerator, n + (f.hasSecondHash ? "" : "#"));
            }
            w.reads = reading(doc, division, pixels, reference);
            return w;
        }
    }
    if (const auto value = doc.valueAfter(pixels)) {
        doc.replace(doc.trimmed(*value), std::to_string(wanted));
        w.how = Written::How::Pixels;
    } else {
        doc.insertLineAfter(lastLineOf(doc, stem, otherStem).value_or(doc.lines().size()),
                            pixels + std::to_string(wanted) + "#");
        w.how = Written::How::Added;
    }
    w.reads = reading(doc, division, pixels, reference);
    return w;
}

} // namespace taleplay::editing
