// Results kept until the database has them.
#include "resultsdb/outbox.h"

#include "core/codepage.h"
#include "core/files.h"
#include "core/results.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace taleplay::resultsdb {
namespace {

constexpr const char* kHeading = "taleplay result 1";
constexpr const char* kSuffix = ".row";
// A row is a few hundred bytes; anything far larger is no row of ours.
constexpr std::size_t kLargestRow = 64 * 1024;

bool isId(std::string_view id) {
    if (id.size() != 36)
        return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = id[i];
        if (dash ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// A value on one line: its line ends and '%' written as %0A, %0D and %25.
std::string escaped(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '%')
            out += "%25";
        else if (c == '\n')
            out += "%0A";
        else if (c == '\r')
            out += "%0D";
        else
            out += c;
    }
    return out;
}

bool unescaped(std::string_view value, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            out += value[i];
            continue;
        }
        const std::string_view code = value.substr(i + 1, 2);
        if (code == "25")
            out += '%';
        else if (code == "0A")
            out += '\n';
        else if (code == "0D")
            out += '\r';
        else
            return false;
        i += 2;
    }
    return true;
}

std::string pathOf(const std::string& folder, const std::string& id) {
    return results::joined(folder, id + kSuffix);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

enum class Read { Whole, Gone, Unreadable };

Read readRow(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Read::Gone : Read::Unreadable;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<std::size_t>(st.st_size) <= kLargestRow;
    out.clear();
    char buf[4096];
    while (ok) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
        ok = out.size() <= kLargestRow;
    }
    ::close(fd);
    return ok ? Read::Whole : Read::Unreadable;
}

} // namespace

std::string newId() {
    unsigned char b[16];
    std::size_t got = 0;
    while (got < sizeof b) {
        const ssize_t n = ::getrandom(b + got, sizeof b - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got < sizeof b) {
        // Kernels before getrandom(): the same generator through its file.
        const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
        got = fd >= 0 && ::read(fd, b, sizeof b) == static_cast<ssize_t>(sizeof b) ? sizeof b : 0;
        if (fd >= 0)
            ::close(fd);
    }
    if (got < sizeof b) {
        // Never two results under one id: the moment and the process,
        // should the kernel give no randomness at all.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        const long long parts[] = {now.tv_sec, now.tv_nsec, ::getpid()};
        std::memcpy(b, parts, sizeof b);
    }
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40); // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    char out[37];
    std::snprintf(out, sizeof out,
                  "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return out;
}

Unsent unsentNow(std::string connection, const std::string& game, int mark, std::string version) {
    Unsent row;
    row.id = newId();
    row.connection = std::move(connection);
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    row.time = static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
    row.login = utf8::orWindows1251(results::loginName());
    row.computer = utf8::orWindows1251(results::computerName());
    row.game = utf8::orWindows1251(game);
    row.mark = mark;
    row.version = std::move(version);
    return row;
}

std::string timestampOf(std::int64_t microseconds) {
    std::int64_t seconds = microseconds / 1'000'000, fraction = microseconds % 1'000'000;
    if (fraction < 0) {
        fraction += 1'000'000;
        --seconds;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm utc = {};
    ::gmtime_r(&t, &utc);
    char out[48];
    const std::size_t n = std::strftime(out, sizeof out, "%Y-%m-%d %H:%M:%S", &utc);
    std::snprintf(out + n, sizeof out - n, ".%06lld+00", static_cast<long long>(fraction));
    return out;
}

std::string rowText(const Unsent& row) {
    std::string text = std::string(kHeading) + "\n";
    auto field = [&text](const char* name, std::string_view value) {
        text += name;
        text += ' ';
        text += escaped(value);
        text += '\n';
    };
    field("id", row.id);
    field("connection", row.connection);
    field("time", std::to_string(row.time));
    field("login", row.login);
    field("computer", row.computer);
    field("game", row.game);
    field("mark", std::to_string(row.mark));
    field("version", row.version);
    return text;
}

bool rowFromText(const std::string& text, Unsent& row) {
    std::string_view rest = text;
    auto nextLine = [&rest](std::string_view& line) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return false; // a row is whole only with its last line ended
        line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        return true;
    };
    std::string_view line;
    if (!nextLine(line) || line != kHeading)
        return false;
    std::string time, mark;
    struct Field {
        const char* name;
        std::string* value;
        bool seen = false;
    } fields[] = {{"id", &row.id},         {"connection", &row.connection}, {"time", &time},
                  {"login", &row.login},   {"computer", &row.computer},     {"game", &row.game},
                  {"mark", &mark},         {"version", &row.version}};
    while (nextLine(line)) {
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            return false;
        const std::string_view name = line.substr(0, space);
        Field* f = std::find_if(std::begin(fields), std::end(fields),
                                [name](const Field& f) { return name == f.name; });
        if (f == std::end(fields) || f->seen || !unescaped(line.substr(space + 1), *f->value))
            return false;
        f->seen = true;
    }
    if (!rest.empty() ||
        !std::all_of(std::begin(fields), std::end(fields), [](const Field& f) { return f.seen; }))
        return false;
    if (!isId(row.id) || (mark != "5" && mark != "2") || time.empty() || time.size() > 18 ||
        !std::all_of(time.begin(), time.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    row.mark = mark[0] - '0';
    row.time = std::stoll(time);
    return true;
}

bool Outbox::keep(const Unsent& row, std::string& why) const {
    // The pupil's own folder, for the pupil alone: the rows name the
    // database, and nobody else has any business with them.
    std::string made;
    for (std::size_t i = 1; i <= folder_.size(); ++i) {
        if (i < folder_.size() && folder_[i] != '/')
            continue;
        made = folder_.substr(0, i);
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            why = files::writeErrorMessage(errno) + ": " + made;
            return false;
        }
    }
    const std::string path = pathOf(folder_, row.id);
    const std::string temporary = results::joined(folder_, "." + row.id + ".new");
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = files::writeErrorMessage(errno) + ": " + temporary;
        return false;
    }
    // Written whole and on the disk before it takes its name, and the name
    // on the disk before the row is sent.
    const bool written = writeAll(fd, rowText(row)) && ::fsync(fd) == 0;
    const int err = errno;
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        why = files::writeErrorMessage(written ? errno : err) + ": " + path;
        ::unlink(temporary.c_str());
        return false;
    }
    if (const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

Outbox::Listing Outbox::list() const {
    Listing out;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir)
        return out;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name.size() > 4 && name.substr(name.size() - 4) == kSuffix)
            names.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        Unsent row;
        std::string text;
        const std::string path = results::joined(folder_, name);
        // The name is the id: a row copied under another name is not sent
        // under the one and forgotten under the other.
        const Read read = readRow(path, text);
        if (read == Read::Whole && rowFromText(text, row) && row.id + kSuffix == name)
            out.rows.push_back(std::move(row));
        else if (read != Read::Gone) // not sent and forgotten by another player meanwhile
            out.damaged.push_back(path);
    }
    std::stable_sort(out.rows.begin(), out.rows.end(),
                     [](const Unsent& a, const Unsent& b) { return a.time < b.time; });
    return out;
}

void Outbox::forget(const std::string& id) const {
    if (!isId(id))
        return;
    ::unlink(pathOf(folder_, id).c_str());
}

} // namespace taleplay::resultsdb
