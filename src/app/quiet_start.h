#pragma once
// A start that says nothing unless something is wrong: the display is looked
// for before the toolkit would abort without one, and the chatter of the
// toolkit, the sound server and GStreamer stays off the terminal unless the
// player asks for it.
#include "app/command_line.h"

#include <QtGlobal>
#include <functional>
#include <string>

namespace taleplay::launch {

// What the program says when there is nowhere to open a window.
inline constexpr const char* kNoDisplayMessage =
    "taleplay: no graphical display (DISPLAY and WAYLAND_DISPLAY are not set)";

using EnvironmentLookup = std::function<const char*(const char*)>;

// What the program says when the X display it would open does not answer.
std::string displayDoesNotAnswer(const std::string& display);

// Whether the toolkit can open a window. A platform chosen explicitly
// (QT_QPA_PLATFORM, such as offscreen) is trusted as it is; otherwise the
// toolkit looks for an X11 or Wayland display, and there must be one.
bool hasDisplay(const EnvironmentLookup& getenv);

// The X display the toolkit would open when nothing else can serve instead
// (no other platform chosen, no Wayland display), or empty. The toolkit
// aborts on an X display that does not answer, so it is asked first.
std::string onlyXDisplay(const EnvironmentLookup& getenv);

// Whether the X server of `display` accepts a connection.
bool xDisplayAnswers(const std::string& display);

// Prepares the process environment before the toolkit starts: a private
// runtime folder where the session gave none (the toolkit and the sound
// server want one), and, when quiet, GStreamer's own log off unless the
// player set its level. Returns false when no runtime folder could be made;
// the program still runs, the toolkit then picks its own.
bool prepareEnvironment(Verbosity verbosity);

// Whether a message of the toolkit reaches standard error. Quiet runs keep
// only what means something is broken.
bool shouldShow(QtMsgType type, Verbosity verbosity);

// Routes the toolkit's messages through shouldShow.
void installMessageHandler(Verbosity verbosity);

} // namespace taleplay::launch
