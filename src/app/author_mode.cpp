// Author mode: its keys, the rebuild and the watch.
#include "app/author_mode.h"

#include "app/folder_watcher.h"
#include "app/inspector.h"
#include "app/taleforge_main.h"

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
}

void AuthorMode::rebuild() {
    form_.Rebuild();
}

void AuthorMode::toggleInspector() {
    if (!inspector_)
        inspector_ = new Inspector(form_);
    inspector_->toggle();
}

bool AuthorMode::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != &form_)
        return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_F5:
        // Held down, it would rebuild over and over.
        if (!key->isAutoRepeat())
            rebuild();
        return true;
    case Qt::Key_F12:
        if (!key->isAutoRepeat())
            toggleInspector();
        return true;
    default:
        return false;
    }
}

} // namespace taleplay
