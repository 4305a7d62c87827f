// The main window: creation, activation, close, destruction and the error handler.
#include "app/taleforge_main.h"

#include "app/taleforge_error.h"
#include "platform/qtext.h"
#include "platform/system.h"

#include <QCloseEvent>
#include <QScreen>

namespace taleplay {

TForm1::TForm1(std::string startedAs) : startedAs_(std::move(startedAs)), game_(*this, *this) {
    setWindowTitle(QStringLiteral("TALEPLAY"));
    // The design bounds matter only when the player restores the window.
    setGeometry(233, 210, 696, 480);

    // Disabled in the window resource and never enabled by any operation.
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
}

void TForm1::FormCreate() {
    // Default device, 44.1 kHz; a failure only means no sound.
    game_.audio().init(-1, 44100, 0, this);
}

void TForm1::FormDestroy() {
    game_.releaseMedia();
}

void TForm1::showMaximisedWindow() {
    if (QScreen* s = screen())
        setGeometry(s->availableGeometry());
    showMaximized();
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QWidget::event(e);
}

void TForm1::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Some platforms never activate a window nobody looks at; start up once
    // the window is shown all the same.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    game_.host().resizeLayer();
}

void TForm1::closeEvent(QCloseEvent* e) {
    FormClose();
    e->accept();
}

void TForm1::FormActivate() {
    // The start-up sequence builds on a window that holds none of its
    // components yet, so it runs once, at the first activation.
    if (startUpBegun_ || !isVisible())
        return;
    startUpBegun_ = true;
    runEvent([this] { StartUp(Halt::Yes); });
    startUpDone_ = true;
    emit screenBuilt();
}

void TForm1::eventDone() {
    if (--eventDepth_ > 0 || !rebuildWaiting_)
        return;
    rebuildWaiting_ = false;
    // After the handler that is returning now, from the event loop.
    QTimer::singleShot(0, this, [this] { Rebuild(); });
}

void TForm1::FormClose() {
    const StartRequest& start = game_.state.start;
    // The file that was checked: its folder and name joined again, never the
    // name alone, which would be looked for in the current folder.
    if (start.requested && !start.file.empty())
        platform::shellOpen(start.folder + start.file, start.folder);
}

void TForm1::reportMissingFile(const std::string& path, Halt halt) {
    errorWindow_->report(path, halt);
}

void TForm1::ShowException(const std::string& message) {
    game_.recordMessage(toUtf8(message));
    platform::messageBox(this, "TALEPLAY", message);
}

void TForm1::Timer1Timer() {
    if (game_.state.pauseCounter != 0)
        --game_.state.pauseCounter;
}

} // namespace taleplay
