// Screen, events, sleeping, the shell's open, message boxes and the modal seam.
#include "platform/system.h"

#include "core/paths.h"
#include "platform/qtext.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <thread>

namespace taleplay::platform {
namespace {

ModalObserver& observer() {
    static ModalObserver o;
    return o;
}

Answer& observedAnswer() {
    static Answer a = Answer::No;
    return a;
}

ShellObserver& shellObserver() {
    static ShellObserver o;
    return o;
}

std::function<void()>& endHandler() {
    static std::function<void()> h;
    return h;
}

} // namespace

QSize screenSize() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(0, 0);
}

void processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void boundAllocatorArenas() {
#ifdef __GLIBC__
    const char* chosen = std::getenv("MALLOC_ARENA_MAX");
    if (!chosen || !*chosen)
        mallopt(M_ARENA_MAX, kAllocatorArenas);
#endif
}

void deleteDeferred() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void sleepMs(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
WaitObserver& waitObserver() {
    static WaitObserver observer;
    return observer;
}
} // namespace

void setWaitObserver(WaitObserver observer) {
    waitObserver() = std::move(observer);
}

bool waitKeepingWindowAlive(std::int64_t ms, const std::function<bool()>& stop) {
    if (ms <= 0)
        return !stop();
    if (waitObserver()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (stop())
            return false;
        waitObserver()(ms);
        return !stop();
    }
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    // A check every few milliseconds: whether time is up (a wait of weeks is
    // longer than a timer can count) or the window went.
    QTimer tick;
    tick.setInterval(10);
    bool stopped = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (stop()) {
            stopped = true;
            loop.quit();
        } else if (clock.elapsed() >= ms) {
            loop.quit();
        }
    });
    tick.start();
    if (stop())
        return false;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !stopped && !stop();
}

void shellOpen(const std::string& composedPath, const std::string& composedFolder) {
    if (shellObserver()) {
        shellObserver()(composedPath, composedFolder);
        return;
    }
    const QFileInfo info(QString::fromStdString(paths::resolve(composedPath)));
    const QString folder =
        composedFolder.empty() ? QString() : QString::fromStdString(paths::resolve(composedFolder));
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), {}, folder);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

void setShellObserver(ShellObserver o) {
    shellObserver() = std::move(o);
}

void setModalObserver(ModalObserver o) {
    observer() = std::move(o);
}

bool observeModal(ModalKind kind, const std::string& text) {
    if (!observer())
        return false;
    observer()(kind, text);
    return true;
}

void messageBox(QWidget* parent, const std::string& title, const std::string& text) {
    if (observeModal(ModalKind::MessageBox, toUtf8(text)))
        return;
    QMessageBox box(QMessageBox::Critical, toQString(title), toQString(text), QMessageBox::Ok,
                    parent);
    box.exec();
}

void warningBox(QWidget* parent, const std::string& title, const std::string& text) {
    if (observeModal(ModalKind::MessageBox, text))
        return;
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

Answer askYesNo(QWidget* parent, const std::string& title, const std::string& question) {
    if (observeModal(ModalKind::Question, question))
        return observedAnswer();
    QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                    QString::fromStdString(question), QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void setObservedAnswer(Answer answer) {
    observedAnswer() = answer;
}

void setEndProgramHandler(std::function<void()> handler) {
    endHandler() = std::move(handler);
}

void endProgram() {
    if (endHandler()) {
        endHandler()();
        return;
    }
    QCoreApplication::exit(0);
}

} // namespace taleplay::platform
