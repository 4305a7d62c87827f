// The display check, the runtime folder and the toolkit's message filter.
#include "app/quiet_start.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace taleplay::launch {
namespace {

bool isSet(const EnvironmentLookup& getenv, const char* name) {
    const char* value = getenv(name);
    return value && *value;
}

// A folder only this user can enter, as the runtime folder must be; one left
// by someone else, or a link put in its place, is not used.
bool isPrivateFolder(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

std::string privateRuntimeFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp && *tmp == '/' ? tmp : "/tmp";
    const std::string fixed = base + "/taleplay-runtime-" + std::to_string(::geteuid());
    if (::mkdir(fixed.c_str(), 0700) == 0 || isPrivateFolder(fixed))
        return fixed;
    std::string unique = base + "/taleplay-runtime-XXXXXX";
    if (::mkdtemp(unique.data()))
        return unique;
    return {};
}

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!shouldShow(type, Verbosity::Quiet))
        return;
    const QByteArray text = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", text.constData());
    std::fflush(stderr);
}

} // namespace

bool hasDisplay(const EnvironmentLookup& getenv) {
    if (isSet(getenv, "QT_QPA_PLATFORM"))
        return true;
    return isSet(getenv, "DISPLAY") || isSet(getenv, "WAYLAND_DISPLAY");
}

std::string displayDoesNotAnswer(const std::string& display) {
    return "taleplay: the display " + display + " does not answer";
}

std::string onlyXDisplay(const EnvironmentLookup& getenv) {
    if (const char* platform = getenv("QT_QPA_PLATFORM"); platform && *platform) {
        const std::string chosen = platform;
        if (chosen != "xcb" && chosen.rfind("xcb:", 0) != 0)
            return {};
    } else if (isSet(getenv, "WAYLAND_DISPLAY")) {
        return {};
    }
    const char* display = getenv("DISPLAY");
    return display ? display : "";
}

bool xDisplayAnswers(const std::string& display) {
    // The toolkit's own way in (it opens the display with the same library),
    // handshake included; a socket that nobody serves fails at once.
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

bool prepareEnvironment(Verbosity verbosity) {
    bool ok = true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        const std::string folder = privateRuntimeFolder();
        ok = !folder.empty();
        if (ok)
            ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
    if (verbosity == Verbosity::Quiet)
        ::setenv("GST_DEBUG", "0", 0);
    return ok;
}

bool shouldShow(QtMsgType type, Verbosity verbosity) {
    if (verbosity == Verbosity::Verbose)
        return true;
    // Warnings are what the toolkit says about a missing sound server, a
    // slow graphics path or a theme it cannot find: nothing the player can
    // act on, and the game goes on. Errors of a game are shown in its window.
    return type == QtCriticalMsg || type == QtFatalMsg;
}

void installMessageHandler(Verbosity verbosity) {
    // Verbose runs keep the toolkit's own handler, which prints everything.
    if (verbosity == Verbosity::Quiet)
        qInstallMessageHandler(quietHandler);
}

} // namespace taleplay::launch
