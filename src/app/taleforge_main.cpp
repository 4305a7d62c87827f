// The main window: creation, activation, close, destruction and the error handler.
#include "app/taleforge_main.h"

#include "app/accessible_names.h"
#include "app/announcements.h"
#include "app/keyboard_play.h"
#include "app/read_aloud.h"
#include "app/language.h"
#include "app/result_sender.h"
#include "app/taleforge_error.h"
#include "core/codepage.h"
#include "platform/qtext.h"
#include "platform/system.h"

#include <QCloseEvent>
#include <cstdlib>
#include <QScreen>
#include <QWindow>

namespace taleplay {

TForm1::TForm1(std::string startedAs) : startedAs_(std::move(startedAs)), game_(*this, *this) {
    setWindowTitle(QStringLiteral("TALEPLAY"));
    // The design bounds matter only when the player restores the window.
    setGeometry(233, 210, 696, 480);

    // Disabled in the window resource and never enabled by any operation.
    Timer1 = new QTimer(this);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    readAloud_ = new ReadAloud(*this);
    keyboard_ = new KeyboardPlay(*this, *readAloud_);
    announcements_ = new Announcements(*this);
    // Results an earlier game could not send go now, whatever this game is.
    resultSender_ = new ResultSender(
        *this, ResultSender::outboxOf([](const char* name) { return std::getenv(name); }),
        [this] { return handlingEvent(); });
    resultSender_->sendKept();

    FormCreate();
}

TForm1::~TForm1() {
    // First, while the window is whole: a send under way may finish.
    delete resultSender_;
    // They follow the application's focus, which moves while the window
    // closes, after the game they look at is gone.
    delete announcements_;
    delete keyboard_;
    delete readAloud_;
    FormDestroy();
}

void TForm1::sendResult(resultsdb::Unsent row) {
    resultSender_->send(std::move(row));
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
    if (!waitedForExposure_ && windowHandle() && !windowHandle()->isExposed()) {
        waitForExposure();
        return;
    }
    startUpBegun_ = true;
    runEvent([this] { StartUp(Halt::Yes); });
    startUpDone_ = true;
    focusFirstControl();
    emit screenBuilt();
}

void TForm1::focusFirstControl() {
    // Also before the window is active: the window keeps the control, and
    // activating it focuses that control, not the first Qt would choose.
    keyboard_->focusStart();
}

bool TForm1::focusNextPrevChild(bool) {
    // Tab never comes here (keyboard play takes it first). Qt asks when the
    // focused control hides or is disabled, and would pass the focus to
    // whatever it made next; keyboard play moves it on once the event that
    // hid the control is over, so that a control the same click shows again
    // or shows next can take it.
    if (!handlingEvent())
        QTimer::singleShot(0, keyboard_, [this] { keyboard_->keepFocusVisible(); });
    return true;
}

void TForm1::eventDone() {
    if (--eventDepth_ > 0)
        return;
    // What an event built or showed gets its names, and is read aloud; the
    // focus leaves what it hid, before the announcement of what changed.
    describeControls(game_);
    keyboard_->screenChanged();
    readAloud_->screenChanged();
    announcements_->screenChanged();
    if (!rebuildWaiting_)
        return;
    rebuildWaiting_ = false;
    // After the handler that is returning now, from the event loop.
    QTimer::singleShot(0, this, [this] { Rebuild(); });
}

void TForm1::waitForExposure() {
    // Qt paints a window that was built before it was on the screen twice
    // over, once when it appears and once for every change the build made.
    // Built once the window is on the screen, the screen is painted once.
    // A window that never appears (some platforms leave a window nobody
    // looks at alone) starts up after a moment all the same.
    if (waitingForExposure_)
        return;
    waitingForExposure_ = true;
    windowHandle()->installEventFilter(this);
    QTimer::singleShot(kLongestWaitForExposure, this, [this] { stopWaitingForExposure(); });
}

void TForm1::stopWaitingForExposure() {
    if (waitedForExposure_)
        return;
    waitedForExposure_ = true;
    if (windowHandle())
        windowHandle()->removeEventFilter(this);
    // After the exposure's own paint, in the next pass of the event loop.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
        stopWaitingForExposure();
    return QWidget::eventFilter(watched, e);
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

namespace {

// A text of our own in the player's language, Windows-1251 like every
// message; its values are put in as they are.
std::string inPlayersLanguage(const OwnText& text) {
    const std::string wording =
        cp1251::fromUtf8(launch::translate(text.context, text.text).toStdString());
    return fillValues(wording, text.values);
}

} // namespace

std::string TForm1::pictureMessage(const PictureError& e) {
    const std::string reason = e.ownReason() ? inPlayersLanguage(*e.ownReason()) : e.reason();
    return e.compose(e.component() ? inPlayersLanguage(*e.component()) : std::string(), reason);
}

void TForm1::ShowRefusedPictures() {
    std::string message;
    for (const PictureBudgetError& refused : game_.takeRefusedPictures())
        message += (message.empty() ? "" : "\n") + pictureMessage(refused);
    if (!message.empty())
        ShowException(message);
}

void TForm1::Timer1Timer() {
    if (game_.state.pauseCounter != 0)
        --game_.state.pauseCounter;
}

} // namespace taleplay
