#pragma once
// The main window: it owns the game (every control of the game screen, the
// program state, the component tables) and is where events enter the
// program: the start-up sequence, the button handlers and the timer.
#include "core/errors.h"
#include "game/game.h"
#include "platform/system.h"

#include <QTimer>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

namespace taleplay {

class Announcements;
class KeyboardPlay;
class ReadAloud;
class ResultSender;
class TForm2;

class TForm1 final : public QWidget, public GameWindow {
    Q_OBJECT
  public:
    // `startedAs` is the name the program was started under (argv[0]).
    explicit TForm1(std::string startedAs);
    ~TForm1() override;

    void setErrorWindow(TForm2* window) { errorWindow_ = window; }
    TForm2& errorWindow() const { return *errorWindow_; }

    Game& game() { return game_; }
    const Game& game() const { return game_; }

    // Shows the window maximised; where no window manager does that, it is
    // given the screen's available area itself.
    void showMaximisedWindow();
    bool startUpDone() const { return startUpDone_; }

    // Runs one event's work: errors of the game stop it and are shown by the
    // default error handler; the program goes on.
    // Pictures the memory budget refused on the way are told first, in one
    // message, then the error that stopped the work.
    template <class F> void runEvent(F&& work) {
        EventScope running(*this);
        std::optional<std::string> error;
        try {
            work();
        } catch (const ProgramHalted&) {
            platform::endProgram();
            return;
        } catch (const std::bad_alloc&) {
            error = "Out of memory";
        } catch (const PictureError& e) {
            error = pictureMessage(e);
        } catch (const std::exception& e) {
            error = e.what();
        }
        ShowRefusedPictures();
        if (error)
            ShowException(*error);
    }
    // Whether an event's work is under way (events nest through `pause` and
    // modal windows).
    bool handlingEvent() const { return eventDepth_ > 0; }

    // Author mode: builds the game again from the files on disk as a fresh
    // start would, in the same window. Asked for while an event is being
    // handled, it waits until that event is done. A missing data folder is
    // reported without ending the program, so its author can put it back.
    void Rebuild();

    // The default error handler: the message in a modal message box.
    void ShowException(const std::string& message);
    // A picture's error as the player reads it: our own words in the
    // player's language, naming the component and the file (Windows-1251).
    static std::string pictureMessage(const PictureError& e);
    // The pictures the memory budget refused since last told, one a line,
    // in one message box.
    void ShowRefusedPictures();

    void Timer1Timer();

    // Image buttons: press feedback and click rules. The press and release
    // handlers are bound only to buttons that have a pressed picture.
    void AllButtonsMouseDown(ImageControl& button, Qt::MouseButton mouseButton) override;
    void AllButtonsMouseUp(ImageControl& button, Qt::MouseButton mouseButton) override;
    void AllButtonsClick(ImageControl& button) override;

    // The error window's missing-file report.
    void reportMissingFile(const std::string& path, Halt halt) override;
    void closeWindow() override { close(); }
    // A school's database: the row is kept and sent by the result sender.
    void sendResult(resultsdb::Unsent row) override;

    // Runs the click rules of a button, then its "*clickALLGOOD*" or
    // "*clickALLBAD*" lines. Errors of the game are thrown.
    void RunClickRules(ImageControl& button);
    // The rule file of a button and the number its keys use.
    std::string ruleFileOf(const ImageControl& button) const;
    static std::string buttonNumberOf(const ImageControl& button);

    QTimer* Timer1 = nullptr;

    // Playing with the keyboard, and reading the screen aloud.
    KeyboardPlay& keyboard() const { return *keyboard_; }
    ReadAloud& readAloud() const { return *readAloud_; }
    // Sends finished games to a school's database.
    ResultSender& resultSender() const { return *resultSender_; }

  signals:
    // The start-up sequence has built the game screen (at the start, and
    // after each rebuild), whether or not an error stopped it on the way.
    void screenBuilt();

  protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    // Qt asks it when the focused control is hidden or disabled.
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void FormCreate();
    void FormActivate();
    void waitForExposure();
    void stopWaitingForExposure();
    void focusFirstControl();
    void FormClose();
    void FormDestroy();
    void StartUp(Halt whenFolderMissing);

    struct EventScope {
        explicit EventScope(TForm1& f) : form(f) { ++form.eventDepth_; }
        ~EventScope() { form.eventDone(); }
        TForm1& form;
    };
    void eventDone();

    std::string startedAs_;
    Game game_;
    TForm2* errorWindow_ = nullptr;
    bool startUpBegun_ = false;
    bool startUpDone_ = false;
    bool waitingForExposure_ = false;
    bool waitedForExposure_ = false;
    static constexpr int kLongestWaitForExposure = 500; // ms
    int eventDepth_ = 0;
    bool rebuildWaiting_ = false;
    ReadAloud* readAloud_ = nullptr;
    KeyboardPlay* keyboard_ = nullptr;
    Announcements* announcements_ = nullptr;
    ResultSender* resultSender_ = nullptr;
};

} // namespace taleplay
