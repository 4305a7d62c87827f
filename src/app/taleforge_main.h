#pragma once
// The main window: owner of every control of the game screen, the program
// state, the component tables, and the two places where events enter the
// program (the start-up sequence and the button handlers).
#include "platform/audio.h"
#include "platform/errors.h"
#include "platform/host.h"
#include "platform/system.h"
#include "platform/video.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace taleplay {

class TForm2;

struct StartRequest {
    bool requested = false;
    std::string file; // Windows-1251, as composed
    std::string folder;
};

// Program-wide values; they live as long as the program.
struct ProgramState {
    std::string workingFolder;   // current folder + separator
    std::string programFileName; // last component of the started name
    std::string dataFolder;      // always ends in a separator
    bool victory = false;
    QPointer<QWidget> clickedControl;
    std::string videoFile; // full path, possibly of a missing file
    std::int32_t pauseCounter = 0;
    StartRequest start;
    // The end screen's description files, chosen by every switch.
    std::string endPicturesFile, endTextsFile;
};

// Non-owning tables of the play screen's components: entry n - 1 holds
// component n and may be empty. The window owns the controls; an entry goes
// null when its control is deleted.
struct ComponentTables {
    std::vector<QPointer<QWidget>> pictures, shapes, labels, lists, textWindows, buttons,
        endButtons;
    // The background's decorations, in creation order; the corners always
    // have four entries once one is built (top-left, top-right, bottom-left,
    // bottom-right), empty where that corner is not.
    std::vector<QPointer<QWidget>> backgroundTiles, largeBackground, frames, corners;
    // Per text number: first label index, label count.
    std::vector<std::pair<std::int32_t, std::int32_t>> texts;
};

class TForm1 final : public QWidget {
    Q_OBJECT
  public:
    // `startedAs` is the name the program was started under (argv[0]).
    explicit TForm1(std::string startedAs);
    ~TForm1() override;

    void setErrorWindow(TForm2* window) { errorWindow_ = window; }
    TForm2& errorWindow() const { return *errorWindow_; }

    ControlHost& host() { return host_; }
    int clientWidth() const { return width(); }
    int clientHeight() const { return height(); }

    // Shows the window maximised; where no window manager does that, it is
    // given the screen's available area itself.
    void showMaximisedWindow();
    bool startUpDone() const { return startUpDone_; }

    // Runs one event's work: errors of the game stop it and are shown by the
    // default error handler; the program goes on.
    template <class F> void runEvent(F&& work) {
        try {
            work();
        } catch (const ProgramHalted&) {
            platform::endProgram();
        } catch (const std::bad_alloc&) {
            ShowException("Out of memory");
        } catch (const std::exception& e) {
            ShowException(e.what());
        }
    }

    // The default error handler: the message in a modal message box.
    void ShowException(const std::string& message);
    // Every error-window and message-box text so far, in order.
    const std::vector<std::string>& messages() const { return messages_; }
    void recordMessage(const std::string& text) { messages_.push_back(text); }

    void Timer1Timer();

    // Image buttons: press feedback and click rules. The press and release
    // handlers are bound only to buttons that have a pressed picture.
    void AllButtonsMouseDown(ImageControl& button, Qt::MouseButton mouseButton);
    void AllButtonsMouseUp(ImageControl& button, Qt::MouseButton mouseButton);
    void AllButtonsClick(ImageControl& button);

    // Runs the click rules of a button, then its "*clickALLGOOD*" or
    // "*clickALLBAD*" lines. Errors of the game are thrown.
    void RunClickRules(ImageControl& button);
    // The rule file of a button and the number its keys use.
    std::string ruleFileOf(const ImageControl& button) const;
    static std::string buttonNumberOf(const ImageControl& button);

    // Replaces the play screen by the victory or loss screen, as the
    // victory flag says.
    void ShowEndScreen();

    // Whether the text typed into a text window is one of its right answers;
    // `target` is the rule's target text that named it, such as textwindow1.
    // Throws InvalidCast when the component is not a text window.
    bool EditCheck(Control* textWindow, const std::string& target);

    // Plays the current video file in VideoWindow1; a zero width or height
    // of the window is taken from the video's own size.
    void PlayVideo();
    // Plays one sound at a time: a new one ends the one before.
    void PlayAudio(const std::string& fullPath);
    // Stops the video and hides its window (the `invisible` command and the
    // end screen).
    void StopVideo();

    ProgramState state;
    ComponentTables tables;

    // Components of the window resource.
    ImageControl* ImageServant = nullptr;
    LabelControl* LabelServant = nullptr;
    VideoControl* VideoWindow1 = nullptr;
    QTimer* Timer1 = nullptr;
    FilterGraph* FilterGraph1 = nullptr;

    AudioLibrary& audio() { return audio_; }
    // The stream PlayAudio created last, 0 when there is none.
    AudioLibrary::Handle soundStream() const { return soundStream_; }

  protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void FormCreate();
    void FormActivate();
    void FormClose();
    void FormDestroy();
    void StartUp();

    std::string startedAs_;
    ControlHost host_;
    AudioLibrary audio_;
    AudioLibrary::Handle soundStream_ = 0;
    TForm2* errorWindow_ = nullptr;
    bool startUpBegun_ = false;
    bool startUpDone_ = false;
    std::vector<std::string> messages_;
};

} // namespace taleplay
