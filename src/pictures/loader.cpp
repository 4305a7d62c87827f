// Pictures by file extension: the decoder table, the unsupported types and the cache.
#include "pictures/loader.h"

#include "core/errors.h"
#include "core/files.h"
#include "core/paths.h"
#include "pictures/metafile.h"
#include "pictures/resample.h"
#include "pictures/tiff.h"

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace taleplay::pictures {

namespace {

using Decoder = Picture (*)(Bytes, std::size_t);
using Checker = void (*)(Bytes, std::size_t);

using DecoderFor = Picture (*)(Bytes, std::size_t, const Shown&);
using HeaderReader = std::optional<Extent> (*)(Bytes, std::size_t);

struct Format {
    std::string_view extension;
    Decoder decode;
    // How the checker reads the format, when not by decoding it: metafiles
    // are read without being drawn.
    Checker check = nullptr;
    // A palette file of the same name with this extension, read when present.
    std::string_view paletteExtension = {};
    // Decodes straight at a smaller size for a picture shown smaller.
    DecoderFor decodeFor = nullptr;
    // The natural size from the header, without decoding.
    HeaderReader header = nullptr;
    // Drawn through Qt (metafiles, EPS previews): decoded on the thread that
    // shows them, never ahead.
    bool drawn = false;
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
    {"wmf", decodeWmf, checkWmf, {}, nullptr, nullptr, true},
    {"emf", decodeEmf, checkEmf, {}, nullptr, nullptr, true},
    {"jpg", decodeJpeg, nullptr, {}, decodeJpegFor, jpegNaturalSize},
    {"jpeg", decodeJpeg, nullptr, {}, decodeJpegFor, jpegNaturalSize},
    {"jpe", decodeJpeg, nullptr, {}, decodeJpegFor, jpegNaturalSize},
    {"jfif", decodeJpeg, nullptr, {}, decodeJpegFor, jpegNaturalSize},
    {"gif", decodeGif, nullptr, {}, nullptr, gifNaturalSize},
    {"png", decodePng, nullptr, {}, nullptr, pngNaturalSize},
    {"tiff", decodeTiff, nullptr, {}, nullptr, tiffNaturalSize},
    {"tif", decodeTiff, nullptr, {}, nullptr, tiffNaturalSize},
    {"fax", decodeFax},
    {"eps", decodeEps, metafile::checkEps, {}, nullptr, nullptr, true},
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
    throw PictureError::whole("Unknown picture file extension (." + ext + ")");
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

// The stamp of the picture file and of its palette file, if it has one;
// false when either cannot be asked.
bool stampWithPalette(const std::string& fsPath, const std::optional<std::string>& palette,
                      Stamp& out) {
    bool stamped = stampOf(fsPath, out);
    if (palette) {
        Stamp p;
        stamped = stamped && stampOf(*palette, p);
        out.paletteSize = p.size;
        out.paletteChanged = std::max(p.modified, p.changed);
    }
    return stamped;
}

// Which keying a kept copy was reduced with. Copies at the picture's own
// size, and pictures with alpha, serve every control alike.
enum class Keying { Any, Keyed, Plain };

Keying keyingOf(const Picture& pic, const Shown& shown) {
    if (!pic.reduced() || pic.hasAlpha)
        return Keying::Any;
    return shown.keyed ? Keying::Keyed : Keying::Plain;
}

} // namespace

// A picture decoded ahead, or waiting to be.
struct Prefetch::Job {
    std::string fsPath, shownName;
    Shown shown;
    Stamp stamp;
    enum class State { Queued, Running, Done, Failed, Dropped };
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Queued;
    std::shared_ptr<const Picture> picture;
};

namespace {

using Job = Prefetch::Job;

// Decoded pictures by resolved path, each kept at the sizes the controls
// showing it need. Controls share the pixels of a picture as long as any of
// them shows it (the weak entries); a few recently loaded pictures are kept
// alive besides (the strong list), so that measuring a picture in the hidden
// servant and then loading it into its control decodes it once. The strong
// list is bounded in bytes and in entries, and entries whose pictures all
// died are swept as the table grows, so memory stays bounded by what the
// screen shows plus the strong list.
class PictureCache {
  public:
    std::shared_ptr<const Picture> find(const std::string& path, const Stamp& stamp,
                                        const Shown& shown) {
        std::lock_guard lock(mutex_);
        Entry* e = entry(path, stamp);
        if (!e || e->natural.width <= 0)
            return nullptr;
        const Extent kept = keptExtent(e->natural, shown);
        const Keying wanted = shown.keyed ? Keying::Keyed : Keying::Plain;
        for (const Copy& c : e->copies) {
            if (!(c.size == kept) || (c.keying != Keying::Any && c.keying != wanted))
                continue;
            if (std::shared_ptr<const Picture> pic = c.picture.lock()) {
                keep(pic);
                return pic;
            }
        }
        return nullptr;
    }

    // The copy at the picture's own size, when one is alive: a smaller
    // copy is made from it without reading the file again.
    std::shared_ptr<const Picture> findWhole(const std::string& path, const Stamp& stamp) {
        std::lock_guard lock(mutex_);
        Entry* e = entry(path, stamp);
        if (!e)
            return nullptr;
        for (const Copy& c : e->copies)
            if (c.size == e->natural)
                if (std::shared_ptr<const Picture> pic = c.picture.lock())
                    return pic;
        return nullptr;
    }

    std::optional<Extent> natural(const std::string& path, const Stamp& stamp) {
        std::lock_guard lock(mutex_);
        Entry* e = entry(path, stamp);
        if (!e || e->natural.width <= 0)
            return std::nullopt;
        return e->natural;
    }

    void storeNatural(const std::string& path, const Stamp& stamp, Extent natural) {
        std::lock_guard lock(mutex_);
        fresh(path, stamp).natural = natural;
        sweep();
    }

    void store(const std::string& path, const Stamp& stamp,
               const std::shared_ptr<const Picture>& pic, const Shown& shown) {
        std::lock_guard lock(mutex_);
        Entry& e = fresh(path, stamp);
        e.natural = {pic->naturalWidth(), pic->naturalHeight()};
        const Copy copy{{pic->width, pic->height}, keyingOf(*pic, shown), pic};
        std::erase_if(e.copies, [&](const Copy& c) {
            return c.picture.expired() || (c.size == copy.size && c.keying == copy.keying);
        });
        e.copies.push_back(copy);
        keep(pic);
        sweep();
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
        jobs_.clear();
        recent_.clear();
        recentBytes_ = 0;
        sweepAt_ = kFirstSweep;
    }

    // Pictures decoded ahead, by file and use.
    void addJob(const std::shared_ptr<Job>& job) {
        std::lock_guard lock(mutex_);
        jobs_[jobKey(job->fsPath, job->shown)] = job;
    }
    std::shared_ptr<Job> job(const std::string& path, const Stamp& stamp, const Shown& shown) {
        std::lock_guard lock(mutex_);
        auto it = jobs_.find(jobKey(path, shown));
        if (it == jobs_.end())
            return nullptr;
        std::shared_ptr<Job> found = it->second.lock();
        return found && found->stamp == stamp ? found : nullptr;
    }
    void forgetJob(const Job& job) {
        std::lock_guard lock(mutex_);
        auto it = jobs_.find(jobKey(job.fsPath, job.shown));
        if (it != jobs_.end() && (it->second.expired() || it->second.lock().get() == &job))
            jobs_.erase(it);
    }

  private:
    // Enough for the large backgrounds and buttons of one screen.
    static constexpr std::size_t kRecentBytes = 64u * 1024 * 1024;
    static constexpr std::size_t kRecentCount = 64;
    static constexpr std::size_t kFirstSweep = 256;

    struct Copy {
        Extent size;
        Keying keying;
        std::weak_ptr<const Picture> picture;
    };
    struct Entry {
        Stamp stamp;
        Extent natural; // 0 x 0 until known
        std::vector<Copy> copies;
    };

    static std::string jobKey(const std::string& path, const Shown& shown) {
        return path + '\n' + (shown.stretched ? "s" : "n") + std::to_string(shown.width) + 'x' +
               std::to_string(shown.height) + (shown.keyed ? "k" : "");
    }

    Entry* entry(const std::string& path, const Stamp& stamp) {
        auto it = entries_.find(path);
        return it == entries_.end() || !(it->second.stamp == stamp) ? nullptr : &it->second;
    }

    // The entry of this version of the file; one of another version is
    // started afresh.
    Entry& fresh(const std::string& path, const Stamp& stamp) {
        Entry& e = entries_[path];
        if (!(e.stamp == stamp))
            e = Entry{stamp, {}, {}};
        return e;
    }

    void sweep() {
        if (entries_.size() <= sweepAt_)
            return;
        std::erase_if(entries_, [](const auto& e) {
            return std::all_of(e.second.copies.begin(), e.second.copies.end(),
                               [](const Copy& c) { return c.picture.expired(); });
        });
        sweepAt_ = std::max(kFirstSweep, entries_.size() * 2);
    }

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
    std::unordered_map<std::string, std::weak_ptr<Job>> jobs_;
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

// How much of a file its header reader is given first; a JPEG file whose
// frame header lies further in (behind a large colour profile or preview)
// is read whole.
constexpr std::size_t kHeaderBytes = 64u * 1024;

// The format's name in messages: its extension in capitals.
std::string formatName(const Format& format) {
    std::string name(format.extension);
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = char(c - 32);
    return name;
}

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

Picture decodeBytes(const Format& format, const std::vector<unsigned char>& bytes,
                    const std::string& shownName, const std::optional<std::string>& palette,
                    const Shown& shown) {
    if (palette) {
        std::vector<unsigned char> pal;
        files::readWholeFile(*palette, shownName, pal, kMaxFileBytes);
        return decodeCut(bytes.data(), bytes.size(), pal.data(), pal.size());
    }
    if (format.decodeFor && shown.stretched)
        return format.decodeFor(bytes.data(), bytes.size(), shown);
    return format.decode(bytes.data(), bytes.size());
}

// The picture kept for `shown`: decoded, and reduced at once where it is
// shown smaller, so that its full-size pixels live only while that takes.
Picture decodeKept(const Format& format, const std::string& fsPath, const std::string& shownName,
                   const std::optional<std::string>& palette, const Shown& shown) {
    cache(); // its reclaimer is set before anything is decoded
    const std::string name = formatName(format);
    DecodeScope decode(shown.stretched ? &shown : nullptr);
    std::vector<unsigned char> bytes;
    files::readWholeFile(fsPath, shownName, bytes, kMaxFileBytes);
    Picture whole = decodeBytes(format, bytes, shownName, palette, shown);
    bytes = {};
    const Extent kept = keptExtent({whole.naturalWidth(), whole.naturalHeight()}, shown);
    if (kept.width == whole.width && kept.height == whole.height) {
        decode.keep(whole, name.c_str());
        return whole;
    }
    return reduce(whole, kept.width, kept.height, shown.keyed, name.c_str());
}

// loadPicture's work once the file's stamp is known: from the cache, from
// a copy at full size, or decoded; the result is cached unless the file
// changed while it was read.
std::shared_ptr<const Picture> load(const Format& format, const std::string& fsPath,
                                    const std::string& shownName,
                                    const std::optional<std::string>& palette, const Shown& shown,
                                    const Stamp& before, bool stamped) {
    if (stamped) {
        if (auto hit = cache().find(fsPath, before, shown))
            return hit;
        if (shown.stretched)
            if (auto whole = cache().findWhole(fsPath, before)) {
                const Extent kept = keptExtent({whole->width, whole->height}, shown);
                auto pic = std::make_shared<const Picture>(reduce(
                    *whole, kept.width, kept.height, shown.keyed, formatName(format).c_str()));
                cache().store(fsPath, before, pic, shown);
                return pic;
            }
    }
    auto pic =
        std::make_shared<const Picture>(decodeKept(format, fsPath, shownName, palette, shown));
    // A file that changed while it was read is not cached under either
    // version; the next load reads it again.
    Stamp after;
    if (stamped && stampWithPalette(fsPath, palette, after) && after == before)
        cache().store(fsPath, before, pic, shown);
    return pic;
}

// Runs one job on this thread: what it ends as, and the picture.
void run(const std::shared_ptr<Job>& job) {
    {
        std::lock_guard lock(job->mutex);
        if (job->state != Job::State::Queued)
            return;
        job->state = Job::State::Running;
    }
    std::shared_ptr<const Picture> pic;
    try {
        const Format& format = formatFor(extensionOf(job->shownName));
        pic = load(format, job->fsPath, job->shownName, paletteFileOf(format, job->shownName),
                   job->shown, job->stamp, true);
    } catch (...) {
        // Loaded again where it is asked for, to fail there.
    }
    {
        std::lock_guard lock(job->mutex);
        job->picture = std::move(pic);
        job->state = job->picture ? Job::State::Done : Job::State::Failed;
    }
    job->changed.notify_all();
}

// The threads that decode ahead, fed in the order the pictures were asked
// for.
class Decoders {
  public:
    static Decoders& instance() {
        static Decoders decoders;
        return decoders;
    }

    void setThreads(int threads) {
        stop();
        std::lock_guard lock(mutex_);
        wanted_ = threads;
        stopping_ = false;
    }

    // Runs the first job still waiting on this thread; false when none is.
    bool helpOnce() {
        std::shared_ptr<Job> job;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return false;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        run(job);
        return true;
    }

    // False when no thread decodes ahead.
    bool submit(const std::shared_ptr<Job>& job) {
        std::lock_guard lock(mutex_);
        if (wanted_ < 0) {
            const unsigned cores = std::thread::hardware_concurrency();
            wanted_ = std::clamp(int(cores) - 1, 1, 4);
        }
        if (wanted_ == 0)
            return false;
        while (int(threads_.size()) < wanted_)
            threads_.emplace_back([this] { work(); });
        queue_.push_back(job);
        ready_.notify_one();
        return true;
    }

    ~Decoders() { stop(); }

  private:
    void work() {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex_);
                ready_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
                if (stopping_)
                    return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            run(job);
        }
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        ready_.notify_all();
        for (std::thread& t : threads_)
            t.join();
        threads_.clear();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::vector<std::thread> threads_;
    int wanted_ = -1; // -1: from the cores
    bool stopping_ = false;
};

// The picture a job decoded ahead for this load, taking the job over when
// no thread has started it; nothing when it failed (or was let go), and the
// load decodes it itself. While another thread finishes it, this one
// decodes the next pictures waiting rather than wait idle.
std::shared_ptr<const Picture> fromJob(const std::shared_ptr<Job>& job) {
    run(job); // does nothing unless it is still queued
    auto finished = [&] {
        return job->state != Job::State::Queued && job->state != Job::State::Running;
    };
    for (;;) {
        {
            std::unique_lock lock(job->mutex);
            if (finished())
                break;
        }
        if (!Decoders::instance().helpOnce()) {
            std::unique_lock lock(job->mutex);
            job->changed.wait(lock, finished);
            break;
        }
    }
    std::lock_guard lock(job->mutex);
    return job->state == Job::State::Done ? job->picture : nullptr;
}

} // namespace

std::shared_ptr<const Picture> loadPicture(const std::string& fsPath, const std::string& shownName,
                                           const Shown& shown) {
    const Format& format = formatFor(extensionOf(shownName));
    const std::optional<std::string> palette = paletteFileOf(format, shownName);
    Stamp before;
    const bool stamped = stampWithPalette(fsPath, palette, before);
    if (stamped)
        if (std::shared_ptr<Job> job = cache().job(fsPath, before, shown))
            if (auto pic = fromJob(job))
                return pic;
    return load(format, fsPath, shownName, palette, shown, before, stamped);
}

namespace {

std::optional<Extent> headerSize(const Format& format, const std::string& fsPath,
                                 const std::string& shownName,
                                 const std::optional<std::string>& palette) {
    Stamp before;
    const bool stamped = stampWithPalette(fsPath, palette, before);
    if (stamped)
        if (std::optional<Extent> known = cache().natural(fsPath, before))
            return known;
    if (!format.header)
        return std::nullopt;
    std::vector<unsigned char> bytes;
    files::readFileStart(fsPath, shownName, bytes, kHeaderBytes);
    std::optional<Extent> read = format.header(bytes.data(), bytes.size());
    if (!read && bytes.size() == kHeaderBytes) {
        files::readWholeFile(fsPath, shownName, bytes, kMaxFileBytes);
        read = format.header(bytes.data(), bytes.size());
    }
    Stamp after;
    if (read && stamped && stampWithPalette(fsPath, palette, after) && after == before)
        cache().storeNatural(fsPath, before, *read);
    return read;
}

} // namespace

std::optional<Extent> naturalSizeIfKnown(const std::string& fsPath, const std::string& shownName) {
    const Format& format = formatFor(extensionOf(shownName));
    return headerSize(format, fsPath, shownName, paletteFileOf(format, shownName));
}

Extent naturalSize(const std::string& fsPath, const std::string& shownName) {
    const Format& format = formatFor(extensionOf(shownName));
    const std::optional<std::string> palette = paletteFileOf(format, shownName);
    if (std::optional<Extent> known = headerSize(format, fsPath, shownName, palette))
        return *known;
    // Decoded whole: kept for the loads that follow when the budget has room
    // for it, else decoded again for them, reduced.
    Stamp before;
    const bool stamped = stampWithPalette(fsPath, palette, before);
    cache();
    const Shown measuring{true, 1, 1, false}; // passing, until kept below
    DecodeScope decode(&measuring);
    std::vector<unsigned char> bytes;
    files::readWholeFile(fsPath, shownName, bytes, kMaxFileBytes);
    auto whole = std::make_shared<Picture>(decodeBytes(format, bytes, shownName, palette, Shown{}));
    const Extent natural{whole->naturalWidth(), whole->naturalHeight()};
    try {
        decode.keep(*whole, formatName(format).c_str());
    } catch (const PictureBudgetError&) {
        return natural;
    }
    Stamp after;
    if (stamped && stampWithPalette(fsPath, palette, after) && after == before)
        cache().store(fsPath, before, whole, Shown{});
    return natural;
}

NaturalSize checkPicture(const std::string& fsPath, const std::string& shownName) {
    const Format& format = formatFor(extensionOf(shownName));
    cache();
    // Nothing is kept: the budget of all pictures is not asked.
    const Shown nothingKept{true, 1, 1, false};
    const DecodeScope decode(&nothingKept);
    std::vector<unsigned char> bytes;
    files::readWholeFile(fsPath, shownName, bytes, kMaxFileBytes);
    if (format.check && !paletteFileOf(format, shownName)) {
        format.check(bytes.data(), bytes.size());
        return {};
    }
    const Picture picture =
        decodeBytes(format, bytes, shownName, paletteFileOf(format, shownName), Shown{});
    return {picture.naturalWidth(), picture.naturalHeight()};
}

void clearPictureCache() {
    cache().clear();
}

Prefetch::Prefetch() = default;

Prefetch::~Prefetch() {
    for (const std::shared_ptr<Job>& job : jobs_) {
        std::unique_lock lock(job->mutex);
        if (job->state == Job::State::Queued)
            job->state = Job::State::Dropped;
        job->changed.wait(lock, [&] { return job->state != Job::State::Running; });
        lock.unlock();
        cache().forgetJob(*job);
    }
}

void Prefetch::add(const std::string& fsPath, const std::string& shownName, const Shown& shown) {
    const Format* format = nullptr;
    try {
        format = &formatFor(extensionOf(shownName));
    } catch (const PictureError&) {
        return; // fails where it is loaded
    }
    // Metafiles are drawn through Qt, and palette files are found through
    // the game's folders: both only on the thread that shows them.
    if (format->drawn || !format->paletteExtension.empty())
        return;
    auto job = std::make_shared<Job>();
    job->fsPath = fsPath;
    job->shownName = shownName;
    job->shown = shown;
    if (!stampWithPalette(fsPath, paletteFileOf(*format, shownName), job->stamp))
        return;
    if (cache().find(fsPath, job->stamp, shown) || cache().job(fsPath, job->stamp, shown))
        return; // there already, or on its way
    cache().addJob(job);
    if (!Decoders::instance().submit(job)) {
        cache().forgetJob(*job);
        return;
    }
    jobs_.push_back(std::move(job));
}

std::size_t Prefetch::size() const {
    return jobs_.size();
}

void setPrefetchThreads(int threads) {
    Decoders::instance().setThreads(threads);
}

} // namespace taleplay::pictures
