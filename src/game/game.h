#pragma once
// The game as the builders, the commands and the end screens see it: the
// window's controls (through the control host), the component tables, the
// program state, sound and video, the answer check and the reports. The main
// window owns one and is where events enter; nothing here knows that window's
// class.
#include "core/errors.h"
#include "platform/audio.h"
#include "platform/host.h"
#include "platform/video.h"
#include "resultsdb/outbox.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace taleplay {

enum class Halt { No, Yes };

struct StartRequest {
    bool requested = false;
    std::string file;   // a game name (Windows-1251)
    std::string folder; // composed
};

// Program-wide values; they live as long as the program. Folders and the
// started name are native (file-system bytes); the paths composed from them
// go on in Windows-1251 game names (core/paths.h tells the two apart).
struct ProgramState {
    std::string workingFolder;   // current folder + separator, native
    std::string programFileName; // last component of the started name, native
    std::string dataFolder;      // always ends in a separator, native
    bool victory = false;
    QPointer<QWidget> clickedControl;
    std::string videoFile; // composed full path, possibly of a missing file
    std::int32_t pauseCounter = 0;
    StartRequest start;
    // Where the result file goes when no shared results folder is set
    // (native, ending in a separator); empty: the working folder, as always.
    std::string resultFolder;
    // Whether a line of results.csv is kept beside it too: for a pupil whose
    // results folder could not be used, so the teacher can gather it later.
    bool resultTable = false;
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

// What the window a game runs in does for it: the error window, closing,
// sending a result to a school's database, and the image buttons' events,
// which enter the program there.
class GameWindow {
  public:
    virtual void reportMissingFile(const std::string& path, Halt halt) = 0;
    virtual void closeWindow() = 0;
    // Keeps the finished game's row and sends it, without the game waiting
    // for the network; the pupil hears once when it has to wait.
    virtual void sendResult(resultsdb::Unsent row) = 0;
    virtual void AllButtonsMouseDown(ImageControl& button, Qt::MouseButton mouseButton) = 0;
    virtual void AllButtonsMouseUp(ImageControl& button, Qt::MouseButton mouseButton) = 0;
    virtual void AllButtonsClick(ImageControl& button) = 0;

  protected:
    ~GameWindow() = default;
};

class Game {
  public:
    // Creates the controls of the window resource on `window`, in their
    // order: the measuring image and label, then the video window.
    Game(QWidget& window, GameWindow& events);
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    ControlHost& host() { return host_; }
    const ControlHost& host() const { return host_; }
    GameWindow& window() { return events_; }
    int clientWidth() const { return host_.window().width(); }
    int clientHeight() const { return host_.window().height(); }

    ProgramState state;
    ComponentTables tables;

    // Components of the window resource.
    ImageControl* ImageServant = nullptr;
    LabelControl* LabelServant = nullptr;
    VideoControl* VideoWindow1 = nullptr;
    FilterGraph* FilterGraph1 = nullptr;

    AudioLibrary& audio() { return audio_; }
    // The stream PlayAudio created last, 0 when there is none.
    AudioLibrary::Handle soundStream() const { return soundStream_; }

    // Plays the current video file in VideoWindow1; a zero width or height
    // of the window is taken from the video's own size.
    void PlayVideo();
    // Plays one sound at a time: a new one ends the one before.
    void PlayAudio(const std::string& fullPath);
    // Stops the video and hides its window (the `invisible` command and the
    // end screen).
    void StopVideo();
    // Frees the video graph (which stops any video), then the audio library.
    void releaseMedia();
    // Stops the sound PlayAudio started and frees its stream.
    void stopSound();

    // Takes the game back to where a fresh start begins: video and sound
    // stopped, every control the builders made destroyed, the tables empty,
    // the controls of the window resource and the program state as at the
    // start. The reports so far are kept. For author mode's rebuild; call it
    // only while no event of the game is being handled.
    void reset();

    // Whether the text typed into a text window is one of its right answers;
    // `target` is the rule's target text that named it, such as textwindow1.
    // Throws InvalidCast when the component is not a text window.
    bool EditCheck(Control* textWindow, const std::string& target);

    // Every error-window and message-box text so far, in order, in UTF-8
    // as shown (a reported path holds native names as well as game text).
    const std::vector<std::string>& messages() const { return messages_; }
    void recordMessage(const std::string& utf8) { messages_.push_back(utf8); }
    // Where in messages() each rebuild began, in order: author mode's
    // inspector lists the reports of each build apart.
    const std::vector<std::size_t>& rebuildsAt() const { return rebuildsAt_; }

    // Pictures the memory budget refused, each naming its component and
    // file: the component was left out and the screen goes on. The window
    // tells the player of them together when the event that met them ends;
    // the same component and file are told once a screen (a pressed picture
    // refused at every press is told at the first).
    void refusePicture(const PictureBudgetError& refusal);
    std::vector<PictureBudgetError> takeRefusedPictures();
    // A new screen: its refusals are told anew.
    void forgetRefusedPictures() { refusalsTold_.clear(); }

  private:
    void setResourceState();

    GameWindow& events_;
    ControlHost host_;
    AudioLibrary audio_;
    AudioLibrary::Handle soundStream_ = 0;
    std::vector<std::string> messages_;
    std::vector<std::size_t> rebuildsAt_;
    std::vector<PictureBudgetError> refusals_;
    std::vector<std::string> refusalsTold_;
};

// Tells the player that a file the game needs is missing. Returns when the
// error window is closed; a halting report ends the program instead.
void MissingFileReport(Game& game, const std::string& path, Halt halt);

} // namespace taleplay
