// Pictures by file extension: the decoder table, the unsupported types and the cache.
#include "pictures/loader.h"

#include "core/errors.h"
#include "core/files.h"
#include "core/paths.h"
#include "pictures/metafile.h"
#include "pictures/tiff.h"

#include <sys/stat.h>

#include <algorithm>
#include <list>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace taleplay::pictures {

namespace {

using Decoder = Picture (*)(Bytes, std::size_t);
using Checker = void (*)(Bytes, std::size_t);

struct Format {
    std::string_view extension;
    Decoder decode;
    // How the checker reads the format, when not by decoding it: metafiles
    // are read without being drawn.
    Checker check = nullptr;
    // A palette file of the same name with this extension, read when present.
    std::string_view paletteExtension = {};
};

void checkWmf(Bytes data, std::size_t size) {
    metafile::parseWmf(data, size);
}
void checkEmf(Bytes data, std::size_t size) {
    metafile::parseEmf(data, size);
}
Picture decodeCutAlone(Bytes data, std::size_t size) {
    return decodeCut(data, size);
}

// Every extension a game may use. Several names share one decoder.
constexpr Format kFormats[] = {
    {"bmp", decodeBmp},
    {"dib", decodeBmp},
    {"rle", decodeBmp},
    {"ico", decodeIco},
    {"wmf", decodeWmf, checkWmf},
    {"emf", decodeEmf, checkEmf},
    {"jpg", decodeJpeg},
    {"jpeg", decodeJpeg},
    {"jpe", decodeJpeg},
    {"jfif", decodeJpeg},
    {"gif", decodeGif},
    {"png", decodePng},
    {"tiff", decodeTiff},
    {"tif", decodeTiff},
    {"fax", decodeFax},
    {"eps", decodeEps, metafile::checkEps},
    {"tga", decodeTga},
    {"vst", decodeTga},
    {"vda", decodeTga},
    {"icb", decodeTga},
    {"win", decodeTga},
    {"pcx", decodePcx},
    {"pcc", decodePcx},
    {"scr", decodePcx},
    {"rpf", decodeRla},
    {"rla", decodeRla},
    {"sgi", decodeSgi},
    {"rgba", decodeSgi},
    {"rgb", decodeSgi},
    {"bw", decodeSgi},
    {"psd", decodePsd},
    {"pdd", decodePsd},
    {"ppm", decodePnm},
    {"pgm", decodePnm},
    {"pbm", decodePnm},
    {"cel", decodeAnimator},
    {"pic", decodeAnimator},
    {"pcd", decodePcd},
    {"cut", decodeCutAlone, nullptr, "pal"},
    {"psp", decodePsp},
};

bool sameAsciiIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

const Format& formatFor(const std::string& ext) {
    for (const Format& f : kFormats)
        if (sameAsciiIgnoringCase(f.extension, ext))
            return f;
    throw PictureError("Unknown picture file extension (." + ext + ")");
}

// What tells one version of a file from another. Size and modification time
// (to the nanosecond) as the cache key asks; the inode and change time catch
// a file replaced by another of the same size within the clock's resolution.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    // The palette file beside the picture, for the formats that have one.
    off_t paletteSize = -1;
    std::int64_t paletteChanged = 0;
    bool operator==(const Stamp&) const = default;
};

bool stampOf(const std::string& fsPath, Stamp& out) {
    struct stat st {};
    if (::stat(fsPath.c_str(), &st) != 0)
        return false;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.size = st.st_size;
    out.modified = std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    out.changed = std::int64_t(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    return true;
}

// Decoded pictures by resolved path. Controls share the pixels of a picture
// as long as any of them shows it (the weak entries); a few recently loaded
// pictures are kept alive besides (the strong list), so that measuring a
// picture in the hidden servant and then loading it into its control decodes
// it once. The strong list is bounded in bytes and in entries, and weak
// entries whose picture died are swept as the table grows, so memory stays
// bounded by what the screen shows plus the strong list.
class PictureCache {
  public:
    std::shared_ptr<const Picture> find(const std::string& path, const Stamp& stamp) {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(path);
        if (it == entries_.end() || !(it->second.stamp == stamp))
            return nullptr;
        std::shared_ptr<const Picture> pic = it->second.picture.lock();
        if (pic)
            keep(pic);
        return pic;
    }

    void store(const std::string& path, const Stamp& stamp,
               const std::shared_ptr<const Picture>& pic) {
        std::lock_guard lock(mutex_);
        entries_[path] = Entry{stamp, pic};
        keep(pic);
        if (entries_.size() > sweepAt_) {
            std::erase_if(entries_, [](const auto& e) { return e.second.picture.expired(); });
            sweepAt_ = std::max(kFirstSweep, entries_.size() * 2);
        }
    }

    // Lets go of the pictures kept only for reuse; those shown stay.
    void dropKept() {
        std::lock_guard lock(mutex_);
        recent_.clear();
        recentBytes_ = 0;
    }

    void clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
        recent_.clear();
        recentBytes_ = 0;
        sweepAt_ = kFirstSweep;
    }

  private:
    // Enough for the large backgrounds and buttons of one screen.
    static constexpr std::size_t kRecentBytes = 64u * 1024 * 1024;
    static constexpr std::size_t kRecentCount = 64;
    static constexpr std::size_t kFirstSweep = 256;

    struct Entry {
        Stamp stamp;
        std::weak_ptr<const Picture> picture;
    };

    static std::size_t bytesOf(const Picture& pic) {
        return pic.pixels.size() * sizeof(std::uint32_t);
    }

    // Moves `pic` to the front of the strong list, dropping the oldest ones
    // beyond the bounds. A picture larger than the whole budget is not kept.
    void keep(const std::shared_ptr<const Picture>& pic) {
        auto it = std::find(recent_.begin(), recent_.end(), pic);
        if (it != recent_.end()) {
            recent_.splice(recent_.begin(), recent_, it);
            return;
        }
        if (bytesOf(*pic) > kRecentBytes)
            return;
        recent_.push_front(pic);
        recentBytes_ += bytesOf(*pic);
        while (recentBytes_ > kRecentBytes || recent_.size() > kRecentCount) {
            recentBytes_ -= bytesOf(*recent_.back());
            recent_.pop_back();
        }
    }

    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    std::list<std::shared_ptr<const Picture>> recent_;
    std::size_t recentBytes_ = 0;
    std::size_t sweepAt_ = kFirstSweep;
};

