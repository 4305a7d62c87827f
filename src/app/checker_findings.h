#pragma once
// What the game checker finds in the game's files, for the inspector: the
// checker (taleplay-check, beside the player or on the PATH) run on the data
// folder in a process of its own, so the player stays what it is without it.
#include <QObject>
#include <QProcess>
#include <QString>
#include <memory>
#include <vector>

namespace taleplay {

struct CheckerFinding {
    QString file; // the description file's name, as in the data folder
    int line = 0; // 0 for the whole file
    QString severity; // "error", "warning" or "note"
    QString message;  // in the author's language
};

class CheckerFindings final : public QObject {
    Q_OBJECT
  public:
    explicit CheckerFindings(QObject* parent = nullptr);
    ~CheckerFindings() override;

    // Checks `dataFolder` (native path) anew; ready() follows. A check still
    // running is given up.
    void check(const QString& dataFolder);
    // The program that checks; empty when there is none.
    static QString checkerProgram();

    const std::vector<CheckerFinding>& findings() const { return findings_; }
    // Why there are none to show: no checker, or it could not run. Empty
    // when it ran.
    const QString& problem() const { return problem_; }

  signals:
    void ready();

  private:
    void finished();
    std::unique_ptr<QProcess> process_;
    QString folder_;
    std::vector<CheckerFinding> findings_;
    QString problem_;
};

// The findings of the checker's JSON (taleplay-check --json) about
// `dataFolder`; file names relative to it.
std::vector<CheckerFinding> findingsFromJson(const QByteArray& json, const QString& dataFolder);

} // namespace taleplay
