// Reading and writing the game's text files, byte for byte.
#include "core/files.h"

#include "core/codepage.h"
#include "core/errors.h"

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

[[noreturn]] void ioError(const char* what, const std::string& shownPath, int err) {
    throw InOutError(std::string(what) + " " + shownPath + ": " + std::strerror(err));
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

LineReader::LineReader(const std::string& fsPath, const std::string& shownPath)
    : shownPath_(shownPath), buf_(kChunk) {
    file_ = std::fopen(fsPath.c_str(), "rb");
    if (!file_)
        ioError("Can't read file", shownPath_, errno);
}

LineReader::~LineReader() {
    if (file_)
        std::fclose(file_);
}

bool LineReader::fill() {
    if (eof_)
        return false;
    len_ = std::fread(buf_.data(), 1, buf_.size(), file_);
    pos_ = 0;
    if (len_ == 0) {
        if (std::ferror(file_))
            ioError("Can't read file", shownPath_, errno ? errno : EIO);
        eof_ = true;
        return false;
    }
    return true;
}

bool LineReader::next(std::string& line) {
    if (!started_) {
        started_ = true;
        if (fill() && len_ >= 3 && buf_[0] == '\xEF' && buf_[1] == '\xBB' && buf_[2] == '\xBF') {
            utf8_ = true;
            pos_ = 3;
        }
    }
    const bool got = nextRaw(line);
    if (got && utf8_)
        line = cp1251::fromUtf8(line);
    return got;
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

void readWholeFile(const std::string& fsPath, const std::string& shownPath,
                   std::vector<unsigned char>& out, std::size_t limit) {
    int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ioError("Can't read file", shownPath, errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        ioError("Can't read file", shownPath, err);
    }
    if (static_cast<unsigned long long>(st.st_size) > limit) {
        ::close(fd);
        throw InOutError("File too large: " + shownPath);
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
            ioError("Can't read file", shownPath, err);
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.resize(got);
}

void writeFileAtomically(const std::string& fsPath, const std::string& content) {
    std::string dir = ".";
    std::size_t cut = fsPath.find_last_of('/');
    if (cut != std::string::npos)
        dir = cut == 0 ? "/" : fsPath.substr(0, cut);
    std::string tmp = fsPath + ".XXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        writeError(errno);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(name.data());
        writeError(err);
    };
    // Keep the usual permissions of a new file rather than mkstemp's 0600.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(name.data());
        writeError(err);
    }
    if (::rename(name.data(), fsPath.c_str()) != 0) {
        int err = errno;
        ::unlink(name.data());
        writeError(err);
    }
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace taleplay::files
