#pragma once
// The window shown when the player is started without a game: the games of a
// folder, the games played lately, and "Open folder…" for any other. Closing
// it chooses nothing.
#include "app/game_location.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace taleplay::launch {

class GameChooser final : public QDialog {
    Q_OBJECT
  public:
    // Asks for a folder; nothing when the person cancels. Native path.
    using FolderPicker = std::function<std::optional<std::string>(QWidget* parent)>;

    // `here` are the games of `folder`; `recent` the games played lately,
    // of which those no longer on the disk, or already in `here`, are left
    // out.
    GameChooser(std::string folder, std::vector<GameLocation> here,
                std::vector<GameLocation> recent, QWidget* parent = nullptr);

    // The folder dialog stands behind this, so tests can answer it.
    void setFolderPicker(FolderPicker picker) { picker_ = std::move(picker); }

    // What "Class results…" does with the results folder chosen: by default
    // shows its class-results window over the chooser.
    using ResultsOpener = std::function<void(const std::string& folder, QWidget* parent)>;
    void setResultsOpener(ResultsOpener opener) { resultsOpener_ = std::move(opener); }
    QPushButton& classResultsButton() const { return *classResults_; }

    // The game to play, once one is chosen.
    const std::optional<GameLocation>& chosen() const { return chosen_; }

    QListWidget& list() const { return *list_; }
    QPushButton& openFolderButton() const { return *openFolder_; }
    QPushButton& playButton() const { return *play_; }
    // What the chooser says about the last folder opened; empty when nothing.
    QString note() const;

  private:
    void fill();
    void addHeading(const QString& text);
    void addGame(const GameLocation& game, const QString& text);
    void play();
    void openFolder();
    void openClassResults();
    void updatePlayButton();
    // The game behind a list item, if it is one.
    const GameLocation* gameOf(const QListWidgetItem* item) const;

    std::string folder_;
    std::vector<GameLocation> here_, recent_;
    std::vector<GameLocation> entries_; // the games behind the list's items
    std::optional<GameLocation> chosen_;
    FolderPicker picker_;
    ResultsOpener resultsOpener_;
    QListWidget* list_;
    QLabel* note_;
    QPushButton* openFolder_;
    QPushButton* classResults_;
    QPushButton* play_;
};

} // namespace taleplay::launch
