// The folder watcher: every file and folder watched, changes settled.
#include "app/folder_watcher.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace taleplay {

FolderWatcher::FolderWatcher(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &FolderWatcher::settled);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& path) {
        // The folder above is watched only for the folder itself coming and
        // going: the result file is written there.
        if (QDir::cleanPath(path) == above_ && QFileInfo(folder_).isDir() == folderPresent_)
            return;
        settle_.start();
    });
}

void FolderWatcher::watch(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    if (clean == folder_)
        return;
    folder_ = clean;
    above_ = QFileInfo(clean).dir().absolutePath();
    if (const QStringList all = watcher_.files() + watcher_.directories(); !all.isEmpty())
        watcher_.removePaths(all);
    arm();
}

void FolderWatcher::arm() {
    // Editors that save by writing a new file and renaming it over the old
    // one leave a watch on a file that is gone: every path is added again.
    folderPresent_ = QFileInfo(folder_).isDir();
    QStringList paths{above_};
    if (folderPresent_) {
        paths << folder_;
        int files = 0;
        QDirIterator it(folder_, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (info.isDir())
                paths << info.filePath();
            else if (files++ < kMostFiles)
                paths << info.filePath();
        }
    }
    const QStringList all = watcher_.files() + watcher_.directories();
    const QSet<QString> watched(all.begin(), all.end());
    QStringList fresh;
    for (const QString& p : paths) {
        if (!watched.contains(p))
            fresh << p;
    }
    if (!fresh.isEmpty())
        watcher_.addPaths(fresh);
}

QHash<QString, FolderWatcher::Stamp> FolderWatcher::stamps() const {
    QHash<QString, Stamp> out;
    QDirIterator it(folder_, QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        out.insert(info.filePath(), {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }
    return out;
}

void FolderWatcher::expectOwnWrite(const std::vector<std::pair<std::string, std::string>>& files) {
    before_ = stamps();
    ownWrite_ = files;
}

void FolderWatcher::settled() {
    arm();
    if (before_) {
        // Our own save, and nothing else: its author rebuilt already.
        QHash<QString, Stamp> now = stamps();
        QHash<QString, Stamp> was = *before_;
        bool ours = true;
        for (const auto& [path, bytes] : ownWrite_) {
            const QString p = QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(path)));
            QFile f(p);
            // A file written empty was taken away.
            const bool gone = bytes.empty() && !f.exists();
            ours = ours &&
                   (gone || (f.open(QIODevice::ReadOnly) && f.readAll().toStdString() == bytes));
            now.remove(p);
            was.remove(p);
        }
        before_.reset();
        ownWrite_.clear();
        if (ours && now == was)
            return;
    }
    emit changed();
}

} // namespace taleplay
