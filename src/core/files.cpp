// Reading and writing the game's text files, byte for byte.
#include "core/files.h"

#include "core/codepage.h"
#include "core/errors.h"
#include "core/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
    return v.complete() && v.sawMultiByte() ? TextEncoding::Utf8 : TextEncoding::Windows1251;
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

LineReader::LineReader(const std::string& fsPath, const std::string& composedPath)
    : composedPath_(composedPath), buf_(kChunk) {
    file_ = std::fopen(fsPath.c_str(), "rb");
    if (!file_)
        ioError("Can't read file", composedPath_, errno);
}

LineReader::~LineReader() {
    if (file_)
        std::fclose(file_);
}

bool LineReader::fill() {
    if (eof_)
        return false;
    bufStart_ += static_cast<long long>(len_);
    len_ = std::fread(buf_.data(), 1, buf_.size(), file_);
    pos_ = 0;
    if (len_ == 0) {
        if (std::ferror(file_))
            ioError("Can't read file", composedPath_, errno ? errno : EIO);
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
    const int fd = ::fileno(file_);
    for (off_t at = static_cast<off_t>(from);;) {
        const ssize_t n = ::pread(fd, chunk.data(), chunk.size(), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ioError("Can't read file", composedPath_, errno);
        }
        if (n == 0)
            break;
        std::string_view piece(chunk.data(), static_cast<std::size_t>(n));
        const std::size_t z = piece.find(kCtrlZ);
        if (!v.feed(piece.substr(0, z)))
            return false;
        if (z != std::string_view::npos)
            break;
        at += n;
    }
    return v.complete() && v.sawMultiByte();
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

void readWholeFile(const std::string& fsPath, const std::string& composedPath,
                   std::vector<unsigned char>& out, std::size_t limit) {
    int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ioError("Can't read file", composedPath, errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        ioError("Can't read file", composedPath, err);
    }
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        throw InOutError("File too large: " + cp1251::fromUtf8(paths::shown(composedPath)));
    }
    out.clear();
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == out.size()) {
            // The file may have grown since fstat; read on within the limit.
            if (out.size() >= limit)
                break;
            out.resize(std::min(limit, out.size() + kChunk));
        }
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

// Writes the content to a new file beside `path` and renames it over
// `path`. Returns 0, or the error that stopped it before the rename, with
// nothing left behind. `old` is the file being replaced, if any: its
// permissions and group carry over, or the replacement is not made.
int replaceBeside(const std::string& path, std::string_view content, mode_t mode,
                  const struct stat* old) {
    const std::string folder = folderOf(path);
    const std::size_t cut = path.find_last_of('/');
    const std::string base = cut == std::string::npos ? path : path.substr(cut + 1);
    // Hidden, so that one left by a crash does not stand beside the games.
    std::string tmp =
        (cut == std::string::npos ? std::string() : folder + "/") + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return errno;
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return err;
    };
    if (::fchmod(fd, mode) != 0)
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
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
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
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        writeError(errno);
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
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            writeError(errno);
        if (int err = folderRefusal(folderOf(path)))
            writeError(err);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const mode_t mode = newFile == NewFile::WritableByAll ? 0666 : 0666 & ~mask;
        if (int err = replaceBeside(path, content, mode, nullptr))
            writeError(err);
        return;
    }
    if (S_ISDIR(st.st_mode))
        writeError(EISDIR);
    if ((st.st_mode & 0222) == 0)
        writeError(EACCES);
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        writeError(errno);
    const bool ownPlainFile = S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
    if (ownPlainFile && folderRefusal(folderOf(path)) == 0 &&
        replaceBeside(path, content, st.st_mode & 07777, &st) == 0)
        return;
    overwriteInPlace(path, content);
}

} // namespace taleplay::files
