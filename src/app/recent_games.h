#pragma once
// The games played lately, kept in the user's configuration folder so the
// chooser can offer them again.
#include "app/game_location.h"

#include <QString>
#include <memory>
#include <vector>

class QSettings;

namespace taleplay::launch {

class RecentGames {
  public:
    static constexpr int kMostKept = 10;

    // The player's own list: taleplay/taleplay.ini in the user's
    // configuration folder ($XDG_CONFIG_HOME, or ~/.config).
    static RecentGames forUser();
    // A list kept in `file` (tests use a file of their own).
    static RecentGames inFile(const QString& file);
    ~RecentGames();
    RecentGames(RecentGames&&) noexcept;

    // Most recent first. Games that are gone from the disk stay listed: the
    // stick they are on may simply not be plugged in.
    std::vector<GameLocation> games() const;

    // Puts the game first (once), keeps the newest kMostKept and writes the
    // list at once, so a game that is killed later is still remembered.
    void add(const GameLocation& game);

  private:
    explicit RecentGames(std::unique_ptr<QSettings> settings);
    void store(const std::vector<GameLocation>& games);
    std::unique_ptr<QSettings> settings_;
};

} // namespace taleplay::launch
