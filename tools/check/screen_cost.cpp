// A screen's pictures added up as the player will load them.
#include "check/screen_cost.h"

#include "core/errors.h"
#include "core/paths.h"
#include "descr/placement.h"
#include "pictures/loader.h"

#include <sys/stat.h>

#include <algorithm>

namespace taleplay::check {
namespace {

// Milliseconds of decoding as the player's decoders take them on a
// computer of a school's kind, measured on the benchmark's pictures: a
// JPEG file's entropy coding whatever its scale, then each pixel it is
// decoded at; other formats by the pixels of the picture; and the area
// reduction to the size kept.
double decodeMsOf(const std::string& extension, std::int64_t fileBytes, pictures::Extent natural,
                  pictures::Extent kept) {
    const double naturalPixels = double(natural.width) * natural.height;
    const double keptPixels = double(kept.width) * kept.height;
    const bool jpeg = extension == "jpg" || extension == "jpeg" || extension == "jpe" ||
                      extension == "jfif";
    if (jpeg) {
        // libjpeg's scales keep at most twice the pixels shown along each axis.
        const double decoded = std::min(naturalPixels, keptPixels * 4);
        return fileBytes / 1e6 * 9.0 + decoded * 4e-6 + decoded * 1.5e-6;
    }
    const bool png = extension == "png";
    const double perPixel = png ? 7e-6 : 3e-6;
    const double reduced = keptPixels < naturalPixels ? naturalPixels * 1.5e-6 : 0;
    return naturalPixels * perPixel + reduced;
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    return s;
}

class ScreenAdder {
  public:
    ScreenAdder(const Screen& screen, ScreenCost& out) : screen_(screen), out_(out) {}

    // A picture named on `line` of `file` (or a default when `file` is
    // null), shown stretched to `shown` (0 x 0: at its own size).
    void add(const DescrFile* file, int line, const std::string& name,
             const std::optional<pictures::Extent>& natural, Size shown) {
        if (!natural || natural->width <= 0 || natural->height <= 0)
            return;
        PictureCost c;
        c.file = file;
        c.line = line;
        c.name = name;
        c.natural = *natural;
        const bool stretched = shown.width != 0 || shown.height != 0;
        c.shown = stretched ? pictures::Extent{shown.width, shown.height} : *natural;
        c.kept = pictures::keptExtent(*natural, {stretched, shown.width, shown.height, false});
        c.keptBytes = std::int64_t(c.kept.width) * c.kept.height * 4;
        c.keptBefore = out_.keptBytes;
        c.refused = c.keptBefore + c.keptBytes > pictures::pictureMemoryBudget();
        if (!c.refused)
            out_.keptBytes += c.keptBytes;
        const std::string composed = screen_.folder + name;
        struct stat st {};
        const auto path = paths::existingFile(composed);
        const std::int64_t bytes = path && ::stat(path->c_str(), &st) == 0 ? st.st_size : 0;
        const std::string extension = lowerAscii(pictures::extensionOf(name));
        c.decodeMs = decodeMsOf(extension, bytes, c.natural, c.kept);
        const double shownShare = double(c.kept.width) * c.kept.height /
                                  (double(c.natural.width) * c.natural.height);
        c.decodeSavedSmallMs =
            decodeMsOf(extension, std::int64_t(bytes * shownShare), c.kept, c.kept);
        out_.pictures.push_back(c);
    }

    // The natural size as the player reads it; nothing for a picture that
    // is missing or cannot be read (a finding of its own).
    std::optional<pictures::Extent> natural(const std::string& name) const {
        if (name.empty())
            return std::nullopt;
        const std::string composed = screen_.folder + name;
        const auto path = paths::existingFile(composed);
        if (!path)
            return std::nullopt;
        try {
            return pictures::naturalSize(*path, composed);
        } catch (const TaleError&) {
            return std::nullopt;
        }
    }

    // Numbered pictures or buttons of `file`, as the player sizes them.
    void numbered(const DescrFile* file, const char* prefix, int last) {
        if (!file || !file->exists())
            return;
        const std::string composedFile = screen_.folder + file->name();
        for (int n = 1; n <= last; ++n) {
            const std::string stem = numberedKey(prefix, n, "");
            const DescrFile::Value name = file->value(stem + "*name*");
            const auto size = natural(name.text);
            if (!size)
                continue;
            const int width =
                resolveSize(composedFile, stem, Axis::Horizontal, kAssumedClientWidth);
            const int height = resolveSize(composedFile, stem, Axis::Vertical, kAssumedClientHeight);
            Size shown = sizeFromAspect(size->width, size->height, width, height);
            add(file, name.line, name.text, size, shown);
        }
    }

  private:
    const Screen& screen_;
    ScreenCost& out_;
};

} // namespace

bool farLargerThanShown(const PictureCost& cost) {
    const double natural = double(cost.natural.width) * cost.natural.height;
    const double kept = double(cost.kept.width) * cost.kept.height;
    return natural > 4 * kept && natural > 1e6;
}

std::vector<ScreenCost> screenCosts(const Game& game) {
    std::vector<ScreenCost> out;
    for (const Screen& screen : game.screens()) {
        if (!screen.pictures || (screen.endScreen && !screen.pictures->exists()))
            continue;
        ScreenCost cost;
        cost.screen = &screen;
        ScreenAdder adder(screen, cost);
        const DescrFile* file = screen.pictures->exists() ? screen.pictures : nullptr;
        // The decorations the pictures come between, in the builders' order:
        // the tile at its own size, the large background over the window.
        auto named = [&](const char* key, const char* fallback) {
            DescrFile::Value v = file ? file->value(key) : DescrFile::Value{};
            if (!v.text.empty() && adder.natural(v.text))
                return v;
            return DescrFile::Value{fallback, 0};
        };
        const DescrFile::Value tile = named("*fon*name*", "fon.bmp");
        adder.add(tile.line ? file : nullptr, tile.line, tile.text, adder.natural(tile.text), {});
        const DescrFile::Value large = named("*bigfon*name*", "bigfon.bmp");
        adder.add(large.line ? file : nullptr, large.line, large.text, adder.natural(large.text),
                  {kAssumedClientWidth - 2, kAssumedClientHeight - 2});
        adder.numbered(file, "*picture", kLastPicture);
        adder.numbered(screen.buttons, "*button", kLastButton);
        out.push_back(std::move(cost));
    }
    return out;
}

} // namespace taleplay::check
