// Running the game checker for the inspector.
#include "app/checker_findings.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace taleplay {

CheckerFindings::CheckerFindings(QObject* parent) : QObject(parent) {}

CheckerFindings::~CheckerFindings() {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
    }
}

QString CheckerFindings::checkerProgram() {
    // Installed beside the player; in the build tree the driver's and the
    // player's folders are siblings or cousins of the checker's.
    const QString here = QCoreApplication::applicationDirPath();
    const QString found = QStandardPaths::findExecutable(
        QStringLiteral("taleplay-check"),
        {here, here + QStringLiteral("/../check"), here + QStringLiteral("/../../tools/check")});
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("taleplay-check"))
                           : found;
}

void CheckerFindings::check(const QString& dataFolder) {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
    }
    folder_ = dataFolder;
    const QString program = checkerProgram();
    if (program.isEmpty()) {
        findings_.clear();
        problem_ = tr("the game checker (taleplay-check) is not installed");
        emit ready();
        return;
    }
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    connect(process_.get(), &QProcess::finished, this, &CheckerFindings::finished);
    process_->start(program, {QStringLiteral("--json"), dataFolder});
}

void CheckerFindings::finished() {
    findings_.clear();
    problem_.clear();
    const QByteArray out = process_->readAllStandardOutput();
    // 1 is a game with errors; anything else means the checker failed.
    if (process_->exitStatus() != QProcess::NormalExit || process_->exitCode() > 1)
        problem_ = tr("the game checker failed: %1")
                       .arg(QString::fromUtf8(process_->readAllStandardError()).trimmed());
    else
        findings_ = findingsFromJson(out, folder_);
    process_.release()->deleteLater();
    emit ready();
}

std::vector<CheckerFinding> findingsFromJson(const QByteArray& json, const QString& dataFolder) {
    std::vector<CheckerFinding> out;
    const QString prefix = QDir::cleanPath(dataFolder) + QLatin1Char('/');
    for (const QJsonValue v : QJsonDocument::fromJson(json).object().value("findings").toArray()) {
        const QJsonObject f = v.toObject();
        CheckerFinding finding;
        finding.file = f.value("file").toString();
        if (finding.file.startsWith(prefix))
            finding.file.remove(0, prefix.size());
        else if (QDir::cleanPath(finding.file) == QDir::cleanPath(dataFolder))
            finding.file.clear();
        finding.line = f.value("line").toInt();
        finding.severity = f.value("severity").toString();
        finding.message = f.value("message").toString();
        out.push_back(std::move(finding));
    }
    return out;
}

} // namespace taleplay
