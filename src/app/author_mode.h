#pragma once
// Author mode: keys for a game's author that do nothing in a student's game.
// F5 builds the game again from the files on disk, as a fresh start would,
// in the same window; F12 shows and hides the inspector. Watching, a change
// to any file of the data folder rebuilds the game as F5 does.
#include "app/inspector.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace taleplay {

class FolderWatcher;
class TForm1;

enum class WatchFiles { No, Yes };

class AuthorMode final : public QObject {
    Q_OBJECT
  public:
    AuthorMode(TForm1& form, WatchFiles watch);
    ~AuthorMode() override;

    void rebuild();
    void toggleInspector();

    // Null until F12 is first pressed.
    Inspector* inspector() const { return inspector_; }
    // How often the game screen has been built, the first start included.
    int screensBuilt() const { return screensBuilt_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void onScreenBuilt();

    TForm1& form_;
    QPointer<Inspector> inspector_;
    std::unique_ptr<FolderWatcher> watcher_;
    int screensBuilt_ = 0;
};

} // namespace taleplay
