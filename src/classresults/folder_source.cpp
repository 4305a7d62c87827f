// Reading a results folder.
#include "classresults/folder_source.h"

#include "core/results.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace taleplay::classresults {
namespace {

// A class of thirty playing every day for years writes a few MiB.
constexpr std::size_t kLargestFile = 64u << 20;

// The login of an account; empty when this computer does not know it (a
// share written from another computer).
std::string accountName(uid_t uid) {
    std::vector<char> buf(16384);
    passwd pw;
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return {};
}

std::string ownerShown(uid_t uid) {
    const std::string name = accountName(uid);
    return name.empty() ? std::to_string(uid) : name;
}

struct Reader {
    ClassRecords& records;
    uid_t folderOwner;

    // Who may stand for the teacher: whoever owns the folder, root, and
    // whoever reads it.
    bool trusted(uid_t uid) const { return uid == folderOwner || uid == 0 || uid == ::geteuid(); }

    void notice(Notice::Kind kind, std::vector<std::string> values) {
        records.notices.push_back({kind, std::move(values)});
    }

    // The bytes of a regular file, never through a link (a pupil could put
    // one in its folder, between the look and the read); nothing, with a
    // notice, when it cannot be read.
    bool read(const std::string& path, std::string& out) {
        int err = 0;
        const int fd =
            ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st;
        if (fd < 0)
            err = errno;
        else if (::fstat(fd, &st) != 0)
            err = errno;
        else if (!S_ISREG(st.st_mode))
            err = EINVAL;
        out.clear();
        char buf[64 * 1024];
        while (!err) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n == 0)
                break;
            if (n < 0 && errno != EINTR)
                err = errno;
            else if (n > 0 && out.size() + static_cast<std::size_t>(n) > kLargestFile)
                err = EFBIG;
            else if (n > 0)
                out.append(buf, static_cast<std::size_t>(n));
        }
        if (fd >= 0)
            ::close(fd);
        if (err)
            notice(Notice::Kind::Unreadable, {asUtf8(path), std::strerror(err)});
        return err == 0;
    }

    void table(const std::string& path, const std::string& login) {
        std::string bytes;
        if (!read(path, bytes))
            return;
        if (const std::size_t bad = readTable(bytes, login, records.attempts))
            notice(Notice::Kind::BadLines, {asUtf8(path), std::to_string(bad)});
    }
};

} // namespace

FolderReading readResultsFolder(const std::string& folder) {
    FolderReading out;
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) {
        out.problem = errno == ENOENT || errno == ENOTDIR ? FolderProblem::Missing
                                                          : FolderProblem::Unreadable;
        return out;
    }
    if (!S_ISDIR(st.st_mode)) {
        out.problem = FolderProblem::NotAFolder;
        return out;
    }
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        out.problem = FolderProblem::Unreadable;
        return out;
    }
    Reader reader{out.records, st.st_uid};
    // Without the sticky bit, anyone who may add to the folder may also
    // rename a pupil's folder and put another in its place.
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX))
        reader.notice(Notice::Kind::OpenToEveryone, {asUtf8(folder)});

    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir))
        if (e->d_name[0] != '.')
            names.emplace_back(e->d_name);
    ::closedir(dir);
    // The same order whatever the file system lists.
    std::sort(names.begin(), names.end());

    bool found = false;
    for (const std::string& name : names) {
        const std::string path = results::joined(folder, name);
        struct stat entry;
        if (::lstat(path.c_str(), &entry) != 0)
            continue;
        if (name == results::kTableName && S_ISREG(entry.st_mode)) {
            found = true;
            if (!reader.trusted(entry.st_uid))
                reader.notice(Notice::Kind::OldTable, {asUtf8(path), ownerShown(entry.st_uid)});
            reader.table(path, {});
        } else if (name == kClassListName && S_ISREG(entry.st_mode)) {
            found = true;
            if (!reader.trusted(entry.st_uid)) {
                reader.notice(Notice::Kind::ForeignClassList,
                              {asUtf8(path), ownerShown(entry.st_uid)});
                continue;
            }
            std::string bytes;
            if (reader.read(path, bytes))
                out.records.pupils = readClassList(bytes);
        } else if (S_ISDIR(entry.st_mode)) {
            const std::string tablePath = results::joined(path, results::kTableName);
            struct stat table;
            if (::lstat(tablePath.c_str(), &table) != 0 || !S_ISREG(table.st_mode))
                continue;
            found = true;
            const std::string owner = accountName(entry.st_uid);
            const bool own = owner.empty() || owner == name || reader.trusted(entry.st_uid);
            if (!own || table.st_uid != entry.st_uid) {
                reader.notice(Notice::Kind::ForeignFolder,
                              {asUtf8(path), ownerShown(own ? table.st_uid : entry.st_uid)});
                continue;
            }
            reader.table(tablePath, asUtf8(name));
        }
    }
    if (!found)
        out.problem = FolderProblem::NoResults;
    return out;
}

} // namespace taleplay::classresults
