#pragma once
// What the on-screen editor has changed: the description files it holds in
// memory, every change as a step that can be undone and redone (saved or
// not), and the save, which writes only the files that differ from disk and
// refuses, before writing anything, what a file's encoding cannot hold.
#include "app/edit_document.h"

#include <QObject>
#include <QUndoStack>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace taleplay {

class Game;

namespace editing {

// A value that cannot be written as asked: said to the author, nothing is
// changed.
struct Refused {
    QString why;
};

class EditSession final : public QObject {
    Q_OBJECT
  public:
    explicit EditSession(Game& game, QObject* parent = nullptr);
    // The steps go without a word: what listened may be half gone.
    ~EditSession() override { undo_.blockSignals(true); }

    // The description file at a composed path, read the first time it is
    // asked for (a file that does not exist is an empty one, made on save).
    DescriptionDocument& document(const std::string& composed);

    // Runs `edit` on the documents and keeps what it changed as one step;
    // nothing when it changed nothing. `screen(true)` shows the step on the
    // screen again after an undo, `screen(false)` takes it off: the step is
    // already shown when it is made. An edit that throws Refused changes
    // nothing and the reason comes back.
    std::optional<QString> change(const QString& label, const std::function<void()>& edit,
                                  std::function<void(bool)> screen = {});

    QUndoStack& undoStack() { return undo_; }
    // Whether a document differs from its file on disk.
    bool unsaved() const;

    // Writes every document that differs from disk, each atomically and
    // keeping its file's mode. All are checked first: a file whose text its
    // encoding can no longer read as written is refused, and nothing at all
    // is written then. The names of the files written, or why not.
    struct Saved {
        std::vector<std::string> files; // composed paths
        QString refused;
    };
    Saved save();

    // The files changed on disk by someone else since they were read: those
    // without unsaved changes are read again; those with them are kept, and
    // the next save asks before writing over the other change. When any was, the undo steps
    // (which hold the old bytes) are forgotten, and true comes back.
    bool reloadChangedFiles();

  signals:
    // Before the files are written: their native paths and their new bytes.
    void aboutToWrite(const std::vector<std::pair<std::string, std::string>>& files);

  private:
    friend class Step;
    struct Held {
        std::string fsPath;
        std::string onDisk; // as last read or written
        bool existed = false;
        bool existedAtStart = false; // a file the editor made goes when emptied again
        // Changed by someone else while it held edits not saved here.
        bool changedOutside = false;
        DescriptionDocument doc;
    };
    std::map<std::string, std::string> snapshot() const;
    void restore(const std::map<std::string, std::string>& bytes);
    files::TextEncoding gameEncoding() const;

    Game& game_;
    std::map<std::string, Held> held_;
    QUndoStack undo_;
};

} // namespace editing
} // namespace taleplay
