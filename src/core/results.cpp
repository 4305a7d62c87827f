// The results folder, the pupils' folders in it and their tables.
#include "core/results.h"

#include "core/errors.h"
#include "core/files.h"
#include "core/paths.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace taleplay::results {
namespace {

[[noreturn]] void writeError(int err) {
    throw InOutError(files::writeErrorMessage(err));
}

} // namespace

std::string loginName() {
    std::vector<char> buf(16384);
    passwd pw;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_name && *found->pw_name)
        return found->pw_name;
    for (const char* name : {"USER", "LOGNAME"})
        if (const char* v = std::getenv(name); v && *v)
            return v;
    return std::to_string(::getuid());
}

std::string computerName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0)
        return {};
    return buf;
}

namespace {

// The lock waits for other players; where the file system has no locks at
// all the line is still appended, as one write, rather than lost.
int lock(int fd, short type) {
    struct flock lk = {};
    lk.l_type = type;
    lk.l_whence = SEEK_SET;
    while (::fcntl(fd, F_SETLKW, &lk) != 0) {
        if (errno == EINTR)
            continue;
        return errno == ENOLCK ? 0 : errno;
    }
    return 0;
}

} // namespace

std::string joined(const std::string& folder, std::string_view name) {
    return folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + std::string(name);
}

bool isDatabase(std::string_view destination) {
    for (std::string_view start : {"postgresql://", "postgres://", "service="})
        if (destination.substr(0, start.size()) == start)
            return true;
    return false;
}

std::optional<std::string> sharedFolder() {
    const char* v = std::getenv(kVariable);
    if (!v || !*v || isDatabase(v))
        return std::nullopt;
    return std::string(v);
}

std::optional<std::string> database() {
    const char* v = std::getenv(kVariable);
    if (!v || !isDatabase(v))
        return std::nullopt;
    return std::string(v);
}

PupilFolder pupilFolder(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0)
        return {errno == ENOENT || errno == ENOTDIR ? Refusal::Missing : Refusal::NotWritable, {}};
    if (!S_ISDIR(st.st_mode))
        return {Refusal::NotAFolder, {}};
    // Whoever owns the results folder (the teacher) may have made it, and a
    // network share that shows one owner for everything shows that one.
    const uid_t teacher = st.st_uid;
    const std::string path = joined(folder, loginName());
    // Twice: the pupil may be making it on another computer at this moment.
    for (int look = 0; look < 2; ++look) {
        if (::lstat(path.c_str(), &st) == 0) {
            if (st.st_uid != ::geteuid() && st.st_uid != teacher)
                return {Refusal::TakenByAnother, path};
            // As with result files, no write permission at all means
            // read-only, also for root.
            if (!S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0 ||
                ::faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
                return {Refusal::NotWritable, path};
            return {Refusal::None, path};
        }
        if (errno != ENOENT || !files::folderWritable(folder))
            return {Refusal::NotWritable, path};
        if (::mkdir(path.c_str(), 0700) == 0) {
            // Opened, not named, for the mode: a name can be swapped for a
            // link. A share that keeps modes of its own keeps its own.
            const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0) {
                ::fchmod(fd, 0755);
                ::close(fd);
            }
            return {Refusal::None, path};
        }
        if (errno != EEXIST)
            return {Refusal::NotWritable, path};
    }
    return {Refusal::NotWritable, path};
}

std::string markFilePath(const std::string& folder, const std::string& markFileName) {
    return paths::resolveIn(joined(folder, loginName()), markFileName).path;
}

void requireFolder(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        writeError(EACCES);
    const std::string table = joined(folder, kTableName);
    // As with result files, no write permission at all means read-only,
    // also for root.
    if (::stat(table.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 ||
            ::faccessat(AT_FDCWD, table.c_str(), W_OK, AT_EACCESS) != 0)
            writeError(EACCES);
    } else if ((st.st_mode & 0222) == 0 ||
               ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        writeError(EACCES);
    }
}

