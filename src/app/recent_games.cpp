// The recently played games, as an array in an INI file.
#include "app/recent_games.h"

#include <QByteArray>
#include <QSettings>
#include <algorithm>

namespace taleplay::launch {
namespace {

// Paths are kept as the file system's bytes, so a folder whose name is not
// valid UTF-8 is found again.
QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

std::string text(const QVariant& v) {
    return v.toByteArray().toStdString();
}

} // namespace

RecentGames::RecentGames(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

RecentGames RecentGames::forUser() {
    return RecentGames(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                   QStringLiteral("taleplay"),
                                                   QStringLiteral("taleplay")));
}

RecentGames RecentGames::inFile(const QString& file) {
    return RecentGames(std::make_unique<QSettings>(file, QSettings::IniFormat));
}

RecentGames::~RecentGames() = default;
RecentGames::RecentGames(RecentGames&&) noexcept = default;

std::vector<GameLocation> RecentGames::games() const {
    std::vector<GameLocation> games;
    const int n = settings_->beginReadArray(QStringLiteral("recent"));
    for (int i = 0; i < n && static_cast<int>(games.size()) < kMostKept; ++i) {
        settings_->setArrayIndex(i);
        GameLocation g{text(settings_->value(QStringLiteral("folder"))),
                       text(settings_->value(QStringLiteral("name")))};
        // A hand-edited file may hold anything; only absolute entries with a
        // name can be played.
        if (!g.folder.empty() && g.folder.front() == '/' && !g.name.empty() &&
            std::find(games.begin(), games.end(), g) == games.end())
            games.push_back(std::move(g));
    }
    settings_->endArray();
    return games;
}

void RecentGames::add(const GameLocation& game) {
    std::vector<GameLocation> games = this->games();
    games.erase(std::remove(games.begin(), games.end(), game), games.end());
    games.insert(games.begin(), game);
    if (static_cast<int>(games.size()) > kMostKept)
        games.resize(kMostKept);
    store(games);
}

void RecentGames::store(const std::vector<GameLocation>& games) {
    settings_->remove(QStringLiteral("recent"));
    settings_->beginWriteArray(QStringLiteral("recent"), static_cast<int>(games.size()));
    for (int i = 0; i < static_cast<int>(games.size()); ++i) {
        settings_->setArrayIndex(i);
        settings_->setValue(QStringLiteral("folder"), bytes(games[i].folder));
        settings_->setValue(QStringLiteral("name"), bytes(games[i].name));
    }
    settings_->endArray();
    settings_->sync();
}

} // namespace taleplay::launch
