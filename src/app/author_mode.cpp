// Author mode: its keys, the rebuild, the watch and edit mode.
#include "app/author_mode.h"

#include "app/edit_mode.h"
#include "app/edit_session.h"
#include "app/folder_watcher.h"
#include "app/inspector.h"
#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/system.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>

namespace taleplay {

AuthorMode::AuthorMode(TForm1& form, WatchFiles watch) : QObject(&form), form_(form) {
    if (watch == WatchFiles::Yes) {
        watcher_ = std::make_unique<FolderWatcher>();
        connect(watcher_.get(), &FolderWatcher::changed, this, &AuthorMode::rebuild);
    }
    connect(&form, &TForm1::screenBuilt, this, &AuthorMode::onScreenBuilt);
    if (form.startUpDone())
        onScreenBuilt();
    // The keys reach whichever control of the window has the focus; a text
    // window would keep some of them.
    qApp->installEventFilter(this);
}

AuthorMode::~AuthorMode() {
    qApp->removeEventFilter(this);
}

void AuthorMode::onScreenBuilt() {
    ++screensBuilt_;
    if (watcher_) {
        const std::string& folder = form_.game().state.dataFolder;
        watcher_->watch(QFile::decodeName(QByteArray(folder.data(), qsizetype(folder.size()))));
    }
    if (session_ && session_->reloadChangedFiles() && editMode_)
        editMode_->say(tr("A file of the game changed outside: it was read again, and the steps "
                          "before cannot be undone."));
    if (editMode_)
        editMode_->screenRebuilt();
}

void AuthorMode::rebuild() {
    form_.Rebuild();
}

void AuthorMode::toggleInspector() {
    if (!inspector_)
        inspector_ = new Inspector(form_);
    inspector_->toggle();
}

void AuthorMode::toggleEditMode() {
    if (!editMode_) {
        session_ = new editing::EditSession(form_.game(), this);
        connect(session_, &editing::EditSession::aboutToWrite, this,
                [this](const std::vector<std::pair<std::string, std::string>>& files) {
                    if (watcher_)
                        watcher_->expectOwnWrite(files);
                });
        editMode_ = new EditMode(form_, *session_);
        connect(editMode_, &EditMode::saveAsked, this, &AuthorMode::save);
    }
    editMode_->setOn(!editMode_->on());
}

bool AuthorMode::save() {
    if (!session_ || !session_->unsaved())
        return true;
    const editing::EditSession::Saved saved = session_->save();
    if (!saved.refused.isEmpty()) {
        if (editMode_)
            editMode_->say(saved.refused);
        return false;
    }
    QStringList names;
    for (const std::string& file : saved.files)
        names << QString::fromStdString(paths::shown(paths::lastComponent(file)));
    // What is shown is what the files say from now on.
    form_.Rebuild();
    if (editMode_)
        editMode_->say(tr("Saved %1; the game was built again from its files.")
                           .arg(names.join(QStringLiteral(", "))));
    return true;
}

bool AuthorMode::mayClose() {
    if (!session_ || !session_->unsaved())
        return true;
    const std::string question =
        tr("The game has changes that are not saved. Save them before closing? (No closes "
           "without saving them.)")
            .toStdString();
    if (platform::askYesNo(&form_, "Taleplay", question) == platform::Answer::No)
        return true;
    return save();
}

bool AuthorMode::keyPress(QKeyEvent& key) {
    const Qt::KeyboardModifiers mods =
        key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool editing = editMode_ && editMode_->on();
    if (mods == Qt::ControlModifier && key.key() == Qt::Key_S) {
        if (!key.isAutoRepeat())
            save();
        return true;
    }
    if (mods == Qt::NoModifier) {
        switch (key.key()) {
        case Qt::Key_F5:
            // Held down, it would rebuild over and over.
            if (!key.isAutoRepeat())
                rebuild();
            return true;
        case Qt::Key_F12:
            if (!key.isAutoRepeat())
                toggleInspector();
            return true;
        case Qt::Key_F6:
            if (!key.isAutoRepeat())
                toggleEditMode();
            return true;
        default:
            break;
        }
    }
    return editing && editMode_->key(key);
}

bool AuthorMode::eventFilter(QObject* watched, QEvent* e) {
    if (watched == &form_ && e->type() == QEvent::Close) {
        if (mayClose())
            return false;
        e->ignore();
        return true;
    }
    if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &form_)
        return false;
    if (e->type() == QEvent::KeyPress)
        return keyPress(*static_cast<QKeyEvent*>(e));
    // In edit mode a key's release must not finish a press the game never saw.
    return e->type() == QEvent::KeyRelease && editMode_ && editMode_->on();
}

} // namespace taleplay
