#pragma once
// The operating system and desktop services the program uses, and the one
// seam through which modal windows can be watched and closed without a person.
#include <QSize>
#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace taleplay::platform {

// The primary screen's full size in pixels.
QSize screenSize();

// Handles the events that are waiting, then returns.
void processEvents();

// Blocks the thread.
void sleepMs(int ms);

// Keeps the C library's allocator to a few arenas. Each new thread of the
// media framework (a video's decoders, started anew at every play) may get
// an arena of its own, and the memory freed there stays with the process:
// a lesson of video clicks grew without end. Call first thing in main,
// before any thread starts; MALLOC_ARENA_MAX in the environment still
// decides when it is set.
inline constexpr int kAllocatorArenas = 2;
void boundAllocatorArenas();

// Deletes the objects whose deletion was deferred (deleteLater, a destroyed
// screen's controls). An event loop does it when control comes back to it; a
// program that drives the window without one (the playtest driver, the fuzz
// targets) calls this between two of its steps, never from inside a handler.
void deleteDeferred();

// Lets `ms` milliseconds pass while the window stays alive: it is painted,
// sound and video go on, and it can be closed, but mouse and keyboard wait
// until the next processEvents(). Returns false, early, as soon as `stop`
// answers true (it is asked every few milliseconds).
bool waitKeepingWindowAlive(std::int64_t ms, const std::function<bool()>& stop);

// When an observer is set, such a wait takes no time: events are handled
// once, the observer hears the milliseconds the wait was for (it may end the
// wait as a person would, by closing the window) and the wait returns as if
// they had passed. A game played by a machine (the fuzz targets) must not
// spend its time waiting.
using WaitObserver = std::function<void(std::int64_t ms)>;
void setWaitObserver(WaitObserver observer);

// The shell's "open": `composedPath` names the file as the program checked
// it (a folder and a name, or a name in the current folder). An executable
// file is started by its full path, without arguments, in `composedFolder`
// (the current folder when it is empty); any other file goes to the
// desktop's handler. No shell is involved, so nothing in the names is
// interpreted. Failures are ignored.
void shellOpen(const std::string& composedPath, const std::string& composedFolder);

// When an observer is set, the shell's open starts nothing: the observer gets
// the path and folder it was asked for. A game played by a machine (the fuzz
// targets) may name any program on it; nothing of it may run.
using ShellObserver =
    std::function<void(const std::string& composedPath, const std::string& composedFolder)>;
void setShellObserver(ShellObserver observer);

enum class ModalKind { ErrorWindow, MessageBox, Question };

// When an observer is set, modal windows are not shown: the observer gets
// their text (UTF-8, as shown) and they count as closed at once.
using ModalObserver = std::function<void(ModalKind, const std::string&)>;
void setModalObserver(ModalObserver observer);
bool observeModal(ModalKind kind, const std::string& text);

// A modal message box with an OK button, or its observed stand-in. The
// texts are Windows-1251, like the errors they report.
void messageBox(QWidget* parent, const std::string& title, const std::string& text);

// A modal message box with a warning sign and an OK button, or its observed
// stand-in. The text is the player's own, already in its language: UTF-8.
void warningBox(QWidget* parent, const std::string& title, const std::string& text);

enum class Answer { No, Yes };

// A modal question with Yes and No buttons (No the default), or its observed
// stand-in, which gets the answer set below. The question is the player's
// own text, already in its language: UTF-8.
Answer askYesNo(QWidget* parent, const std::string& title, const std::string& question);
// What observed questions are answered from now on; No at first, so a
// question nobody expected never ends a game.
void setObservedAnswer(Answer answer);

// What ending the program means: by default, leave the event loop. The
// playtest driver sets its own so it can report and go on.
void setEndProgramHandler(std::function<void()> handler);
void endProgram();

} // namespace taleplay::platform
