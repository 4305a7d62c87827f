// Reading and writing the game's text files, byte for byte.
#include "core/files.h"

#include "core/codepage.h"
#include "core/errors.h"
#include "core/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace taleplay::files {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr char kCtrlZ = 26;

// Messages are Windows-1251 like every text of the program; the path in
// them reads as the player sees paths.
[[noreturn]] void ioError(const char* what, const std::string& composedPath, int err) {
    throw InOutError(std::string(what) + " " + cp1251::fromUtf8(paths::shown(composedPath)) + ": " +
                     std::strerror(err));
}

bool startsWithMark(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF";
}

// Write failures speak as Windows programs report them, since that is what
// players of these games have always read.
[[noreturn]] void writeError(int err) {
    throw InOutError(writeErrorMessage(err));
}

} // namespace

std::string writeErrorMessage(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EEXIST:
    case EISDIR:
        return "File access denied";
    case ENOSPC:
    case EDQUOT:
        return "Disk full";
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
        return "Invalid filename";
    case EMFILE:
    case ENFILE:
        return "Too many open files";
    case ENOENT:
    case ENOTDIR:
        return "File not found";
    default:
        return "I/O error " + std::to_string(err);
    }
}

TextEncoding textEncoding(std::string_view bytes) {
    if (startsWithMark(bytes))
        return TextEncoding::Utf8WithMark;
    utf8::Validator v;
    v.feed(bytes.substr(0, bytes.find(kCtrlZ)));
    return v.complete() && v.sawMultiByte() && v.plausible() ? TextEncoding::Utf8
                                                             : TextEncoding::Windows1251;
}

const char* encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Windows1251:
        return "Windows-1251";
    case TextEncoding::Utf8WithMark:
        return "UTF-8 with a byte-order mark";
    case TextEncoding::Utf8:
        return "UTF-8 without a byte-order mark";
    }
    return "";
}

