#pragma once
// Tells when a file of a folder (its subfolders included) has changed, once
// the changes have settled: an editor's save is often several writes, or a
// new file renamed over the old one.
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace taleplay {

class FolderWatcher final : public QObject {
    Q_OBJECT
  public:
    // How long the folder must stay still before changed() is said.
    static constexpr int kSettleMs = 200;
    // At most this many files are watched; a folder that holds more is
    // still watched for files added, removed and renamed.
    static constexpr int kMostFiles = 4000;

    explicit FolderWatcher(QObject* parent = nullptr);

    // Watches `folder` (native path) from now on, instead of any other.
    void watch(const QString& folder);
    const QString& folder() const { return folder_; }

    // The program itself is about to write these files (native paths, with
    // their new bytes): once the changes have settled, changed() is not
    // said if those files hold just that and nothing else of the folder
    // changed meanwhile.
    void expectOwnWrite(const std::vector<std::pair<std::string, std::string>>& files);

  signals:
    void changed();

  private:
    void arm();
    void settled();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    QString folder_;
    QString above_; // the folder that holds it
    bool folderPresent_ = false;
    // What the folder held when our own write began, and what it wrote.
    struct Stamp {
        qint64 size;
        qint64 modified; // ms since the epoch
        bool operator==(const Stamp&) const = default;
    };
    QHash<QString, Stamp> stamps() const;
    std::optional<QHash<QString, Stamp>> before_;
    std::vector<std::pair<std::string, std::string>> ownWrite_;
};

} // namespace taleplay