Entry entryNow(std::string game, std::string mark) {
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    ::localtime_r(&now, &local);
    char time[32];
    std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%S", &local);
    return {time, loginName(), computerName(), std::move(game), std::move(mark)};
}

std::string gameVersion(const std::string& dataFolder) {
    // FNV-1a, 64 bits: a stamp to tell versions apart, not a defence against
    // forgery (whoever may change the game may change its mark file too).
    std::uint64_t hash = 0xcbf29ce484222325u;
    auto add = [&hash](const char* bytes, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            hash ^= static_cast<unsigned char>(bytes[i]);
            hash *= 0x100000001b3u;
        }
    };
    for (const char* name : {"allbackpictures.txt", "allbacktexts.txt", "alltextwindows.txt",
                             "allbuttons.txt", "victorypictures.txt", "victorytexts.txt",
                             "lostpictures.txt", "losttexts.txt"}) {
        add(name, std::strlen(name) + 1);
        struct stat st;
        const int fd = files::openRegularFile(paths::resolveIn(dataFolder, name).path, st);
        if (fd < 0) {
            add("-", 1); // missing and empty differ
            continue;
        }
        // As much as the file held when opened: one that grows meanwhile is
        // read no further.
        long long left = st.st_size;
        char buf[64 * 1024];
        while (left > 0) {
            const ssize_t n = ::read(fd, buf, static_cast<std::size_t>(std::min<long long>(left, sizeof buf)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            add(buf, static_cast<std::size_t>(n));
            left -= n;
        }
        ::close(fd);
        const std::string size = std::to_string(st.st_size);
        add(size.c_str(), size.size() + 1);
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

std::string csvField(std::string_view text, char separator) {
    const char special[] = {separator, '"', '\r', '\n', '\0'};
    if (text.find_first_of(special) == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string csvHeader() {
    return "time,login,computer,game,mark\r\n";
}

std::string csvLine(const Entry& e) {
    return csvField(e.time) + "," + csvField(e.login) + "," + csvField(e.computer) + "," +
           csvField(e.game) + "," + csvField(e.mark) + "\r\n";
}

void append(const std::string& folder, const Entry& entry) {
    requireFolder(folder);
    const std::string path = joined(folder, kTableName);
    // Whatever the umask: the teacher reads it, and no other account (of the
    // pupils' shared group, say) may change it.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::fchmod(fd, 0644);
    else if (errno == EEXIST)
        // Never waits: a pipe in the table's place would block the open.
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        writeError(errno);
    auto fail = [&](int err) {
        ::close(fd);
        writeError(err);
    };
    struct stat st;
    if (::fstat(fd, &st) != 0)
        fail(errno);
    if (!S_ISREG(st.st_mode))
        fail(EACCES);
    if (int err = lock(fd, F_WRLCK))
        fail(err);
    if (::fstat(fd, &st) != 0)
        fail(errno);
    std::string text = csvLine(entry);
    if (st.st_size == 0) {
        text = csvHeader() + text;
    } else {
        // A line cut short by a crash elsewhere must not swallow this one.
        char lastByte = '\n';
        if (::pread(fd, &lastByte, 1, st.st_size - 1) == 1 && lastByte != '\n')
            text = "\r\n" + text;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL)
        fail(errno);
    // Closing lets the lock go.
    if (::close(fd) != 0)
        writeError(errno);
}

void record(const std::string& folder, const std::string& markFileName, const std::string& game,
            const std::string& mark) {
    requireFolder(folder);
    files::overwriteFile(paths::resolveIn(folder, markFileName).path, mark + "\r\n",
                         files::NewFile::ReadableByAll);
    // After the file: a click again after a failure here rewrites the same
    // mark and adds the line once.
    append(folder, entryNow(game, mark));
}

void recordInResultsFolder(const std::string& folder, const std::string& markFileName,
                           const std::string& game, const std::string& mark) {
    const PupilFolder own = pupilFolder(folder);
    if (own.refusal != Refusal::None)
        writeError(EACCES);
    record(own.path, markFileName, game, mark);
}

} // namespace taleplay::results