int openRegularFile(const std::string& fsPath, struct stat& st) {
    const int fd = ::open(fsPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

LineReader::LineReader(const std::string& fsPath, const std::string& composedPath)
    : composedPath_(composedPath) {
    struct stat st {};
    fd_ = openRegularFile(fsPath, st);
    if (fd_ < 0)
        ioError("Can't read file", composedPath_, errno);
    remaining_ = size_ = st.st_size;
    buf_.resize(static_cast<std::size_t>(std::min<long long>(remaining_, kChunk)));
}

LineReader::~LineReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool LineReader::fill() {
    if (eof_)
        return false;
    bufStart_ += static_cast<long long>(len_);
    len_ = 0;
    pos_ = 0;
    while (remaining_ > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<long long>(remaining_, (long long)buf_.size()));
        const ssize_t n = ::read(fd_, buf_.data(), want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ioError("Can't read file", composedPath_, errno);
        if (n == 0)
            remaining_ = 0; // shorter than it was: it ends here
        len_ = static_cast<std::size_t>(n);
        remaining_ -= n;
        break;
    }
    if (len_ == 0) {
        eof_ = true;
        return false;
    }
    return true;
}

bool LineReader::next(std::string& line) {
    if (!started_) {
        started_ = true;
        if (fill() && startsWithMark(std::string_view(buf_.data(), len_))) {
            encoding_ = TextEncoding::Utf8WithMark;
            decided_ = true;
            pos_ = 3;
        }
    }
    lineStart_ = bufStart_ + static_cast<long long>(pos_);
    if (!nextRaw(line))
        return false;
    // Up to the first byte beyond ASCII both encodings read the same, so the
    // choice waits for it and then looks at the rest of the file once.
    if (!decided_ && std::any_of(line.begin(), line.end(),
                                 [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        decided_ = true;
        if (restIsUtf8(lineStart_))
            encoding_ = TextEncoding::Utf8;
    }
    if (encoding_ != TextEncoding::Windows1251)
        cp1251::fromUtf8InPlace(line);
    return true;
}

bool LineReader::restIsUtf8(long long from) {
    utf8::Validator v;
    std::vector<char> chunk(kChunk);
    const long long end = size_;
    for (off_t at = static_cast<off_t>(from); at < end;) {
        const ssize_t n = ::pread(fd_, chunk.data(),
                                  static_cast<std::size_t>(std::min<long long>(
                                      static_cast<long long>(chunk.size()), end - at)),
                                  at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ioError("Can't read file", composedPath_, errno);
        }
        if (n == 0)
            break;
        std::string_view piece(chunk.data(), static_cast<std::size_t>(n));
        const std::size_t z = piece.find(kCtrlZ);
        if (!v.feed(piece.substr(0, z)) || !v.plausible())
            return false;
        if (z != std::string_view::npos)
            break;
        at += n;
    }
    return v.complete() && v.sawMultiByte() && v.plausible();
}

bool LineReader::nextRaw(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (pos_ == len_ && !fill()) {
            return any;
        }
        const char* start = buf_.data() + pos_;
        std::size_t avail = len_ - pos_;
        // Scan for the first LF or Ctrl-Z in what is buffered.
        const void* lf = std::memchr(start, '\n', avail);
        std::size_t k = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : avail;
        if (const void* z = std::memchr(start, kCtrlZ, k))
            k = static_cast<std::size_t>(static_cast<const char*>(z) - start);
        line.append(start, k);
        any = true;
        pos_ += k;
        if (k == avail)
            continue;
        if (start[k] == kCtrlZ) {
            // Ctrl-Z ends the file: what came before it on this line is the
            // last line, and an empty remainder is no line at all.
            eof_ = true;
            pos_ = len_ = 0;
            if (line.empty())
                return false;
        } else {
            ++pos_;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
        }
        return true;
    }
}

namespace {

// Reads up to `count` bytes (the whole file when it is shorter) of the file
// open as `fd` into `out`, and closes it.
void readOpenFile(int fd, const std::string& composedPath, std::vector<unsigned char>& out,
                  std::size_t count) {
    out.clear();
    out.resize(count);
    std::size_t got = 0;
    while (got < out.size()) {
        ssize_t n = ::read(fd, out.data() + got, out.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            ioError("Can't read file", composedPath, err);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(got);
}

// The file open for reading; throws InOutError naming `composedPath`.
int openToRead(const std::string& fsPath, const std::string& composedPath, struct stat& st) {
    const int fd = openRegularFile(fsPath, st);
    if (fd < 0)
        ioError("Can't read file", composedPath, errno);
    return fd;
}

} // namespace

void readWholeFile(const std::string& fsPath, const std::string& composedPath,
                   std::vector<unsigned char>& out, std::size_t limit) {
    struct stat st {};
    const int fd = openToRead(fsPath, composedPath, st);
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        throw InOutError("File too large: " + cp1251::fromUtf8(paths::shown(composedPath)));
    }
    // The size it has now is all that is read: a file that grows meanwhile
    // is not followed, so its buffer is allocated once.
    readOpenFile(fd, composedPath, out, static_cast<std::size_t>(st.st_size));
}

void readFileStart(const std::string& fsPath, const std::string& composedPath,
                   std::vector<unsigned char>& out, std::size_t count) {
    struct stat st {};
    const int fd = openToRead(fsPath, composedPath, st);
    readOpenFile(fd, composedPath, out,
                 std::min(count, static_cast<std::size_t>(std::max<off_t>(st.st_size, 0))));
}

namespace {

std::string folderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

// The file a path names once symbolic links are followed, also when the
// last link points to nothing yet (the file is then made there).
std::string followLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        const ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n <= 0)
            return path;
        std::string target(buf.data(), static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : folderOf(path) + "/" + target;
    }
    return path; // a loop of links: opening it fails with ELOOP
}

// Whether the program may add and rename files in a folder. A folder
// without any write permission counts as read-only also for root, who could
// write there: a teacher who made it read-only meant it.
int folderRefusal(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if ((st.st_mode & 0222) == 0)
        return EACCES;
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return errno;
    return 0;
}

} // namespace

bool folderWritable(const std::string& folder) {
    return folderRefusal(folder) == 0;
}

namespace {

enum class Place { FromTheStart, WhereItStands };

// Whether a new file takes its mode as given or less the process's umask.
enum class Mode { Exact, LessUmask };

// A device or a pipe (a result file linked to one) takes the content where
// it stands; a file, from its start.
int writeAll(int fd, std::string_view content, Place place) {
    std::size_t done = 0;
    while (done < content.size()) {
        const char* from = content.data() + done;
        const std::size_t left = content.size() - done;
        const ssize_t n = place == Place::FromTheStart
                              ? ::pwrite(fd, from, left, static_cast<off_t>(done))
                              : ::write(fd, from, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

void syncFolder(const std::string& folder) {
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

constexpr std::string_view kTempLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTempSuffix = 6;
// A temporary file older than this was left by a player killed while
// writing; a write in progress takes milliseconds.
constexpr std::time_t kStaleSeconds = 10 * 60;

// "." + base + "." + six letters or digits: the temporary files of `base`.
bool isTemporaryOf(std::string_view name, std::string_view base) {
    if (name.size() != base.size() + 2 + kTempSuffix || name.front() != '.' ||
        name.substr(1, base.size()) != base || name[base.size() + 1] != '.')
        return false;
    return name.substr(base.size() + 2).find_first_not_of(kTempLetters) == std::string_view::npos;
}

// Removes the temporary files of `base` that a killed writer left in
// `folder`: only ours, only plain files, only old ones, so a player writing
// at this moment (in a shared folder) never loses its file.
void removeStaleTemporaries(const std::string& folder, const std::string& base) {
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d)
        return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* e = ::readdir(d)) {
        if (!isTemporaryOf(e->d_name, base))
            continue;
        const std::string path = (folder.empty() ? std::string() : folder + "/") + e->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            now - st.st_mtime > kStaleSeconds)
            ::unlink(path.c_str());
    }
    ::closedir(d);
}

// Creates a new temporary file beside the file `base` in `folder` with
// `mode` (the process's umask applies, as to any new file). Returns the
// descriptor, or -1 with errno set.
int createTemporary(const std::string& folder, const std::string& base, mode_t mode,
                    std::string& tmp) {
    std::random_device seed;
    std::mt19937 pick(seed());
    std::uniform_int_distribution<std::size_t> letter(0, kTempLetters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Hidden, so that one left by a crash does not stand beside the games.
        tmp = (folder.empty() ? std::string() : folder + "/") + "." + base + ".";
        for (std::size_t i = 0; i < kTempSuffix; ++i)
            tmp += kTempLetters[letter(pick)];
        const int fd =
            ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

enum class Over { Replace, Refuse };

// Renames `from` to `to`. With Over::Refuse a file that appeared at `to`
// meanwhile stays and the rename fails with EEXIST; a file system that
// cannot refuse (some network shares) renames as usual.
int moveInto(const std::string& from, const std::string& to, Over over) {
    if (over == Over::Refuse) {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS)
            return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// Writes the content to a new file beside `path` and renames it over
// `path`. Returns 0, or the error that stopped it before the rename, with
// nothing left behind. `old` is the file being replaced, if any: its
// permissions and group carry over, or the replacement is not made; without
// it, a file that appeared at `path` meanwhile is left alone (EEXIST). A new
// file takes `mode` less the umask, or exactly `mode` with Mode::Exact.
int replaceBeside(const std::string& path, std::string_view content, mode_t mode, Mode exactness,
                  const struct stat* old) {
    const std::string folder = folderOf(path);
    const std::size_t cut = path.find_last_of('/');
    const std::string base = cut == std::string::npos ? path : path.substr(cut + 1);
    removeStaleTemporaries(cut == std::string::npos ? std::string() : folder, base);
    std::string tmp;
    const int fd = createTemporary(cut == std::string::npos ? std::string() : folder, base,
                                   old ? 0600 : mode, tmp);
    if (fd < 0)
        return errno;
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return err;
    };
    // Set on the file itself: the umask is never touched, as it belongs to
    // the whole process.
    if ((old || exactness == Mode::Exact) && ::fchmod(fd, mode) != 0)
        return fail(errno);
    if (old) {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return fail(errno);
        if (st.st_gid != old->st_gid && ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0)
            return fail(errno);
    }
    if (int err = writeAll(fd, content, Place::FromTheStart))
        return fail(err);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return err;
    }
    if (moveInto(tmp, path, old ? Over::Replace : Over::Refuse) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        return err;
    }
    syncFolder(folder);
    return 0;
}

// The new content over the old, then the file cut to its length: at every
// moment the file starts with either whole content, never with neither.
void overwriteInPlace(const std::string& path, std::string_view content) {
    // Without waiting: writing to a pipe nobody reads would block for ever
    // (the open fails then, as the file cannot be written).
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        writeError(errno == ENXIO ? EACCES : errno);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    struct stat st;
    const bool file = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    int err = writeAll(fd, content, file ? Place::FromTheStart : Place::WhereItStands);
    if (!err && file && ::ftruncate(fd, static_cast<off_t>(content.size())) != 0)
        err = errno;
    if (!err && file && ::fsync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (err)
        writeError(err);
}

} // namespace

void overwriteFile(const std::string& fsPath, std::string_view content, NewFile newFile) {
    const std::string path = followLinks(fsPath);
    // Another player may make the file between the look and the write; the
    // new file is then never put over it, and the look is taken again.
    for (int look = 0;; ++look) {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                writeError(errno);
            if (int err = folderRefusal(folderOf(path)))
                writeError(err);
            const int err = replaceBeside(
                path, content, newFile == NewFile::ReadableByAll ? 0644 : 0666,
                newFile == NewFile::ReadableByAll ? Mode::Exact : Mode::LessUmask, nullptr);
            if (err == EEXIST && look < 3)
                continue;
            if (err)
                writeError(err);
            return;
        }
        if (S_ISDIR(st.st_mode))
            writeError(EISDIR);
        if ((st.st_mode & 0222) == 0)
            writeError(EACCES);
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            writeError(errno);
        const bool ownPlainFile =
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
        if (ownPlainFile && folderRefusal(folderOf(path)) == 0 &&
            replaceBeside(path, content, st.st_mode & 07777, Mode::Exact, &st) == 0)
            return;
        overwriteInPlace(path, content);
        return;
    }
}

} // namespace taleplay::files
