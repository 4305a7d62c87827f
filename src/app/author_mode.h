#pragma once
// Author mode: keys for a game's author that do nothing in a student's game.
// F5 builds the game again from the files on disk, as a fresh start would,
// in the same window; F12 shows and hides the inspector; F6 turns edit mode
// on and off, and Ctrl+S saves what it changed and builds the game again
// from the files saved. Watching, a change to any file of the data folder
// rebuilds the game as F5 does (our own save only once).
#include "app/edit_mode.h"
#include "app/inspector.h"

#include <QObject>
#include <QPointer>

class QKeyEvent;
#include <memory>

namespace taleplay {

class FolderWatcher;
class TForm1;
namespace editing {
class EditSession;
}

enum class WatchFiles { No, Yes };

class AuthorMode final : public QObject {
    Q_OBJECT
  public:
    AuthorMode(TForm1& form, WatchFiles watch);
    ~AuthorMode() override;

    void rebuild();
    void toggleInspector();
    void toggleEditMode();
    // Writes the edits and builds the game again from the files; false when
    // nothing could be written (the reason is on the status line).
    bool save();

    // Null until F6 is first pressed.
    EditMode* editMode() const { return editMode_; }
    editing::EditSession* editSession() const { return session_; }

    // Null until F12 is first pressed.
    Inspector* inspector() const { return inspector_; }
    // How often the game screen has been built, the first start included.
    int screensBuilt() const { return screensBuilt_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void onScreenBuilt();
    bool keyPress(QKeyEvent& key);
    // Closing with edits not saved asks first; false keeps the window open.
    bool mayClose();

    TForm1& form_;
    QPointer<Inspector> inspector_;
    editing::EditSession* session_ = nullptr;
    QPointer<EditMode> editMode_;
    std::unique_ptr<FolderWatcher> watcher_;
    int screensBuilt_ = 0;
};

} // namespace taleplay