PictureCache& cache() {
    static PictureCache instance;
    // Pictures kept for reuse go before any picture is refused for memory.
    static const bool reclaims = [] {
        setMemoryReclaimer([] { cache().dropKept(); });
        return true;
    }();
    (void)reclaims;
    return instance;
}

// The largest file read at all: a picture within the pixel limit, stored
// uncompressed, with room for what a format may carry besides (layers of a
// PSD, a TIFF's extra directories).
constexpr std::size_t kMaxFileBytes = 512u * 1024 * 1024;

} // namespace

std::string extensionOf(const std::string& name) {
    std::size_t slash = name.find_last_of("/\\");
    std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return name.substr(dot + 1);
}

namespace {

// The resolved path of the palette file that goes with `shownName`, if the
// format has one and it is there.
std::optional<std::string> paletteFileOf(const Format& format, const std::string& shownName) {
    if (format.paletteExtension.empty())
        return std::nullopt;
    const std::string ext = extensionOf(shownName);
    const std::string base = shownName.substr(0, shownName.size() - ext.size());
    return paths::existingFile(base + std::string(format.paletteExtension));
}

Picture decodeFile(const Format& format, const std::string& fsPath, const std::string& shownName,
                   const std::optional<std::string>& palette, Checker check) {
    cache(); // its reclaimer is set before anything is decoded
    const DecodeScope decode;
    std::vector<unsigned char> bytes;
    files::readWholeFile(fsPath, shownName, bytes, kMaxFileBytes);
    if (palette) {
        std::vector<unsigned char> pal;
        files::readWholeFile(*palette, shownName, pal, kMaxFileBytes);
        return decodeCut(bytes.data(), bytes.size(), pal.data(), pal.size());
    }
    if (check) {
        check(bytes.data(), bytes.size());
        return Picture{};
    }
    return format.decode(bytes.data(), bytes.size());
}

} // namespace

std::shared_ptr<const Picture> loadPicture(const std::string& fsPath,
                                           const std::string& shownName) {
    const Format& format = formatFor(extensionOf(shownName));
    const std::optional<std::string> palette = paletteFileOf(format, shownName);

    Stamp before;
    bool stamped = stampOf(fsPath, before);
    if (palette) {
        Stamp p;
        stamped = stamped && stampOf(*palette, p);
        before.paletteSize = p.size;
        before.paletteChanged = std::max(p.modified, p.changed);
    }
    if (stamped)
        if (auto hit = cache().find(fsPath, before))
            return hit;

    auto pic =
        std::make_shared<const Picture>(decodeFile(format, fsPath, shownName, palette, nullptr));

    // A file that changed while it was read is not cached under either
    // version; the next load reads it again.
    Stamp after;
    if (stamped && stampOf(fsPath, after)) {
        if (palette) {
            Stamp p;
            stampOf(*palette, p);
            after.paletteSize = p.size;
            after.paletteChanged = std::max(p.modified, p.changed);
        }
        if (after == before)
            cache().store(fsPath, before, pic);
    }
    return pic;
}

NaturalSize checkPicture(const std::string& fsPath, const std::string& shownName) {
    const Format& format = formatFor(extensionOf(shownName));
    const Picture picture = decodeFile(format, fsPath, shownName, paletteFileOf(format, shownName),
                                       format.check ? format.check : nullptr);
    return {picture.width, picture.height};
}

void clearPictureCache() {
    cache().clear();
}

} // namespace taleplay::pictures
